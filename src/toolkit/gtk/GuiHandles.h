#pragma once
// Owning guards for the C handles of cairo and Pango, beside the toolkit's GObject owner. Every
// surface, context, layout, font description and GObject the controls hold lives in one of these, so
// nothing leaks on an early return and nothing is released twice.
#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <pango/pango.h>

#include <memory>

#include "controls/SkinColor.h"
#include "platform/toolkit/GObjectPtr.h"

namespace tessaly {

using SurfacePtr = std::unique_ptr<cairo_surface_t, HandleDeleter<cairo_surface_destroy>>;
using CairoPtr = std::unique_ptr<cairo_t, HandleDeleter<cairo_destroy>>;
using FontDescPtr = std::unique_ptr<PangoFontDescription, HandleDeleter<pango_font_description_free>>;
using AttrListPtr = std::unique_ptr<PangoAttrList, HandleDeleter<pango_attr_list_unref>>;

using PixbufPtr = GObjectPtr<GdkPixbuf>;
using LayoutPtr = GObjectPtr<PangoLayout>;

inline void SetSourceZelColor(cairo_t* cr, ZelColor color)
{
    cairo_set_source_rgb(cr, RedOf(color) / 255.0, GreenOf(color) / 255.0, BlueOf(color) / 255.0);
}

}  // namespace tessaly
