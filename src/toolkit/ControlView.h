#pragma once
// The toolkit's side of one skin control: a child of the dialog's client area at a pixel position,
// which the control draws itself (through Paint) and which hands the control its mouse, keyboard and
// focus events. What the control does with them is decided above the toolkit.
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "config/ConfigTypes.h"
#include "toolkit/Canvas.h"
#include "toolkit/Cursor.h"
#include "toolkit/Keys.h"
#include "toolkit/TabStop.h"

namespace tessaly::toolkit {

// How assistive technology (screen readers and the like) sees a control.
enum class AccessibleRole { Unknown, Label, PushButton, CheckBox, RadioButton, Decoration };

// What the view asks of its control. Coordinates are in the control's own pixels.
class ControlEvents {
public:
    virtual void Paint(Canvas& canvas, int width, int height) = 0;
    virtual void OnMouseMove(int x, int y) = 0;
    virtual void OnMouseLeave() = 0;
    virtual void OnLButtonDown(int x, int y, bool doubleClick) = 0;
    virtual void OnLButtonUp(int x, int y) = 0;
    // True when the control used the key; an unused key goes on to the dialog.
    virtual bool OnKeyPress(Key key) = 0;
    virtual bool OnKeyRelease(Key key) = 0;
    virtual void OnFocusLost() = 0;
    // The control's role, its name (its text; the tooltip stands in when it is empty) and, for
    // controls that can be checked, whether they are. Asked each time, so they follow the control.
    virtual AccessibleRole Role() const = 0;
    virtual std::u16string AccessibleText() const = 0;
    virtual std::optional<bool> AccessibleChecked() const = 0;

protected:
    ~ControlEvents() = default;
};

// Where controls are placed: the client area of a dialog (the toolkit's own type).
class ControlParent;

struct ControlTraits {
    bool takesMouse = true;     // false: clicks go through to the dialog under it
    bool acceptsFocus = false;  // takes part in keyboard focus
};

class ControlView {
public:
    // Makes the view at `rect` inside `parent` and shows it; `events` must outlive the view.
    static std::unique_ptr<ControlView> Create(ControlParent& parent, ControlEvents& events, const ZelRect& rect,
                                               ControlTraits traits, bool enabled);
    virtual ~ControlView() = default;

    virtual void Move(const ZelRect& rect) = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool HasFocus() const = 0;
    // Schedules a repaint of the whole control.
    virtual void Invalidate() = 0;
    // The cursor shown while the pointer is over the control (empty: the default one).
    virtual void SetCursor(const Cursor& cursor) = 0;
    // The tooltip (empty removes it).
    virtual void SetToolTip(std::u16string_view text) = 0;
    // Starts moving the whole window with the mouse button that is pressed on the control now.
    virtual void BeginWindowDrag() = 0;
    // Tells assistive technology that the checked state changed.
    virtual void CheckedChanged(bool checked) = 0;
    virtual TabStop AsTabStop() const = 0;
};

}  // namespace tessaly::toolkit
