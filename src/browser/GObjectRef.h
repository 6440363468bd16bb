#pragma once
// Owning reference to a GObject: unrefs on destruction, so every GObject the browser host makes is
// released on the thread that drops the owner.
#include <glib-object.h>

#include <utility>

namespace tessaly {

template <typename T>
class GObjectRef {
public:
    GObjectRef() = default;
    // Takes over one reference that the caller already owns.
    explicit GObjectRef(T* owned) : m_p(owned) {}
    ~GObjectRef() { reset(); }
    GObjectRef(const GObjectRef&) = delete;
    GObjectRef& operator=(const GObjectRef&) = delete;
    GObjectRef(GObjectRef&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    GObjectRef& operator=(GObjectRef&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_p = std::exchange(other.m_p, nullptr);
        }
        return *this;
    }

    // Sinks a floating reference (widgets start floating) or adds one, and owns the result.
    static GObjectRef Sink(T* object)
    {
        return GObjectRef(object ? static_cast<T*>(g_object_ref_sink(object)) : nullptr);
    }

    void reset()
    {
        if (m_p)
            g_object_unref(std::exchange(m_p, nullptr));
    }
    T* get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};

}  // namespace tessaly
