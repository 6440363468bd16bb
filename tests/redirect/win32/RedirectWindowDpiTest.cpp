// The redirect window on a screen of 192 DPI (200 %), in a Wine prefix set to it (the label test also
// at 144 DPI, 150 %, where every skin edge is rounded to a device pixel). In a DPI-aware host
// the skin's logical pixels are drawn at twice the size and sharp, labels without a seam, the skin's
// "@2x" images where it ships them; a host thread that is not DPI aware gets the window at 96 DPI (on
// Windows the system stretches it); WM_DPICHANGED, sent when the window moves to a monitor of another
// DPI, makes it again at the new scale.
#include <regex>

#include "RedirectWindowHarness.h"
#include "XServerScreen.h"

namespace tessaly::test {
namespace {

constexpr int kDither = 8;  // the checkerboard swing of the test skin's "@2x" images
constexpr std::uint32_t kBand = 0x3050A0, kBody = 0xE0D0B0, kFace = 0x2040E0;
constexpr std::uint32_t kIconColour = 0x40C040, kCursorColour = 0xC04040, kCursorColour2x = 0x4040C0;

// Reads the client area once the window's thread has painted everything and the X server shows it
// (two readings in a row agree).
Shot Settled(HWND window)
{
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 20000, &ignored);  // the thread is in its loop
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Shot last;
    WaitUntil(
        [&] {
            Shot now = XServer::Client(window);
            const bool same = !now.bytes.empty() && now.bytes == last.bytes;
            last = std::move(now);
            return same;
        },
        20s);
    return last;
}

int Channel(std::uint32_t rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFF); }

// Between the 96 DPI reading and the 192 DPI one reduced by half (2 x 2 blocks averaged): the mean
// absolute difference per channel, and the share of pixels off by more than 48 in a channel.
std::pair<double, double> HalvedAgainst(const Shot& one, const Shot& two, int width, int height)
{
    long long sum = 0, strays = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int worst = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                int half = 0;
                for (int k = 0; k < 4; ++k)
                    half += Channel(two.At({2 * x + k % 2, 2 * y + k / 2}), shift);
                const int diff = std::abs((half + 2) / 4 - Channel(one.At({x, y}), shift));
                sum += diff;
                worst = std::max(worst, diff);
            }
            strays += worst > 48 ? 1 : 0;
        }
    const double pixels = static_cast<double>(width) * height;
    return {static_cast<double>(sum) / (3 * pixels), static_cast<double>(strays) / pixels};
}

int Differing(const Shot& a, const Shot& b, int width, int height)
{
    int count = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            count += a.At({x, y}) != b.At({x, y}) ? 1 : 0;
    return count;
}

SIZE ClientSize(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

// What the system sends when the window moves to a monitor of `dpi`: it asks the window for its size
// there (WM_GETDPISCALEDSIZE), then tells it the new DPI and the place it suggests (WM_DPICHANGED).
// False when the window did not say its size.
bool MoveToMonitorOf(HWND window, int dpi)
{
    RECT suggested{};
    GetWindowRect(window, &suggested);
    SIZE size{};
    const bool answered = SendMessageW(window, 0x02E4, dpi, reinterpret_cast<LPARAM>(&size)) != 0;
    suggested.right = suggested.left + size.cx;
    suggested.bottom = suggested.top + size.cy;
    SendMessageW(window, 0x02E0, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    return answered && size.cx > 640 * dpi / 96 && size.cy > 480 * dpi / 96;
}

// A 32-bit cursor file of one colour.
void WriteCursor(const fs::path& file, int size, std::uint32_t rgb)
{
    std::string bytes;
    auto put = [&bytes](std::uint32_t value, int length) {
        for (int i = 0; i < length; ++i)
            bytes += static_cast<char>(value >> (8 * i));
    };
    const int mask = (size + 31) / 32 * 4 * size;
    put(0, 2), put(2, 2), put(1, 2);                           // a cursor file with one image
    put(size, 1), put(size, 1), put(0, 2), put(1, 2), put(1, 2);  // its size and hot spot
    put(40 + size * size * 4 + mask, 4), put(22, 4);
    put(40, 4), put(size, 4), put(2 * size, 4), put(1, 2), put(32, 2);  // the bitmap's header
    put(0, 4 * 6);
    for (int i = 0; i < size * size; ++i)
        put(0xFF000000u | rgb, 4);
    put(0, mask);  // the AND mask: every pixel shown
    WriteFile(file.string(), bytes);
}

// The colour at the middle of a cursor's or icon's colour bitmap, and its width.
std::pair<std::uint32_t, int> Inspect(HICON icon)
{
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info))
        return {0, 0};
    BITMAP bitmap{};
    GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
    BITMAPINFO request{};
    request.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    request.bmiHeader.biWidth = bitmap.bmWidth;
    request.bmiHeader.biHeight = -bitmap.bmHeight;  // top-down
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(bitmap.bmWidth) * bitmap.bmHeight);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, info.hbmColor, 0, bitmap.bmHeight, pixels.data(), &request, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    const std::size_t middle = pixels.size() / 2 + bitmap.bmWidth / 2;
    return {pixels.empty() ? 0 : pixels[middle] & 0xFFFFFF, bitmap.bmWidth};
}

class HighDpiRedirectWindow : public RedirectWindow {
protected:
    void SetUp() override
    {
        if (!system::UnderWine())
            GTEST_SKIP() << "reads the screen through the X server under Wine";
        HDC screen = GetDC(nullptr);
        m_dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
        ASSERT_GT(m_dpi, 96) << "run in a Wine prefix at a higher DPI (scripts/wine-prepare.sh --dpi 192)";
        RedirectWindow::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_EQ(XServer::Run(" move 0 0"), "") << "the pointer away from the window";
    }

    fs::path Config() const { return m_install->Root() / "Config"; }
    void OnlyAt192()
    {
        if (m_dpi != 192)
            GTEST_SKIP() << "drawn for 192 DPI";
    }

    // Opens the window from a host thread in `dpiContext`, hands it to `look`, and cancels it unless
    // `look` ended it with `result`.
    void WithWindow(HANDLE dpiContext, const std::function<void(HWND)>& look, int result = 2)
    {
        HostSide host(m_redirect, ~0u, dpiContext);
        HWND window = host.Window();
        ASSERT_NE(window, nullptr);
        look(window);
        PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(host.Result(), result);
    }

    Shot Reading(HANDLE dpiContext)
    {
        Shot shot;
        WithWindow(dpiContext, [&shot](HWND window) { shot = Settled(window); });
        return shot;
    }

    int m_dpi = 0;
};

TEST_F(HighDpiRedirectWindow, TheShippedSkinIsTheNinetySixDpiWindowTwiceAsLargeAndFollowsDpiChanges)
{
    OnlyAt192();
    Shot one;
    WithWindow(kDpiUnaware, [&one](HWND window) {
        const SIZE size = ClientSize(window);
        EXPECT_EQ(size.cx, 640) << "a host that is not DPI aware gets the window at 96 DPI";
        EXPECT_EQ(size.cy, 480);
        one = Settled(window);
    });
    WithWindow(kDpiPerMonitorAware, [&one](HWND window) {
        const SIZE size = ClientSize(window);
        ASSERT_EQ(size.cx, 1280);
        ASSERT_EQ(size.cy, 960);
        const Shot two = Settled(window);
        // GDI rasterises the text at each size on its own, so its edges differ a little.
        const auto [mean, strays] = HalvedAgainst(one, two, 640, 480);
        EXPECT_LT(mean, 1.0);
        EXPECT_LT(strays, 0.005);

        EXPECT_TRUE(MoveToMonitorOf(window, 96)) << "the window says its size at the new DPI";
        const SIZE moved = ClientSize(window);
        EXPECT_EQ(moved.cx, 640) << "on a 96 DPI monitor";
        EXPECT_EQ(moved.cy, 480);
        EXPECT_EQ(Differing(Settled(window), one, 640, 480), 0) << "the same as a window made at 96 DPI";
        EXPECT_TRUE(MoveToMonitorOf(window, 192));
        EXPECT_EQ(ClientSize(window).cy, 960) << "back at 192 DPI";
        EXPECT_EQ(Differing(Settled(window), two, 1280, 960), 0) << "the same as a window made at 192 DPI";
    });
}

// The skin's labels with their text blanked and each moved by one logical pixel, so that at 150 %
// their edges fall between device pixels.
std::string BlankAndShift(const std::string& items)
{
    std::string out = std::regex_replace(items, std::regex("Name=\"[^\"]*\""), "Name=\" \"");
    const std::regex pos("Pos=\"(\\d+),(\\d+),");
    std::string shifted;
    auto from = out.cbegin();
    for (std::sregex_iterator it(out.cbegin(), out.cend(), pos), end; it != end; ++it) {
        shifted.append(from, (*it)[0].first);
        const int x = std::stoi((*it)[1]) + 1, y = std::stoi((*it)[2]) + 1;
        shifted += "Pos=\"" + std::to_string(x) + "," + std::to_string(y) + ",";
        from = (*it)[0].second;
    }
    return shifted.append(from, out.cend());
}

// A label with nothing to say must show exactly what the window shows where there is no label.
TEST_F(HighDpiRedirectWindow, ALabelPaintsExactlyTheWindowsBackgroundBehindItsText)
{
    const fs::path xml = Config() / "VomoLoginCfg.xml";
    const std::string shipped = ReadFile(xml);
    const std::regex labels("<LabelItem>[\\s\\S]*</LabelItem>");
    std::smatch found;
    ASSERT_TRUE(std::regex_search(shipped, found, labels));
    WriteFile(xml.string(), found.prefix().str() + BlankAndShift(found.str()) + found.suffix().str());
    const Shot blank = Reading(kDpiPerMonitorAware);
    WriteFile(xml.string(), std::regex_replace(shipped, labels, ""));
    const Shot none = Reading(kDpiPerMonitorAware);
    const int width = 640 * m_dpi / 96, height = 480 * m_dpi / 96;
    ASSERT_EQ(blank.width, width);
    ASSERT_EQ(none.width, width);
    EXPECT_EQ(Differing(blank, none, width, height), 0);
}

TEST_F(HighDpiRedirectWindow, TheSkinsHighResolutionImagesAreShownPixelForPixel)
{
    OnlyAt192();
    WriteFile((Config() / "VomoLoginCfg.xml").string(), R"(<?xml version="1.0" encoding="UTF-8"?>
<TessalyConfig><CommonWindow><PreLoginFromInternetInfo>
  <WindowInfo>
    <Item ItemID="Title" Data="Tessaly Sign-in Helper"/>
    <Item ItemID="BackBmp" Data="hd\back.bmp"/>
    <Item ItemID="Icon" Data="hd\icon.bmp"/>
    <Item ItemID="SheetSize" Data="300,200"/>
  </WindowInfo>
  <PosInfo><Item ItemID="ITEM1" Pos="10,150,280,40"/></PosInfo>
  <DynamicInfo>
    <LabelItem><Item Name=" " Pos="10,10,100,50" Cursor="hd\pointer.cur"/></LabelItem>
    <ButtonItem><Item ID="IDYES" Pos="150,60,70,30" Out="hd\face.bmp" In="hd\face.bmp" Select="hd\face.bmp"/></ButtonItem>
  </DynamicInfo>
</PreLoginFromInternetInfo></CommonWindow></TessalyConfig>
)");
    const fs::path hd = Config() / "hd";
    fs::create_directories(hd);
    auto pair = [&hd](const char* name, int width, int height, const std::function<std::uint32_t(int, int)>& paint) {
        WriteBmp(hd / (std::string(name) + ".bmp"), width, height, paint);
        WriteBmp(hd / (std::string(name) + "@2x.bmp"), 2 * width, 2 * height, [&paint](int x, int y) {
            const std::uint32_t swing = (x + y) % 2 ? 0 : 2 * kDither;
            return paint(x / 2, y / 2) - kDither * 0x010101 + swing * 0x010101;
        });
    };
    pair("back", 300, 200, [](int, int y) { return y < 40 ? kBand : kBody; });
    pair("face", 70, 30, [](int, int) { return kFace; });
    WriteBmp(hd / "icon.bmp", 32, 32, [](int, int) { return kIconColour; });
    WriteBmp(hd / "icon@2x.bmp", 64, 64, [](int, int) { return kIconColour; });
    WriteCursor(hd / "pointer.cur", 32, kCursorColour);
    WriteCursor(hd / "pointer@2x.cur", 64, kCursorColour2x);

    const Shot one = Reading(kDpiUnaware);  // 96 DPI: the base files
    WithWindow(kDpiPerMonitorAware, [&one](HWND window) {
        ASSERT_EQ(ClientSize(window).cx, 600);
        const Shot shot = Settled(window);
        // The companions average back to their base files exactly, and there is no text to differ.
        const auto [mean, strays] = HalvedAgainst(one, shot, 300, 200);
        EXPECT_LT(mean, 0.01);
        EXPECT_EQ(strays, 0.0);
        for (POINT at : {POINT{200, 240}, POINT{2 * 160, 2 * 70}}) {
            const int swing = Channel(shot.At(at), 8) - Channel(shot.At({at.x + 1, at.y}), 8);
            EXPECT_EQ(std::abs(swing), 2 * kDither) << "the companion's checkerboard at " << at.x << "," << at.y;
        }
        EXPECT_EQ(Hex(shot.At({2 * 160, 2 * 70})), Hex(kFace - kDither * 0x010101 + 2 * kDither * 0x010101))
            << "the face's companion as it is, not resampled";
        const auto icon = Inspect(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0)));
        EXPECT_EQ(icon.second, 64) << "the icon's companion";
        ASSERT_EQ(XServer::Run(MoveTo(window, {2 * 50, 2 * 30})), "");
        CURSORINFO cursor{};
        cursor.cbSize = sizeof(cursor);
        EXPECT_TRUE(WaitUntil(
            [&] { return GetCursorInfo(&cursor) && Inspect(cursor.hCursor).first == kCursorColour2x; }, 5s))
            << "the cursor's companion over the label";
        // The button is 140 x 60 device pixels; a press and release at 120, 40 of it are inside it only
        // when read as logical pixels.
        ASSERT_EQ(XServer::Run(MoveTo(window, {2 * 150 + 120, 2 * 60 + 40}) + " down"), "");
        std::this_thread::sleep_for(300ms);
        ASSERT_EQ(XServer::Run(" up"), "");
    }, 6);  // IDYES
}

}  // namespace
}  // namespace tessaly::test
