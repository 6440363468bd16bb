// The redirect window as a user meets it under Wine: a skin of known solid colours whose pixels are
// read back from the X server at sample points, and real pointer and key input sent through the X
// server's XTest extension. Both go through tests/wine/xinput.py, a Unix program that Wine starts
// for the test. On Windows itself there is no such server, and these tests skip.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "RedirectWindowHarness.h"
#include "TestSystem.h"
#include "common/TempDir.h"

namespace tessaly::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The test skin's colours, 0xRRGGBB.
constexpr std::uint32_t kBand = 0x3050A0, kBody = 0xE0D0B0, kPicture = 0x20C040, kText = 0xC02020;
constexpr std::uint32_t kNormal = 0x2040FF, kHover = 0x20C0C0, kPressed = 0xFF8000, kDisabled = 0x808080;
constexpr std::uint32_t kBlack = 0x000000;

// Where the skin puts things in the client area. The skin has no way to disable a button, and the
// redirect window disables none, so the disabled face is drawn (kDisabled) but never shown.
constexpr int kSheetWidth = 360, kSheetHeight = 240, kCaptionHeight = 40;
constexpr POINT kBandSpot{150, 20}, kPictureSpot{312, 20}, kBodySpot{100, 130}, kCorner{355, 235};
constexpr RECT kLabel{10, 50, 160, 110}, kYes{180, 60, 250, 90}, kNo{270, 60, 340, 90};

constexpr char kSkin[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<TessalyConfig><CommonWindow><PreLoginFromInternetInfo>
  <WindowInfo>
    <Item ItemID="Title" Data="Tessaly Sign-in Helper"/>
    <Item ItemID="BackBmp" Data="test\back.bmp"/>
    <Item ItemID="SheetSize" Data="360,240"/>
    <Item ItemID="CaptionHeight" Data="40"/>
  </WindowInfo>
  <PosInfo><Item ItemID="ITEM1" Pos="10,150,340,80"/></PosInfo>
  <DynamicInfo>
    <LabelItem><Item Name="MMM" Pos="10,50,150,60" FontSize="48" FontWeight="900" FontColor="2020C0"/></LabelItem>
    <ButtonItem>
      <Item ID="IDYES" Pos="180,60,70,30" DrawFocus="1" Out="test\n.bmp" In="test\h.bmp" Select="test\p.bmp" Disable="test\d.bmp"/>
      <Item ID="IDNO" Pos="270,60,70,30" Out="test\n.bmp" In="test\h.bmp" Select="test\p.bmp" Disable="test\d.bmp"/>
    </ButtonItem>
    <PictureItem><Item Pos="300,8,24,24" Out="test\picture.bmp"/></PictureItem>
  </DynamicInfo>
</PreLoginFromInternetInfo></CommonWindow></TessalyConfig>
)";

POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

std::string Hex(std::uint32_t rgb)
{
    char text[8];
    std::snprintf(text, sizeof(text), "%06X", static_cast<unsigned>(rgb & 0xFFFFFF));
    return text;
}

bool Near(std::uint32_t a, std::uint32_t b)
{
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (d < -3 || d > 3)
            return false;
    }
    return true;
}

// A 24-bit BMP (GDI+ decodes it like any other image file) painted by `paint` (0xRRGGBB at x, y).
void WriteBmp(const fs::path& file, int width, int height, const std::function<std::uint32_t(int, int)>& paint)
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
std::string MoveTo(HWND window, POINT point)
{
    ClientToScreen(window, &point);
    return " move " + std::to_string(point.x) + " " + std::to_string(point.y);
}

// Waits until the screen shows `colour` at `at` of the client area (Wine hands what the window drew
// to the X server a little later).
::testing::AssertionResult Shows(HWND window, POINT at, std::uint32_t colour)
{
    std::uint32_t seen = 0xFFFFFFFF;
    if (WaitUntil([&] { return Near(seen = XServer::Client(window).At(at), colour); }, 10s))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "at " << at.x << "," << at.y << " the screen shows " << Hex(seen)
                                         << ", not " << Hex(colour);
}

// The window that has the keyboard focus on the window's thread.
HWND FocusOf(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

class SkinnedRedirectWindow : public RedirectWindow {
protected:
    void SetUp() override
    {
        if (!system::UnderWine())
            GTEST_SKIP() << "needs the X server under Wine";
        RedirectWindow::SetUp();
        if (HasFatalFailure())
            return;
        const fs::path config = m_install->Root() / "Config";
        fs::create_directories(config / "test");
        WriteFile((config / "VomoLoginCfg.xml").string(), kSkin);
        WriteBmp(config / "test" / "back.bmp", kSheetWidth, kSheetHeight,
                 [](int, int y) { return y < kCaptionHeight ? kBand : kBody; });
        WriteBmp(config / "test" / "picture.bmp", 24, 24, [](int, int) { return kPicture; });
        for (auto [name, colour] : {std::pair{"n", kNormal}, {"h", kHover}, {"p", kPressed}, {"d", kDisabled}})
            WriteBmp(config / "test" / (std::string(name) + ".bmp"), 8, 8, [colour](int, int) { return colour; });
    }

    // Starts Redirect and waits for its window, with the pointer parked on the bare background.
    HWND Open(HostSide& host)
    {
        HWND window = host.Window();
        if (window) {
            EXPECT_EQ(XServer::Run(MoveTo(window, kBodySpot)), "");
        }
        return window;
    }
};

TEST_F(SkinnedRedirectWindow, ShowsTheSkinsColoursInEveryButtonStateAndAClickActsOnRelease)
{
    HostSide host(m_redirect, ~0u);
    HWND window = Open(host);
    ASSERT_NE(window, nullptr);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, kSheetWidth);
    EXPECT_EQ(client.bottom, kSheetHeight);

    ASSERT_TRUE(Shows(window, Centre(kYes), kNormal));
    const Shot shot = XServer::Client(window);
    EXPECT_EQ(Hex(shot.At(kBandSpot)), Hex(kBand));
    EXPECT_EQ(Hex(shot.At(kBodySpot)), Hex(kBody));
    EXPECT_EQ(Hex(shot.At(kCorner)), Hex(kBody));
    EXPECT_EQ(Hex(shot.At(kPictureSpot)), Hex(kPicture));
    EXPECT_EQ(Hex(shot.At(Centre(kNo))), Hex(kNormal));
    int text = 0, labelBackground = 0;
    for (int y = kLabel.top; y < kLabel.bottom; ++y)
        for (int x = kLabel.left; x < kLabel.right; ++x) {
            text += Near(shot.At({x, y}), kText) ? 1 : 0;
            labelBackground += Near(shot.At({x, y}), kBody) ? 1 : 0;
        }
    EXPECT_GT(text, 100) << "the label's text in its colour";
    EXPECT_GT(labelBackground, 100) << "the background behind the label's text";

    ASSERT_EQ(XServer::Run(MoveTo(window, Centre(kYes))), "");
    EXPECT_TRUE(Shows(window, Centre(kYes), kHover)) << "under the pointer";
    EXPECT_TRUE(Shows(window, Centre(kNo), kNormal));
    ASSERT_EQ(XServer::Run(MoveTo(window, Centre(kNo))), "");
    EXPECT_TRUE(Shows(window, Centre(kNo), kHover));
    EXPECT_TRUE(Shows(window, Centre(kYes), kNormal)) << "the pointer left it";

    ASSERT_EQ(XServer::Run(MoveTo(window, Centre(kYes)) + " down"), "");
    EXPECT_TRUE(Shows(window, Centre(kYes), kPressed)) << "while held";
    ASSERT_EQ(XServer::Run(MoveTo(window, kBodySpot)), "");
    EXPECT_TRUE(Shows(window, Centre(kYes), kNormal)) << "held, but the pointer is outside";
    ASSERT_EQ(XServer::Run(" up"), "");
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(host.Running()) << "a release outside the button is no click";

    ASSERT_EQ(XServer::Run(MoveTo(window, Centre(kYes)) + " down"), "");
    EXPECT_TRUE(Shows(window, Centre(kYes), kPressed));
    EXPECT_TRUE(host.Running()) << "the press alone does nothing";
    ASSERT_EQ(XServer::Run(" up"), "");
    EXPECT_EQ(host.Result(), 6) << "the release runs IDYES";
}

TEST_F(SkinnedRedirectWindow, DraggingTheBandOrAPictureMovesTheWindowAndEscapeCancels)
{
    HostSide host(m_redirect, ~0u);
    HWND window = Open(host);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(Shows(window, kPictureSpot, kPicture));
    for (POINT spot : {kBandSpot, kPictureSpot}) {
        RECT before{};
        GetWindowRect(window, &before);
        POINT start = spot;
        ClientToScreen(window, &start);
        auto move = [&start](int dx, int dy) {
            return " move " + std::to_string(start.x + dx) + " " + std::to_string(start.y + dy);
        };
        ASSERT_EQ(XServer::Run(move(0, 0) + " down" + move(10, 5) + move(40, 30) + " up"), "");
        RECT after{};
        EXPECT_TRUE(WaitUntil(
            [&] {
                GetWindowRect(window, &after);
                return after.left == before.left + 40 && after.top == before.top + 30;
            },
            10s))
            << "dragged at " << spot.x << "," << spot.y << ": moved by " << after.left - before.left << ","
            << after.top - before.top;
    }
    EXPECT_TRUE(host.Running());
    ASSERT_EQ(XServer::Run(MoveTo(window, kBodySpot) + " tap Escape"), "");
    EXPECT_EQ(host.Result(), 2);
}

TEST_F(SkinnedRedirectWindow, TabFollowsTheOrderTheButtonsWereMadeInWithAFocusMarkAndSpaceActsOnRelease)
{
    HostSide host(m_redirect, ~0u);
    HWND window = Open(host);
    ASSERT_NE(window, nullptr);
    HWND yes = ChildWindowFromPointEx(window, Centre(kYes), CWP_SKIPINVISIBLE);
    HWND no = ChildWindowFromPointEx(window, Centre(kNo), CWP_SKIPINVISIBLE);
    ASSERT_NE(yes, window);
    ASSERT_NE(no, window);
    const POINT yesMark{kYes.left + 3, kYes.top + 3}, noMark{kNo.left + 3, kNo.top + 3};
    ASSERT_TRUE(Shows(window, yesMark, kNormal)) << "no focus mark before the button has the focus";

    // The browser holds the focus first; Tab reaches the first button within a few presses.
    bool reached = false;
    for (int press = 0; press < 4 && !reached; ++press) {
        ASSERT_EQ(XServer::Run(" tap Tab"), "");
        reached = WaitUntil([&] { return FocusOf(window) == yes; }, 2s);
    }
    ASSERT_TRUE(reached) << "Tab never reached the first button";
    EXPECT_TRUE(Shows(window, yesMark, kBlack)) << "the focus mark of a button with DrawFocus";
    ASSERT_EQ(XServer::Run(" tap Tab"), "");
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(window) == no; }, 5s)) << "the next button made";
    EXPECT_TRUE(Shows(window, yesMark, kNormal)) << "the mark went with the focus";
    EXPECT_TRUE(Shows(window, noMark, kNormal)) << "a button without DrawFocus shows none";

    ASSERT_EQ(XServer::Run(" keydown space"), "");
    EXPECT_TRUE(Shows(window, Centre(kNo), kPressed)) << "while Space is held";
    EXPECT_TRUE(host.Running()) << "the press alone does nothing";
    ASSERT_EQ(XServer::Run(" keyup space"), "");
    EXPECT_EQ(host.Result(), 7) << "the release runs IDNO";
}

}  // namespace
}  // namespace tessaly::test
