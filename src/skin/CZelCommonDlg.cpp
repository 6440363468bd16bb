#include "skin/CZelCommonDlg.h"

#include <gdk/gdkkeysyms.h>

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
#include "platform/WindowSystem.h"
#include "skin/DialogTemplate.h"
#include "skin/SheetContainer.h"
#include "support/WideText.h"

namespace tessaly {
namespace {

// A message on its way to the dialog's thread.
struct PostedMessage {
    std::weak_ptr<CZelCommonDlg*> target;
    std::uint32_t msg;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

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

CZelCommonDlg::CZelCommonDlg() : m_anchor(std::make_shared<CZelCommonDlg*>(this)) {}

CZelCommonDlg::~CZelCommonDlg()
{
    m_anchor.reset();
    ReleaseControls();
    DestroyWindow();
}

// ---- life ------------------------------------------------------------------------------------

bool CZelCommonDlg::Create()
{
    if (m_window)
        return true;
    if (!EnsureUserInterface())
        return false;
    DialogTemplate parts = LoadDialogTemplate();
    if (!parts.window)
        return false;
    m_window = parts.window;
    m_client = parts.client;
    m_slot1000 = parts.slot1000;
    gtk_widget_add_events(m_window, GDK_BUTTON_PRESS_MASK | GDK_KEY_PRESS_MASK);
    g_signal_connect(m_client, "draw", G_CALLBACK(DrawClientThunk), this);
    g_signal_connect(m_window, "delete-event", G_CALLBACK(DeleteThunk), this);
    g_signal_connect(m_window, "button-press-event", G_CALLBACK(ButtonPressThunk), this);
    g_signal_connect(m_window, "key-press-event", G_CALLBACK(KeyPressThunk), this);
    // Escape reaches the dialog only when the focused widget (a web page, say) did not use it.
    g_signal_connect_after(m_window, "key-press-event", G_CALLBACK(UnusedKeyThunk), this);
    g_signal_connect(m_window, "destroy", G_CALLBACK(DestroyThunk), this);
    SetSheetSize(m_client, m_nClientWidth, m_nClientHeight);
    gtk_widget_realize(m_window);
    // A fixed-size modal frame: the window manager offers moving and closing, nothing else.
    gdk_window_set_functions(gtk_widget_get_window(m_window),
                             static_cast<GdkWMFunction>(GDK_FUNC_MOVE | GDK_FUNC_CLOSE));
    gdk_window_set_decorations(gtk_widget_get_window(m_window),
                               static_cast<GdkWMDecoration>(GDK_DECOR_BORDER | GDK_DECOR_TITLE | GDK_DECOR_MENU));
    m_nResult = -1;
    m_bEnded = m_bDestroyed = false;
    OnInitDialog();
    return true;
}

int CZelCommonDlg::DoModal()
{
    if (!Create())
        return -1;
    if (!m_bEnded && !m_bDestroyed) {
        gtk_widget_show(m_window);
        gtk_window_present(GTK_WINDOW(m_window));
        m_loop.reset(g_main_loop_new(nullptr, FALSE));
        g_main_loop_run(m_loop.get());
        m_loop.reset();
    }
    DestroyWindow();
    return m_nResult;
}

void CZelCommonDlg::DestroyWindow()
{
    if (!m_window)
        return;
    OnDestroy();
    const GObjectPtr<GtkWidget> window(m_window);  // the template's reference, dropped last
    g_signal_handlers_disconnect_by_data(window.get(), this);
    if (m_client)
        g_signal_handlers_disconnect_by_data(m_client, this);
    m_window = m_client = m_slot1000 = nullptr;
    gtk_widget_destroy(window.get());
}

void CZelCommonDlg::EndDialog(int code)
{
    if (m_bEnded)
        return;  // the first ending event decides the result
    m_nResult = code;
    m_bEnded = true;
    if (m_window)
        gtk_widget_hide(m_window);
    if (m_loop)
        g_main_loop_quit(m_loop.get());
}

// Controls go before the window that holds their widgets.
void CZelCommonDlg::ReleaseControls()
{
    for (auto items : {m_config.LabelItems(), m_config.PictureItems(), m_config.ButtonItems()})
        for (DynamicItem& item : items) {
            item.pCtrl.reset();
            item.hGdiObj.reset();
        }
}

// ---- skin ------------------------------------------------------------------------------------

void CZelCommonDlg::ParseSection(const xercesc::DOMElement* section, const std::u16string& configDir)
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
    const WindowFont font = m_config.GetWindowFont();
    label.m_lf.strFaceName = font.strFaceName;
    label.m_lf.nHeight = font.nHeight;
    label.m_lf.nWeight = font.nWeight;
    label.m_lf.nCharSet = font.nCharSet;
    label.RecreateFont();
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
        label.m_lf = m_config.GetItemFont(item);
        label.m_lf.bUnderline = (item.nUnderLine & 0xFF) != 0;
        label.RecreateFont();
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
        button.m_lf = m_config.GetItemFont(item);
        button.m_lf.bUnderline = false;
        button.RecreateFont();
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

// ---- input -----------------------------------------------------------------------------------

bool CZelCommonDlg::OnCommand(int id, int /*notification*/)
{
    auto buttons = m_config.ButtonItems();
    const long long buttonIndex = static_cast<long long>(id) - IDC_BUTTON_FIRST;
    if (buttonIndex >= 0 && buttonIndex < static_cast<long long>(buttons.size())) {
        DynamicItem& item = buttons[static_cast<std::size_t>(buttonIndex)];
        if (OnItemCommand(ITEM_BUTTON, &item))
            RunAction(item.strID);
        return true;
    }
    auto labels = m_config.LabelItems();
    const long long labelIndex = static_cast<long long>(id) - IDC_LABEL_FIRST;
    if (labelIndex >= 0 && labelIndex < static_cast<long long>(labels.size())) {
        OnItemCommand(ITEM_LABEL, &labels[static_cast<std::size_t>(labelIndex)]);
        return true;
    }
    return false;
}

void CZelCommonDlg::RunAction(std::u16string_view action)
{
    if (EqualsNoCase(action, u"CLOSE") || EqualsNoCase(action, u"IDCANCEL"))
        OnCancel();
    else if (EqualsNoCase(action, u"IDOK"))
        OnOK();
    else if (EqualsNoCase(action, u"IDYES"))
        EndDialog(IDYES);
    else if (EqualsNoCase(action, u"IDNO"))
        EndDialog(IDNO);
    else if (EqualsNoCase(action, u"MINIMIZE"))
        OnMinimize();
}

void CZelCommonDlg::OnMinimize()
{
    if (m_window)
        gtk_window_iconify(GTK_WINDOW(m_window));
}

bool CZelCommonDlg::ShouldDragAt(int y) const
{
    return !m_bChildStyle && y <= m_config.GetWindowInt(u"CaptionHeight");
}

void CZelCommonDlg::MoveToNextTabItem()
{
    if (m_arrTabOrder.empty() || !m_window)
        return;
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(m_window));
    // The focus may sit inside a listed window (for example in a browser's own widgets).
    auto current = std::find_if(m_arrTabOrder.begin(), m_arrTabOrder.end(), [focus](GtkWidget* w) {
        return focus && w && (w == focus || gtk_widget_is_ancestor(focus, w));
    });
    GtkWidget* next = m_arrTabOrder.front();
    if (current != m_arrTabOrder.end() && current + 1 != m_arrTabOrder.end())
        next = *(current + 1);
    if (!next)
        return;
    if (gtk_widget_get_can_focus(next))
        gtk_widget_grab_focus(next);
    else
        gtk_widget_child_focus(next, GTK_DIR_TAB_FORWARD);
}

void CZelCommonDlg::PostMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam)
{
    GetPoster().PostMessage(msg, wParam, lParam);
}

CDialogPoster CZelCommonDlg::GetPoster() const
{
    return CDialogPoster(m_anchor);
}

void CDialogPoster::PostMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) const
{
    if (m_target.expired())
        return;
    auto* posted = new PostedMessage{m_target, msg, wParam, lParam};
    const SourcePtr source(g_idle_source_new());
    g_source_set_priority(source.get(), G_PRIORITY_DEFAULT);
    g_source_set_callback(
        source.get(),
        [](gpointer data) -> gboolean {
            const auto* message = static_cast<const PostedMessage*>(data);
            if (auto alive = message->target.lock())
                (*alive)->OnMessage(message->msg, message->wParam, message->lParam);
            return G_SOURCE_REMOVE;
        },
        posted, [](gpointer data) { delete static_cast<PostedMessage*>(data); });
    g_source_attach(source.get(), nullptr);
}

// ---- windows ---------------------------------------------------------------------------------

GtkWidget* CZelCommonDlg::TemplateControl(int id) const
{
    return id == kTemplateId ? m_slot1000 : nullptr;
}

unsigned long CZelCommonDlg::XWindowId() const
{
    return platform::NativeWindowId(m_window);
}

void CZelCommonDlg::CenterOnScreen()
{
    GdkDisplay* display = gtk_widget_get_display(m_window);
    GdkMonitor* monitor = display ? gdk_display_get_primary_monitor(display) : nullptr;
    if (!monitor && display)
        monitor = gdk_display_get_monitor(display, 0);
    if (!monitor)
        return;
    GdkRectangle area{};
    gdk_monitor_get_workarea(monitor, &area);
    gtk_window_move(GTK_WINDOW(m_window), area.x + (area.width - m_nClientWidth) / 2,
                    area.y + (area.height - m_nClientHeight) / 2);
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

bool EnsureUserInterface()
{
    std::string whyNot;
    return platform::StartToolkit(whyNot);
}

// ---- signal thunks ---------------------------------------------------------------------------

gboolean CZelCommonDlg::DrawClientThunk(GtkWidget*, cairo_t* cr, gpointer self)
{
    static_cast<CZelCommonDlg*>(self)->PaintBackground(cr);
    return FALSE;  // the children draw themselves on top
}

gboolean CZelCommonDlg::DeleteThunk(GtkWidget*, GdkEvent*, gpointer self)
{
    static_cast<CZelCommonDlg*>(self)->OnCancel();
    return TRUE;  // the window stays until the dialog ends
}

gboolean CZelCommonDlg::ButtonPressThunk(GtkWidget* widget, GdkEventButton* event, gpointer self)
{
    auto* dialog = static_cast<CZelCommonDlg*>(self);
    if (event->type != GDK_BUTTON_PRESS || event->button != GDK_BUTTON_PRIMARY)
        return FALSE;
    // Clicks bubbling up from child windows carry their own coordinates; use the root position.
    gint originX = 0, originY = 0;
    gdk_window_get_origin(gtk_widget_get_window(widget), &originX, &originY);
    const int y = static_cast<int>(event->y_root) - originY;
    if (!dialog->ShouldDragAt(y))
        return FALSE;
    gtk_window_begin_move_drag(GTK_WINDOW(widget), static_cast<gint>(event->button), static_cast<gint>(event->x_root),
                               static_cast<gint>(event->y_root), event->time);
    return TRUE;
}

gboolean CZelCommonDlg::KeyPressThunk(GtkWidget*, GdkEventKey* event, gpointer self)
{
    auto* dialog = static_cast<CZelCommonDlg*>(self);
    const bool tab = event->keyval == GDK_KEY_Tab || event->keyval == GDK_KEY_ISO_Left_Tab ||
                     event->keyval == GDK_KEY_KP_Tab;
    if (!tab || dialog->m_arrTabOrder.empty())
        return FALSE;
    dialog->MoveToNextTabItem();
    return TRUE;
}

gboolean CZelCommonDlg::UnusedKeyThunk(GtkWidget*, GdkEventKey* event, gpointer self)
{
    if (event->keyval != GDK_KEY_Escape)
        return FALSE;
    static_cast<CZelCommonDlg*>(self)->OnCancel();
    return TRUE;
}

void CZelCommonDlg::DestroyThunk(GtkWidget*, gpointer self)
{
    // Someone destroyed the window under us: the modal loop has nothing left to run.
    auto* dialog = static_cast<CZelCommonDlg*>(self);
    dialog->m_bDestroyed = true;
    if (dialog->m_loop)
        g_main_loop_quit(dialog->m_loop.get());
}

}  // namespace tessaly
