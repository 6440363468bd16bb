// A stand-in network agent: records each request and answers from FAKE_TRELVIN_* variables.
//   FAKE_TRELVIN_RESULT  the export's result (default 0)
//   FAKE_TRELVIN_REPLY   the reply bytes (default "0")
//   FAKE_TRELVIN_LENGTH  the length written back (default: the reply's length)
// Built a second time with FAKE_WITHOUT_EXPORT, where the export is missing.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "FakeRecorder.h"

__attribute__((constructor)) static void OnLoad() { fake::Record("trelvin load"); }
__attribute__((destructor)) static void OnUnload() { fake::Record("trelvin unload"); }

#ifndef FAKE_WITHOUT_EXPORT
extern "C" __attribute__((visibility("default"))) std::int32_t requestDataFromUrl(const char* url, char* reply,
                                                                                 std::int32_t* length)
{
    fake::Record("request length=" + std::to_string(*length) + " url=" + url);
    const char* text = fake::Env("FAKE_TRELVIN_REPLY");
    if (!text)
        text = "0";
    const auto capacity = static_cast<std::size_t>(std::max<std::int32_t>(*length, 0));
    std::memcpy(reply, text, std::min(std::strlen(text), capacity));
    *length = static_cast<std::int32_t>(std::strlen(text));
    if (const char* forced = fake::Env("FAKE_TRELVIN_LENGTH"))
        *length = std::atoi(forced);
    const char* result = fake::Env("FAKE_TRELVIN_RESULT");
    return result ? std::atoi(result) : 0;
}
#else
extern "C" __attribute__((visibility("default"))) std::int32_t someOtherExport() { return 0; }
#endif
