#include "toolkit/win32/BrowserSite.h"

namespace tessaly::toolkit {

// ---- BrowserSiteFrame ----

HRESULT STDMETHODCALLTYPE BrowserSiteFrame::QueryInterface(REFIID iid, void** result)
{
    void* found = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleWindow || iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
        found = static_cast<IOleInPlaceFrame*>(this);
    return AnswerInterface(found, result);
}

HRESULT STDMETHODCALLTYPE BrowserSiteFrame::GetWindow(HWND* window)
{
    if (!window)
        return E_POINTER;
    *window = m_window;
    return m_window ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE BrowserSiteFrame::ContextSensitiveHelp(WINBOOL) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE BrowserSiteFrame::GetBorder(LPRECT) { return INPLACE_E_NOTOOLSPACE; }
HRESULT STDMETHODCALLTYPE BrowserSiteFrame::RequestBorderSpace(LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }
HRESULT STDMETHODCALLTYPE BrowserSiteFrame::SetBorderSpace(LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }
HRESULT STDMETHODCALLTYPE BrowserSiteFrame::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) { return S_OK; }
HRESULT STDMETHODCALLTYPE BrowserSiteFrame::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE BrowserSiteFrame::SetMenu(HMENU, HOLEMENU, HWND) { return S_OK; }
HRESULT STDMETHODCALLTYPE BrowserSiteFrame::RemoveMenus(HMENU) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE BrowserSiteFrame::SetStatusText(LPCOLESTR) { return S_OK; }
HRESULT STDMETHODCALLTYPE BrowserSiteFrame::EnableModeless(WINBOOL) { return S_OK; }
HRESULT STDMETHODCALLTYPE BrowserSiteFrame::TranslateAccelerator(LPMSG, WORD) { return S_FALSE; }

// ---- BrowserSite ----

void BrowserSite::SetSlot(HWND slot)
{
    m_slot = slot;
    if (m_frame)
        m_frame->Detach();
    m_frame = slot ? MakeComObject<BrowserSiteFrame>(::GetAncestor(slot, GA_ROOT)) : nullptr;
}

void BrowserSite::Detach()
{
    m_slot = nullptr;
    if (m_frame)
        m_frame->Detach();
    m_frame.reset();
    m_external.reset();
}

HRESULT STDMETHODCALLTYPE BrowserSite::QueryInterface(REFIID iid, void** result)
{
    void* found = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite)
        found = static_cast<IOleClientSite*>(this);
    else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
        found = static_cast<IOleInPlaceSite*>(this);
    else if (iid == IID_IDocHostUIHandler)
        found = static_cast<IDocHostUIHandler*>(this);
    return AnswerInterface(found, result);
}

// IOleClientSite: nothing is saved or named; the control lives in no container document.

HRESULT STDMETHODCALLTYPE BrowserSite::SaveObject() { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE BrowserSite::GetMoniker(DWORD, DWORD, IMoniker** moniker)
{
    if (moniker)
        *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE BrowserSite::GetContainer(IOleContainer** container)
{
    if (container)
        *container = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE BrowserSite::ShowObject() { return S_OK; }
HRESULT STDMETHODCALLTYPE BrowserSite::OnShowWindow(WINBOOL) { return S_OK; }
HRESULT STDMETHODCALLTYPE BrowserSite::RequestNewObjectLayout() { return E_NOTIMPL; }

// IOleInPlaceSite: the control fills the slot window.

HRESULT STDMETHODCALLTYPE BrowserSite::GetWindow(HWND* window)
{
    if (!window)
        return E_POINTER;
    *window = m_slot;
    return m_slot ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE BrowserSite::ContextSensitiveHelp(WINBOOL) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE BrowserSite::CanInPlaceActivate() { return m_slot ? S_OK : S_FALSE; }
HRESULT STDMETHODCALLTYPE BrowserSite::OnInPlaceActivate() { return S_OK; }
HRESULT STDMETHODCALLTYPE BrowserSite::OnUIActivate() { return S_OK; }

HRESULT STDMETHODCALLTYPE BrowserSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                                        LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info)
{
    if (!frame || !document || !position || !clip || !info)
        return E_POINTER;
    *document = nullptr;
    *frame = nullptr;
    if (!m_slot || !m_frame)
        return E_FAIL;
    *frame = ComPtr<IOleInPlaceFrame>(m_frame).release();
    ::GetClientRect(m_slot, position);
    *clip = *position;
    // The caller sets cb; the rest describes a frame without menus or accelerators.
    info->fMDIApp = FALSE;
    info->hwndFrame = ::GetAncestor(m_slot, GA_ROOT);
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE BrowserSite::Scroll(SIZE) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE BrowserSite::OnUIDeactivate(WINBOOL) { return S_OK; }
HRESULT STDMETHODCALLTYPE BrowserSite::OnInPlaceDeactivate() { return S_OK; }
HRESULT STDMETHODCALLTYPE BrowserSite::DiscardUndoState() { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE BrowserSite::DeactivateAndUndo() { return E_NOTIMPL; }
// The view decides the control's size (FitTo); the control's own wishes are not followed.
HRESULT STDMETHODCALLTYPE BrowserSite::OnPosRectChange(LPCRECT) { return S_OK; }

// IDocHostUIHandler

// Handled by showing nothing: pages get no context menu.
HRESULT STDMETHODCALLTYPE BrowserSite::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) { return S_OK; }
// The control's defaults stand: no flags are added to the structure.
// The page is zoomed to the DPI its window is drawn at, as the skin around it is.
HRESULT STDMETHODCALLTYPE BrowserSite::GetHostInfo(DOCHOSTUIINFO* info)
{
    if (!info)
        return E_POINTER;
    info->dwFlags |= DOCHOSTUIFLAG_DPI_AWARE;
    return S_OK;
}
// Claiming the UI as shown keeps the control from adding menus and toolbars of its own.
HRESULT STDMETHODCALLTYPE BrowserSite::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                              IOleInPlaceUIWindow*)
{
    return S_OK;
}
HRESULT STDMETHODCALLTYPE BrowserSite::HideUI() { return S_OK; }
HRESULT STDMETHODCALLTYPE BrowserSite::UpdateUI() { return S_OK; }
HRESULT STDMETHODCALLTYPE BrowserSite::EnableModeless(WINBOOL) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE BrowserSite::OnDocWindowActivate(WINBOOL) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE BrowserSite::OnFrameWindowActivate(WINBOOL) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE BrowserSite::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, WINBOOL) { return E_NOTIMPL; }
// S_FALSE: the control handles its keys itself.
HRESULT STDMETHODCALLTYPE BrowserSite::TranslateAccelerator(LPMSG, const GUID*, DWORD) { return S_FALSE; }

HRESULT STDMETHODCALLTYPE BrowserSite::GetOptionKeyPath(LPOLESTR* key, DWORD)
{
    if (key)
        *key = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE BrowserSite::GetDropTarget(IDropTarget*, IDropTarget** replacement)
{
    if (replacement)
        *replacement = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE BrowserSite::GetExternal(IDispatch** external)
{
    if (!external)
        return E_POINTER;
    *external = nullptr;
    if (!m_external)
        return E_NOTIMPL;
    *external = ComPtr<IDispatch>(m_external).release();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE BrowserSite::TranslateUrl(DWORD, LPWSTR, LPWSTR* translated)
{
    if (translated)
        *translated = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE BrowserSite::FilterDataObject(IDataObject*, IDataObject** replacement)
{
    if (replacement)
        *replacement = nullptr;
    return E_NOTIMPL;
}

}  // namespace tessaly::toolkit
