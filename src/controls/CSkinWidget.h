#pragma once
// Base of the skin's custom-drawn controls. Each control owns one GtkDrawingArea placed at a pixel
// position inside its parent's GtkFixed and draws everything itself with cairo and Pango in
// Paint(), which tests call directly on image surfaces. Mouse, keyboard and focus events arrive as
// virtual calls; commands go to the owner through a sink, like a child's notification to its parent.
#include <gtk/gtk.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "config/COwnedObject.h"
#include "config/ConfigTypes.h"

namespace tessaly {

// Notification codes carried with a command.
inline constexpr int kNotifyClicked = 0;
inline constexpr int kNotifyDoubleClicked = 1;

class CSkinWidget : public COwnedObject {
public:
    using CommandSink = std::function<void(int id, int notification)>;

    CSkinWidget() = default;
    CSkinWidget(const CSkinWidget&) = delete;
    CSkinWidget& operator=(const CSkinWidget&) = delete;
    ~CSkinWidget() override;

    // Takes the id and place, then makes the widget, shows it and puts it into `parentFixed` (a
    // GtkFixed) at `rect`. False, without a widget, when there is no such parent or the widget
    // already exists.
    bool Create(GtkWidget* parentFixed, const ZelRect& rect, int id);

    // Moves and resizes the control inside its parent; works before Create too.
    void Move(const ZelRect& rect);
    const ZelRect& Rect() const { return m_rect; }

    GtkWidget* Widget() const { return m_widget; }
    int Id() const { return m_id; }
    void SetCommandSink(CommandSink sink) { m_sink = std::move(sink); }

    void SetEnabled(bool enabled);
    bool IsEnabled() const { return m_enabled; }
    bool HasFocus() const;

    // Schedules a repaint of the whole control.
    void Invalidate();

    // Draws the control over 0, 0, width, height.
    virtual void Paint(cairo_t* cr, int width, int height) = 0;

    // Pointer and keyboard events; coordinates are in the control's own pixels.
    virtual void OnMouseMove(int /*x*/, int /*y*/) {}
    virtual void OnMouseLeave() {}
    virtual void OnLButtonDown(int /*x*/, int /*y*/, bool /*doubleClick*/) {}
    virtual void OnLButtonUp(int /*x*/, int /*y*/) {}
    virtual bool OnKeyPress(unsigned /*keyval*/) { return false; }
    virtual bool OnKeyRelease(unsigned /*keyval*/) { return false; }
    virtual void OnFocusLost() {}

    // How assistive technology sees the control: its role, its name (the control's text; the
    // tooltip stands in when it is empty) and, for controls that can be checked, whether they are.
    virtual AtkRole AccessibleRole() const { return ATK_ROLE_UNKNOWN; }
    virtual std::u16string AccessibleText() const { return {}; }
    virtual std::optional<bool> AccessibleChecked() const { return std::nullopt; }

protected:
    // The control's size changed (drops size-dependent caches).
    virtual void OnSize() {}
    // The widget got its window (for example to set a cursor on it).
    virtual void OnRealized() {}
    // Whether the control takes part in keyboard focus.
    virtual bool AcceptsFocus() const { return false; }
    // Whether the control takes the mouse; a control that does not lets its parent see the clicks.
    virtual bool TakesMouse() const { return true; }

    void Notify(int notification);
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_rect.Width() && y < m_rect.Height(); }

private:
    static gboolean DrawThunk(GtkWidget* widget, cairo_t* cr, gpointer self);
    static gboolean ButtonPressThunk(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean ButtonReleaseThunk(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean MotionThunk(GtkWidget* widget, GdkEventMotion* event, gpointer self);
    static gboolean LeaveThunk(GtkWidget* widget, GdkEventCrossing* event, gpointer self);
    static gboolean KeyPressThunk(GtkWidget* widget, GdkEventKey* event, gpointer self);
    static gboolean KeyReleaseThunk(GtkWidget* widget, GdkEventKey* event, gpointer self);
    static gboolean FocusThunk(GtkWidget* widget, GdkEventFocus* event, gpointer self);
    static void RealizeThunk(GtkWidget* widget, gpointer self);

    GtkWidget* m_widget = nullptr;  // our own reference; the parent holds another
    ZelRect m_rect;
    int m_id = 0;
    bool m_enabled = true;
    CommandSink m_sink;
};

}  // namespace tessaly
