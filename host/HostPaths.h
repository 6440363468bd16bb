#pragma once

#include <string>

namespace tessaly::host {

// Folder of the running program, without a trailing '/'.
std::string ProgramFolder();

// Full path of the running program.
std::string ProgramPath();

// The libtessaly.so loaded when no --library is given: the one beside the program (a build tree), else
// the installed one in ../lib/tessaly/ next to the program's folder.
std::string DefaultLibraryPath();

// The folder part of a file path, without a trailing '/' ("." for a bare name).
std::string FolderOf(const std::string& path);

// True when `name` is an executable file in one of the folders of $PATH.
bool FindOnPath(const std::string& name);

}  // namespace tessaly::host
