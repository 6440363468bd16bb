#pragma once
// Helpers of the user-interface tests (of the GTK backend): PNG files drawn on the spot, pixel reads
// from cairo image surfaces, and the GTK widgets behind the shared controls and dialogs.
#include <cairo.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "common/CommandRun.h"
#include "common/TempDir.h"
#include "toolkit/gtk/GuiHandles.h"
#include "toolkit/gtk/ImageHelpers.h"
#include "controls/CSkinWidget.h"
#include "controls/SkinColor.h"
#include "skin/CZelCommonDlg.h"
#include "toolkit/gtk/CairoCanvas.h"
#include "toolkit/gtk/GtkControlView.h"
#include "toolkit/gtk/GtkDialogWindow.h"
#include "toolkit/gtk/GtkTypes.h"

namespace tessaly::test {

struct Pixel {
    unsigned r = 0, g = 0, b = 0, a = 0;
    ZelColor Color() const { return MakeZelColor(r, g, b); }
    bool operator==(const Pixel&) const = default;
};

inline Pixel PixelAt(cairo_surface_t* surface, int x, int y)
{
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const std::uint32_t v = *reinterpret_cast<const std::uint32_t*>(data + y * stride + x * 4);
    return Pixel{(v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF, v >> 24};
}

inline ZelColor ColorAt(cairo_surface_t* surface, int x, int y) { return PixelAt(surface, x, y).Color(); }

// Counts the pixels for which `match` holds.
inline int CountPixels(cairo_surface_t* surface, const std::function<bool(const Pixel&)>& match)
{
    int count = 0;
    for (int y = 0; y < cairo_image_surface_get_height(surface); ++y)
        for (int x = 0; x < cairo_image_surface_get_width(surface); ++x)
            count += match(PixelAt(surface, x, y)) ? 1 : 0;
    return count;
}

// A temporary folder that can also hold PNG files drawn on the spot.
class ImageFolder : public TempDir {
public:
    // A PNG of width x height; `paint` receives x, y and returns 0xAARRGGBB (non-premultiplied).
    std::u16string Png(const std::string& name, int width, int height,
                       const std::function<std::uint32_t(int, int)>& paint) const
    {
        std::filesystem::create_directories(std::filesystem::path(file(name)).parent_path());
        SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
        unsigned char* data = cairo_image_surface_get_data(surface.get());
        const int stride = cairo_image_surface_get_stride(surface.get());
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const std::uint32_t argb = paint(x, y);
                const unsigned a = argb >> 24;
                auto pre = [a](unsigned c) { return c * a / 255; };
                *reinterpret_cast<std::uint32_t*>(data + y * stride + x * 4) =
                    (a << 24) | (pre((argb >> 16) & 0xFF) << 16) | (pre((argb >> 8) & 0xFF) << 8) | pre(argb & 0xFF);
            }
        cairo_surface_mark_dirty(surface.get());
        cairo_surface_write_to_png(surface.get(), file(name).c_str());
        return wide(name);
    }

    std::u16string SolidPng(const std::string& name, int width, int height, std::uint32_t rgb) const
    {
        return Png(name, width, height, [rgb](int, int) { return 0xFF000000u | rgb; });
    }
};

// The widget of a control's view; null before Create.
inline GtkWidget* Widget(const CSkinWidget& control)
{
    auto* view = dynamic_cast<toolkit::GtkControlView*>(control.View());
    return view ? view->Widget() : nullptr;
}

inline toolkit::GtkDialogWindow* GtkWindowOf(const CZelCommonDlg& dialog)
{
    return dynamic_cast<toolkit::GtkDialogWindow*>(dialog.Window());
}

// The dialog's toplevel, its client area (a GtkFixed) and a template control; null without a window.
inline GtkWidget* Toplevel(const CZelCommonDlg& dialog)
{
    auto* window = GtkWindowOf(dialog);
    return window ? window->Window() : nullptr;
}

inline GtkWidget* Client(const CZelCommonDlg& dialog)
{
    auto* window = GtkWindowOf(dialog);
    return window ? window->ClientWidget() : nullptr;
}

inline GtkWidget* Slot(const CZelCommonDlg& dialog, int id)
{
    auto* window = GtkWindowOf(dialog);
    return window ? window->TemplateWidget(id) : nullptr;
}

// An image sharing the surface (a reference of its own), for handing test surfaces to the controls.
inline toolkit::Image Shared(cairo_surface_t* surface)
{
    return toolkit::WrapSurface(SurfacePtr(surface ? cairo_surface_reference(surface) : nullptr));
}

inline toolkit::Image Shared(const SurfacePtr& surface) { return Shared(surface.get()); }

// Paints a control (or renders a dialog's client area) onto a cairo context.
inline void Paint(CSkinWidget& control, cairo_t* cr, int width, int height)
{
    toolkit::CairoCanvas canvas(cr);
    control.Paint(canvas, width, height);
}

inline void RenderClient(CZelCommonDlg& dialog, cairo_t* cr)
{
    toolkit::CairoCanvas canvas(cr);
    dialog.RenderClient(canvas);
}

// 0xRRGGBB as written in the PNG helpers, as the skin's colour value.
constexpr ZelColor FromRgb(std::uint32_t rgb) { return MakeZelColor(rgb >> 16, rgb >> 8, rgb); }

}  // namespace tessaly::test
