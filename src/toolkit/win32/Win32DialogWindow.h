#pragma once
// The skinned dialog's window on Windows: a modeless dialog from template 1000 (compiled in with
// windres) run in a modal loop of its own, so that the keyboard goes through IsDialogMessage (Tab
// between the controls in the order they were made, Escape and a posted IDCANCEL as Cancel), the
// browser sees its accelerators, and the host's posted messages reach the window from any thread.
// It is drawn at its window's DPI (GetDpiForWindow): the skin's logical pixels times DPI / 96 where
// the host is DPI aware, 96 DPI otherwise (the system stretches it); WM_DPICHANGED, when the window
// moves to a monitor of another DPI, makes it again at the new scale.
#include <windows.h>

#include <memory>

#include "toolkit/DialogWindow.h"
#include "toolkit/win32/WindowClasses.h"
#include "toolkit/win32/Win32Toolkit.h"

namespace tessaly::toolkit {

class Win32BrowserView;

class Win32DialogWindow : public DialogWindow {
public:
    // Makes the dialog; Window() is null when the template could not be made.
    Win32DialogWindow(DialogEvents& events, int width, int height);
    ~Win32DialogWindow() override;
    Win32DialogWindow(const Win32DialogWindow&) = delete;
    Win32DialogWindow& operator=(const Win32DialogWindow&) = delete;

    ControlParent& Client() override { return m_parent; }
    double ScaleFactor() const override { return m_scale; }
    void SetTitle(std::u16string_view title) override;
    void SetIcon(const Image& icon) override;
    void SetClientSize(int width, int height) override;
    void SetDialogFont(const WindowFont& font) override;
    std::optional<ZelRect> TemplateControlRect(int id) const override;
    bool PlaceTemplateControl(int id, const ZelRect& rect) override;
    bool HostBrowser(int id, BrowserView& browser) override;
    void RunModal() override;
    void EndModal() override;
    void Minimize() override;
    void Redraw() override;
    std::optional<std::size_t> FocusedStop(const std::vector<TabStop>& stops) const override;
    void Focus(const TabStop& stop) override;
    std::uint32_t NativeId() const override;
    bool ListenForHostMessages(HostMessageHandler handler) override;
    void StopHostMessages() override;

    HWND Window() const { return m_window; }
    // The template's control `id` (1000, the browser's slot); null for other ids.
    HWND TemplateWindow(int id) const;
    // The dialog procedure's work for this window.
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void AttachWindow(HWND window) { m_window = window; }

private:
    void ApplyDpi(UINT dpi);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void PlaceFrame(UINT dpi, const POINT* origin);
    SIZE FrameSize(UINT dpi) const;
    void ShowIcon();
    void ShowDialogFont();
    void PaintClient();
    void PaintBackgroundArea(Canvas& canvas, const ZelRect& area);
    bool PreTranslate(MSG& message);

    WindowClassUse m_classes;
    GdiPlusSession m_gdiPlus;
    DialogEvents& m_events;
    HWND m_window = nullptr;
    ControlParent m_parent;
    double m_scale = 1.0;
    WindowFont m_dialogFontRecord;
    UniqueGdiObject<HFONT> m_dialogFont;
    Image m_iconImage;
    std::unique_ptr<UniqueIcon> m_icon;
    ZelRect m_slotRect;
    Win32BrowserView* m_browser = nullptr;
    HostMessageHandler m_hostHandler;
    int m_width;
    int m_height;
    bool m_running = false;
    bool m_ended = false;
    bool m_destroyed = false;
    bool m_destroying = false;
};

}  // namespace tessaly::toolkit
