#pragma once
// The one owner of GObject references (and of GLib main loops, sources, errors and texts) for every
// layer that holds toolkit objects: the reference is dropped when the owner goes, so nothing leaks on
// an early return and nothing is released twice.
#include <glib-object.h>

#include <memory>

namespace tessaly {

struct GObjectDeleter {
    void operator()(void* object) const noexcept
    {
        if (object)
            g_object_unref(object);
    }
};

template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectDeleter>;

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

struct MainLoopDeleter {
    void operator()(GMainLoop* loop) const noexcept
    {
        if (loop)
            g_main_loop_unref(loop);
    }
};

using MainLoopPtr = std::unique_ptr<GMainLoop, MainLoopDeleter>;

struct SourceDeleter {
    void operator()(GSource* source) const noexcept
    {
        if (source)
            g_source_unref(source);
    }
};

// A main-loop source; attaching it gives the context a reference of its own.
using SourcePtr = std::unique_ptr<GSource, SourceDeleter>;

struct GFreeDeleter {
    void operator()(void* memory) const noexcept { g_free(memory); }
};

// Text (or any block) the caller must g_free.
using CharPtr = std::unique_ptr<char, GFreeDeleter>;

struct ErrorDeleter {
    void operator()(GError* error) const noexcept
    {
        if (error)
            g_error_free(error);
    }
};

using ErrorPtr = std::unique_ptr<GError, ErrorDeleter>;

}  // namespace tessaly
