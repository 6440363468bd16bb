#pragma once
// Where the library and its host live on disk.
#include <string>

namespace tessaly::platform {

// Folder of the shared object (or executable) that contains `address`, ending in '/'.
// A null address means the host executable (/proc/self/exe). Empty when it cannot be found.
std::u16string ModuleFolder(const void* address);

// Test seam: while set, ModuleFolder() answers these folders instead of asking the system
// (`library` for any non-null address, `host` for the null address). Empty strings clear it.
void OverrideModuleFolders(std::u16string library, std::u16string host);

}  // namespace tessaly::platform
