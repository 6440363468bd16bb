#pragma once
// A skin control's view on Windows: a child window of the dialog that paints the dialog's background
// under it and then the control, tracks the mouse (TrackMouseEvent for leaving), captures it while the
// button is held, and hands keys and focus to the control. A control that does not take the mouse
// answers HTTRANSPARENT, so its clicks reach the dialog (a picture in the band moves the window).
// Its place is in logical pixels; the window is at the device pixels of the parent's scale.
#include <windows.h>

#include <string>

#include "toolkit/ControlView.h"
#include "toolkit/win32/WindowClasses.h"
#include "toolkit/win32/Win32Toolkit.h"

namespace tessaly::toolkit {

class Win32ControlView : public ControlView {
public:
    Win32ControlView(ControlParent& parent, ControlEvents& events, const ZelRect& rect, ControlTraits traits,
                     bool enabled);
    ~Win32ControlView() override;
    Win32ControlView(const Win32ControlView&) = delete;
    Win32ControlView& operator=(const Win32ControlView&) = delete;

    void Move(const ZelRect& rect) override;
    void SetEnabled(bool enabled) override;
    bool HasFocus() const override;
    void Invalidate() override;
    void SetCursor(const Cursor& cursor) override;
    void SetToolTip(std::u16string_view text) override;
    void BeginWindowDrag() override;
    void CheckedChanged(bool checked) override;
    TabStop AsTabStop() const override;

    HWND Window() const { return m_window; }
    // Called once the window exists (from its first message, before CreateWindowEx returns).
    void AttachWindow(HWND window) { m_window = window; }
    // The window procedure's work for this view.
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

private:
    void Paint();
    // A mouse position's device pixels from the window's left (top) edge, as logical pixels from it;
    // `left` is the window's logical edge.
    int Logical(int device, int left) const;

    WindowClassUse m_classes;
    ControlParent& m_parent;
    ControlEvents& m_events;
    ControlTraits m_traits;
    ZelRect m_rect;
    HWND m_window = nullptr;
    HWND m_toolTip = nullptr;
    Cursor m_cursor;
    bool m_tracking = false;
};

// The key a virtual-key code stands for.
Key KeyOf(WPARAM virtualKey);

}  // namespace tessaly::toolkit
