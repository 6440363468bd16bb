// Applying the skin: the window's size, background, icon, title and font, the controls made from the
// configured items and their placement, and painting the client area.
#include "skin/CZelCommonDlg.h"

#include "controls/CLabel.h"
#include "controls/COwnedImage.h"
#include "controls/CSkinPicture.h"
#include "controls/CZelBmpButton.h"
#include "controls/CZelRadioButton.h"
#include "controls/SkinColor.h"
#include "toolkit/Canvas.h"

namespace tessaly {
void CZelCommonDlg::ParseSection(const XmlElement* section, const std::u16string& configDir)
{
    m_config.ParseSection(section, configDir);
}

void CZelCommonDlg::ApplyWindowSkin()
{
    CreateDialogFont();
    ApplyDialogFont();
    if (m_window)
        m_window->SetTitle(m_config.GetWindowInfo(u"Title"));
    m_hIcon = toolkit::LoadImageFile(m_config.GetWindowFile(u"Icon"));
    if (m_window)
        m_window->SetIcon(m_hIcon);
    const std::u16string backFile = m_config.GetWindowFile(u"BackBmp");
    if (!m_pBackBitmap)
        m_pBackBitmap = toolkit::RenderImageFile(backFile, ZelRect{}, kNoColor, ScaleFactor());
    // Without a usable "SheetSize" the window takes the background image's size, else the template's.
    ZelRect sheet{0, 0, kTemplateWidth, kTemplateHeight};
    if (m_pBackBitmap)
        sheet = {0, 0, m_pBackBitmap.Width(), m_pBackBitmap.Height()};
    ZelRect configured;
    if (m_config.GetSizeInfo(u"SheetSize", configured) && configured.Width() > 0 && configured.Height() > 0)
        sheet = configured;
    MakeBackground(std::move(m_pBackBitmap), sheet);
    m_nClientWidth = sheet.Width();
    m_nClientHeight = sheet.Height();
    if (m_window)
        m_window->SetClientSize(m_nClientWidth, m_nClientHeight);
}

void CZelCommonDlg::MakeBackground(toolkit::Image image, const ZelRect& sheet)
{
    CreateSolidBackground(image, sheet, ScaleFactor());
    // Transparent parts of the image show the button face, once and for all: the window and the
    // snapshots its controls take then compose alike.
    m_pBackBitmap = toolkit::CopyImageRegion(image, 0, 0, image.Width(), image.Height(), kButtonFace);
}

double CZelCommonDlg::ScaleFactor() const { return m_window ? m_window->ScaleFactor() : 1.0; }

// Everything rendered for the old scale is made again: what the window paints, the labels' snapshots
// of it and the pictures. Buttons compose their faces at the scale they are painted at, and decoded
// images and cursors pick their resolution when they are shown.
void CZelCommonDlg::OnScaleChanged()
{
    if (!m_window || !m_pBackBitmap || m_pBackBitmap.Scale() == ScaleFactor())
        return;  // nothing made yet (ApplyWindowSkin makes it at the new scale), or nothing to do
    MakeBackground(toolkit::RenderImageFile(m_config.GetWindowFile(u"BackBmp"), ZelRect{}, kNoColor, ScaleFactor()),
                   ZelRect{0, 0, m_nClientWidth, m_nClientHeight});
    for (DynamicItem& item : m_config.LabelItems())
        if (auto* label = dynamic_cast<CLabel*>(item.pCtrl.get()))
            CopyBackground(*label);
    for (DynamicItem& item : m_config.PictureItems())
        if (item.hGdiObj)
            RenderPicture(item);
    m_window->Redraw();
}

void CZelCommonDlg::CreateDialogFont()
{
    m_fontDialog = m_config.GetWindowFont();
}

// The font reaches the dialog and its direct children only.
void CZelCommonDlg::ApplyDialogFont()
{
    if (m_window)
        m_window->SetDialogFont(m_fontDialog);
}

void CZelCommonDlg::CreateSolidBackground(toolkit::Image& bitmap, const ZelRect& rect, double scale)
{
    if (!bitmap)
        bitmap = toolkit::MakeSolidImage(rect.Width(), rect.Height(), kButtonFace, scale);
}

void CZelCommonDlg::CopyBackground(CLabel& label)
{
    label.CaptureBackground(m_pBackBitmap);
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
        label.Create(ClientParent(), item.rcPos, IDC_LABEL_FIRST + static_cast<int>(i));
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
        picture.Create(ClientParent(), item.rcPos, IDC_STATIC);
        RenderPicture(item);
        OnItemCreated(ITEM_PICTURE, &item);
    }
}

void CZelCommonDlg::RenderPicture(DynamicItem& item)
{
    auto* picture = dynamic_cast<CSkinPicture*>(item.pCtrl.get());
    toolkit::Image image = toolkit::RenderImageFile(item.strImage[kImageOut], ZelRect{}, kNoColor, ScaleFactor());
    if (!picture || !image)
        return;
    auto owned = std::make_unique<COwnedImage>(std::move(image));
    picture->SetImage(owned->Get());
    item.hGdiObj = std::move(owned);
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
        button.Create(ClientParent(), item.rcPos, id);
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
            radio->CaptureBackground(m_pBackBitmap);
            radio->LoadImageStrip(m_config.GetWindowFile(strip), ScaleFactor());
        }
        radio->m_crText = entry->crColor;
        radio->Invalidate();
    }
    return true;
}

bool CZelCommonDlg::PlaceTemplateControl(int id, std::u16string_view itemId)
{
    const PosInfoItem* entry = m_config.FindPosInfo(itemId);
    return entry && m_window && m_window->PlaceTemplateControl(id, entry->rcPos);
}

void CZelCommonDlg::PaintBackground(toolkit::Canvas& canvas)
{
    // Outside a smaller background image the client area shows the button face.
    canvas.Fill(kButtonFace);
    canvas.CopyImage(m_pBackBitmap, 0, 0);
}

void CZelCommonDlg::RenderClient(toolkit::Canvas& canvas)
{
    PaintBackground(canvas);
    auto paintControl = [&canvas](COwnedObject* owned) {
        auto* control = dynamic_cast<CSkinWidget*>(owned);
        if (!control || control->Rect().Width() <= 0 || control->Rect().Height() <= 0)
            return;
        canvas.PushRegion(control->Rect());
        control->Paint(canvas, control->Rect().Width(), control->Rect().Height());
        canvas.PopRegion();
    };
    // Template slots draw what their views draw (a browser page is white until it loads).
    if (const auto slot = m_window ? m_window->TemplateControlRect(kTemplateId) : std::nullopt)
        canvas.FillRect(*slot, kWhite);
    // In the order the window stacks them: labels, pictures, buttons (the order they are made in).
    for (DynamicItem& item : m_config.LabelItems())
        paintControl(item.pCtrl.get());
    for (DynamicItem& item : m_config.PictureItems())
        paintControl(item.pCtrl.get());
    for (DynamicItem& item : m_config.ButtonItems())
        paintControl(item.pCtrl.get());
}

}  // namespace tessaly
