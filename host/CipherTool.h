#pragma once

#include <optional>
#include <string>

namespace tessaly::host {

// The key bytes the library deciphers passwords with.
inline constexpr char kPasswordKey[] = "58074319";

// Enciphers `clear` with Zel_Encrypt of the cipher library at `libraryPath` and returns the cipher
// bytes as upper-case hexadecimal text, the form PreLogin expects its password in. nullopt and a
// reason in `error` when the library or its export is missing or the call fails.
std::optional<std::string> EncryptToHex(const std::string& libraryPath, const std::string& clear, std::string& error);

}  // namespace tessaly::host
