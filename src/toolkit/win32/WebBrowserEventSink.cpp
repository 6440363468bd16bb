#include "toolkit/win32/WebBrowserEventSink.h"

#include <exdisp.h>
#include <exdispid.h>

#include "platform/win32/Win32Support.h"

namespace tessaly::toolkit {
namespace {

// Where the arguments the host reads sit in each event's declared argument list.
constexpr UINT kFrameArgument = 0;            // BeforeNavigate2, DocumentComplete, NavigateError
constexpr UINT kNewWindowCancelArgument = 1;  // NewWindow2, NewWindow3
constexpr UINT kNewWindowAddressArgument = 4;  // NewWindow3

// The argument at `position` of the declared list (DISPPARAMS holds them last first), with a
// variant passed by reference followed to the value it refers to.
const VARIANT* Argument(const DISPPARAMS& params, UINT position)
{
    if (!params.rgvarg || position >= params.cArgs)
        return nullptr;
    const VARIANT* argument = &params.rgvarg[params.cArgs - 1 - position];
    while (argument && V_VT(argument) == (VT_BYREF | VT_VARIANT))
        argument = V_VARIANTREF(argument);
    return argument;
}

IDispatch* DispatchArgument(const VARIANT* argument)
{
    if (!argument)
        return nullptr;
    if (V_VT(argument) == VT_DISPATCH)
        return V_DISPATCH(argument);
    if (V_VT(argument) == (VT_BYREF | VT_DISPATCH) && V_DISPATCHREF(argument))
        return *V_DISPATCHREF(argument);
    return nullptr;
}

std::u16string TextArgument(const VARIANT* argument)
{
    if (!argument)
        return {};
    BSTR text = nullptr;
    if (V_VT(argument) == VT_BSTR)
        text = V_BSTR(argument);
    else if (V_VT(argument) == (VT_BYREF | VT_BSTR) && V_BSTRREF(argument))
        text = *V_BSTRREF(argument);
    return text ? platform::win32::FromWide(text, ::SysStringLen(text)) : std::u16string();
}

void Cancel(const VARIANT* argument)
{
    if (argument && V_VT(argument) == (VT_BYREF | VT_BOOL) && V_BOOLREF(argument))
        *V_BOOLREF(argument) = VARIANT_TRUE;
}

}  // namespace

HRESULT STDMETHODCALLTYPE WebBrowserEventSink::QueryInterface(REFIID iid, void** result)
{
    void* found = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2)
        found = static_cast<IDispatch*>(this);
    return AnswerInterface(found, result);
}

HRESULT STDMETHODCALLTYPE WebBrowserEventSink::GetTypeInfoCount(UINT* count)
{
    if (count)
        *count = 0;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE WebBrowserEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE WebBrowserEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE WebBrowserEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                                      EXCEPINFO*, UINT*)
{
    return GuardComCall(u"WebBrowserEventSink::Invoke", [&]() -> HRESULT {
        if (!params)
            return E_INVALIDARG;
        // The target may let the view go while it handles the event, and with it the control's
        // reference to this sink.
        const ComPtr<WebBrowserEventSink> keepAlive = ComPtr<WebBrowserEventSink>::Share(this);
        Dispatch(id, *params);
        return S_OK;
    });
}

void WebBrowserEventSink::Dispatch(DISPID id, const DISPPARAMS& params)
{
    if (!m_target)
        return;
    switch (id) {
    case DISPID_BEFORENAVIGATE2:
        m_target->OnNavigationStarting(DispatchArgument(Argument(params, kFrameArgument)));
        break;
    case DISPID_DOCUMENTCOMPLETE:
        m_target->OnDocumentComplete(DispatchArgument(Argument(params, kFrameArgument)));
        break;
    case DISPID_NAVIGATEERROR:
        m_target->OnNavigateError(DispatchArgument(Argument(params, kFrameArgument)));
        break;
    case DISPID_NEWWINDOW2:
        Cancel(Argument(params, kNewWindowCancelArgument));
        m_target->OnNewWindow(std::u16string());
        break;
    case DISPID_NEWWINDOW3:
        Cancel(Argument(params, kNewWindowCancelArgument));
        m_target->OnNewWindow(TextArgument(Argument(params, kNewWindowAddressArgument)));
        break;
    default:
        break;
    }
}

}  // namespace tessaly::toolkit
