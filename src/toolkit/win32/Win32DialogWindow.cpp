#include "toolkit/win32/Win32DialogWindow.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/win32/DpiFunctions.h"
#include "platform/win32/Win32Support.h"
#include "support/SwallowedException.h"
#include "toolkit/win32/PixelCanvas.h"
#include "toolkit/win32/Win32BrowserView.h"
#include "toolkit/win32/Win32ControlView.h"

namespace tessaly::toolkit {
namespace {

constexpr int kTemplateId = 1000;
constexpr int kBrowserSlotId = 1000;
constexpr int kSlotWidth = 411;
constexpr int kSlotHeight = 286;
// Messages hosts may send the window (the private range below WM_APP).
constexpr UINT kFirstHostMessage = WM_USER;
constexpr UINT kLastHostMessage = WM_APP - 1;
// The browser's slot tells the dialog that it was resized, so that the browser follows it.
constexpr UINT kSlotResized = WM_APP + 0x3FF0;
// WM_DPICHANGED (Windows 8.1 and later) and WM_GETDPISCALEDSIZE (Windows 10 1703 and later), spelled
// out for older headers.
constexpr UINT kDpiChanged = 0x02E0;
constexpr UINT kGetDpiScaledSize = 0x02E4;

Win32DialogWindow* DialogOf(HWND window)
{
    return reinterpret_cast<Win32DialogWindow*>(GetWindowLongPtrW(window, DWLP_USER));
}

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<Win32DialogWindow*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        dialog->AttachWindow(window);
        return FALSE;  // the focus is set when the window is shown
    }
    Win32DialogWindow* dialog = DialogOf(window);
    if (!dialog)
        return FALSE;
    try {
        return dialog->Handle(message, wParam, lParam);
    } catch (...) {
        TraceSwallowed(u"Win32DialogWindow", u"the dialog's message handling failed");
        return FALSE;
    }
}

// A 32-bit icon from an image's pixels; null when it cannot be made.
HICON IconFromImage(const ImageData* data)
{
    if (!data)
        return nullptr;
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof(header);
    header.bV5Width = data->width;
    header.bV5Height = -data->height;
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    UniqueGdiObject<HBITMAP> color(CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS,
                                                    &bits, nullptr, 0));
    ReleaseDC(nullptr, screen);
    if (!color || !bits)
        return nullptr;
    std::copy(data->pixels.begin(), data->pixels.end(), static_cast<std::uint32_t*>(bits));
    UniqueGdiObject<HBITMAP> mask(CreateBitmap(data->width, data->height, 1, 1, nullptr));
    ICONINFO info{TRUE, 0, 0, mask.get(), color.get()};
    return CreateIconIndirect(&info);
}

}  // namespace

std::unique_ptr<DialogWindow> DialogWindow::FromTemplate(DialogEvents& events, int width, int height)
{
    auto window = std::make_unique<Win32DialogWindow>(events, width, height);
    return window->Window() ? std::move(window) : nullptr;
}

Win32DialogWindow::Win32DialogWindow(DialogEvents& events, int width, int height)
    : m_events(events),
      m_parent(nullptr, [this](Canvas& canvas, const ZelRect& area) { PaintBackgroundArea(canvas, area); }),
      m_width(width),
      m_height(height)
{
    CreateDialogParamW(ToolkitInstance(), MAKEINTRESOURCEW(kTemplateId), nullptr, DialogProc,
                       reinterpret_cast<LPARAM>(this));
    if (!m_window)
        return;
    m_parent.AttachWindow(m_window);
    platform::win32::KeepDialogLayout(m_window);
    ApplyDpi(platform::win32::DpiOfWindow(m_window));
    PlaceTemplateControl(kBrowserSlotId, ZelRect{0, 0, kSlotWidth, kSlotHeight});
    SetClientSize(width, height);
}

void Win32DialogWindow::ApplyDpi(UINT dpi)
{
    m_scale = static_cast<double>(dpi) / platform::win32::kDefaultDpi;
    m_parent.SetScale(m_scale);
}

Win32DialogWindow::~Win32DialogWindow()
{
    if (!m_window)
        return;
    m_destroying = true;
    DestroyWindow(m_window);
}

void Win32DialogWindow::SetTitle(std::u16string_view title)
{
    const std::u16string text(title);
    SetWindowTextW(m_window, platform::win32::Wide(text));
}

void Win32DialogWindow::SetIcon(const Image& icon)
{
    m_iconImage = icon;
    ShowIcon();
}

// At scale 2 or more the icon's high-resolution companion is shown, when the skin ships one.
void Win32DialogWindow::ShowIcon()
{
    ImageData* data = m_iconImage.Data();
    HICON made = IconFromImage(data && data->decoded ? &DecodedSource(*data, m_scale) : data);
    SendMessageW(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(made));
    SendMessageW(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(made));
    m_icon = made ? std::make_unique<UniqueIcon>(made) : nullptr;
}

void Win32DialogWindow::SetClientSize(int width, int height)
{
    m_width = width;
    m_height = height;
    PlaceFrame(platform::win32::DpiOfWindow(m_window), nullptr);
    InvalidateRect(m_window, nullptr, FALSE);
}

// Sizes the window so that its client area is the skin's size at the window's scale, its top-left
// corner at `origin` or, without one, centred on the work area. The frame is taken as the system draws
// it at `dpi`; where the window's frame is still another (its new DPI has not reached it yet) what the
// client area lacks is added once more.
void Win32DialogWindow::PlaceFrame(UINT dpi, const POINT* origin)
{
    const int clientWidth = DevicePixels(m_width, m_scale), clientHeight = DevicePixels(m_height, m_scale);
    const SIZE frame = FrameSize(dpi);
    const int width = frame.cx, height = frame.cy;
    POINT at{};
    if (origin) {
        at = *origin;
    } else {
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        at = POINT{work.left + (work.right - work.left - width) / 2, work.top + (work.bottom - work.top - height) / 2};
    }
    SetWindowPos(m_window, nullptr, at.x, at.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    GetClientRect(m_window, &client);
    if (client.right != clientWidth || client.bottom != clientHeight)
        SetWindowPos(m_window, nullptr, 0, 0, width + clientWidth - client.right, height + clientHeight - client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The window's size for a client area of the skin's size at `dpi`, with the frame the system draws there.
SIZE Win32DialogWindow::FrameSize(UINT dpi) const
{
    const double scale = static_cast<double>(dpi) / platform::win32::kDefaultDpi;
    RECT frame{0, 0, DevicePixels(m_width, scale), DevicePixels(m_height, scale)};
    platform::win32::AdjustFrameForDpi(frame, static_cast<DWORD>(GetWindowLongPtrW(m_window, GWL_STYLE)),
                                       static_cast<DWORD>(GetWindowLongPtrW(m_window, GWL_EXSTYLE)), dpi);
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

// The font reaches the window and its template controls, not the skin's own controls.
void Win32DialogWindow::SetDialogFont(const WindowFont& font)
{
    m_dialogFontRecord = font;
    ShowDialogFont();
}

void Win32DialogWindow::ShowDialogFont()
{
    m_dialogFont = UniqueGdiObject<HFONT>(nullptr);
    const Font made = MakeFont(m_dialogFontRecord);
    LOGFONTW record{};
    if (!GetObjectW(FontOf(made, false, m_scale), sizeof(record), &record))
        return;
    m_dialogFont = UniqueGdiObject<HFONT>(CreateFontIndirectW(&record));
    SendMessageW(m_window, WM_SETFONT, reinterpret_cast<WPARAM>(m_dialogFont.get()), TRUE);
    SendMessageW(TemplateWindow(kBrowserSlotId), WM_SETFONT, reinterpret_cast<WPARAM>(m_dialogFont.get()), TRUE);
}

HWND Win32DialogWindow::TemplateWindow(int id) const
{
    return id == kBrowserSlotId && m_window ? GetDlgItem(m_window, id) : nullptr;
}

std::optional<ZelRect> Win32DialogWindow::TemplateControlRect(int id) const
{
    HWND slot = TemplateWindow(id);
    if (!slot || !IsWindowVisible(slot))
        return std::nullopt;
    RECT place{};
    GetWindowRect(slot, &place);
    MapWindowPoints(HWND_DESKTOP, m_window, reinterpret_cast<POINT*>(&place), 2);
    const auto logical = [this](LONG device) { return static_cast<int>(std::lround(device / m_scale)); };
    return ZelRect{logical(place.left), logical(place.top), logical(place.right), logical(place.bottom)};
}

bool Win32DialogWindow::PlaceTemplateControl(int id, const ZelRect& rect)
{
    HWND slot = TemplateWindow(id);
    if (!slot)
        return false;
    m_slotRect = rect;
    const RECT place = DeviceRect(rect, m_scale);
    SetWindowPos(slot, nullptr, place.left, place.top, std::max(place.right - place.left, 0L),
                 std::max(place.bottom - place.top, 0L), SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

bool Win32DialogWindow::HostBrowser(int id, BrowserView& browser)
{
    HWND slot = TemplateWindow(id);
    auto* view = dynamic_cast<Win32BrowserView*>(&browser);
    if (!slot || !view || !view->AttachTo(slot))
        return false;
    m_browser = view;
    return true;
}

bool Win32DialogWindow::PreTranslate(MSG& message)
{
    const bool ours = message.hwnd == m_window || IsChild(m_window, message.hwnd);
    if (!ours)
        return false;
    if (message.message == WM_KEYDOWN && message.wParam == VK_TAB && m_events.OnTabKey())
        return true;
    if (m_browser && message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST &&
        m_browser->TranslateAccelerator(message))
        return true;
    return IsDialogMessageW(m_window, &message) != FALSE;
}

void Win32DialogWindow::RunModal()
{
    if (m_destroyed || m_ended)
        return;
    m_running = true;
    ShowWindow(m_window, SW_SHOW);
    SetForegroundWindow(m_window);
    m_events.OnShown();
    MSG message{};
    while (!m_ended && !m_destroyed) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));  // the thread's own end: pass it on
            break;
        }
        if (got == -1)
            break;
        if (!PreTranslate(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    m_running = false;
}

void Win32DialogWindow::EndModal()
{
    m_ended = true;
    if (m_window && !m_destroyed) {
        ShowWindow(m_window, SW_HIDE);
        PostMessageW(m_window, WM_NULL, 0, 0);  // wakes the loop
    }
}

void Win32DialogWindow::Minimize() { ShowWindow(m_window, SW_MINIMIZE); }

void Win32DialogWindow::Redraw() { RedrawWindow(m_window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN); }

std::optional<std::size_t> Win32DialogWindow::FocusedStop(const std::vector<TabStop>& stops) const
{
    HWND focus = GetFocus();
    if (!focus)
        return std::nullopt;
    for (std::size_t i = 0; i < stops.size(); ++i) {
        HWND window = WindowOf(stops[i]);
        if (window && (window == focus || IsChild(window, focus)))
            return i;
    }
    return std::nullopt;
}

void Win32DialogWindow::Focus(const TabStop& stop)
{
    if (HWND window = WindowOf(stop))
        SetFocus(window);
}

std::uint32_t Win32DialogWindow::NativeId() const
{
    // Window handles are 32-bit values on every Windows, also in 64-bit processes.
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(m_window));
}

bool Win32DialogWindow::ListenForHostMessages(HostMessageHandler handler)
{
    m_hostHandler = std::move(handler);
    return m_window != nullptr;
}

void Win32DialogWindow::StopHostMessages() { m_hostHandler = nullptr; }

void Win32DialogWindow::PaintBackgroundArea(Canvas& canvas, const ZelRect& area)
{
    canvas.PushRegion(ZelRect{-area.left, -area.top, m_width - area.left, m_height - area.top});
    m_events.PaintBackground(canvas);
    canvas.PopRegion();
}

void Win32DialogWindow::PaintClient()
{
    PaintWindow(m_window, m_scale, 0, 0, [this](Canvas& canvas, int, int) { m_events.PaintBackground(canvas); });
}

// Everything placed in device pixels takes its place again at the new scale, the window keeps its
// client area's logical size at the position the system suggests, and the dialog makes again what it
// rendered for the old scale.
void Win32DialogWindow::OnDpiChanged(UINT dpi, const RECT& suggested)
{
    if (dpi == 0 || static_cast<double>(dpi) / platform::win32::kDefaultDpi == m_scale)
        return;
    ApplyDpi(dpi);
    const POINT origin{suggested.left, suggested.top};
    PlaceFrame(dpi, &origin);
    PlaceTemplateControl(kBrowserSlotId, m_slotRect);
    for (HWND child = GetWindow(m_window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageW(child, kScaleChangedMessage, 0, 0);
    ShowIcon();
    if (m_dialogFont)
        ShowDialogFont();
    m_events.OnScaleChanged();
}

INT_PTR Win32DialogWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        PaintClient();
        return TRUE;
    case WM_ERASEBKGND:
        SetWindowLongPtrW(m_window, DWLP_MSGRESULT, 1);
        return TRUE;
    case WM_CLOSE:
        m_events.OnCloseBox();
        return TRUE;
    case WM_COMMAND:
        // Escape, and an IDCANCEL posted to the window, cancel as the close box does.
        if (LOWORD(wParam) == IDCANCEL && lParam == 0)
            m_events.OnUnusedKey(Key::Escape);
        return TRUE;
    case kDpiChanged:
        if (lParam)
            OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return TRUE;
    case kGetDpiScaledSize:
        // The size the window will have at the new DPI, so that the place Windows suggests fits it.
        if (lParam) {
            *reinterpret_cast<SIZE*>(lParam) = FrameSize(static_cast<UINT>(wParam));
            SetWindowLongPtrW(m_window, DWLP_MSGRESULT, TRUE);
        }
        return TRUE;
    case WM_LBUTTONDOWN:
        if (m_events.OnBackgroundPress(static_cast<int>(std::floor(GET_Y_LPARAM(lParam) / m_scale)))) {
            ReleaseCapture();
            SendMessageW(m_window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
        }
        return TRUE;
    case kSlotResized:
        if (m_browser) {
            RECT client{};
            GetClientRect(TemplateWindow(kBrowserSlotId), &client);
            m_browser->FitTo(client);
        }
        return TRUE;
    case WM_DESTROY:
        if (!m_destroying) {
            m_destroyed = true;
            m_events.OnDestroyedFromOutside();
        }
        return FALSE;
    default:
        break;
    }
    if (message >= kFirstHostMessage && message <= kLastHostMessage && m_hostHandler) {
        m_hostHandler(message, wParam, static_cast<std::intptr_t>(lParam));
        return TRUE;
    }
    return FALSE;
}

LRESULT CALLBACK SlotWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        // White until a page draws over it, as a browser shows before its first page.
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(window, &paint);
        FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        EndPaint(window, &paint);
        return 0;
    }
    case WM_SIZE:
        SendMessageW(GetParent(window), kSlotResized, 0, 0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace tessaly::toolkit
