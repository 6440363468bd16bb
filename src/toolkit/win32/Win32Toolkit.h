#pragma once
// What the toolkit's handles hold in the Win32 backend: images are premultiplied 32-bit pixels of our
// own (GDI+ decodes, GDI draws text, the rest is plain arithmetic), fonts and cursors are GDI objects,
// tab stops and control parents are windows.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/ControlView.h"
#include "toolkit/Cursor.h"
#include "toolkit/Font.h"
#include "toolkit/Image.h"
#include "toolkit/TabStop.h"

namespace tessaly::toolkit {

// Owns one GDI object (font, bitmap, brush).
template <typename Handle>
class UniqueGdiObject {
public:
    UniqueGdiObject() = default;
    explicit UniqueGdiObject(Handle handle) : m_handle(handle) {}
    ~UniqueGdiObject() { reset(); }
    UniqueGdiObject(UniqueGdiObject&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    UniqueGdiObject& operator=(UniqueGdiObject&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }
    UniqueGdiObject(const UniqueGdiObject&) = delete;
    UniqueGdiObject& operator=(const UniqueGdiObject&) = delete;

    Handle get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    void reset() noexcept
    {
        if (m_handle)
            ::DeleteObject(m_handle);
        m_handle = nullptr;
    }

private:
    Handle m_handle = nullptr;
};

// Owns a cursor or icon made from a file or from pixels.
class UniqueIcon {
public:
    explicit UniqueIcon(HICON icon) : m_icon(icon) {}
    ~UniqueIcon()
    {
        if (m_icon)
            ::DestroyIcon(m_icon);
    }
    UniqueIcon(const UniqueIcon&) = delete;
    UniqueIcon& operator=(const UniqueIcon&) = delete;
    HICON get() const { return m_icon; }

private:
    HICON m_icon;
};

// Premultiplied 0xAARRGGBB pixels, rows top to bottom (the layout of a top-down 32-bit DIB). Width and
// height count device pixels; a rendered bitmap holds `scale` of them per logical pixel.
struct ImageData {
    int width = 0;
    int height = 0;
    double scale = 1.0;
    std::vector<std::uint32_t> pixels;
    bool decoded = false;  // a decoded file: smoothed when stretched
    // A decoded file's high-resolution companion, read when a canvas of scale 2 or more first needs it.
    std::u16string companionPath;
    std::shared_ptr<const ImageData> companion;
    bool companionRead = false;

    std::uint32_t* Row(int y) { return pixels.data() + static_cast<std::size_t>(y) * width; }
    const std::uint32_t* Row(int y) const { return pixels.data() + static_cast<std::size_t>(y) * width; }
};

struct FontData {
    UniqueGdiObject<HFONT> font;
    UniqueGdiObject<HFONT> underlined;
    // The same fonts at other scales, made when first drawn there: height (in device pixels) and
    // underline.
    std::vector<std::pair<std::pair<LONG, bool>, UniqueGdiObject<HFONT>>> scaled;
};

struct CursorData {
    CursorData(HCURSOR cursor, HCURSOR highResolution) : cursor(cursor), highResolution(highResolution) {}
    UniqueIcon cursor;
    UniqueIcon highResolution;  // the file's companion, shown at scale 2 or more; may be null
};

struct TabStopData {
    HWND window = nullptr;
};

// The client area of a dialog: the window the controls are children of, and how its background
// under a child is painted (a control that blends, like a picture, draws over it).
// Its scale is the dialog's: child windows are placed in device pixels, the skin's logical ones times it.
class ControlParent {
public:
    using BackgroundPainter = std::function<void(Canvas& canvas, const ZelRect& area)>;

    ControlParent(HWND window, BackgroundPainter painter) : m_window(window), m_painter(std::move(painter)) {}
    HWND Window() const { return m_window; }
    double Scale() const { return m_scale; }
    void SetScale(double scale) { m_scale = scale; }
    // The window once it exists (a dialog's client area is made after its parent object).
    void AttachWindow(HWND window) { m_window = window; }
    void PaintBackground(Canvas& canvas, const ZelRect& area) const
    {
        if (m_painter)
            m_painter(canvas, area);
    }

private:
    HWND m_window;
    BackgroundPainter m_painter;
    double m_scale = 1.0;
};

// A logical rectangle in device pixels at `scale`, each edge at its nearest device pixel (so that
// neighbours stay neighbours at any scale).
inline RECT DeviceRect(const ZelRect& rect, double scale)
{
    return RECT{DevicePixels(rect.left, scale), DevicePixels(rect.top, scale), DevicePixels(rect.right, scale),
                DevicePixels(rect.bottom, scale)};
}

// Sent by a dialog to its child windows when its scale changed: they take their places again.
inline constexpr UINT kScaleChangedMessage = WM_APP + 0x3FF1;

// A new image of width x height device pixels at `scale`, transparent; empty for an empty size.
Image NewImage(int width, int height, double scale = 1.0);
// The pixels a decoded file is drawn from on a target of `scale`: its companion at 2 or more when the
// skin ships one, else its own.
const ImageData& DecodedSource(ImageData& decoded, double scale);
// The font at `scale` (its height times the scale); the font itself at 1.
HFONT FontOf(const Font& font, bool underline, double scale = 1.0);
// The cursor for a window of `scale`: the file's companion at 2 or more when there is one.
HCURSOR CursorOf(const Cursor& cursor, double scale = 1.0);
TabStop TabStopOf(HWND window);
HWND WindowOf(const TabStop& stop);
// The instance of the module this backend is linked into (for dialog resources and window classes).
HINSTANCE ToolkitInstance();
// Shows an image's pixels on a device context at x, y (a plain copy).
void ShowImage(HDC dc, const Image& image, int x, int y);

// A counted start of GDI+ for as long as an instance lives: the library starts GDI+ for itself
// (GDI+ counts its start-ups, so a host's own is left alone) and shuts its own start down again.
class GdiPlusSession {
public:
    GdiPlusSession();
    ~GdiPlusSession();
    GdiPlusSession(const GdiPlusSession&) = delete;
    GdiPlusSession& operator=(const GdiPlusSession&) = delete;
    bool Started() const { return m_token != 0; }

private:
    ULONG_PTR m_token = 0;
};

}  // namespace tessaly::toolkit
