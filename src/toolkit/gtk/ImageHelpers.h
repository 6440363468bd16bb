#pragma once
// Image loading and drawing shared by the dialog and its controls. Two conventions:
// - rendering: a file is decoded once and drawn into a cairo image surface (backgrounds, pictures,
//   image strips), which is then painted with one copy;
// - decoded images: a pixbuf kept by a control and drawn at paint time (label images, button state
//   images and icons).
// Positions and sizes are logical pixels. A surface made at a scale holds that many device pixels per
// logical pixel and has its cairo device scale set to it, so it paints pixel for pixel onto a target
// of the same scale (a window's surface at that scale factor, or another such bitmap).
#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <string_view>

#include "toolkit/gtk/GuiHandles.h"
#include "config/ConfigTypes.h"
#include "controls/SkinColor.h"

namespace tessaly {

// Decodes the image file; null when the file is missing or cannot be decoded.
PixbufPtr LoadDecodedImage(std::u16string_view path);

// Renders the image into a new ARGB surface at `scale` and puts it into `bitmap`. An empty `size`
// (zero width or height) keeps the image's own size; otherwise the image is stretched to size's
// width and height. With a fill other than kNoColor the surface is filled first, so transparent
// pixels show the fill; without one they stay transparent. At scale 2 or more the file's
// high-resolution companion is drawn when there is one. A file that cannot be decoded leaves
// `bitmap` as it was. Always returns 0; callers look at the bitmap.
int LoadImageToBitmap(SurfacePtr& bitmap, const ZelRect& size, std::u16string_view path, ZelColor fill,
                      double scale = 1.0);

// Draws a decoded image with its top-left corner at x, y, stretched to width x height, resampled
// once to the device pixels it covers on the target; on a target of scale 2 or more `companion`
// (the high-resolution image; may be null) is drawn instead.
void DrawDecodedImage(cairo_t* cr, GdkPixbuf* image, int x, int y, int width, int height,
                      GdkPixbuf* companion = nullptr);

// Device pixels per logical pixel of what `cr` draws on.
double DeviceScale(cairo_t* cr);

// A new ARGB surface of width x height logical pixels at `scale`, transparent; null for an empty size.
SurfacePtr MakeScaledSurface(int width, int height, double scale);

// The image strip of the file at `scale`, its opaque `key` pixels made transparent (its own
// transparency kept): keyed at the resolution of the file read, then resampled smoothly when that is
// not the device's.
SurfacePtr RenderKeyedStrip(std::u16string_view path, ZelColor key, double scale);

// Turns every pixel of exactly the given colour fully transparent (an ARGB32 image surface).
void MakeColorTransparent(cairo_surface_t* surface, ZelColor color);

// A new surface of the given size showing the part of `source` that starts at x, y; parts outside
// the source show `fill` (transparent with kNoColor). It has the source's scale (1 without a source).
// Null for an empty size.
SurfacePtr CopySurfaceRegion(cairo_surface_t* source, int x, int y, int width, int height, ZelColor fill = kNoColor);

// Paints the whole surface with its top-left corner at x, y (a plain source copy).
void PaintSurface(cairo_t* cr, cairo_surface_t* surface, int x, int y);

// The keyboard-focus mark: a rectangle outline on whole pixels, dotted in two tones (black and white
// pixels in turn) so that it shows on light and dark faces alike.
void DrawFocusRect(cairo_t* cr, const ZelRect& rect);

// A new ARGB surface of the given size (and scale) filled with one colour; null for an empty size.
SurfacePtr MakeSolidSurface(int width, int height, ZelColor color, double scale = 1.0);

}  // namespace tessaly
