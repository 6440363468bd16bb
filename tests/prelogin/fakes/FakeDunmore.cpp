// A stand-in transfer library: records the upload, writes a prepared reply and can hold the caller
// inside HttpUpload until the test releases it.

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>

#include "FakeCompanionState.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

FakeDunmoreControl g_state{};
std::mutex g_mutex;
std::condition_variable g_changed;
bool g_entered = false;
bool g_released = false;

void Copy(char16_t (&to)[512], const char16_t* from)
{
    std::size_t n = 0;
    for (; from[n] != 0 && n + 1 < 512; ++n)
        to[n] = from[n];
    to[n] = 0;
}

// Reads name/value pairs until an empty name, the way the transfer contract describes the block.
void RecordParams(const char16_t* block)
{
    std::int32_t at = 0;
    for (bool isName = true;; isName = !isName) {
        const bool empty = block[at] == 0;
        do
            g_state.params[at] = block[at];
        while (block[at++] != 0 && at < 500);
        if ((isName && empty) || at >= 500)
            break;
    }
    g_state.paramUnits = at;
}

}  // namespace

FAKE_EXPORT FakeDunmoreControl* FakeDunmoreState()
{
    return &g_state;
}

FAKE_EXPORT void FakeDunmoreRelease()
{
    std::lock_guard lock(g_mutex);
    g_released = true;
    g_changed.notify_all();
}

FAKE_EXPORT int FakeDunmoreWaitEntered(int timeoutMs)
{
    std::unique_lock lock(g_mutex);
    return g_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [] { return g_entered; }) ? 1 : 0;
}

FAKE_EXPORT std::int32_t HttpUpload(const char16_t* url, const char16_t* params, const char16_t* replyPath)
{
    ++g_state.uploadCalls;
    Copy(g_state.url, url);
    Copy(g_state.replyPath, replyPath);
    RecordParams(params);
    const std::string path(replyPath, replyPath + std::char_traits<char16_t>::length(replyPath));  // ASCII paths
    std::error_code error;
    const auto status = std::filesystem::symlink_status(path, error);
    g_state.replyFileMode =
        !error && std::filesystem::exists(status) ? static_cast<std::int32_t>(status.permissions()) & 0777 : -1;
    if (g_state.blockUntilReleased) {
        std::unique_lock lock(g_mutex);
        g_entered = true;
        g_changed.notify_all();
        g_changed.wait(lock, [] { return g_released; });
    }
    if (g_state.replyLength > 0)
        std::ofstream(path, std::ios::binary).write(g_state.reply, g_state.replyLength);
    return g_state.result;
}

#ifndef FAKE_WITHOUT_DOWNLOAD
FAKE_EXPORT std::int32_t HttpDownload(const char16_t*, const char16_t*)
{
    return ++g_state.downloadCalls, 0;
}
#endif
