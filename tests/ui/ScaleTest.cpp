// The skinned window on high-resolution screens: the shipped skin, and a copy that ships "@2x"
// companions, shown at GDK's window scale 1 and 2 (switched on the X11 display) and read back from the
// screen. The scale-2 window reduced by half must look like the scale-1 window, and across every
// label's edge the screen must show exactly the window's background pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "config/ConfigSection.h"
#include "controls/CLabel.h"
#include "support/WideText.h"
#include "ui/SkinSectionDlg.h"
#include "ui/UiTestSupport.h"
#include "ui/XInput.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

constexpr int kDither = 8;  // the @2x test images' checkerboard swing around their base pixels

// The shipped skin's window section, made the way the library makes it.
class SkinDlg : public test::SkinSectionDlg {
public:
    explicit SkinDlg(std::u16string file) : SkinSectionDlg(std::move(file), u"PreLoginFromInternetInfo") {}
};

void SetScale(int scale)
{
    gdk_x11_display_set_window_scale(gdk_display_get_default(), scale);
    test::Pump();
}

// What the screen shows of the window's client area, in device pixels.
SurfacePtr Capture(GtkWidget* toplevel)
{
    GdkWindow* window = gtk_widget_get_window(toplevel);
    const PixbufPtr shot = AdoptObject(
        gdk_pixbuf_get_from_window(window, 0, 0, gdk_window_get_width(window), gdk_window_get_height(window)));
    return SurfacePtr(shot ? gdk_cairo_surface_create_from_pixbuf(shot.get(), 1, nullptr) : nullptr);
}

int Width(const SurfacePtr& s) { return cairo_image_surface_get_width(s.get()); }
int Height(const SurfacePtr& s) { return cairo_image_surface_get_height(s.get()); }

bool Same(const SurfacePtr& a, const SurfacePtr& b)
{
    if (!a || !b || Width(a) != Width(b) || Height(a) != Height(b))
        return false;
    for (int y = 0; y < Height(a); ++y)
        for (int x = 0; x < Width(a); ++x)
            if (test::ColorAt(a.get(), x, y) != test::ColorAt(b.get(), x, y))
                return false;
    return true;
}

// Shows the window and reads it back once two readings in a row agree (it has been drawn).
SurfacePtr Show(CZelCommonDlg& dlg)
{
    GtkWidget* toplevel = test::Toplevel(dlg);
    gtk_widget_show(toplevel);
    SurfacePtr last;
    test::PumpUntil([&] {
        if (!gtk_widget_get_mapped(toplevel))
            return false;
        SurfacePtr now = Capture(toplevel);
        const bool settled = Same(now, last);
        last = std::move(now);
        return settled;
    });
    return last;
}

// The shipped folder with an "@2x" companion of every skin image: the base image at twice the size,
// each pixel's block dithered by +-kDither in a checkerboard, so that the companion shows at scale 2
// and averages back to its base exactly. Magenta (transparent in strips) stays as it is. The cursor
// and the icon get a plain companion of their own.
void AddCompanions(const fs::path& skin)
{
    for (const auto& entry : fs::directory_iterator(skin)) {
        if (entry.path().extension() != ".png")
            continue;
        const SurfacePtr base(cairo_image_surface_create_from_png(entry.path().c_str()));
        const int w = Width(base), h = Height(base);
        SurfacePtr twice(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 2 * w, 2 * h));
        auto* out = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(twice.get()));
        const int stride = cairo_image_surface_get_stride(twice.get()) / 4;
        for (int y = 0; y < 2 * h; ++y)
            for (int x = 0; x < 2 * w; ++x) {
                const test::Pixel p = test::PixelAt(base.get(), x / 2, y / 2);
                const int swing = (x + y) % 2 ? -kDither : kDither;
                const bool dither = p.a == 255 && !(p.r == 255 && p.g == 0 && p.b == 255);
                auto channel = [&](unsigned c) {
                    const int v = static_cast<int>(c);
                    return static_cast<std::uint32_t>(dither && v >= kDither && v <= 255 - kDither ? v + swing : v);
                };
                out[y * stride + x] = (p.a << 24) | (channel(p.r) << 16) | (channel(p.g) << 8) | channel(p.b);
            }
        cairo_surface_mark_dirty(twice.get());
        const fs::path name = skin / (entry.path().stem().string() + "@2x.png");
        cairo_surface_write_to_png(twice.get(), name.c_str());
    }
    test::ImageFolder pngs;
    pngs.SolidPng("cursor.png", 64, 64, 0x2A6DB5);
    pngs.SolidPng("icon.png", 96, 96, 0x4FB3E8);
    fs::copy_file(pngs.file("cursor.png"), skin / "busy@2x.cur");
    fs::copy_file(pngs.file("icon.png"), skin / "tessaly@2x.ico");
}

// Mean absolute difference per channel and the share of pixels differing by more than 48 in any
// channel, between the scale-1 image and the scale-2 image reduced by half (2 x 2 blocks averaged).
struct Difference {
    double mean = 0;
    double strayShare = 0;
};

Difference HalvedAgainst(const SurfacePtr& one, const SurfacePtr& two)
{
    Difference d;
    long long sum = 0, strays = 0;
    const int w = Width(one), h = Height(one);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned half[3] = {0, 0, 0};
            for (int k = 0; k < 4; ++k) {
                const test::Pixel p = test::PixelAt(two.get(), 2 * x + k % 2, 2 * y + k / 2);
                half[0] += p.r, half[1] += p.g, half[2] += p.b;
            }
            const test::Pixel p = test::PixelAt(one.get(), x, y);
            const unsigned base[3] = {p.r, p.g, p.b};
            int worst = 0;
            for (int c = 0; c < 3; ++c) {
                const int diff = std::abs(static_cast<int>((half[c] + 2) / 4) - static_cast<int>(base[c]));
                sum += diff;
                worst = std::max(worst, diff);
            }
            strays += worst > 48 ? 1 : 0;
        }
    d.mean = static_cast<double>(sum) / (3.0 * w * h);
    d.strayShare = static_cast<double>(strays) / (static_cast<double>(w) * h);
    return d;
}

// Pixels of a band `reach` logical pixels wide on both sides of each edge of every label, where the
// screen differs from the window's background; the label's own text and images (where its painting
// differs from its snapshot) are left out.
int SeamPixels(CZelCommonDlg& dlg, const SurfacePtr& shot, int scale, int reach = 3)
{
    cairo_surface_t* back = toolkit::SurfaceOf(dlg.Background());
    int seams = 0;
    for (DynamicItem& item : dlg.Config().LabelItems()) {
        auto* label = dynamic_cast<CLabel*>(item.pCtrl.get());
        const ZelRect r = label->Rect();
        SurfacePtr painted = MakeScaledSurface(r.Width(), r.Height(), scale);
        {
            CairoPtr cr(cairo_create(painted.get()));
            test::Paint(*label, cr.get(), r.Width(), r.Height());
        }
        cairo_surface_t* snapshot = toolkit::SurfaceOf(label->m_bmpBack);
        for (int y = (r.top - reach) * scale; y < (r.bottom + reach) * scale; ++y)
            for (int x = (r.left - reach) * scale; x < (r.right + reach) * scale; ++x) {
                const bool inside = x >= r.left * scale && x < r.right * scale && y >= r.top * scale && y < r.bottom * scale;
                const bool deep = x >= (r.left + reach) * scale && x < (r.right - reach) * scale &&
                                  y >= (r.top + reach) * scale && y < (r.bottom - reach) * scale;
                if (deep || x < 0 || y < 0 || x >= Width(shot) || y >= Height(shot))
                    continue;
                const int lx = x - r.left * scale, ly = y - r.top * scale;
                if (inside && test::ColorAt(painted.get(), lx, ly) != test::ColorAt(snapshot, lx, ly))
                    continue;  // the label's text
                seams += test::ColorAt(shot.get(), x, y) != test::ColorAt(back, x, y) ? 1 : 0;
            }
    }
    return seams;
}

class HighResolution : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(EnsureUserInterface()) << "these tests need a display";
        if (!test::HasX11Input())
            GTEST_SKIP() << "the window scale is switched on an X11 display";
    }
    void TearDown() override
    {
        if (test::HasX11Input())
            SetScale(1);
    }

    // Shows the skin of `config` at scale 1, then switches the open window to scale 2, and checks the
    // label edges at both scales, the two against each other, and the switched window against one
    // made at scale 2. Returns the scale-2 window's reading; `check` looks at the switched dialog.
    SurfacePtr ShowAtBothScales(const std::string& config, const std::function<void(SkinDlg&)>& check = {})
    {
        const std::u16string file = FromUtf8(config + "/VomoLoginCfg.xml");
        SetScale(1);
        SurfacePtr one, two;
        {
            SkinDlg dlg(file);
            EXPECT_TRUE(dlg.Create());
            one = Show(dlg);
            EXPECT_EQ(SeamPixels(dlg, one, 1), 0);
            SetScale(2);
            two = Show(dlg);
            EXPECT_EQ(dlg.ScaleFactor(), 2);
            EXPECT_EQ(dlg.Background().Scale(), 2) << "the background is made again at the new scale";
            EXPECT_EQ(SeamPixels(dlg, two, 2), 0) << "the labels show a box";
            if (check)
                check(dlg);
        }
        if (!one || !two || Width(two) != 1280 || Height(two) != 960) {
            ADD_FAILURE() << "the window is not 640 x 480 at scale 1 and 1280 x 960 at scale 2";
            return nullptr;
        }
        // Text is laid out alike but rasterised at each resolution, so its edges differ a little (the
        // shipped skin: a mean of 0.3 and a handful of stray pixels); the boxes around the labels of
        // scale-1 snapshots pushed the mean to 0.58.
        const Difference d = HalvedAgainst(one, two);
        EXPECT_LT(d.mean, 0.5);
        EXPECT_LT(d.strayShare, 0.001);
        SkinDlg made(file);
        EXPECT_TRUE(made.Create());
        EXPECT_TRUE(Same(Show(made), two)) << "a window made at scale 2 looks like one switched to it";
        return two;
    }
};

TEST_F(HighResolution, TheShippedSkinAtScaleTwoIsTheScaleOneWindowTwiceAsLargeWithoutSeams)
{
    ShowAtBothScales(TESSALY_OUT_DIR "/Config");
}

TEST_F(HighResolution, CompanionsAreShownAtScaleTwoPixelForPixel)
{
    test::ImageFolder dir;
    fs::copy(TESSALY_OUT_DIR "/Config", dir.file("Config"), fs::copy_options::recursive);
    AddCompanions(dir.file("Config/skin"));
    const SurfacePtr shot = ShowAtBothScales(dir.file("Config"), [](SkinDlg& dlg) {
        GList* icons = gtk_window_get_icon_list(GTK_WINDOW(test::Toplevel(dlg)));
        EXPECT_EQ(g_list_length(icons), 2u) << "the icon and its companion";
        g_list_free(icons);
        auto* status = dynamic_cast<CLabel*>(dlg.Config().LabelItems()[1].pCtrl.get());
        GdkCursor* shown = gdk_window_get_cursor(gtk_widget_get_window(test::Widget(*status)));
        EXPECT_NE(shown, toolkit::CursorOf(status->m_hCursor, 1));
        EXPECT_EQ(shown, toolkit::CursorOf(status->m_hCursor, 2)) << "the cursor's companion";
    });
    ASSERT_TRUE(shot);
    // The body of the background shows the companion's checkerboard, not its base scaled up.
    const test::Pixel a = test::PixelAt(shot.get(), 600, 900), b = test::PixelAt(shot.get(), 601, 900);
    EXPECT_EQ(std::abs(static_cast<int>(a.g) - static_cast<int>(b.g)), 2 * kDither);
    // The Cancel button's face (528,438, 96 x 30, its face file's own size) is the companion's pixels
    // as they are: left of its text and inside its focus mark, pixel for pixel.
    const SurfacePtr face(cairo_image_surface_create_from_png(dir.file("Config/skin/button_normal@2x.png").c_str()));
    int differing = 0;
    for (int y = 8; y < 52; ++y)
        for (int x = 8; x < 40; ++x)
            differing += test::ColorAt(shot.get(), 2 * 528 + x, 2 * 438 + y) != test::ColorAt(face.get(), x, y);
    EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace tessaly
