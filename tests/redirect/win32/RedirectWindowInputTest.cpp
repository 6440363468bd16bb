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
#include "XServerScreen.h"
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
