#pragma once
// The toolkit's side of a skinned modal dialog: a fixed-size toplevel made from dialog template 1000,
// whose client area is exactly the sheet's size and holds the controls; the template's control 1000
// (the browser's slot) sits at 0, 0, 411 x 286 until placed. The dialog's decisions (what a click in
// the band does, Tab order, how the dialog ends) are made above the toolkit, through DialogEvents.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "config/ConfigTypes.h"
#include "config/WindowFont.h"
#include "toolkit/Canvas.h"
#include "toolkit/ControlView.h"
#include "toolkit/Image.h"
#include "toolkit/Keys.h"
#include "toolkit/TabStop.h"

namespace tessaly::toolkit {

class BrowserView;

// What the window asks of its dialog; everything runs on the thread that runs the dialog.
class DialogEvents {
public:
    // Paints the client area's background; the controls draw themselves on top.
    virtual void PaintBackground(Canvas& canvas) = 0;
    // The close box (the window stays until the dialog ends).
    virtual void OnCloseBox() = 0;
    // A primary-button press that no control took, at client row y: true when it starts moving the
    // window.
    virtual bool OnBackgroundPress(int y) = 0;
    // Tab anywhere in the window: true when the dialog moved the focus itself.
    virtual bool OnTabKey() = 0;
    // A key that the focused piece (a control, a web page) did not use: true when the dialog used it.
    virtual bool OnUnusedKey(Key key) = 0;
    // Someone destroyed the window before the dialog ended.
    virtual void OnDestroyedFromOutside() = 0;
    // The window is on screen.
    virtual void OnShown() = 0;
    // The window's scale (ScaleFactor) changed: it moved to a screen of another resolution, or the
    // user changed the setting. Bitmaps made at the old scale should be made again; the window
    // repaints afterwards.
    virtual void OnScaleChanged() = 0;

protected:
    ~DialogEvents() = default;
};

using HostMessageHandler = std::function<void(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)>;

class DialogWindow {
public:
    // Makes the window from the template, realized but hidden, its client area width x height. Null
    // when the template cannot be built (for example without a display).
    static std::unique_ptr<DialogWindow> FromTemplate(DialogEvents& events, int width, int height);
    // Destroys the window and everything in it.
    virtual ~DialogWindow() = default;

    virtual ControlParent& Client() = 0;
    // Device pixels per logical pixel of the client area: 1 on an ordinary screen, 2 at 200 %
    // (GTK's scale factor, 1, 2 or 3; on Windows the window's DPI / 96 where the host is DPI aware,
    // otherwise 1, and the system stretches the window). The window's sizes and positions, and the
    // skin's, stay logical pixels whatever the scale; the window at scale N is the scale-1 window at
    // N times the size.
    virtual double ScaleFactor() const = 0;
    virtual void SetTitle(std::u16string_view title) = 0;
    // A decoded image; at scale 2 or more its high-resolution companion is offered too.
    virtual void SetIcon(const Image& icon) = 0;
    // Makes the client area exactly width x height and centres the window on the work area.
    virtual void SetClientSize(int width, int height) = 0;
    // The font of the window and of its direct children (template controls), not of the skin's controls.
    virtual void SetDialogFont(const WindowFont& font) = 0;

    // A template control's place in the client area while it is shown; nothing for other ids.
    virtual std::optional<ZelRect> TemplateControlRect(int id) const = 0;
    // Moves and resizes a template control; false for an unknown id.
    virtual bool PlaceTemplateControl(int id, const ZelRect& rect) = 0;
    // Puts the browser into a template control, filling it; false for an unknown id.
    virtual bool HostBrowser(int id, BrowserView& browser) = 0;

    // Shows the window and runs it until EndModal or until it is destroyed from outside.
    virtual void RunModal() = 0;
    // Hides the window and ends RunModal (also before it started).
    virtual void EndModal() = 0;
    virtual void Minimize() = 0;
    virtual void Redraw() = 0;

    // The index in `stops` of the piece holding the keyboard focus (or holding it inside itself).
    virtual std::optional<std::size_t> FocusedStop(const std::vector<TabStop>& stops) const = 0;
    virtual void Focus(const TabStop& stop) = 0;

    // The id hosts address the window by (an X11 id on X11); 0 when the window system has none.
    virtual std::uint32_t NativeId() const = 0;
    // Hands the messages hosts send to the window (by its native id) to `handler`, until the window
    // goes. False when the window system gives no way to address this window.
    virtual bool ListenForHostMessages(HostMessageHandler handler) = 0;
    virtual void StopHostMessages() = 0;
};

}  // namespace tessaly::toolkit
