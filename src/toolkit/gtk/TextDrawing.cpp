#include "toolkit/gtk/TextDrawing.h"

#include <pango/pangocairo.h>

#include <algorithm>

#include "toolkit/gtk/GuiHandles.h"
#include "platform/FilePaths.h"
#include "support/WideText.h"

namespace tessaly {
namespace {

// Grey-scale antialiasing without hinting keeps rendering identical on every display and in tests.
void UseStableFontOptions(PangoLayout* layout)
{
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    pango_cairo_context_set_font_options(pango_layout_get_context(layout), options);
    cairo_font_options_destroy(options);
    pango_layout_context_changed(layout);
}

LayoutPtr MakeLayout(cairo_t* cr, std::u16string_view text, const PangoFontDescription* font, bool underline)
{
    LayoutPtr layout = AdoptObject(pango_cairo_create_layout(cr));
    UseStableFontOptions(layout.get());
    if (font)
        pango_layout_set_font_description(layout.get(), font);
    const std::string utf8 = ToUtf8(text);
    pango_layout_set_text(layout.get(), utf8.c_str(), static_cast<int>(utf8.size()));
    if (underline) {
        AttrListPtr attrs(pango_attr_list_new());
        pango_attr_list_insert(attrs.get(), pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
        pango_layout_set_attributes(layout.get(), attrs.get());
    }
    return layout;
}

// Line breaks and the width a layout wraps at follow the flags: one line ignores breaks entirely,
// word breaking wraps at the rectangle's width, otherwise only the text's own breaks count.
void ApplyWrapping(PangoLayout* layout, int width, std::uint32_t format)
{
    if (format & textformat::kSingleLine) {
        pango_layout_set_single_paragraph_mode(layout, TRUE);
        pango_layout_set_width(layout, -1);
    } else if (format & textformat::kWordBreak) {
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
        pango_layout_set_width(layout, std::max(width, 1) * PANGO_SCALE);
    } else {
        pango_layout_set_width(layout, -1);
    }
}

}  // namespace

std::string FileSystemName(std::u16string_view path)
{
    return ToUtf8(platform::NativeRelativePath(path));
}

void DrawTextInRect(cairo_t* cr, std::u16string_view text, const PangoFontDescription* font, bool underline,
                    const ZelRect& rect, std::uint32_t format, ZelColor color)
{
    if (text.empty() || !cr)
        return;
    LayoutPtr layout = MakeLayout(cr, text, font, underline);
    ApplyWrapping(layout.get(), rect.Width(), format);

    PangoRectangle logical{};
    pango_layout_get_pixel_extents(layout.get(), nullptr, &logical);
    const bool wrapped = pango_layout_get_width(layout.get()) > 0;
    if (wrapped)
        pango_layout_set_alignment(layout.get(), (format & textformat::kCenter)  ? PANGO_ALIGN_CENTER
                                                 : (format & textformat::kRight) ? PANGO_ALIGN_RIGHT
                                                                                 : PANGO_ALIGN_LEFT);
    int x = rect.left;
    if (!wrapped && (format & textformat::kCenter))
        x += (rect.Width() - logical.width) / 2;
    else if (!wrapped && (format & textformat::kRight))
        x += rect.Width() - logical.width;
    int y = rect.top;
    if (format & textformat::kSingleLine) {
        if (format & textformat::kVCenter)
            y += (rect.Height() - logical.height) / 2;
        else if (format & textformat::kBottom)
            y += rect.Height() - logical.height;
    }

    cairo_save(cr);
    if (!(format & textformat::kNoClip)) {
        cairo_rectangle(cr, rect.left, rect.top, rect.Width(), rect.Height());
        cairo_clip(cr);
    }
    SetSourceZelColor(cr, color);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout.get());
    cairo_restore(cr);
}

void MeasureTextRect(std::u16string_view text, int width, ZelRect* rect, const PangoFontDescription* font,
                     cairo_t* cr)
{
    if (!rect)
        return;
    *rect = ZelRect{0, 0, width, 0};
    SurfacePtr scratch;
    CairoPtr scratchCr;
    if (!cr) {
        scratch.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
        scratchCr.reset(cairo_create(scratch.get()));
        cr = scratchCr.get();
    }
    if (text.empty())
        return;
    LayoutPtr layout = MakeLayout(cr, text, font, false);
    ApplyWrapping(layout.get(), width, textformat::kWordBreak);
    PangoRectangle logical{};
    pango_layout_get_pixel_extents(layout.get(), nullptr, &logical);
    rect->right = logical.x + logical.width;
    rect->bottom = logical.height;
}

}  // namespace tessaly
