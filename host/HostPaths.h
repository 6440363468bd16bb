#pragma once

#include <string>

namespace tessaly::host {

// Folder of the running program, without a trailing '/'.
std::string ProgramFolder();

// Full path of the running program.
std::string ProgramPath();

// True when `name` is an executable file in one of the folders of $PATH.
bool FindOnPath(const std::string& name);

}  // namespace tessaly::host
