#include "toolkit/win32/Win32ControlView.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cmath>

#include "support/SwallowedException.h"
#include "toolkit/win32/PixelCanvas.h"

namespace tessaly::toolkit {
namespace {

Win32ControlView* ViewOf(HWND window)
{
    return reinterpret_cast<Win32ControlView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace

Key KeyOf(WPARAM virtualKey)
{
    switch (virtualKey) {
    case VK_SPACE: return Key::Space;
    case VK_RETURN: return Key::Return;
    case VK_ESCAPE: return Key::Escape;
    case VK_TAB: return Key::Tab;
    default: return Key::Other;
    }
}

std::unique_ptr<ControlView> ControlView::Create(ControlParent& parent, ControlEvents& events, const ZelRect& rect,
                                                 ControlTraits traits, bool enabled)
{
    if (!parent.Window())
        return nullptr;
    auto view = std::make_unique<Win32ControlView>(parent, events, rect, traits, enabled);
    return view->Window() ? std::move(view) : nullptr;
}

Win32ControlView::Win32ControlView(ControlParent& parent, ControlEvents& events, const ZelRect& rect,
                                   ControlTraits traits, bool enabled)
    : m_parent(parent), m_events(events), m_traits(traits), m_rect(rect)
{
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | (traits.acceptsFocus ? WS_TABSTOP : 0) |
                        (enabled ? 0 : WS_DISABLED);
    const RECT place = DeviceRect(rect, parent.Scale());
    m_window = CreateWindowExW(0, kControlClass, L"", style, place.left, place.top,
                               std::max(place.right - place.left, 0L), std::max(place.bottom - place.top, 0L),
                               parent.Window(), nullptr, ToolkitInstance(), this);
}

Win32ControlView::~Win32ControlView()
{
    if (m_window) {
        // Nothing may call back into a control that is going.
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
    if (m_toolTip)
        DestroyWindow(m_toolTip);
}

void Win32ControlView::Move(const ZelRect& rect)
{
    m_rect = rect;
    const RECT place = DeviceRect(rect, m_parent.Scale());
    SetWindowPos(m_window, nullptr, place.left, place.top, std::max(place.right - place.left, 0L),
                 std::max(place.bottom - place.top, 0L), SWP_NOZORDER | SWP_NOACTIVATE);
    Invalidate();
}

int Win32ControlView::Logical(int device, int left) const
{
    const double scale = m_parent.Scale();
    return static_cast<int>(std::floor((device + DevicePixels(left, scale)) / scale)) - left;
}

void Win32ControlView::SetEnabled(bool enabled) { EnableWindow(m_window, enabled ? TRUE : FALSE); }

bool Win32ControlView::HasFocus() const { return m_window && GetFocus() == m_window; }

void Win32ControlView::Invalidate() { InvalidateRect(m_window, nullptr, FALSE); }

void Win32ControlView::SetCursor(const Cursor& cursor) { m_cursor = cursor; }

void Win32ControlView::SetToolTip(std::u16string_view text)
{
    if (!m_toolTip) {
        m_toolTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_window, nullptr, ToolkitInstance(),
                                    nullptr);
        if (!m_toolTip)
            return;
    }
    std::wstring wide(reinterpret_cast<const wchar_t*>(text.data()), text.size());
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_window;
    tool.uId = reinterpret_cast<UINT_PTR>(m_window);
    tool.lpszText = wide.data();
    SendMessageW(m_toolTip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    if (!wide.empty())
        SendMessageW(m_toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32ControlView::BeginWindowDrag()
{
    // The system moves the window while the button stays down, as for a press on the caption.
    ReleaseCapture();
    SendMessageW(GetAncestor(m_window, GA_ROOT), WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void Win32ControlView::CheckedChanged(bool)
{
    NotifyWinEvent(EVENT_OBJECT_STATECHANGE, m_window, OBJID_CLIENT, CHILDID_SELF);
}

TabStop Win32ControlView::AsTabStop() const { return TabStopOf(m_window); }

void Win32ControlView::Paint()
{
    PaintWindow(m_window, m_parent.Scale(), m_rect.left, m_rect.top, [this](Canvas& canvas, int, int) {
        m_parent.PaintBackground(canvas, m_rect);
        m_events.Paint(canvas, m_rect.Width(), m_rect.Height());
    });
}

LRESULT Win32ControlView::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    const int x = Logical(GET_X_LPARAM(lParam), m_rect.left), y = Logical(GET_Y_LPARAM(lParam), m_rect.top);
    switch (message) {
    case kScaleChangedMessage:
        Move(m_rect);
        return 0;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_NCHITTEST:
        if (!m_traits.takesMouse)
            return HTTRANSPARENT;
        break;
    case WM_MOUSEMOVE:
        if (!m_tracking) {
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, m_window, 0};
            m_tracking = TrackMouseEvent(&track) != FALSE;
        }
        m_events.OnMouseMove(x, y);
        return 0;
    case WM_MOUSELEAVE:
        m_tracking = false;
        if (GetCapture() != m_window)  // leaving while held is a move outside, not a leave
            m_events.OnMouseLeave();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (m_traits.acceptsFocus)
            SetFocus(m_window);
        SetCapture(m_window);
        m_events.OnLButtonDown(x, y, message == WM_LBUTTONDBLCLK);
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == m_window)
            ReleaseCapture();
        m_events.OnLButtonUp(x, y);
        return 0;
    case WM_GETDLGCODE:
        // Space and Return belong to a focused control; Tab and Escape stay with the dialog.
        if (lParam) {
            const auto* msg = reinterpret_cast<const MSG*>(lParam);
            if ((msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) &&
                (msg->wParam == VK_RETURN || msg->wParam == VK_SPACE))
                return DLGC_WANTMESSAGE;
        }
        return DLGC_WANTCHARS;
    case WM_KEYDOWN:
        if (m_events.OnKeyPress(KeyOf(wParam)))
            return 0;
        break;
    case WM_KEYUP:
        if (m_events.OnKeyRelease(KeyOf(wParam)))
            return 0;
        break;
    case WM_SETFOCUS:
        Invalidate();
        return 0;
    case WM_KILLFOCUS:
        m_events.OnFocusLost();
        Invalidate();
        return 0;
    case WM_SETCURSOR:
        if (m_cursor && LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(CursorOf(m_cursor, m_parent.Scale()));
            return TRUE;
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* view = static_cast<Win32ControlView*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
        if (view)
            view->AttachWindow(window);
    }
    Win32ControlView* view = ViewOf(window);
    if (!view || message == WM_NCCREATE)
        return DefWindowProcW(window, message, wParam, lParam);
    try {
        return view->Handle(message, wParam, lParam);
    } catch (...) {
        TraceSwallowed(u"Win32ControlView", u"a control's message handling failed");
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace tessaly::toolkit
