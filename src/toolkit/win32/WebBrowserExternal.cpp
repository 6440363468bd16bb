#include "toolkit/win32/WebBrowserExternal.h"

#include "platform/win32/Win32Support.h"

namespace tessaly::toolkit {

using platform::win32::FromWide;
using platform::win32::Wide;

HRESULT STDMETHODCALLTYPE WebBrowserExternal::QueryInterface(REFIID iid, void** result)
{
    void* found = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch)
        found = static_cast<IDispatch*>(this);
    return AnswerInterface(found, result);
}

HRESULT STDMETHODCALLTYPE WebBrowserExternal::GetTypeInfoCount(UINT* count)
{
    if (count)
        *count = 0;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE WebBrowserExternal::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE WebBrowserExternal::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    return GuardComCall(u"WebBrowserExternal::GetIDsOfNames", [&]() -> HRESULT {
        if (count > 0 && (!names || !ids))
            return E_POINTER;
        HRESULT result = S_OK;
        for (UINT i = 0; i < count; ++i) {
            const std::int32_t id = m_events ? m_events->ExternalMemberId(FromWide(names[i])) : -1;
            ids[i] = id;
            if (id == DISPID_UNKNOWN)
                result = DISP_E_UNKNOWNNAME;
        }
        return result;
    });
}

HRESULT STDMETHODCALLTYPE WebBrowserExternal::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                                                     EXCEPINFO*, UINT*)
{
    return GuardComCall(u"WebBrowserExternal::Invoke", [&]() -> HRESULT {
        if (result)
            ::VariantInit(result);
        // A read (scripts may ask with both flags) gives the member's value; a call gives nothing;
        // an assignment changes nothing.
        const bool read = (flags & DISPATCH_PROPERTYGET) != 0;
        const bool call = !read && (flags & DISPATCH_METHOD) != 0;
        if (!m_events || (!read && !call))
            return S_OK;
        const std::optional<std::u16string> value = m_events->ExternalInvoke(id, call);
        if (value && result) {
            BSTR text = ::SysAllocStringLen(Wide(*value), static_cast<UINT>(value->size()));
            if (!text)
                return E_OUTOFMEMORY;
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = text;
        }
        return S_OK;
    });
}

}  // namespace tessaly::toolkit
