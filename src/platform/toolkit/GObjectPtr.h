#pragma once
// The one owner of GObject references (and of GLib main loops, sources, errors and texts) for every
// layer that holds toolkit objects: the reference is dropped when the owner goes, so nothing leaks on
// an early return and nothing is released twice.
#include <glib-object.h>

#include <memory>

namespace tessaly {

// Calls Release on a non-null handle.
template <auto Release>
struct HandleDeleter {
    template <typename T>
    void operator()(T* handle) const noexcept
    {
        if (handle)
            Release(handle);
    }
};

template <typename T>
using GObjectPtr = std::unique_ptr<T, HandleDeleter<g_object_unref>>;

// Takes over a reference the caller already owns (a "transfer full" result).
template <typename T>
GObjectPtr<T> AdoptObject(T* object)
{
    return GObjectPtr<T>(object);
}

// Adds a reference of our own to an object someone else holds.
template <typename T>
GObjectPtr<T> ShareObject(T* object)
{
    if (object)
        g_object_ref(object);
    return GObjectPtr<T>(object);
}

// Sinks a floating reference (widgets start floating) or adds one, and owns the result.
template <typename T>
GObjectPtr<T> SinkObject(T* object)
{
    return GObjectPtr<T>(object ? static_cast<T*>(g_object_ref_sink(object)) : nullptr);
}

using MainLoopPtr = std::unique_ptr<GMainLoop, HandleDeleter<g_main_loop_unref>>;
// A main-loop source; attaching it gives the context a reference of its own.
using SourcePtr = std::unique_ptr<GSource, HandleDeleter<g_source_unref>>;
using ErrorPtr = std::unique_ptr<GError, HandleDeleter<g_error_free>>;
// Text the caller must g_free.
using CharPtr = std::unique_ptr<char, HandleDeleter<g_free>>;

}  // namespace tessaly
