#pragma once
// The control's DWebBrowserEvents2 connection: Invoke takes the event apart (the control passes the
// arguments last first, some by reference) and hands the few events the host cares about to a
// WebBrowserEventTarget. After Detach every event is ignored, so a control that fires late reaches
// nothing that is gone.
#include <windows.h>
#include <oaidl.h>

#include <string>

#include "toolkit/win32/WebBrowserComObject.h"

namespace tessaly::toolkit {

class WebBrowserEventTarget {
public:
    // `frame` is the browser object (the control's own or a sub-frame's) the event is about.
    virtual void OnNavigationStarting(IDispatch* frame) = 0;
    virtual void OnDocumentComplete(IDispatch* frame) = 0;
    virtual void OnNavigateError(IDispatch* frame) = 0;
    // A page asks for a new window; `address` is empty when the control does not say which. The
    // window is never opened.
    virtual void OnNewWindow(const std::u16string& address) = 0;

protected:
    ~WebBrowserEventTarget() = default;
};

class WebBrowserEventSink final : public WebBrowserComObject, public IDispatch {
public:
    explicit WebBrowserEventSink(WebBrowserEventTarget& target) : m_target(&target) {}

    void Detach() { m_target = nullptr; }

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
    void Dispatch(DISPID id, const DISPPARAMS& params);

    WebBrowserEventTarget* m_target;
};

}  // namespace tessaly::toolkit
