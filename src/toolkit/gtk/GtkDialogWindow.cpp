#include "toolkit/gtk/GtkDialogWindow.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/WindowSystem.h"
#include "support/WideText.h"
#include "toolkit/gtk/CairoCanvas.h"
#include "toolkit/gtk/DialogTemplate.h"
#include "toolkit/gtk/GtkControlView.h"
#include "toolkit/gtk/SheetContainer.h"
#include "toolkit/gtk/WebKitBrowserView.h"

namespace tessaly::toolkit {
namespace {

constexpr int kBrowserSlotId = 1000;

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

std::unique_ptr<DialogWindow> DialogWindow::FromTemplate(DialogEvents& events, int width, int height)
{
    DialogTemplate parts = LoadDialogTemplate();
    if (!parts.window)
        return nullptr;
    SetSheetSize(parts.client, width, height);
    return std::make_unique<GtkDialogWindow>(events, parts.window, parts.client, parts.slot1000);
}

GtkDialogWindow::GtkDialogWindow(DialogEvents& events, GtkWidget* window, GtkWidget* client, GtkWidget* slot1000)
    : m_events(events), m_window(window), m_client(client), m_slot1000(slot1000), m_parent(client)
{
    gtk_widget_add_events(m_window, GDK_BUTTON_PRESS_MASK | GDK_KEY_PRESS_MASK);
    g_signal_connect(m_client, "draw", G_CALLBACK(DrawClientThunk), this);
    g_signal_connect(m_window, "delete-event", G_CALLBACK(DeleteThunk), this);
    g_signal_connect(m_window, "button-press-event", G_CALLBACK(ButtonPressThunk), this);
    g_signal_connect(m_window, "key-press-event", G_CALLBACK(KeyPressThunk), this);
    // Keys reach the dialog here only when the focused widget (a web page, say) did not use them.
    g_signal_connect_after(m_window, "key-press-event", G_CALLBACK(UnusedKeyThunk), this);
    g_signal_connect(m_window, "map-event", G_CALLBACK(MapThunk), this);
    g_signal_connect(m_window, "destroy", G_CALLBACK(DestroyThunk), this);
    g_signal_connect(m_window, "notify::scale-factor", G_CALLBACK(ScaleThunk), this);
    gtk_widget_realize(m_window);
    // A fixed-size modal frame: the window manager offers moving and closing, nothing else.
    gdk_window_set_functions(gtk_widget_get_window(m_window), static_cast<GdkWMFunction>(GDK_FUNC_MOVE | GDK_FUNC_CLOSE));
    gdk_window_set_decorations(gtk_widget_get_window(m_window),
                               static_cast<GdkWMDecoration>(GDK_DECOR_BORDER | GDK_DECOR_TITLE | GDK_DECOR_MENU));
}

GtkDialogWindow::~GtkDialogWindow()
{
    m_hostMessages.Remove();
    const GObjectPtr<GtkWidget> window(m_window);  // the template's reference, dropped last
    g_signal_handlers_disconnect_by_data(window.get(), this);
    g_signal_handlers_disconnect_by_data(m_client, this);
    gtk_widget_destroy(window.get());
}

void GtkDialogWindow::SetTitle(std::u16string_view title)
{
    gtk_window_set_title(GTK_WINDOW(m_window), ToUtf8(title).c_str());
}

double GtkDialogWindow::ScaleFactor() const { return gtk_widget_get_scale_factor(m_window); }

void GtkDialogWindow::SetIcon(const Image& icon)
{
    m_icon = icon;
    ApplyIcon();
}

// At scale 2 or more the window manager is offered the icon's high-resolution companion as well, and
// picks the size it shows.
void GtkDialogWindow::ApplyIcon()
{
    GdkPixbuf* companion = ScaleFactor() >= kHighResolutionScale ? CompanionPixbufOf(m_icon) : nullptr;
    if (!companion) {
        gtk_window_set_icon(GTK_WINDOW(m_window), PixbufOf(m_icon));
        return;
    }
    GList* icons = g_list_append(g_list_append(nullptr, PixbufOf(m_icon)), companion);
    gtk_window_set_icon_list(GTK_WINDOW(m_window), icons);
    g_list_free(icons);
}

void GtkDialogWindow::SetClientSize(int width, int height)
{
    SetSheetSize(m_client, width, height);
    // A window that cannot be resized keeps its default size when that is larger than what it needs,
    // so the template's default must go too or a smaller sheet would never shrink it.
    gtk_window_set_default_size(GTK_WINDOW(m_window), width, height);
    gtk_window_resize(GTK_WINDOW(m_window), width, height);
    CenterOnScreen(width, height);
    gtk_widget_queue_draw(m_window);
}

// The font reaches the window and its direct children only, as a style of their own.
void GtkDialogWindow::SetDialogFont(const WindowFont& font)
{
    if (m_fontCss)
        gtk_style_context_remove_provider(gtk_widget_get_style_context(m_window), GTK_STYLE_PROVIDER(m_fontCss.get()));
    m_fontCss = AdoptObject(gtk_css_provider_new());
    const std::string css = FontCss(font);
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

GtkWidget* GtkDialogWindow::TemplateWidget(int id) const { return id == kBrowserSlotId ? m_slot1000 : nullptr; }

std::optional<ZelRect> GtkDialogWindow::TemplateControlRect(int id) const
{
    GtkWidget* slot = TemplateWidget(id);
    if (!slot || !gtk_widget_get_visible(slot))
        return std::nullopt;
    int x = 0, y = 0, w = 0, h = 0;
    gtk_container_child_get(GTK_CONTAINER(m_client), slot, "x", &x, "y", &y, nullptr);
    gtk_widget_get_size_request(slot, &w, &h);
    return ZelRect{x, y, x + w, y + h};
}

bool GtkDialogWindow::PlaceTemplateControl(int id, const ZelRect& rect)
{
    GtkWidget* slot = TemplateWidget(id);
    if (!slot)
        return false;
    gtk_fixed_move(GTK_FIXED(m_client), slot, rect.left, rect.top);
    gtk_widget_set_size_request(slot, std::max(rect.Width(), 0), std::max(rect.Height(), 0));
    gtk_widget_queue_draw(slot);
    return true;
}

bool GtkDialogWindow::HostBrowser(int id, BrowserView& browser)
{
    GtkWidget* slot = TemplateWidget(id);
    GtkWidget* view = BrowserWidget(browser);
    if (!slot || !view)
        return false;
    gtk_box_pack_start(GTK_BOX(slot), view, TRUE, TRUE, 0);
    gtk_widget_show(view);
    return true;
}

void GtkDialogWindow::RunModal()
{
    if (m_destroyed)
        return;
    gtk_widget_show(m_window);
    gtk_window_present(GTK_WINDOW(m_window));
    m_loop.reset(g_main_loop_new(nullptr, FALSE));
    g_main_loop_run(m_loop.get());
    m_loop.reset();
}

void GtkDialogWindow::EndModal()
{
    if (!m_destroyed)
        gtk_widget_hide(m_window);
    if (m_loop)
        g_main_loop_quit(m_loop.get());
}

void GtkDialogWindow::Minimize() { gtk_window_iconify(GTK_WINDOW(m_window)); }

void GtkDialogWindow::Redraw() { gtk_widget_queue_draw(m_window); }

std::optional<std::size_t> GtkDialogWindow::FocusedStop(const std::vector<TabStop>& stops) const
{
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(m_window));
    if (!focus)
        return std::nullopt;
    // The focus may sit inside a listed piece (for example in a browser's own widgets).
    for (std::size_t i = 0; i < stops.size(); ++i) {
        GtkWidget* widget = WidgetOf(stops[i]);
        if (widget && (widget == focus || gtk_widget_is_ancestor(focus, widget)))
            return i;
    }
    return std::nullopt;
}

void GtkDialogWindow::Focus(const TabStop& stop)
{
    GtkWidget* widget = WidgetOf(stop);
    if (!widget)
        return;
    if (gtk_widget_get_can_focus(widget))
        gtk_widget_grab_focus(widget);
    else
        gtk_widget_child_focus(widget, GTK_DIR_TAB_FORWARD);
}

std::uint32_t GtkDialogWindow::NativeId() const { return platform::NativeWindowId(m_window); }

bool GtkDialogWindow::ListenForHostMessages(HostMessageHandler handler)
{
    return m_hostMessages.Install(m_window, std::move(handler));
}

void GtkDialogWindow::StopHostMessages() { m_hostMessages.Remove(); }

void GtkDialogWindow::CenterOnScreen(int width, int height)
{
    GdkDisplay* display = gtk_widget_get_display(m_window);
    GdkMonitor* monitor = display ? gdk_display_get_primary_monitor(display) : nullptr;
    if (!monitor && display)
        monitor = gdk_display_get_monitor(display, 0);
    if (!monitor)
        return;
    GdkRectangle area{};
    gdk_monitor_get_workarea(monitor, &area);
    gtk_window_move(GTK_WINDOW(m_window), area.x + (area.width - width) / 2, area.y + (area.height - height) / 2);
}

gboolean GtkDialogWindow::DrawClientThunk(GtkWidget*, cairo_t* cr, gpointer self)
{
    CairoCanvas canvas(cr);
    static_cast<GtkDialogWindow*>(self)->m_events.PaintBackground(canvas);
    return FALSE;  // the children draw themselves on top
}

gboolean GtkDialogWindow::DeleteThunk(GtkWidget*, GdkEvent*, gpointer self)
{
    static_cast<GtkDialogWindow*>(self)->m_events.OnCloseBox();
    return TRUE;  // the window stays until the dialog ends
}

gboolean GtkDialogWindow::ButtonPressThunk(GtkWidget* widget, GdkEventButton* event, gpointer self)
{
    if (event->type != GDK_BUTTON_PRESS || event->button != GDK_BUTTON_PRIMARY)
        return FALSE;
    // Clicks bubbling up from child windows carry their own coordinates; use the root position.
    gint originX = 0, originY = 0;
    gdk_window_get_origin(gtk_widget_get_window(widget), &originX, &originY);
    const int y = static_cast<int>(event->y_root) - originY;
    if (!static_cast<GtkDialogWindow*>(self)->m_events.OnBackgroundPress(y))
        return FALSE;
    gtk_window_begin_move_drag(GTK_WINDOW(widget), static_cast<gint>(event->button), static_cast<gint>(event->x_root),
                               static_cast<gint>(event->y_root), event->time);
    return TRUE;
}

gboolean GtkDialogWindow::KeyPressThunk(GtkWidget*, GdkEventKey* event, gpointer self)
{
    if (KeyOf(event->keyval) != Key::Tab)
        return FALSE;
    return static_cast<GtkDialogWindow*>(self)->m_events.OnTabKey() ? TRUE : FALSE;
}

gboolean GtkDialogWindow::UnusedKeyThunk(GtkWidget*, GdkEventKey* event, gpointer self)
{
    return static_cast<GtkDialogWindow*>(self)->m_events.OnUnusedKey(KeyOf(event->keyval)) ? TRUE : FALSE;
}

gboolean GtkDialogWindow::MapThunk(GtkWidget*, GdkEvent*, gpointer self)
{
    static_cast<GtkDialogWindow*>(self)->m_events.OnShown();
    return FALSE;
}

void GtkDialogWindow::ScaleThunk(GtkWidget*, GParamSpec*, gpointer self)
{
    auto* window = static_cast<GtkDialogWindow*>(self);
    window->ApplyIcon();
    window->m_events.OnScaleChanged();
    gtk_widget_queue_draw(window->m_window);
}

void GtkDialogWindow::DestroyThunk(GtkWidget*, gpointer self)
{
    // Someone destroyed the window under us: the modal loop has nothing left to run.
    auto* window = static_cast<GtkDialogWindow*>(self);
    window->m_destroyed = true;
    window->m_events.OnDestroyedFromOutside();
    if (window->m_loop)
        g_main_loop_quit(window->m_loop.get());
}

}  // namespace tessaly::toolkit
