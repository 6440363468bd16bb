#pragma once
// The page's window.external: an IDispatch that asks BrowserEvents for member ids and values. Once the
// view has gone (Detach) it answers every name as unknown and every call with nothing, so a control
// that keeps a reference longer never reaches the dialog.
#include <windows.h>
#include <oaidl.h>

#include "toolkit/BrowserView.h"
#include "toolkit/win32/WebBrowserComObject.h"

namespace tessaly::toolkit {

class WebBrowserExternal final : public WebBrowserComObject, public IDispatch {
public:
    explicit WebBrowserExternal(const BrowserEvents& events) : m_events(&events) {}

    void Detach() { m_events = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override { return DropReference(); }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

private:
    const BrowserEvents* m_events;
};

}  // namespace tessaly::toolkit
