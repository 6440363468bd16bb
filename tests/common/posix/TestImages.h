#pragma once
// Decoding the skin's image files, Linux side (gdk-pixbuf).
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace tessaly::test::images {

struct Size {
    int width;
    int height;
};

namespace detail {
using Pixbuf = std::unique_ptr<GdkPixbuf, decltype(&g_object_unref)>;

inline Pixbuf Load(const std::u16string& path)
{
    return Pixbuf(gdk_pixbuf_new_from_file(std::filesystem::path(path).c_str(), nullptr), &g_object_unref);
}
}  // namespace detail

// The size of the image in the file; nothing when the file does not decode.
inline std::optional<Size> ImageSize(const std::u16string& path)
{
    const detail::Pixbuf image = detail::Load(path);
    if (!image)
        return std::nullopt;
    return Size{gdk_pixbuf_get_width(image.get()), gdk_pixbuf_get_height(image.get())};
}

// True when the file decodes as a cursor with its hot spot.
inline bool IsCursor(const std::u16string& path)
{
    const detail::Pixbuf image = detail::Load(path);
    return image && gdk_pixbuf_get_option(image.get(), "x_hot") != nullptr;
}

}  // namespace tessaly::test::images
