#pragma once
// Base of the module's skinned modal windows: a toplevel built from dialog template 1000, whose
// look is read from one section of the XML configuration (title, icon, dialog font, background,
// client size, and the labels, pictures and buttons made at run time).
//
// Life of a dialog:
//   DoModal()     makes the window (Create), runs OnInitDialog, shows it and runs it modally on the
//                 caller's thread until EndDialog; then OnDestroy, the window is
//                 destroyed and the end code returned. -1 when no window can be made (no display).
//   Create()      the first half alone (window + OnInitDialog), for callers that render or inspect
//                 the window without running it; DestroyWindow() is the matching second half.
//
// A deriving class applies the skin from its OnInitDialog in this order: ParseSection (or
// Config().ParseSection), ApplyWindowSkin, CreateLabels, CreatePictures, CreateButtons, then
// PlaceControl for each template control that has a placement entry.
//
// What a deriving window (for example one hosting a browser) gets:
//   ClientParent()        the client area, exactly the sheet's size; controls go at pixel positions
//                         and are clipped at its edges. Tab moves the focus through them in the order
//                         they were made.
//   Window()              the toolkit's window; HostBrowser puts a browser into template control 1000,
//                         a slot at 0,0 411x286. PlaceTemplateControl(1000, u"ITEM1") moves and
//                         resizes the slot to that placement entry (no entry: it stays put).
//   NativeWindowId()      the id hosts address the window by (an X11 id on X11; 0 when the window
//                         system gives none or the window is not created).
//   PostMessage(m, w, l)  queues OnMessage(m, w, l) on the dialog's thread.
//   GetPoster()           a CDialogPoster for other threads: call it on the dialog's thread, hand the
//                         copy to a worker; its PostMessage is safe from any thread at any time, and
//                         a message to a dialog that is gone is dropped.
//   The close box         calls OnCancel(), whose base version ends the dialog with IDCANCEL (2);
//                         so does Escape when the focused piece leaves the key unused.
//   EndDialog(code)       sets the end code and ends the modal run (also before it started); the
//                         first call of a run decides the code, later ones are ignored.
//   ScaleFactor()         the window's device pixels per logical pixel (2 at 200 %). Skin positions
//                         and sizes stay logical pixels; bitmaps are made at this scale. When it
//                         changes, OnScaleChanged makes the background, the labels' snapshots and
//                         the pictures again; a deriving dialog that placed controls of its own with
//                         PlaceControl places them again there (calling the base first).
// Everything else runs on the thread that runs the dialog.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/CZelDialogConfig.h"
#include "config/WindowFont.h"
#include "skin/CDialogPoster.h"
#include "toolkit/DialogWindow.h"
#include "toolkit/Image.h"
#include "toolkit/TabStop.h"

namespace tessaly {

class CLabel;
class CSkinWidget;

class CZelCommonDlg : public toolkit::DialogEvents {
public:
    static constexpr int kTemplateId = 1000;
    static constexpr int kTemplateWidth = 422;
    static constexpr int kTemplateHeight = 297;

    // End codes.
    static constexpr int IDOK = 1;
    static constexpr int IDCANCEL = 2;
    static constexpr int IDYES = 6;
    static constexpr int IDNO = 7;

    // Command ids of made controls.
    static constexpr int IDC_LABEL_FIRST = CZelDialogConfig::kFirstLabelId;
    static constexpr int IDC_BUTTON_FIRST = CZelDialogConfig::kFirstButtonId;
    static constexpr int IDC_STATIC = 0xFFFF;

    // Item kinds handed to the hooks.
    static constexpr int ITEM_LABEL = 1;
    static constexpr int ITEM_BUTTON = 2;
    static constexpr int ITEM_PICTURE = 3;

    CZelCommonDlg();
    CZelCommonDlg(const CZelCommonDlg&) = delete;
    CZelCommonDlg& operator=(const CZelCommonDlg&) = delete;
    virtual ~CZelCommonDlg();

    int DoModal();
    // Makes the window and runs OnInitDialog (end code reset to -1 first); false without a display.
    bool Create();
    void DestroyWindow();
    void EndDialog(int code);
    bool IsEnded() const { return m_bEnded; }
    // Whether the window was destroyed from outside before the dialog ended.
    bool WasDestroyed() const { return m_bDestroyed; }
    int Result() const { return m_nResult; }

    // ---- skin --------------------------------------------------------------------------------
    void ParseSection(const XmlElement* section, const std::u16string& configDir);
    CZelDialogConfig& Config() { return m_config; }
    const CZelDialogConfig& Config() const { return m_config; }

    void ApplyWindowSkin();
    void CreateLabels();
    void CreatePictures();
    void CreateButtons();
    // Moves a control to the placement entry `itemId` and skins it by its class (a label gets the
    // colour, the background under it and the window font; a check or radio button its snapshot,
    // image strip and text colour). False, and nothing changed, without an entry.
    bool PlaceControl(CSkinWidget& control, std::u16string_view itemId);
    // The same for a control of the template (1000, the browser's slot): it is only moved and resized.
    bool PlaceTemplateControl(int id, std::u16string_view itemId);

    void CreateDialogFont();
    void ApplyDialogFont();
    // Fills `bitmap` with a button-face bitmap of the rectangle's size (at `scale`) when it holds none.
    static void CreateSolidBackground(toolkit::Image& bitmap, const ZelRect& rect, double scale = 1.0);
    void CopyBackground(CLabel& label);
    void ApplyWindowFont(CLabel& label);

    // ---- input -------------------------------------------------------------------------------
    // Routes a command from a control: true when it was one of the skin's controls.
    virtual bool OnCommand(int id, int notification);
    // Whether a left click at client row y starts moving the window ("CaptionHeight" band).
    bool ShouldDragAt(int y) const;
    // Moves the focus to the next window of the explicit Tab order (Shift is not looked at).
    void MoveToNextTabItem();
    // Sets the explicit Tab order; empty means the dialog's order (see ClientParent()). Empty entries
    // are left out; the dialog holds every listed piece until the order is replaced or the dialog's
    // window goes, so a listed piece never dangles.
    void SetTabOrder(const std::vector<toolkit::TabStop>& stops);
    // A dialog living inside another window never drags it.
    void SetChildStyle(bool child) { m_bChildStyle = child; }
    bool IsChildStyle() const { return m_bChildStyle; }

    // Queues OnMessage on the dialog's thread. From another thread use a poster, which stays safe
    // while the dialog is being destroyed.
    void PostMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);
    CDialogPoster GetPoster() const;

    // ---- windows -----------------------------------------------------------------------------
    toolkit::DialogWindow* Window() const { return m_window.get(); }
    // Where the skin's controls go; null while there is no window.
    toolkit::ControlParent* ClientParent() const;
    std::uint32_t NativeWindowId() const;
    // The window's scale; 1 while there is no window.
    double ScaleFactor() const;
    const toolkit::Image& Background() const { return m_pBackBitmap; }
    const WindowFont& DialogFont() const { return m_fontDialog; }
    // The client size the skin asked for (template size until ApplyWindowSkin).
    int ClientWidth() const { return m_nClientWidth; }
    int ClientHeight() const { return m_nClientHeight; }
    // Draws the client area as it looks: background, template slots, then every skin control.
    void RenderClient(toolkit::Canvas& canvas);

    // ---- what the window reports -------------------------------------------------------------
    void PaintBackground(toolkit::Canvas& canvas) override;
    void OnCloseBox() override { OnCancel(); }
    bool OnBackgroundPress(int y) override { return ShouldDragAt(y); }
    bool OnTabKey() override;
    bool OnUnusedKey(toolkit::Key key) override;
    void OnDestroyedFromOutside() override { m_bDestroyed = true; }
    void OnShown() override {}
    void OnScaleChanged() override;

protected:
    virtual bool OnInitDialog() { return true; }
    virtual bool OnItemCreated(int /*kind*/, DynamicItem* /*item*/) { return true; }
    virtual bool OnItemCommand(int /*kind*/, DynamicItem* /*item*/) { return true; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // Called once, after the loop ended and before the window goes.
    virtual void OnDestroy() {}
    virtual void OnMessage(std::uint32_t /*msg*/, std::uintptr_t /*wParam*/, std::intptr_t /*lParam*/) {}
    // The skin's MINIMIZE action.
    virtual void OnMinimize();

private:
    friend class CDialogPoster;

    void RunAction(std::u16string_view action);
    // The background bitmap at the window's scale from `image` (the rendered BackBmp, possibly
    // empty): the button face of the sheet's size without one, transparent parts showing the face.
    void MakeBackground(toolkit::Image image, const ZelRect& sheet);
    void RenderPicture(DynamicItem& item);
    void ReleaseControls();
    void ConnectControl(CSkinWidget& control);

    CZelDialogConfig m_config;
    toolkit::Image m_pBackBitmap;
    toolkit::Image m_hIcon;
    WindowFont m_fontDialog;
    std::unique_ptr<toolkit::DialogWindow> m_window;
    std::vector<toolkit::TabStop> m_arrTabOrder;  // no empty entries
    bool m_bChildStyle = false;
    int m_nResult = -1;
    bool m_bEnded = false;
    bool m_bDestroyed = false;
    int m_nClientWidth = kTemplateWidth;
    int m_nClientHeight = kTemplateHeight;
    std::shared_ptr<CZelCommonDlg*> m_anchor;  // weak references to it guard posted messages
};

// Makes sure the toolkit runs (started on the calling thread when the host has not); false when there
// is no display.
bool EnsureUserInterface();

}  // namespace tessaly
