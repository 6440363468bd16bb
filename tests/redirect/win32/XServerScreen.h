#pragma once
// The X server under Wine as the Windows window tests see it: the screen's pixels read back and real
// input sent through tests/wine/xinput.py, a Unix program that Wine starts for the test; small files
// of known pixels for skins.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "TestSystem.h"
#include "common/Polling.h"
#include "common/TempDir.h"

namespace tessaly::test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

inline std::string Hex(std::uint32_t rgb)
{
    char text[8];
    std::snprintf(text, sizeof(text), "%06X", static_cast<unsigned>(rgb & 0xFFFFFF));
    return text;
}

inline bool Near(std::uint32_t a, std::uint32_t b)
{
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (d < -3 || d > 3)
            return false;
    }
    return true;
}

// A 24-bit BMP (GDI+ decodes it like any other image file) painted by `paint` (0xRRGGBB at x, y).
inline void WriteBmp(const fs::path& file, int width, int height, const std::function<std::uint32_t(int, int)>& paint)
{
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    std::string bytes(54 + stride * height, '\0');
    auto put = [&bytes](std::size_t at, std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            bytes[at + i] = static_cast<char>(value >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put(2, static_cast<std::uint32_t>(bytes.size()), 4);
    put(10, 54, 4);  // where the pixels start
    put(14, 40, 4);  // the info header's size
    put(18, width, 4);
    put(22, height, 4);
    put(26, 1, 2);   // planes
    put(28, 24, 2);  // bits a pixel
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)  // rows bottom-up, each pixel blue, green, red
            put(54 + (height - 1 - y) * stride + x * 3, paint(x, y), 3);
    WriteFile(file.string(), bytes);
}

// What the X server shows of a rectangle: rows of blue, green, red, unused bytes.
struct Shot {
    int width = 0;
    std::string bytes;
    std::uint32_t At(POINT p) const
    {
        const std::size_t at = (static_cast<std::size_t>(p.y) * width + p.x) * 4;
        if (at + 3 >= bytes.size())
            return 0xFFFFFFFF;
        const auto byte = [this, at](int i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])); };
        return byte(2) << 16 | byte(1) << 8 | byte(0);
    }
};

// The X server under Wine, reached from its Linux side through tests/wine/xinput.py.
class XServer {
public:
    // Runs the helper's actions (see the script); empty when all were done, else what went wrong.
    static std::string Run(const std::string& actions)
    {
        const fs::path answer = Scratch("result");
        std::wstring command = Widen("xinput.py \"" + UnixPath(answer) + "\" " + actions);
        std::wstring helper = Widen(TESSALY_SOURCE_DIR "/tests/wine/xinput.py");
        std::replace(helper.begin(), helper.end(), L'/', L'\\');
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(helper.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process))
            return "the XTest helper did not start, error " + std::to_string(GetLastError());
        for (HANDLE handle : {process.hProcess, process.hThread})
            if (handle)
                CloseHandle(handle);
        // Wine hands back no handle of a Unix process to wait on: the answer file says it is done.
        if (!WaitUntil([&answer] { return fs::exists(answer); }, 20s))
            return "the XTest helper did not answer";
        const std::string text = ReadFile(answer);
        fs::remove(answer);
        return text == "ok\n" ? std::string() : text;
    }

    // The client area of `window` as the X server shows it; empty bytes when it cannot be read.
    static Shot Client(HWND window)
    {
        POINT origin{0, 0};
        ClientToScreen(window, &origin);
        RECT client{};
        GetClientRect(window, &client);
        const fs::path file = Scratch("shot");
        Shot shot{client.right, {}};
        if (Run("grab " + std::to_string(origin.x) + " " + std::to_string(origin.y) + " " +
                std::to_string(client.right) + " " + std::to_string(client.bottom) + " \"" + UnixPath(file) + "\"")
                .empty())
            shot.bytes = ReadFile(file);
        fs::remove(file);
        return shot;
    }

private:
    // A file name of this process in the test programs' folder, which both sides can name.
    static fs::path Scratch(const char* kind)
    {
        static int serial = 0;
        return fs::path(TESSALY_TEST_BIN_DIR) /
               ("xinput-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial) + "." + kind);
    }
    // Wine shows the Unix root as drive Z:, the form the build hands the tests their folders in.
    static std::string UnixPath(const fs::path& path)
    {
        const std::string text = path.generic_string();
        return text.rfind("Z:", 0) == 0 ? text.substr(2) : text;
    }
    static std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }
};

// " move X Y": the pointer to a point of the client area.
inline std::string MoveTo(HWND window, POINT point)
{
    ClientToScreen(window, &point);
    return " move " + std::to_string(point.x) + " " + std::to_string(point.y);
}

// Waits until the screen shows `colour` at `at` of the client area (Wine hands what the window drew
// to the X server a little later).
inline ::testing::AssertionResult Shows(HWND window, POINT at, std::uint32_t colour)
{
    std::uint32_t seen = 0xFFFFFFFF;
    if (WaitUntil([&] { return Near(seen = XServer::Client(window).At(at), colour); }, 10s))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "at " << at.x << "," << at.y << " the screen shows " << Hex(seen)
                                         << ", not " << Hex(colour);
}

}  // namespace tessaly::test
