// A stand-in transfer library: records the upload, writes a prepared reply and can hold the caller
// inside HttpUpload until the test releases it.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
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

std::string Narrow(const char16_t* text)
{
    std::string out;
    for (; text && *text; ++text)
        out += static_cast<char>(*text < 0x80 ? *text : '?');
    return out;
}

void CopyText(char16_t* to, std::size_t capacity, const char16_t* from)
{
    std::size_t n = 0;
    for (; from && from[n] && n + 1 < capacity; ++n)
        to[n] = from[n];
    to[n] = 0;
}

// Reads name/value pairs until an empty name, the way the contract describes the block.
void RecordParams(const char16_t* block)
{
    std::int32_t units = 0;
    auto take = [&](bool& empty) {
        empty = block[units] == 0;
        while (block[units] != 0 && units < 500)
            g_state.params[units] = block[units], ++units;
        g_state.params[units++] = 0;
    };
    for (;;) {
        bool emptyName = false;
        take(emptyName);
        if (emptyName || units >= 500)
            break;
        bool emptyValue = false;
        take(emptyValue);
    }
    g_state.paramUnits = units;
}

void RecordReplyFile(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        g_state.replyFileMode = static_cast<std::int32_t>(st.st_mode & 0777);
        g_state.replyFileSize = st.st_size;
    } else {
        g_state.replyFileMode = -1;
        g_state.replyFileSize = -1;
    }
}

void WaitForRelease()
{
    std::unique_lock lock(g_mutex);
    g_entered = true;
    g_changed.notify_all();
    g_changed.wait(lock, [] { return g_released; });
}

void WriteReply(const std::string& path)
{
    if (g_state.symlinkTarget[0] != 0) {
        ::unlink(path.c_str());
        if (::symlink(g_state.symlinkTarget, path.c_str()) != 0)
            std::perror("symlink");
        return;
    }
    if (!g_state.writeReply)
        return;
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(g_state.reply, 1, static_cast<std::size_t>(g_state.replyLength), file);
        std::fclose(file);
    }
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
    CopyText(g_state.url, 512, url);
    CopyText(g_state.replyPath, 512, replyPath);
    RecordParams(params);
    const std::string path = Narrow(replyPath);
    RecordReplyFile(path);
    if (g_state.blockUntilReleased)
        WaitForRelease();
    WriteReply(path);
    return g_state.result;
}

#ifndef FAKE_WITHOUT_DOWNLOAD
FAKE_EXPORT std::int32_t HttpDownload(const char16_t*, const char16_t*)
{
    ++g_state.downloadCalls;
    return 0;
}
#endif
