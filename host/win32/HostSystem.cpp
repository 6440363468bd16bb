// tessaly-host on Windows: file names, the program's start, its path, the private folder and the
// list's heap.

#include "HostPaths.h"
#include "HostSystem.h"
#include "win32/WideText.h"

#include <shellapi.h>

#include <memory>
#include <random>

namespace tessaly::host {
namespace {

constexpr const char* kInstallFiles[] = {"Tessaly.dll", "Trelvin.dll", "Cyvelle.dll", "Parvex.dll", "Dunmore.dll"};

constexpr SystemNames kNames{
    "Tessaly.dll",
    "Cyvelle.dll",
    "LoadLibraryW",
    "from the folder of tessaly-host.exe",
    "  demo [--service URL] [--close-after SECONDS]\n"
    "                                   PreLogin and Redirect end to end against the stand-in service\n",
    kInstallFiles,
};

struct LocalFreer {
    void operator()(void* memory) const { ::LocalFree(memory); }
};

// The console shows the host's UTF-8 output as UTF-8 while the program runs; the console's own code
// page is put back at exit, since the console outlives the program.
class Utf8Console {
public:
    Utf8Console() : m_previous(::GetConsoleOutputCP())
    {
        if (m_previous != 0)
            ::SetConsoleOutputCP(CP_UTF8);
    }
    ~Utf8Console()
    {
        if (m_previous != 0)
            ::SetConsoleOutputCP(m_previous);
    }
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

private:
    UINT m_previous;
};

}  // namespace

const SystemNames& Names() { return kNames; }

std::vector<std::string> StartProgram(int, char**)
{
    // A library that cannot be loaded is reported by the host, not by a message box.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // Libraries are loaded by full path only; the current folder is never searched for them.
    ::SetDllDirectoryW(L"");
    static Utf8Console console;
    // The wide command line, so that paths in any language arrive whole (argv is the ANSI code page).
    int count = 0;
    const std::unique_ptr<LPWSTR, LocalFreer> arguments(::CommandLineToArgvW(::GetCommandLineW(), &count));
    std::vector<std::string> words;
    for (int i = 1; arguments && i < count; ++i)
        words.push_back(win32::Utf8FromWide(arguments.get()[i]));
    return words;
}

std::string ProgramPath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return win32::Utf8FromWide(path);
        }
        path.resize(path.size() * 2);
    }
}

std::string DefaultLibraryPath() { return BesideFile(ProgramPath(), kNames.library); }

std::filesystem::path MakePrivateFolder(std::string& error)
{
    std::error_code ec;
    const std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
    if (ec) {
        error = "cannot find the temporary folder: " + ec.message();
        return {};
    }
    // CreateDirectoryW fails on a name that is taken, so the folder found is this process's alone.
    std::random_device random;
    DWORD failure = ERROR_ALREADY_EXISTS;
    for (int attempt = 0; attempt < 100 && failure == ERROR_ALREADY_EXISTS; ++attempt) {
        std::wstring name = L"tessaly-host-";
        for (unsigned bits = random(), digit = 0; digit < 8; ++digit, bits >>= 4)
            name += L"0123456789abcdef"[bits & 0xF];
        const std::filesystem::path folder = temp / name;
        if (::CreateDirectoryW(folder.c_str(), nullptr))
            return folder;
        failure = ::GetLastError();
    }
    error = "cannot make a folder in " + Utf8Path(temp) + ": " + win32::SystemErrorText(failure);
    return {};
}

void FreeListStorage(void* items) noexcept
{
    if (items)
        ::HeapFree(::GetProcessHeap(), 0, items);
}

}  // namespace tessaly::host
