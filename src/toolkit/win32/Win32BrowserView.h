#pragma once
// The browser on Windows: the WebBrowser control, hosted in place in a slot window of the dialog with
// the library's own client site, in-place site and document host UI handler. The page's
// window.external is answered member by member through BrowserEvents; there is no context menu and
// no script error dialog. DocumentComplete for the top frame is the completed load; a request for a
// new window is loaded in this same control. Every COM interface the view holds is released when it
// goes.
#include <windows.h>

#include <memory>

#include "toolkit/BrowserView.h"

namespace tessaly::toolkit {

class Win32BrowserView : public BrowserView {
public:
    // Activates the control in place, filling the child window `slot`; false when it cannot be
    // made there (no control class, no apartment).
    virtual bool AttachTo(HWND slot) = 0;
    // Follows the slot's new size (its client rectangle).
    virtual void FitTo(const RECT& client) = 0;
    // Gives the active control a look at a keyboard message before it is dispatched (Tab and
    // accelerators inside the page); true when the control used it.
    virtual bool TranslateAccelerator(MSG& message) = 0;
};

}  // namespace tessaly::toolkit
