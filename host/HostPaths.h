#pragma once
// Paths of the running program and the library it loads. Paths travel as UTF-8 text on both
// systems; PathFromUtf8 and Utf8Path convert at the file-system calls.

#include <filesystem>
#include <string>

namespace tessaly::host {

// Full path of the running program (per system).
std::string ProgramPath();

// Folder of the running program, without a trailing separator.
std::string ProgramFolder();

// The library loaded when no --library is given (per system): on Linux libtessaly.so beside the
// program (a build tree), else the installed one in ../lib/tessaly/ next to the program's folder; on
// Windows Tessaly.dll beside the program.
std::string DefaultLibraryPath();

// The folder part of a file path, without a trailing separator ("." for a bare name).
std::string FolderOf(const std::string& path);

// `name` in the folder of the file `path`.
std::string BesideFile(const std::string& path, const std::string& name);

std::filesystem::path PathFromUtf8(const std::string& text);
std::string Utf8Path(const std::filesystem::path& path);

}  // namespace tessaly::host
