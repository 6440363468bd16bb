#include "StateSheet.h"
#include "toolkit/gtk/CairoCanvas.h"
#include "toolkit/gtk/GtkTypes.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <array>
#include <functional>
#include <vector>

#include "controls/CZelBmpButton.h"
#include "controls/CZelRadioButton.h"
#include "toolkit/gtk/ImageHelpers.h"
#include "support/WideText.h"

namespace tessaly::preview {
namespace {

constexpr int kMargin = 12;
constexpr int kGap = 12;
constexpr int kTitleHeight = 18;
constexpr int kCaptionHeight = 14;
constexpr int kMinWidth = 320;

// One row of the sheet: a title and cells of one size, each drawn by `paint` at 0, 0.
struct Row {
    std::string title;
    std::string listingName;
    int cellWidth = 0;
    int cellHeight = 0;
    std::vector<std::string> captions;
    std::function<void(cairo_t*, std::size_t)> paint;
};

void DrawCaption(cairo_t* cr, const std::string& text, int x, int y, double size)
{
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* font = pango_font_description_from_string("Sans");
    pango_font_description_set_absolute_size(font, size * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    pango_layout_set_text(layout, text.c_str(), -1);
    cairo_set_source_rgb(cr, 0.15, 0.15, 0.15);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout);
    pango_font_description_free(font);
    g_object_unref(layout);
}

// Puts the button into a face, paints it, and leaves it as it was.
void PaintButtonFace(CZelBmpButton& button, cairo_surface_t* background, cairo_t* cr, std::size_t face)
{
    const ZelRect rect = button.Rect();
    SurfacePtr under = CopySurfaceRegion(background, rect.left, rect.top, rect.Width(), rect.Height(), kButtonFace);
    PaintSurface(cr, under.get(), 0, 0);
    const bool enabled = button.IsEnabled();
    button.m_bHover = face == 1;
    button.m_bChecked = face == 2;  // a latched button shows its pressed face
    button.SetEnabled(face != 3);
    button.m_bFocusForPaint = face == 4;
    toolkit::CairoCanvas canvas(cr);
    button.Paint(canvas, rect.Width(), rect.Height());
    button.m_bHover = button.m_bChecked = button.m_bFocusForPaint = false;
    button.SetEnabled(enabled);
}

void PaintStripCell(CZelRadioButton& control, cairo_t* cr, std::size_t cell)
{
    const bool checked = cell >= 4;
    const std::size_t state = cell % 4;
    control.SetChecked(checked);
    control.SetEnabled(state != 3);
    control.m_bHover = state == 1;
    if (state == 2)
        control.OnLButtonDown(0, 0, false);
    toolkit::CairoCanvas canvas(cr);
    control.Paint(canvas, control.Rect().Width(), control.Rect().Height());
    if (state == 2)
        control.OnLButtonUp(-1, -1);  // released outside: no click
    control.m_bHover = false;
}

std::vector<Row> ButtonRows(CZelCommonDlg& dialog)
{
    std::vector<Row> rows;
    auto items = dialog.Config().ButtonItems();
    for (std::size_t i = 0; i < items.size(); ++i) {
        auto* button = dynamic_cast<CZelBmpButton*>(items[i].pCtrl.get());
        if (!button || button->Rect().Width() <= 0 || button->Rect().Height() <= 0)
            continue;
        Row row;
        row.listingName = "button " + std::to_string(i + 1) + " \"" + ToUtf8(items[i].strID) + "\"";
        row.title = row.listingName + (items[i].strName.empty() ? "" : "  " + ToUtf8(items[i].strName)) +
                    (items[i].nDrawFocus ? "" : "  (DrawFocus 0: no focus mark)");
        row.cellWidth = button->Rect().Width();
        row.cellHeight = button->Rect().Height();
        row.captions = {"normal", "hover", "pressed", "disabled", "focused"};
        cairo_surface_t* background = toolkit::SurfaceOf(dialog.Background());
        row.paint = [button, background](cairo_t* cr, std::size_t face) {
            PaintButtonFace(*button, background, cr, face);
        };
        rows.push_back(std::move(row));
    }
    return rows;
}

// A row for a check or radio strip; the control lives as long as the row.
void AddStripRow(CZelCommonDlg& dialog, std::u16string_view key, int type, const char* name, std::vector<Row>& rows)
{
    const std::u16string path = dialog.Config().GetWindowFile(key);
    if (path.empty())
        return;
    auto control = std::make_shared<CZelRadioButton>(type);
    control->LoadImageStrip(path);
    if (!control->m_imageList || control->m_nImageWidth <= 0)
        return;
    const int height = control->m_imageList.Height();
    control->Move(ZelRect{0, 0, control->m_nImageWidth, height});
    control->m_bmpBack = toolkit::MakeSolidImage(control->m_nImageWidth, height, kButtonFace);
    Row row;
    row.listingName = std::string(name) + " cell";
    row.title = std::string(name) + " strip " + ToUtf8(dialog.Config().GetWindowInfo(key));
    row.cellWidth = control->m_nImageWidth;
    row.cellHeight = height;
    row.captions = {"unchecked-normal", "unchecked-hover", "unchecked-pressed", "unchecked-disabled",
                    "checked-normal",   "checked-hover",   "checked-pressed",   "checked-disabled"};
    row.paint = [control](cairo_t* cr, std::size_t cell) { PaintStripCell(*control, cr, cell); };
    rows.push_back(std::move(row));
}

// Cells are at least as wide as their caption needs, so the names stay readable.
int CellPitch(const Row& row)
{
    return std::max(row.cellWidth, 96) + kGap;
}

}  // namespace

bool WriteStateSheet(CZelCommonDlg& dialog, const std::string& out, std::FILE* listing)
{
    std::vector<Row> rows = ButtonRows(dialog);
    AddStripRow(dialog, u"CheckBtnBmp", CZelRadioButton::kCheckBox, "check", rows);
    AddStripRow(dialog, u"RadioBtnBmp", CZelRadioButton::kRadioButton, "radio", rows);

    int width = kMinWidth;
    int height = kMargin;
    for (const Row& row : rows) {
        width = std::max(width, 2 * kMargin + static_cast<int>(row.captions.size()) * CellPitch(row) - kGap);
        height += kTitleHeight + kCaptionHeight + row.cellHeight + kGap;
    }
    height = std::max(height + kMargin, 2 * kMargin + kTitleHeight);

    SurfacePtr sheet(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    CairoPtr cr(cairo_create(sheet.get()));
    cairo_set_source_rgb(cr.get(), 1, 1, 1);
    cairo_paint(cr.get());
    if (rows.empty())
        DrawCaption(cr.get(), "This skin has no buttons and no check or radio strips.", kMargin, kMargin, 12);
    int y = kMargin;
    for (const Row& row : rows) {
        DrawCaption(cr.get(), row.title, kMargin, y, 12);
        y += kTitleHeight;
        for (std::size_t i = 0; i < row.captions.size(); ++i) {
            const int x = kMargin + static_cast<int>(i) * CellPitch(row);
            DrawCaption(cr.get(), row.captions[i], x, y, 10);
            const int top = y + kCaptionHeight;
            cairo_save(cr.get());
            cairo_translate(cr.get(), x, top);
            cairo_rectangle(cr.get(), 0, 0, row.cellWidth, row.cellHeight);
            cairo_clip(cr.get());
            row.paint(cr.get(), i);
            cairo_restore(cr.get());
            if (listing)
                std::fprintf(listing, "%s %s %d,%d,%d,%d\n", row.listingName.c_str(), row.captions[i].c_str(), x, top,
                             row.cellWidth, row.cellHeight);
        }
        y += kCaptionHeight + row.cellHeight + kGap;
    }
    cr.reset();
    return cairo_surface_write_to_png(sheet.get(), out.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace tessaly::preview
