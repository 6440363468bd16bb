#pragma once
// What tessaly-host takes from the system it runs on. host/posix/ and host/win32/ each define these;
// the rest of host/ is the same program on both systems.

#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace tessaly::host {

// Names that differ between the systems, in file names as in help texts.
struct SystemNames {
    const char* library;      // the library a host loads ("libtessaly.so", "Tessaly.dll")
    const char* cipher;       // the cipher companion ("Cyvelle.so", "Cyvelle.dll")
    const char* loader;       // how a desktop client loads the library ("dlopen", "LoadLibraryW")
    const char* whereabouts;  // where the library is looked for when no --library is given
    const char* demoLine;     // the demo's line in the list of commands
    std::span<const char* const> installFiles;  // the library and its companions, the library first
};

const SystemNames& Names();

// Prepares the process the way a host on this system is expected to start, and returns its
// command-line words after the program's name, as UTF-8.
std::vector<std::string> StartProgram(int argc, char** argv);

// A fresh folder for this process alone under the system's temporary folder; an empty path, and
// `error` says why, when none could be made.
std::filesystem::path MakePrivateFolder(std::string& error);

// Frees the storage of the host's window message list, which the library allocates on the host's
// behalf from the heap the two share.
void FreeListStorage(void* items) noexcept;

}  // namespace tessaly::host
