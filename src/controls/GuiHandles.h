#pragma once
// Owning guards for the C handles of cairo, Pango, GLib and GDK. Every surface, context, layout,
// font description and GObject the controls hold lives in one of these, so nothing leaks on an
// early return and nothing is released twice.
#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <glib-object.h>
#include <pango/pango.h>

#include <memory>

namespace tessaly {

template <auto Release>
struct HandleDeleter {
    template <typename T>
    void operator()(T* handle) const noexcept
    {
        if (handle)
            Release(handle);
    }
};

struct GObjectDeleter {
    void operator()(void* object) const noexcept
    {
        if (object)
            g_object_unref(object);
    }
};

using SurfacePtr = std::unique_ptr<cairo_surface_t, HandleDeleter<cairo_surface_destroy>>;
using CairoPtr = std::unique_ptr<cairo_t, HandleDeleter<cairo_destroy>>;
using FontDescPtr = std::unique_ptr<PangoFontDescription, HandleDeleter<pango_font_description_free>>;
using AttrListPtr = std::unique_ptr<PangoAttrList, HandleDeleter<pango_attr_list_unref>>;
using CharPtr = std::unique_ptr<char, HandleDeleter<g_free>>;

template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectDeleter>;

using PixbufPtr = GObjectPtr<GdkPixbuf>;
using LayoutPtr = GObjectPtr<PangoLayout>;

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

}  // namespace tessaly
