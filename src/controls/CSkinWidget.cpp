#include "controls/CSkinWidget.h"

#include <algorithm>

#include "controls/SkinArea.h"
#include "platform/toolkit/GObjectPtr.h"

namespace tessaly {
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

CSkinWidget::~CSkinWidget()
{
    if (!m_widget)
        return;
    // Nothing may call back into a destroyed control, even while GTK still holds the widget.
    const GObjectPtr<GtkWidget> widget(m_widget);  // our own reference, dropped last
    g_signal_handlers_disconnect_by_data(widget.get(), this);
    DetachSkinArea(widget.get());
    gtk_widget_destroy(widget.get());
}

bool CSkinWidget::Create(GtkWidget* parentFixed, const ZelRect& rect, int id)
{
    if (m_widget)
        return false;
    m_id = id;
    m_rect = rect;
    if (!parentFixed || !GTK_IS_FIXED(parentFixed))
        return false;
    m_widget = GTK_WIDGET(g_object_ref_sink(NewSkinArea(this)));
    // A control that does not take the mouse selects no pointer events, so its clicks reach the parent.
    const int pointer = GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK |
                        GDK_LEAVE_NOTIFY_MASK | GDK_ENTER_NOTIFY_MASK;
    gtk_widget_add_events(m_widget, (TakesMouse() ? pointer : 0) | GDK_KEY_PRESS_MASK | GDK_KEY_RELEASE_MASK |
                                        GDK_FOCUS_CHANGE_MASK);
    gtk_widget_set_can_focus(m_widget, AcceptsFocus());
    gtk_widget_set_size_request(m_widget, std::max(rect.Width(), 0), std::max(rect.Height(), 0));
    gtk_widget_set_sensitive(m_widget, m_enabled);
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
    gtk_fixed_put(GTK_FIXED(parentFixed), m_widget, rect.left, rect.top);
    gtk_widget_show(m_widget);
    return true;
}

void CSkinWidget::Move(const ZelRect& rect)
{
    const bool resized = rect.Width() != m_rect.Width() || rect.Height() != m_rect.Height();
    m_rect = rect;
    if (m_widget) {
        GtkWidget* parent = gtk_widget_get_parent(m_widget);
        if (parent && GTK_IS_FIXED(parent))
            gtk_fixed_move(GTK_FIXED(parent), m_widget, rect.left, rect.top);
        gtk_widget_set_size_request(m_widget, std::max(rect.Width(), 0), std::max(rect.Height(), 0));
        Invalidate();
    }
    if (resized)
        OnSize();
}

void CSkinWidget::SetEnabled(bool enabled)
{
    m_enabled = enabled;
    if (m_widget)
        gtk_widget_set_sensitive(m_widget, enabled);
    Invalidate();
}

bool CSkinWidget::HasFocus() const
{
    return m_widget && gtk_widget_has_focus(m_widget);
}

void CSkinWidget::Invalidate()
{
    if (m_widget)
        gtk_widget_queue_draw(m_widget);
}

void CSkinWidget::Notify(int notification)
{
    if (m_sink)
        m_sink(m_id, notification);
}

gboolean CSkinWidget::DrawThunk(GtkWidget* widget, cairo_t* cr, gpointer self)
{
    static_cast<CSkinWidget*>(self)->Paint(cr, gtk_widget_get_allocated_width(widget),
                                           gtk_widget_get_allocated_height(widget));
    return TRUE;
}

gboolean CSkinWidget::ButtonPressThunk(GtkWidget* widget, GdkEventButton* event, gpointer self)
{
    auto* control = static_cast<CSkinWidget*>(self);
    if (event->button != GDK_BUTTON_PRIMARY || !control->TakesMouse())
        return FALSE;
    // A third press already arrived as a plain press; the second belongs to the double click.
    if (event->type == GDK_3BUTTON_PRESS || (event->type == GDK_BUTTON_PRESS && IsSecondPressOfDoubleClick(event)))
        return TRUE;
    if (control->AcceptsFocus() && event->type == GDK_BUTTON_PRESS)
        gtk_widget_grab_focus(widget);
    control->OnLButtonDown(static_cast<int>(event->x), static_cast<int>(event->y),
                           event->type == GDK_2BUTTON_PRESS);
    return TRUE;
}

gboolean CSkinWidget::ButtonReleaseThunk(GtkWidget*, GdkEventButton* event, gpointer self)
{
    if (event->button != GDK_BUTTON_PRIMARY || !static_cast<CSkinWidget*>(self)->TakesMouse())
        return FALSE;
    static_cast<CSkinWidget*>(self)->OnLButtonUp(static_cast<int>(event->x), static_cast<int>(event->y));
    return TRUE;
}

gboolean CSkinWidget::MotionThunk(GtkWidget*, GdkEventMotion* event, gpointer self)
{
    static_cast<CSkinWidget*>(self)->OnMouseMove(static_cast<int>(event->x), static_cast<int>(event->y));
    return FALSE;
}

gboolean CSkinWidget::LeaveThunk(GtkWidget*, GdkEventCrossing* event, gpointer self)
{
    // A leave caused by our own pointer grab (a press) is not the pointer leaving the control.
    if (event->mode == GDK_CROSSING_NORMAL || event->mode == GDK_CROSSING_UNGRAB)
        static_cast<CSkinWidget*>(self)->OnMouseLeave();
    return FALSE;
}

gboolean CSkinWidget::KeyPressThunk(GtkWidget*, GdkEventKey* event, gpointer self)
{
    return static_cast<CSkinWidget*>(self)->OnKeyPress(event->keyval) ? TRUE : FALSE;
}

gboolean CSkinWidget::KeyReleaseThunk(GtkWidget*, GdkEventKey* event, gpointer self)
{
    return static_cast<CSkinWidget*>(self)->OnKeyRelease(event->keyval) ? TRUE : FALSE;
}

gboolean CSkinWidget::FocusThunk(GtkWidget* widget, GdkEventFocus* event, gpointer self)
{
    if (!event->in)
        static_cast<CSkinWidget*>(self)->OnFocusLost();
    gtk_widget_queue_draw(widget);
    return FALSE;
}

void CSkinWidget::RealizeThunk(GtkWidget*, gpointer self)
{
    static_cast<CSkinWidget*>(self)->OnRealized();
}

}  // namespace tessaly
