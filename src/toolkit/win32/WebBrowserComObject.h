#pragma once
// What the browser host's own COM objects share: the reference count that deletes the object at
// zero, a census of the objects alive (so a test can see that the control let every one of them go),
// and the guard that keeps C++ exceptions from crossing a COM method.
#include <windows.h>

#include <atomic>
#include <string_view>
#include <utility>

#include "support/SwallowedException.h"
#include "toolkit/win32/ComPtr.h"

namespace tessaly::toolkit {

class WebBrowserComObject {
public:
    WebBrowserComObject(const WebBrowserComObject&) = delete;
    WebBrowserComObject& operator=(const WebBrowserComObject&) = delete;

    // How many of the host's COM objects (sites, handlers, external objects, event sinks) exist.
    static long Alive() { return s_alive.load(); }

protected:
    WebBrowserComObject() { ++s_alive; }
    virtual ~WebBrowserComObject() { --s_alive; }

    ULONG AddReference() { return static_cast<ULONG>(++m_references); }
    ULONG DropReference()
    {
        const long left = --m_references;
        if (left == 0)
            delete this;  // the COM object's own end: it was made with new by MakeComObject
        return static_cast<ULONG>(left);
    }

private:
    // Atomic like every COM count: whoever holds a pointer may add and drop references.
    std::atomic<long> m_references{1};
    static inline std::atomic<long> s_alive{0};
};

// A new COM object owned by the returned pointer (its first reference).
template <typename T, typename... Args>
ComPtr<T> MakeComObject(Args&&... args)
{
    return ComPtr<T>::Adopt(new T(std::forward<Args>(args)...));
}

// Runs the body of a COM method. An exception stops here: it is traced and becomes `failure`.
template <typename Body>
HRESULT GuardComCall(std::u16string_view where, Body&& body, HRESULT failure = E_UNEXPECTED) noexcept
{
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        TraceSwallowed(where, u"an exception stopped at a COM boundary");
        return failure;
    }
}

// The common part of QueryInterface: null the result on a miss, add a reference on a hit.
inline HRESULT AnswerInterface(void* found, void** result)
{
    if (!result)
        return E_POINTER;
    *result = found;
    if (!found)
        return E_NOINTERFACE;
    static_cast<IUnknown*>(found)->AddRef();
    return S_OK;
}

}  // namespace tessaly::toolkit
