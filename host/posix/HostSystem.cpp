// tessaly-host on Linux: file names, program paths, the private folder and the list's heap.

#include "HostPaths.h"
#include "HostSystem.h"

#include <cstdlib>

namespace tessaly::host {
namespace {

constexpr const char* kInstallFiles[] = {"libtessaly.so", "Trelvin.so", "Cyvelle.so", "Parvex.so", "Dunmore.so"};

constexpr SystemNames kNames{
    "libtessaly.so",
    "Cyvelle.so",
    "dlopen",
    "from the folder of tessaly-host, else from ../lib/tessaly/ beside that folder as installed",
    "  demo [--close-after SECONDS]     run service, PreLogin and Redirect end to end\n",
    kInstallFiles,
};

}  // namespace

const SystemNames& Names() { return kNames; }

std::vector<std::string> StartProgram(int argc, char** argv) { return std::vector<std::string>(argv + 1, argv + argc); }

std::string ProgramPath()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

std::string DefaultLibraryPath()
{
    const std::filesystem::path folder = ProgramFolder();
    std::error_code ec;
    if (std::filesystem::exists(folder / "libtessaly.so", ec))
        return (folder / "libtessaly.so").string();
    return (folder.parent_path() / "lib" / "tessaly" / "libtessaly.so").string();
}

std::filesystem::path MakePrivateFolder(std::string& error)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tessaly-host-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        error = "cannot make a temporary folder under " + pattern;
        return {};
    }
    return pattern;
}

void FreeListStorage(void* items) noexcept { std::free(items); }

}  // namespace tessaly::host
