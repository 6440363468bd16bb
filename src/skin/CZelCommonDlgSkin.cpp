// Applying the skin: the window's size, background, icon, title and font, the controls made from the
// configured items and their placement, and painting the client area.
#include "skin/CZelCommonDlg.h"

#include <algorithm>

#include "controls/CLabel.h"
#include "controls/COwnedSurface.h"
#include "controls/CSkinPicture.h"
#include "controls/CZelBmpButton.h"
#include "controls/CZelRadioButton.h"
#include "controls/ImageHelpers.h"
#include "controls/LogFont.h"
#include "controls/SkinColor.h"
#include "controls/TextDrawing.h"
#include "skin/SheetContainer.h"
#include "support/WideText.h"

namespace tessaly {
namespace {

std::string FontCss(const WindowFont& font)
{
    std::string css = "* {";
    if (!font.strFaceName.empty()) {
        std::string face = ToUtf8(font.strFaceName);
        face.erase(std::remove_if(face.begin(), face.end(), [](char c) { return c == '"' || c == '\\'; }),
                   face.end());
        css += " font-family: \"" + face + "\";";
    }
    if (font.nHeight != 0)
        css += " font-size: " + std::to_string(std::abs(font.nHeight)) + "px;";
    if (font.nWeight > 0)
        css += " font-weight: " + std::to_string(std::clamp(font.nWeight / 100 * 100, 100, 900)) + ";";
    return css + " }";
}

}  // namespace

void CZelCommonDlg::ParseSection(const XmlElement* section, const std::u16string& configDir)
{
    m_config.ParseSection(section, configDir);
}

void CZelCommonDlg::ApplyWindowSkin()
{
    CreateDialogFont();
    ApplyDialogFont();
    if (m_window)
        gtk_window_set_title(GTK_WINDOW(m_window), ToUtf8(m_config.GetWindowInfo(u"Title")).c_str());

    m_hIcon = LoadDecodedImage(m_config.GetWindowFile(u"Icon"));
    if (m_window)
        gtk_window_set_icon(GTK_WINDOW(m_window), m_hIcon.get());

    const std::u16string backFile = m_config.GetWindowFile(u"BackBmp");
    if (!m_pBackBitmap)
        LoadImageToBitmap(m_pBackBitmap, ZelRect{}, backFile, kNoColor);

    // Without a usable "SheetSize" the window takes the background image's size, else the template's.
    ZelRect sheet{0, 0, kTemplateWidth, kTemplateHeight};
    if (m_pBackBitmap)
        sheet = {0, 0, cairo_image_surface_get_width(m_pBackBitmap.get()),
                 cairo_image_surface_get_height(m_pBackBitmap.get())};
    ZelRect configured;
    if (m_config.GetSizeInfo(u"SheetSize", configured) && configured.Width() > 0 && configured.Height() > 0)
        sheet = configured;
    CreateSolidBackground(m_pBackBitmap, sheet);
    // Transparent parts of the image show the button face, once and for all: the window and the
    // snapshots its controls take then compose alike.
    m_pBackBitmap = CopySurfaceRegion(m_pBackBitmap.get(), 0, 0, cairo_image_surface_get_width(m_pBackBitmap.get()),
                                      cairo_image_surface_get_height(m_pBackBitmap.get()), kButtonFace);

    m_nClientWidth = sheet.Width();
    m_nClientHeight = sheet.Height();
    if (m_window) {
        SetSheetSize(m_client, m_nClientWidth, m_nClientHeight);
        // A window that cannot be resized keeps its default size when that is larger than what it
        // needs, so the template's default must go too or a smaller sheet would never shrink it.
        gtk_window_set_default_size(GTK_WINDOW(m_window), m_nClientWidth, m_nClientHeight);
        gtk_window_resize(GTK_WINDOW(m_window), m_nClientWidth, m_nClientHeight);
        CenterOnScreen();
        gtk_widget_queue_draw(m_window);
    }
}

void CZelCommonDlg::CreateDialogFont()
{
    m_fontDialog = m_config.GetWindowFont();
}

// The font reaches the dialog and its direct children only, as a style of their own.

void CZelCommonDlg::ApplyDialogFont()
{
    if (!m_window)
        return;
    if (m_fontCss) {
        gtk_style_context_remove_provider(gtk_widget_get_style_context(m_window), GTK_STYLE_PROVIDER(m_fontCss.get()));
    }
    m_fontCss = AdoptObject(gtk_css_provider_new());
    const std::string css = FontCss(m_fontDialog);
    gtk_css_provider_load_from_data(m_fontCss.get(), css.c_str(), -1, nullptr);
    auto apply = [this](GtkWidget* widget) {
        gtk_style_context_add_provider(gtk_widget_get_style_context(widget), GTK_STYLE_PROVIDER(m_fontCss.get()),
                                       GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    };
    apply(m_window);
    GList* children = gtk_container_get_children(GTK_CONTAINER(m_client));
    for (GList* child = children; child; child = child->next)
        apply(GTK_WIDGET(child->data));
    g_list_free(children);
}

void CZelCommonDlg::CreateSolidBackground(SurfacePtr& bitmap, const ZelRect& rect)
{
    if (!bitmap)
        bitmap = MakeSolidSurface(rect.Width(), rect.Height(), kButtonFace);
}

void CZelCommonDlg::CopyBackground(CLabel& label)
{
    label.CaptureBackground(m_pBackBitmap.get());
    label.Invalidate();
}

void CZelCommonDlg::ApplyWindowFont(CLabel& label)
{
    CopyBackground(label);
    const WindowFont window = m_config.GetWindowFont();
    WindowFont font = label.Font();  // the label keeps its own underline
    font.strFaceName = window.strFaceName;
    font.nHeight = window.nHeight;
    font.nWeight = window.nWeight;
    font.nCharSet = window.nCharSet;
    label.SetFont(font);
    label.Invalidate();
}

void CZelCommonDlg::ConnectControl(CSkinWidget& control)
{
    control.SetCommandSink([this](int id, int notification) { OnCommand(id, notification); });
}

void CZelCommonDlg::CreateLabels()
{
    auto items = m_config.LabelItems();
    for (std::size_t i = 0; i < items.size(); ++i) {
        DynamicItem& item = items[i];
        auto owned = std::make_unique<CLabel>();
        CLabel& label = *owned;
        item.pCtrl = std::move(owned);
        label.Create(m_client, item.rcPos, IDC_LABEL_FIRST + static_cast<int>(i));
        WindowFont font = m_config.GetItemFont(item);
        font.bUnderline = (item.nUnderLine & 0xFF) != 0;
        label.SetFont(font);
        label.m_crText = item.crFontColor;
        label.m_strText = item.strName;
        CopyBackground(label);
        if (!item.strCursor.empty())
            label.LoadCursorFile(item.strCursor);
        ConnectControl(label);
        OnItemCreated(ITEM_LABEL, &item);
    }
}

void CZelCommonDlg::CreatePictures()
{
    for (DynamicItem& item : m_config.PictureItems()) {
        auto owned = std::make_unique<CSkinPicture>();
        CSkinPicture& picture = *owned;
        item.pCtrl = std::move(owned);
        picture.Create(m_client, item.rcPos, IDC_STATIC);
        SurfacePtr image;
        LoadImageToBitmap(image, ZelRect{}, item.strImage[kImageOut], kNoColor);
        if (image) {
            auto surface = std::make_unique<COwnedSurface>(std::move(image));
            picture.SetImage(surface->Get());
            item.hGdiObj = std::move(surface);
        }
        OnItemCreated(ITEM_PICTURE, &item);
    }
}

void CZelCommonDlg::CreateButtons()
{
    auto items = m_config.ButtonItems();
    for (std::size_t i = 0; i < items.size(); ++i) {
        DynamicItem& item = items[i];
        const int id = IDC_BUTTON_FIRST + static_cast<int>(i);
        auto owned = std::make_unique<CZelBmpButton>();
        CZelBmpButton& button = *owned;
        item.pCtrl = std::move(owned);
        button.Create(m_client, item.rcPos, id);
        button.LoadStateImages(item.strImage[kImageOut], item.strImage[kImageIn], item.strImage[kImageSelect],
                               item.strImage[kImageDisable]);
        button.LoadIconImage(item.strIcon);
        if (item.nDrawFocus != 0)
            button.m_bDrawFocus = true;
        if (!item.strName.empty())
            button.m_strText = item.strName;
        WindowFont font = m_config.GetItemFont(item);
        font.bUnderline = false;
        button.SetFont(font);
        button.m_crText = item.crFontColor;
        item.nCtrlID = id;
        ConnectControl(button);
        OnItemCreated(ITEM_BUTTON, &item);
    }
}

bool CZelCommonDlg::PlaceControl(CSkinWidget& control, std::u16string_view itemId)
{
    const PosInfoItem* entry = m_config.FindPosInfo(itemId);
    if (!entry)
        return false;
    control.Move(entry->rcPos);
    if (auto* label = dynamic_cast<CLabel*>(&control)) {
        if (entry->crColor != kNoColor) {
            label->m_crText = entry->crColor;
            label->Invalidate();
        }
        ApplyWindowFont(*label);
    } else if (auto* radio = dynamic_cast<CZelRadioButton*>(&control)) {
        const std::u16string_view strip = radio->m_nType == CZelRadioButton::kCheckBox      ? u"CheckBtnBmp"
                                          : radio->m_nType == CZelRadioButton::kRadioButton ? u"RadioBtnBmp"
                                                                                            : u"";
        if (!strip.empty()) {
            radio->CaptureBackground(m_pBackBitmap.get());
            radio->LoadImageStrip(m_config.GetWindowFile(strip));
        }
        radio->m_crText = entry->crColor;
        radio->Invalidate();
    }
    return true;
}

bool CZelCommonDlg::PlaceControl(GtkWidget* widget, std::u16string_view itemId)
{
    const PosInfoItem* entry = m_config.FindPosInfo(itemId);
    if (!entry || !widget)
        return false;
    const ZelRect& at = entry->rcPos;
    GtkWidget* parent = gtk_widget_get_parent(widget);
    if (parent && GTK_IS_FIXED(parent))
        gtk_fixed_move(GTK_FIXED(parent), widget, at.left, at.top);
    gtk_widget_set_size_request(widget, std::max(at.Width(), 0), std::max(at.Height(), 0));
    gtk_widget_queue_draw(widget);
    return true;
}

void CZelCommonDlg::PaintBackground(cairo_t* cr) const
{
    // Outside a smaller background image the client area shows the button face.
    SetSourceZelColor(cr, kButtonFace);
    cairo_paint(cr);
    PaintSurface(cr, m_pBackBitmap.get(), 0, 0);
}

void CZelCommonDlg::RenderClient(cairo_t* cr)
{
    PaintBackground(cr);
    auto paintControl = [cr](COwnedObject* owned) {
        auto* control = dynamic_cast<CSkinWidget*>(owned);
        if (!control || control->Rect().Width() <= 0 || control->Rect().Height() <= 0)
            return;
        cairo_save(cr);
        cairo_translate(cr, control->Rect().left, control->Rect().top);
        cairo_rectangle(cr, 0, 0, control->Rect().Width(), control->Rect().Height());
        cairo_clip(cr);
        control->Paint(cr, control->Rect().Width(), control->Rect().Height());
        cairo_restore(cr);
    };
    // Template slots draw what their widgets draw (a browser page is white until it loads).
    if (m_slot1000 && gtk_widget_get_visible(m_slot1000)) {
        int x = 0, y = 0, w = 0, h = 0;
        gtk_container_child_get(GTK_CONTAINER(m_client), m_slot1000, "x", &x, "y", &y, nullptr);
        gtk_widget_get_size_request(m_slot1000, &w, &h);
        cairo_save(cr);
        cairo_rectangle(cr, x, y, w, h);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_fill(cr);
        cairo_restore(cr);
    }
    for (DynamicItem& item : m_config.PictureItems())
        paintControl(item.pCtrl.get());
    for (DynamicItem& item : m_config.LabelItems())
        paintControl(item.pCtrl.get());
    for (DynamicItem& item : m_config.ButtonItems())
        paintControl(item.pCtrl.get());
}

gboolean CZelCommonDlg::DrawClientThunk(GtkWidget*, cairo_t* cr, gpointer self)
{
    static_cast<CZelCommonDlg*>(self)->PaintBackground(cr);
    return FALSE;  // the children draw themselves on top
}

}  // namespace tessaly
