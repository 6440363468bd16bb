#include "login/CipherLibrary.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "login/SecureWipe.h"
#include "platform/DynamicLibrary.h"
#include "platform/TextEncoding.h"
#include "support/CLogTrace.h"
#include "support/PathHelpers.h"
#include "support/WideText.h"

namespace tessaly {
namespace {

// Reads one or two characters like scanf("%x"); a window without a hexadecimal number gives 0.
unsigned char HexWindowByte(const std::string& text, std::size_t pos)
{
    char window[3] = {text[pos], pos + 1 < text.size() ? text[pos + 1] : '\0', '\0'};
    unsigned int value = 0;
    if (std::sscanf(window, "%x", &value) != 1)
        return 0;
    return static_cast<unsigned char>(value & 0xFFu);
}

// Input byte i comes from the hexadecimal pair that starts at 2*i; bytes past the text stay 0.
void DecodeHexPairs(const std::string& narrow, std::vector<unsigned char>& input)
{
    for (std::size_t i = 0; 2 * i < narrow.size(); ++i)
        input[i] = HexWindowByte(narrow, 2 * i);
}

// Releases the cipher library with the loader's two trace lines once the operation is over.
class CipherLibraryRelease {
public:
    explicit CipherLibraryRelease(CipherLibrary& library) : library_(library) {}
    ~CipherLibraryRelease()
    {
        if (library_.loader.m_hModule)
            library_.loader.FreeInPlace();
    }
    CipherLibraryRelease(const CipherLibraryRelease&) = delete;
    CipherLibraryRelease& operator=(const CipherLibraryRelease&) = delete;

private:
    CipherLibrary& library_;
};

}  // namespace

int LoadCipherLibrary(CipherLibrary& library, const std::u16string& dir, const std::u16string& fileName)
{
    const std::u16string path = dir + fileName;
    library.m_pfnEncrypt = library.loader.GetProcAs<ZelCryptFn>(path, u"Zel_Encrypt");
    library.m_pfnDecrypt = library.loader.GetProcAs<ZelCryptFn>(path, u"Zel_Decrypt");
    return library.m_pfnEncrypt && library.m_pfnDecrypt ? 1 : 0;
}

int DecipherHexText(const std::u16string& hexText, CipherLibrary& library, std::u16string* clearText,
                    const std::u16string& key)
{
    if (hexText.empty() || !library.m_pfnDecrypt || !clearText)
        return 0;
    const std::string narrowKey = platform::ToEdgeText(key);
    const std::string narrowText = platform::ToEdgeText(hexText);
    const std::size_t n = narrowText.size();

    std::vector<unsigned char> input(n, 0);
    std::vector<unsigned char> output(n, 0);
    WipeOnExit<std::vector<unsigned char>> wipeInput(input);
    WipeOnExit<std::vector<unsigned char>> wipeOutput(output);
    DecodeHexPairs(narrowText, input);

    auto outputLength = static_cast<std::int32_t>(n / 2);
    library.m_pfnDecrypt(narrowKey.c_str(), static_cast<std::int32_t>(narrowKey.size()), input.data(),
                         static_cast<std::int32_t>(n), output.data(), &outputLength);

    // The terminating zero goes at the reported length; a length outside the buffer is a failure,
    // never a write past its end.
    if (outputLength < 0 || static_cast<std::size_t>(outputLength) >= n) {
        WipeString(*clearText);
        return 0;
    }
    output[static_cast<std::size_t>(outputLength)] = 0;
    const auto* bytes = reinterpret_cast<const char*>(output.data());
    *clearText = platform::FromEdgeText(std::string_view(bytes, std::strlen(bytes)));
    return 1;
}

void DecipherPassword(std::u16string* clearText, const std::u16string& hexText)
{
    CipherLibrary library{};
    CipherLibraryRelease release(library);
    const std::u16string hostDir = GetModuleDir(nullptr);
    LoadCipherLibrary(library, hostDir, platform::LibraryFileName(kCipherLibraryStem));
    // A host whose executable lives elsewhere (an interpreter in /usr/bin, say) has no copy beside it;
    // the one installed beside this library serves then.
    const std::u16string libraryDir = GetModuleDir(LibraryInstance());
    if (!library.loader.m_hModule && libraryDir != hostDir)
        LoadCipherLibrary(library, libraryDir, platform::LibraryFileName(kCipherLibraryStem));
    DecipherHexText(hexText, library, clearText, kCipherKey);
}

}  // namespace tessaly
