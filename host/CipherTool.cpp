#include "CipherTool.h"

#include "LoadedModule.h"

#include <vector>

namespace tessaly::host {
namespace {

// Room for the cipher library's framing (mark, length, nonce, tag) on top of the clear text.
constexpr int kCipherOverhead = 64;

}  // namespace

std::optional<std::string> EncryptToHex(const std::string& libraryPath, const std::string& clear, std::string& error)
{
    using EncryptFn = int (*)(const unsigned char*, int, const unsigned char*, int, unsigned char*, int*);
    const auto library = LoadedModule::Open(libraryPath, error);
    if (!library)
        return std::nullopt;
    const auto encrypt = library->Get<EncryptFn>("Zel_Encrypt");
    if (!encrypt) {
        error = libraryPath + " has no Zel_Encrypt";
        return std::nullopt;
    }
    if (clear.size() > 0xFFFF) {
        error = "the text is too long to encipher";
        return std::nullopt;
    }
    std::vector<unsigned char> out(clear.size() + kCipherOverhead);
    int length = static_cast<int>(out.size());
    const int rc = encrypt(reinterpret_cast<const unsigned char*>(kPasswordKey), sizeof kPasswordKey - 1,
                           reinterpret_cast<const unsigned char*>(clear.data()), static_cast<int>(clear.size()),
                           out.data(), &length);
    if (rc != 0 || length <= 0 || length > static_cast<int>(out.size())) {
        error = "Zel_Encrypt failed with " + std::to_string(rc);
        return std::nullopt;
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string hex;
    for (int i = 0; i < length; ++i) {
        hex += kHex[out[static_cast<std::size_t>(i)] >> 4];
        hex += kHex[out[static_cast<std::size_t>(i)] & 0x0F];
    }
    return hex;
}

}  // namespace tessaly::host
