// Misbehaving stand-ins for the four companion libraries, built once per library name. What each
// export does is chosen per call by the environment variable TESSALY_FAKE_MODE, so one process can
// walk through every misbehaviour; every call is appended to the file TESSALY_FAKE_RECORD (when set)
// as "<export> <detail>" so tests can see what the library handed over.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::string Mode()
{
    const char* mode = std::getenv("TESSALY_FAKE_MODE");
    return mode ? mode : "";
}

void Record(const char* what, const std::string& detail)
{
    const char* path = std::getenv("TESSALY_FAKE_RECORD");
    if (!path || !*path)
        return;
    if (FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%s %s\n", what, detail.c_str());
        std::fclose(f);
    }
}

// Blocks until the file TESSALY_FAKE_RELEASE exists (or 60 s pass), standing in for a network call
// that never returns while a test watches what the library does meanwhile.
[[maybe_unused]] void HangUntilReleased()
{
    const char* release = std::getenv("TESSALY_FAKE_RELEASE");
    for (int i = 0; i < 6000; ++i) {
        if (release && ::access(release, F_OK) == 0)
            return;
        ::usleep(10000);
    }
}

[[maybe_unused]] std::string Narrow16(const char16_t* text)
{
    std::string out;
    for (; text && *text; ++text)
        out += *text < 0x80 ? static_cast<char>(*text) : '?';
    return out;
}

}  // namespace

#if defined(FAKE_TRELVIN)
// Modes: "reply:<text>" answers the text; "len128" / "lenmax" / "lenneg" report an impossible length;
// "fail" returns an error; "garbage" fills all 128 bytes without a terminator and reports 127;
// "hang" blocks until released, then answers "0".
FAKE_EXPORT std::int32_t requestDataFromUrl(const char* url, char* reply, std::uint32_t* length)
{
    const std::string mode = Mode();
    Record("requestDataFromUrl", std::string(url ? url : "(null)") + " length=" + std::to_string(*length));
    if (mode == "fail")
        return 7;
    if (mode == "len128") {
        std::memcpy(reply, "0", 1);
        *length = 128;
        return 0;
    }
    if (mode == "lenmax") {
        std::memcpy(reply, "0", 1);
        *length = 0xFFFFFFFFu;
        return 0;
    }
    if (mode == "lenneg") {
        std::memcpy(reply, "0", 1);
        *length = 0x80000000u;
        return 0;
    }
    if (mode == "garbage") {
        std::memset(reply, 'A', 128);
        std::memcpy(reply, "-102", 4);
        *length = 127;
        return 0;
    }
    if (mode == "hang")
        HangUntilReleased();
    const std::string text = mode.rfind("reply:", 0) == 0 ? mode.substr(6) : "0";
    std::memcpy(reply, text.data(), text.size());
    *length = static_cast<std::uint32_t>(text.size());
    return 0;
}
#endif

#if defined(FAKE_CYVELLE)
// Modes: "cipher-neg" / "cipher-huge" / "cipher-full" report an impossible output length;
// "cipher-garbage" fills the whole output without a terminator and reports its full capacity;
// otherwise the input bytes are copied through, so the clear text is the hex text decoded.
FAKE_EXPORT std::int32_t Zel_Encrypt(const unsigned char*, std::int32_t, const unsigned char*, std::int32_t,
                                     unsigned char*, std::int32_t*)
{
    return 0;
}

FAKE_EXPORT std::int32_t Zel_Decrypt(const unsigned char* key, std::int32_t keyLength, const unsigned char* input,
                                     std::int32_t inputLength, unsigned char* output, std::int32_t* outputLength)
{
    const std::string mode = Mode();
    Record("Zel_Decrypt", "key=" + std::string(reinterpret_cast<const char*>(key), keyLength) +
                              " in=" + std::to_string(inputLength) + " out=" + std::to_string(*outputLength));
    const std::int32_t capacity = *outputLength;
    if (mode == "cipher-neg") {
        *outputLength = -5;
    } else if (mode == "cipher-huge") {
        *outputLength = 0x7FFFFFFF;
    } else if (mode == "cipher-full") {
        *outputLength = inputLength;
    } else if (mode == "cipher-garbage") {
        std::memset(output, 'Z', static_cast<std::size_t>(capacity));
        *outputLength = capacity;
    } else {
        std::memcpy(output, input, static_cast<std::size_t>(capacity));
    }
    return 0;
}
#endif

#if defined(FAKE_PARVEX)
// Modes: "identity-garbage" fills every buffer completely, without a terminator; "identity-fail"
// reports failure with empty buffers; otherwise short fixed values.
namespace {

std::int32_t Fill(const char* what, char16_t* buffer, std::int32_t capacity, const char16_t* value)
{
    const std::string mode = Mode();
    Record(what, "capacity=" + std::to_string(capacity));
    if (mode == "identity-garbage") {
        for (std::int32_t i = 0; i < capacity; ++i)
            buffer[i] = u'G';
        return 1;
    }
    if (mode == "identity-fail")
        return 0;
    for (std::int32_t i = 0; value[i] && i + 1 < capacity; ++i)
        buffer[i] = value[i];
    return 1;
}

}  // namespace

FAKE_EXPORT std::int32_t PVXGetPCID(char16_t* b, std::int32_t c, std::int32_t) { return Fill("PVXGetPCID", b, c, u"PC-1"); }
FAKE_EXPORT std::int32_t PVXGetOemID(char16_t* b, std::int32_t c, std::int32_t) { return Fill("PVXGetOemID", b, c, u"OEM"); }
FAKE_EXPORT std::int32_t PVXGetAreaCode(char16_t* b, std::int32_t c, std::int32_t) { return Fill("PVXGetAreaCode", b, c, u"AREA"); }
FAKE_EXPORT std::int32_t PVXGetVCC(char16_t*, std::int32_t, std::int32_t) { return 0; }
#endif

#if defined(FAKE_DUNMORE)
// Modes: "upload-hang" blocks until released; "upload-fail" reports failure; "upload-reply:<text>"
// writes the text into the reply file; otherwise an address that is not http (so the window ends).
FAKE_EXPORT std::int32_t HttpUpload(const char16_t* url, const char16_t* params, const char16_t* replyPath)
{
    const std::string mode = Mode();
    std::string block;
    for (const char16_t* p = params; p && *p; p += std::char_traits<char16_t>::length(p) + 1)
        block += Narrow16(p) + "|";
    Record("HttpUpload", Narrow16(url) + " " + block);
    if (mode == "upload-hang") {
        HangUntilReleased();
        Record("HttpUpload", "released");
    }
    if (mode == "upload-fail")
        return 0;
    const std::string text = mode.rfind("upload-reply:", 0) == 0 ? mode.substr(13) : "about:blank";
    if (FILE* f = std::fopen(Narrow16(replyPath).c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    return 1;
}

FAKE_EXPORT std::int32_t HttpDownload(const char16_t*, const char16_t*) { return 0; }
#endif
