#include "toolkit/win32/PixelCanvas.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "controls/TextFormat.h"
#include "toolkit/win32/PixelOps.h"

namespace tessaly::toolkit {
namespace {

constexpr std::uint32_t kBlack = 0xFF000000u;
constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

// A memory device context with a 32-bit DIB section selected, for GDI to draw a text mask into.
class MaskSurface {
public:
    MaskSurface(int width, int height) : m_dc(CreateCompatibleDC(nullptr)), m_width(width), m_height(height)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_bitmap = UniqueGdiObject<HBITMAP>(CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        m_bits = static_cast<std::uint32_t*>(bits);
        if (m_dc && m_bitmap)
            m_old = SelectObject(m_dc, m_bitmap.get());
    }
    ~MaskSurface()
    {
        if (m_old)
            SelectObject(m_dc, m_old);
        m_bitmap.reset();
        if (m_dc)
            DeleteDC(m_dc);
    }
    MaskSurface(const MaskSurface&) = delete;
    MaskSurface& operator=(const MaskSurface&) = delete;

    bool Valid() const { return m_dc && m_bits; }
    HDC Dc() const { return m_dc; }
    // The grey level drawn at x, y (the mask is drawn white on black).
    std::uint32_t Coverage(int x, int y) const
    {
        const std::uint32_t p = m_bits[static_cast<std::size_t>(y) * m_width + x];
        return std::max({p & 0xFFu, (p >> 8) & 0xFFu, (p >> 16) & 0xFFu});
    }

private:
    HDC m_dc;
    UniqueGdiObject<HBITMAP> m_bitmap;
    HGDIOBJ m_old = nullptr;
    std::uint32_t* m_bits = nullptr;
    int m_width;
    int m_height;
};

const wchar_t* WideText(std::u16string_view text) { return reinterpret_cast<const wchar_t*>(text.data()); }

}  // namespace

PixelCanvas::PixelCanvas(Image image, int baseX, int baseY)
    : m_image(std::move(image)), m_pixels(*m_image.Data()), m_baseX(baseX), m_baseY(baseY)
{
    m_region.clip = RECT{0, 0, m_pixels.width, m_pixels.height};
}

RECT PixelCanvas::Device(const ZelRect& rect) const
{
    const ZelRect inWindow{rect.left + m_region.originX + m_baseX, rect.top + m_region.originY + m_baseY,
                           rect.right + m_region.originX + m_baseX, rect.bottom + m_region.originY + m_baseY};
    RECT out = DeviceRect(inWindow, Scale());
    OffsetRect(&out, -DevicePixels(m_baseX, Scale()), -DevicePixels(m_baseY, Scale()));
    return out;
}

RECT PixelCanvas::Visible(const ZelRect& rect) const
{
    RECT out = Device(rect);
    out.left = std::max(out.left, m_region.clip.left);
    out.top = std::max(out.top, m_region.clip.top);
    out.right = std::min(out.right, m_region.clip.right);
    out.bottom = std::min(out.bottom, m_region.clip.bottom);
    if (out.right <= out.left || out.bottom <= out.top)
        return RECT{};
    return out;
}

void PixelCanvas::FillDevice(const RECT& area, std::uint32_t pixel)
{
    for (LONG y = area.top; y < area.bottom; ++y)
        std::fill(m_pixels.Row(y) + area.left, m_pixels.Row(y) + area.right, pixel);
}

void PixelCanvas::Fill(ZelColor color) { FillDevice(m_region.clip, OpaquePixel(color)); }

void PixelCanvas::FillRect(const ZelRect& rect, ZelColor color) { FillDevice(Visible(rect), OpaquePixel(color)); }

void PixelCanvas::Put(const ImageData& source, int left, int top, const RECT& target, bool blend)
{
    for (LONG row = std::max<LONG>(target.top, top); row < std::min<LONG>(target.bottom, top + source.height); ++row) {
        const std::uint32_t* from = source.Row(row - top);
        std::uint32_t* to = m_pixels.Row(row);
        for (LONG col = std::max<LONG>(target.left, left); col < std::min<LONG>(target.right, left + source.width);
             ++col)
            to[col] = blend ? Over(to[col], from[col - left]) : from[col - left];
    }
}

ImageData PixelCanvas::Resampled(const Image& image, int width, int height) const
{
    ImageData* data = image.Data();
    const ImageData& source = data->decoded ? DecodedSource(*data, Scale()) : *data;
    if (source.width == width && source.height == height)
        return source;
    return ScaleBilinear(source, width, height);
}

void PixelCanvas::CopyImage(const Image& image, int x, int y)
{
    const ImageData* source = image.Data();
    if (!source)
        return;
    const ZelRect dest{x, y, x + image.Width(), y + image.Height()};
    const RECT device = Device(dest);
    const RECT area = Visible(dest);
    if (!source->decoded && source->scale == Scale()) {
        Put(*source, device.left, device.top, area, false);  // pixel for pixel
        return;
    }
    Put(Resampled(image, device.right - device.left, device.bottom - device.top), device.left, device.top, area, false);
}

void PixelCanvas::DrawImage(const Image& image, const ZelRect& dest)
{
    if (!image || dest.Width() <= 0 || dest.Height() <= 0)
        return;
    const RECT device = Device(dest);
    const int width = device.right - device.left, height = device.bottom - device.top;
    if (width <= 0 || height <= 0)
        return;
    const ImageData* source = image.Data();
    const RECT area = Visible(dest);
    if (!source->decoded && source->width == width && source->height == height) {
        Put(*source, device.left, device.top, area, true);
        return;
    }
    Put(Resampled(image, width, height), device.left, device.top, area, true);
}

void PixelCanvas::DrawImagePart(const Image& image, int srcX, int srcY, const ZelRect& dest)
{
    const ImageData* source = image.Data();
    if (!source)
        return;
    if (source->decoded || source->scale != Scale()) {
        // A part of another resolution is cut out first and then drawn like a whole image.
        DrawImage(CopyImageRegion(image, srcX, srcY, dest.Width(), dest.Height()), dest);
        return;
    }
    const RECT device = Device(dest);
    Put(*source, device.left - DevicePixels(srcX, Scale()), device.top - DevicePixels(srcY, Scale()), Visible(dest),
        true);
}

void PixelCanvas::PaintText(std::u16string_view text, const Font& font, bool underline, const ZelRect& rect,
                           std::uint32_t format, ZelColor color)
{
    if (text.empty())
        return;
    // Without clipping the text may reach anywhere in the region; otherwise only into its rectangle.
    const RECT area = (format & textformat::kNoClip) ? m_region.clip : Visible(rect);
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return;
    MaskSurface mask(width, height);
    if (!mask.Valid())
        return;
    HDC dc = mask.Dc();
    const HGDIOBJ oldFont = SelectObject(dc, FontOf(font, underline, Scale()));
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    RECT box = Device(rect);
    OffsetRect(&box, -area.left, -area.top);
    const std::wstring wide(WideText(text), text.size());
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &box, format | DT_NOPREFIX);
    GdiFlush();
    SelectObject(dc, oldFont);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (const std::uint32_t coverage = mask.Coverage(x, y))
                m_pixels.Row(area.top + y)[area.left + x] =
                    Over(m_pixels.Row(area.top + y)[area.left + x], Covered(color, coverage));
}

ZelRect PixelCanvas::MeasureText(std::u16string_view text, int width, const Font& font)
{
    ZelRect out{0, 0, width, 0};
    if (text.empty())
        return out;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return out;
    // Laid out as it is drawn, at the canvas's scale, and measured back in logical pixels.
    const double scale = Scale();
    const HGDIOBJ oldFont = SelectObject(dc, FontOf(font, false, scale));
    RECT box{0, 0, DevicePixels(std::max(width, 1), scale), 0};
    const std::wstring wide(WideText(text), text.size());
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &box, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    DeleteDC(dc);
    out.right = static_cast<int>(std::ceil(box.right / scale));
    out.bottom = static_cast<int>(std::ceil(box.bottom / scale));
    return out;
}

void PixelCanvas::DrawFocusRect(const ZelRect& rect)
{
    if (rect.Width() <= 0 || rect.Height() <= 0)
        return;
    const int right = rect.right - 1, bottom = rect.bottom - 1;
    // Each dot is one logical pixel, so the mark looks alike at every scale.
    auto dot = [this](int x, int y, std::uint32_t pixel) { FillDevice(Visible(ZelRect{x, y, x + 1, y + 1}), pixel); };
    for (int phase = 0; phase < 2; ++phase) {
        const std::uint32_t pixel = phase == 0 ? kBlack : kWhite;
        for (int x = rect.left + phase; x <= right; x += 2) {
            dot(x, rect.top, pixel);
            dot(x, bottom, pixel);
        }
        for (int y = rect.top + phase; y <= bottom; y += 2) {
            dot(rect.left, y, pixel);
            dot(right, y, pixel);
        }
    }
}

void PixelCanvas::PushRegion(const ZelRect& rect)
{
    m_saved.push_back(m_region);
    const RECT clip = Visible(rect);
    m_region.originX += rect.left;
    m_region.originY += rect.top;
    m_region.clip = clip;
}

void PixelCanvas::PopRegion()
{
    if (m_saved.empty())
        return;
    m_region = m_saved.back();
    m_saved.pop_back();
}

void PaintWindow(HWND window, double scale, int baseX, int baseY,
                 const std::function<void(Canvas& canvas, int width, int height)>& draw)
{
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window, &paint);
    RECT client{};
    GetClientRect(window, &client);
    if (Image image = NewImage(client.right, client.bottom, scale)) {
        PixelCanvas canvas(image, baseX, baseY);
        draw(canvas, image.Width(), image.Height());
        ShowImage(dc, image, 0, 0);
    }
    EndPaint(window, &paint);
}

std::unique_ptr<Canvas> CanvasOnImage(const Image& image)
{
    if (!image)
        return nullptr;
    return std::make_unique<PixelCanvas>(image);
}

}  // namespace tessaly::toolkit
