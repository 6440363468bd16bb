#include "toolkit/gtk/GtkControlView.h"

#include <gdk/gdkkeysyms.h>

#include <algorithm>

#include "support/WideText.h"
#include "toolkit/gtk/CairoCanvas.h"
#include "toolkit/gtk/GtkTypes.h"
#include "toolkit/gtk/SkinArea.h"

namespace tessaly::toolkit {
namespace {

// GDK reports the second press of a double click as a plain press, directly followed by a
// double-press event of its own. The pair stands for one double click, as the window system's
// double-click message replaces the second button-down there.
bool IsSecondPressOfDoubleClick(const GdkEventButton* press)
{
    GdkEvent* next = gdk_event_peek();
    const bool paired = next && next->type == GDK_2BUTTON_PRESS && next->button.window == press->window &&
                        next->button.button == press->button;
    if (next)
        gdk_event_free(next);
    return paired;
}

}  // namespace

std::unique_ptr<ControlView> ControlView::Create(ControlParent& parent, ControlEvents& events, const ZelRect& rect,
                                                 ControlTraits traits, bool enabled)
{
    if (!parent.Fixed() || !GTK_IS_FIXED(parent.Fixed()))
        return nullptr;
    return std::make_unique<GtkControlView>(parent, events, rect, traits, enabled);
}

Key KeyOf(guint keyval)
{
    switch (keyval) {
    case GDK_KEY_space: return Key::Space;
    case GDK_KEY_Return: return Key::Return;
    case GDK_KEY_KP_Enter: return Key::KeypadEnter;
    case GDK_KEY_Escape: return Key::Escape;
    case GDK_KEY_Tab:
    case GDK_KEY_ISO_Left_Tab:
    case GDK_KEY_KP_Tab: return Key::Tab;
    default: return Key::Other;
    }
}

GtkControlView::GtkControlView(ControlParent& parent, ControlEvents& events, const ZelRect& rect, ControlTraits traits,
                               bool enabled)
    : m_events(events), m_traits(traits)
{
    m_widget = GTK_WIDGET(g_object_ref_sink(NewSkinArea(&events)));
    // A control that does not take the mouse selects no pointer events, so its clicks reach the parent.
    const int pointer = GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK |
                        GDK_LEAVE_NOTIFY_MASK | GDK_ENTER_NOTIFY_MASK;
    gtk_widget_add_events(m_widget, (traits.takesMouse ? pointer : 0) | GDK_KEY_PRESS_MASK | GDK_KEY_RELEASE_MASK |
                                        GDK_FOCUS_CHANGE_MASK);
    gtk_widget_set_can_focus(m_widget, traits.acceptsFocus);
    gtk_widget_set_size_request(m_widget, std::max(rect.Width(), 0), std::max(rect.Height(), 0));
    gtk_widget_set_sensitive(m_widget, enabled);
    g_signal_connect(m_widget, "draw", G_CALLBACK(DrawThunk), this);
    g_signal_connect(m_widget, "button-press-event", G_CALLBACK(ButtonPressThunk), this);
    g_signal_connect(m_widget, "button-release-event", G_CALLBACK(ButtonReleaseThunk), this);
    g_signal_connect(m_widget, "motion-notify-event", G_CALLBACK(MotionThunk), this);
    g_signal_connect(m_widget, "leave-notify-event", G_CALLBACK(LeaveThunk), this);
    g_signal_connect(m_widget, "key-press-event", G_CALLBACK(KeyPressThunk), this);
    g_signal_connect(m_widget, "key-release-event", G_CALLBACK(KeyReleaseThunk), this);
    g_signal_connect(m_widget, "focus-in-event", G_CALLBACK(FocusThunk), this);
    g_signal_connect(m_widget, "focus-out-event", G_CALLBACK(FocusThunk), this);
    g_signal_connect(m_widget, "realize", G_CALLBACK(RealizeThunk), this);
    g_signal_connect(m_widget, "notify::scale-factor", G_CALLBACK(ScaleThunk), this);
    gtk_fixed_put(GTK_FIXED(parent.Fixed()), m_widget, rect.left, rect.top);
    gtk_widget_show(m_widget);
}

GtkControlView::~GtkControlView()
{
    // Nothing may call back into a destroyed control, even while GTK still holds the widget.
    const GObjectPtr<GtkWidget> widget(m_widget);  // our own reference, dropped last
    g_signal_handlers_disconnect_by_data(widget.get(), this);
    DetachSkinArea(widget.get());
    gtk_widget_destroy(widget.get());
}

void GtkControlView::Move(const ZelRect& rect)
{
    GtkWidget* parent = gtk_widget_get_parent(m_widget);
    if (parent && GTK_IS_FIXED(parent))
        gtk_fixed_move(GTK_FIXED(parent), m_widget, rect.left, rect.top);
    gtk_widget_set_size_request(m_widget, std::max(rect.Width(), 0), std::max(rect.Height(), 0));
    Invalidate();
}

void GtkControlView::SetEnabled(bool enabled) { gtk_widget_set_sensitive(m_widget, enabled); }

bool GtkControlView::HasFocus() const { return gtk_widget_has_focus(m_widget); }

void GtkControlView::Invalidate() { gtk_widget_queue_draw(m_widget); }

void GtkControlView::SetCursor(const Cursor& cursor)
{
    m_cursor = cursor;
    ApplyCursor();
}

// The cursor belongs to the control's own window, so GDK shows it while the pointer is over the
// control and restores the previous one when it leaves. It follows the window's scale.
void GtkControlView::ApplyCursor()
{
    if (gtk_widget_get_realized(m_widget))
        gdk_window_set_cursor(gtk_widget_get_window(m_widget),
                              CursorOf(m_cursor, gtk_widget_get_scale_factor(m_widget)));
}

void GtkControlView::SetToolTip(std::u16string_view text)
{
    gtk_widget_set_tooltip_text(m_widget, text.empty() ? nullptr : ToUtf8(text).c_str());
}

void GtkControlView::BeginWindowDrag()
{
    GtkWidget* toplevel = gtk_widget_get_toplevel(m_widget);
    GdkEvent* event = gtk_get_current_event();
    if (GTK_IS_WINDOW(toplevel) && event && event->type == GDK_BUTTON_PRESS) {
        const GdkEventButton& press = event->button;
        gtk_window_begin_move_drag(GTK_WINDOW(toplevel), static_cast<gint>(press.button),
                                   static_cast<gint>(press.x_root), static_cast<gint>(press.y_root), press.time);
    }
    if (event)
        gdk_event_free(event);
}

void GtkControlView::CheckedChanged(bool checked)
{
    atk_object_notify_state_change(gtk_widget_get_accessible(m_widget), ATK_STATE_CHECKED, checked);
}

TabStop GtkControlView::AsTabStop() const { return TabStopOf(m_widget); }

gboolean GtkControlView::DrawThunk(GtkWidget* widget, cairo_t* cr, gpointer self)
{
    CairoCanvas canvas(cr);
    static_cast<GtkControlView*>(self)->m_events.Paint(canvas, gtk_widget_get_allocated_width(widget),
                                                       gtk_widget_get_allocated_height(widget));
    return TRUE;
}

gboolean GtkControlView::ButtonPressThunk(GtkWidget* widget, GdkEventButton* event, gpointer self)
{
    auto* view = static_cast<GtkControlView*>(self);
    if (event->button != GDK_BUTTON_PRIMARY || !view->m_traits.takesMouse)
        return FALSE;
    // A third press already arrived as a plain press; the second belongs to the double click.
    if (event->type == GDK_3BUTTON_PRESS || (event->type == GDK_BUTTON_PRESS && IsSecondPressOfDoubleClick(event)))
        return TRUE;
    if (view->m_traits.acceptsFocus && event->type == GDK_BUTTON_PRESS)
        gtk_widget_grab_focus(widget);
    view->m_events.OnLButtonDown(static_cast<int>(event->x), static_cast<int>(event->y),
                                 event->type == GDK_2BUTTON_PRESS);
    return TRUE;
}

gboolean GtkControlView::ButtonReleaseThunk(GtkWidget*, GdkEventButton* event, gpointer self)
{
    auto* view = static_cast<GtkControlView*>(self);
    if (event->button != GDK_BUTTON_PRIMARY || !view->m_traits.takesMouse)
        return FALSE;
    view->m_events.OnLButtonUp(static_cast<int>(event->x), static_cast<int>(event->y));
    return TRUE;
}

gboolean GtkControlView::MotionThunk(GtkWidget*, GdkEventMotion* event, gpointer self)
{
    static_cast<GtkControlView*>(self)->m_events.OnMouseMove(static_cast<int>(event->x), static_cast<int>(event->y));
    return FALSE;
}

gboolean GtkControlView::LeaveThunk(GtkWidget*, GdkEventCrossing* event, gpointer self)
{
    // A leave caused by our own pointer grab (a press) is not the pointer leaving the control.
    if (event->mode == GDK_CROSSING_NORMAL || event->mode == GDK_CROSSING_UNGRAB)
        static_cast<GtkControlView*>(self)->m_events.OnMouseLeave();
    return FALSE;
}

gboolean GtkControlView::KeyPressThunk(GtkWidget*, GdkEventKey* event, gpointer self)
{
    return static_cast<GtkControlView*>(self)->m_events.OnKeyPress(KeyOf(event->keyval)) ? TRUE : FALSE;
}

gboolean GtkControlView::KeyReleaseThunk(GtkWidget*, GdkEventKey* event, gpointer self)
{
    return static_cast<GtkControlView*>(self)->m_events.OnKeyRelease(KeyOf(event->keyval)) ? TRUE : FALSE;
}

gboolean GtkControlView::FocusThunk(GtkWidget* widget, GdkEventFocus* event, gpointer self)
{
    if (!event->in)
        static_cast<GtkControlView*>(self)->m_events.OnFocusLost();
    gtk_widget_queue_draw(widget);
    return FALSE;
}

void GtkControlView::RealizeThunk(GtkWidget*, gpointer self) { static_cast<GtkControlView*>(self)->ApplyCursor(); }

void GtkControlView::ScaleThunk(GtkWidget*, GParamSpec*, gpointer self)
{
    static_cast<GtkControlView*>(self)->ApplyCursor();
}

}  // namespace tessaly::toolkit
