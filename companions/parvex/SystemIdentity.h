#pragma once
// What the machine-information library takes from the system it runs on.
#include <filesystem>
#include <optional>
#include <string>

namespace parvex {

// The folder this library was loaded from (its Config/ folder holds the settings file).
std::filesystem::path LibraryFolder();

// The system's own identifier of this installation, as text; nullopt when there is none.
std::optional<std::string> SystemMachineId();

// A machine id as read from a file or the system: surrounding white space dropped; nullopt for an
// empty or oversized one.
std::optional<std::string> CleanMachineId(std::string id);

}  // namespace parvex
