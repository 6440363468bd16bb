#pragma once
// Owners for COM resources: ComPtr holds one reference to an interface, UniqueBstr one system string.
#include <windows.h>
#include <oleauto.h>
#include <unknwn.h>

#include <cstddef>
#include <type_traits>
#include <utility>

namespace tessaly::toolkit {

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr& other) : m_ptr(other.m_ptr) { AddRefHeld(); }
    ComPtr(ComPtr&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
    // An object's pointer as one of the interfaces it derives from.
    template <typename U>
        requires std::is_convertible_v<U*, T*>
    ComPtr(const ComPtr<U>& other) : m_ptr(other.get())
    {
        AddRefHeld();
    }
    ComPtr& operator=(const ComPtr& other)
    {
        ComPtr(other).swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        ComPtr(std::move(other)).swap(*this);
        return *this;
    }

    // Takes over a reference the caller already owns (a fresh object, an out parameter).
    static ComPtr Adopt(T* ptr)
    {
        ComPtr result;
        result.m_ptr = ptr;
        return result;
    }
    // Adds a reference of its own to a pointer someone else owns.
    static ComPtr Share(T* ptr)
    {
        ComPtr result;
        result.m_ptr = ptr;
        result.AddRefHeld();
        return result;
    }

    T* get() const { return m_ptr; }
    T* operator->() const { return m_ptr; }
    T& operator*() const { return *m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }

    // The slot an out parameter fills; whatever was held is released first.
    T** put()
    {
        reset();
        return &m_ptr;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }

    // Gives the reference to the caller (an out parameter of ours).
    T* release() { return std::exchange(m_ptr, nullptr); }
    void reset()
    {
        if (T* held = std::exchange(m_ptr, nullptr))
            held->Release();
    }
    void swap(ComPtr& other) noexcept { std::swap(m_ptr, other.m_ptr); }

    // The object's interface U, or null when it has none.
    template <typename U>
    ComPtr<U> As() const
    {
        ComPtr<U> result;
        if (m_ptr)
            m_ptr->QueryInterface(__uuidof(U), result.put_void());
        return result;
    }

private:
    void AddRefHeld()
    {
        if (m_ptr)
            m_ptr->AddRef();
    }

    T* m_ptr = nullptr;
};

// COM identity: two pointers name the same object when their IUnknown pointers are equal.
template <typename A, typename B>
bool SameObject(A* a, B* b)
{
    if (!a || !b)
        return false;
    const ComPtr<IUnknown> first = ComPtr<A>::Share(a).template As<IUnknown>();
    const ComPtr<IUnknown> second = ComPtr<B>::Share(b).template As<IUnknown>();
    return first && first.get() == second.get();
}

class UniqueBstr {
public:
    UniqueBstr() = default;
    explicit UniqueBstr(BSTR text) : m_text(text) {}
    ~UniqueBstr() { ::SysFreeString(m_text); }
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;

    BSTR get() const { return m_text; }
    BSTR* put()
    {
        ::SysFreeString(std::exchange(m_text, nullptr));
        return &m_text;
    }
    UINT length() const { return ::SysStringLen(m_text); }

private:
    BSTR m_text = nullptr;
};

}  // namespace tessaly::toolkit
