#pragma once
// Base of the skin's custom-drawn controls. Each control has a view in the window toolkit, placed at
// a pixel position inside the dialog's client area, and draws everything itself in Paint(), which
// tests also call directly on bitmaps. Mouse, keyboard and focus events arrive as virtual calls;
// commands go to the owner through a sink, like a child's notification to its parent. Without a view
// (before Create) a control still keeps its state and makes its decisions, it only shows nothing.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "config/COwnedObject.h"
#include "config/ConfigTypes.h"
#include "toolkit/ControlView.h"

namespace tessaly {

// Notification codes carried with a command.
inline constexpr int kNotifyClicked = 0;
inline constexpr int kNotifyDoubleClicked = 1;

class CSkinWidget : public COwnedObject, public toolkit::ControlEvents {
public:
    using CommandSink = std::function<void(int id, int notification)>;

    CSkinWidget() = default;
    CSkinWidget(const CSkinWidget&) = delete;
    CSkinWidget& operator=(const CSkinWidget&) = delete;
    ~CSkinWidget() override;

    // Takes the id and place, then makes the view, shows it and puts it into `parent` at `rect`. False,
    // without a view, when there is no parent, the view already exists or it cannot be made.
    bool Create(toolkit::ControlParent* parent, const ZelRect& rect, int id);
    // Moves and resizes the control inside its parent; works before Create too.
    void Move(const ZelRect& rect);
    const ZelRect& Rect() const { return m_rect; }
    // The toolkit's view; null before Create.
    toolkit::ControlView* View() const { return m_view.get(); }
    int Id() const { return m_id; }
    void SetCommandSink(CommandSink sink) { m_sink = std::move(sink); }
    void SetEnabled(bool enabled);
    bool IsEnabled() const { return m_enabled; }
    bool HasFocus() const;
    // Schedules a repaint of the whole control.
    void Invalidate();

    // Draws the control over 0, 0, width, height.
    void Paint(toolkit::Canvas& canvas, int width, int height) override = 0;
    // Pointer and keyboard events; coordinates are in the control's own pixels.
    void OnMouseMove(int /*x*/, int /*y*/) override {}
    void OnMouseLeave() override {}
    void OnLButtonDown(int /*x*/, int /*y*/, bool /*doubleClick*/) override {}
    void OnLButtonUp(int /*x*/, int /*y*/) override {}
    bool OnKeyPress(toolkit::Key /*key*/) override { return false; }
    bool OnKeyRelease(toolkit::Key /*key*/) override { return false; }
    void OnFocusLost() override {}
    toolkit::AccessibleRole Role() const override { return toolkit::AccessibleRole::Unknown; }
    std::u16string AccessibleText() const override { return {}; }
    std::optional<bool> AccessibleChecked() const override { return std::nullopt; }

protected:
    // The control's size changed (drops size-dependent caches).
    virtual void OnSize() {}
    // The view was just made (for example to give it the control's cursor).
    virtual void OnViewCreated() {}
    // Whether the control takes part in keyboard focus.
    virtual bool AcceptsFocus() const { return false; }
    // Whether the control takes the mouse; a control that does not lets its parent see the clicks.
    virtual bool TakesMouse() const { return true; }
    void Notify(int notification);
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_rect.Width() && y < m_rect.Height(); }

private:
    std::unique_ptr<toolkit::ControlView> m_view;
    ZelRect m_rect;
    int m_id = 0;
    bool m_enabled = true;
    CommandSink m_sink;
};

}  // namespace tessaly
