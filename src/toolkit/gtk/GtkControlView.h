#pragma once
// A skin control's view in GTK: a drawing area (SkinArea) put into the dialog's GtkFixed.
#include <gtk/gtk.h>

#include "toolkit/ControlView.h"

namespace tessaly::toolkit {

class GtkControlView : public ControlView {
public:
    GtkControlView(ControlParent& parent, ControlEvents& events, const ZelRect& rect, ControlTraits traits,
                   bool enabled);
    ~GtkControlView() override;
    GtkControlView(const GtkControlView&) = delete;
    GtkControlView& operator=(const GtkControlView&) = delete;

    void Move(const ZelRect& rect) override;
    void SetEnabled(bool enabled) override;
    bool HasFocus() const override;
    void Invalidate() override;
    void SetCursor(const Cursor& cursor) override;
    void SetToolTip(std::u16string_view text) override;
    void BeginWindowDrag() override;
    void CheckedChanged(bool checked) override;
    TabStop AsTabStop() const override;

    GtkWidget* Widget() const { return m_widget; }

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
    static void ScaleThunk(GtkWidget* widget, GParamSpec* property, gpointer self);
    void ApplyCursor();

    ControlEvents& m_events;
    ControlTraits m_traits;
    GtkWidget* m_widget = nullptr;  // our own reference; the parent holds another
    Cursor m_cursor;
};

// The key a GDK key value stands for.
Key KeyOf(guint keyval);

}  // namespace tessaly::toolkit
