#pragma once
// Finding the library's files, reading single settings and handling temporary files.
#include <string>
#include <string_view>

namespace tessaly {

// An address inside a module stands for the module; nullptr means the host executable.
using ModuleHandle = const void*;

// This library's own instance handle.
ModuleHandle LibraryInstance();

// Folder of the module's file, ending in the system's separator; empty when it cannot be found.
std::u16string GetModuleDir(ModuleHandle module);

// GetModuleDir(module) + "Config/". Not created or checked.
std::u16string GetConfigDir(ModuleHandle module);

// GetConfigDir(LibraryInstance()) + fileName: a file of the library's configuration. Empty, with a
// trace line saying why, when the library's folder cannot be found (its file was removed while
// loaded, for example): then no configuration is read or written at all, never one relative to the
// host's current folder.
std::u16string ConfigFilePath(std::u16string_view fileName);

// Splits at the last '/': directory (with the '/') and file name. Without a separator the directory
// is the whole path and the file name is empty. Returns the file name.
std::u16string SplitPath(const std::u16string& path, std::u16string* dir, std::u16string* fileName);

// Reads a value under HKEY_LOCAL_MACHINE from the settings store. A number is written as decimal
// text, a string copied (cut to bufferBytes / 2 - 1 characters), anything else gives empty text.
void ReadRegString(const std::u16string& key, const std::u16string& name, int bufferBytes, std::u16string* out);

// INI read with the profile rules; the default when the file, section or key is missing or the path
// is empty.
void ReadIniString(const std::u16string& section, const std::u16string& key, const std::u16string& def,
                   std::u16string* out, const std::u16string& path, int bufferChars);

// Creates a new empty temporary file from the prefix's first three characters and splits its full
// name into `dir` and `fileName`. When no file can be made both outputs are left unchanged.
void MakeTempReplyFile(const std::u16string& prefix, std::u16string* dir, std::u16string* fileName);

// Deletes a file even when it is read-only; failures are ignored.
void ForceDeleteFile(const std::u16string& path);

}  // namespace tessaly
