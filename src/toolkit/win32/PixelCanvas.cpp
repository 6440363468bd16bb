#include "toolkit/win32/PixelCanvas.h"

#include <algorithm>
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

PixelCanvas::PixelCanvas(Image image) : m_image(std::move(image)), m_pixels(*m_image.Data())
{
    m_region.clip = RECT{0, 0, m_pixels.width, m_pixels.height};
}

RECT PixelCanvas::Visible(const ZelRect& rect) const
{
    RECT out{rect.left + m_region.originX, rect.top + m_region.originY, rect.right + m_region.originX,
             rect.bottom + m_region.originY};
    out.left = std::max(out.left, m_region.clip.left);
    out.top = std::max(out.top, m_region.clip.top);
    out.right = std::min(out.right, m_region.clip.right);
    out.bottom = std::min(out.bottom, m_region.clip.bottom);
    if (out.right <= out.left || out.bottom <= out.top)
        return RECT{};
    return out;
}

void PixelCanvas::Fill(ZelColor color)
{
    const RECT& clip = m_region.clip;
    FillRect(ZelRect{clip.left - m_region.originX, clip.top - m_region.originY, clip.right - m_region.originX,
                     clip.bottom - m_region.originY},
             color);
}

void PixelCanvas::FillRect(const ZelRect& rect, ZelColor color)
{
    const RECT area = Visible(rect);
    const std::uint32_t pixel = OpaquePixel(color);
    for (LONG y = area.top; y < area.bottom; ++y)
        std::fill(m_pixels.Row(y) + area.left, m_pixels.Row(y) + area.right, pixel);
}

void PixelCanvas::CopyImage(const Image& image, int x, int y)
{
    const ImageData* source = image.Data();
    if (!source)
        return;
    const RECT area = Visible(ZelRect{x, y, x + source->width, y + source->height});
    const int dx = x + m_region.originX, dy = y + m_region.originY;
    for (LONG row = area.top; row < area.bottom; ++row)
        std::copy(source->Row(row - dy) + (area.left - dx), source->Row(row - dy) + (area.right - dx),
                  m_pixels.Row(row) + area.left);
}

void PixelCanvas::Blend(const ImageData& source, int sourceX, int sourceY, const RECT& target)
{
    for (LONG row = target.top; row < target.bottom; ++row) {
        const int sy = sourceY + (row - target.top);
        if (sy < 0 || sy >= source.height)
            continue;
        for (LONG col = target.left; col < target.right; ++col) {
            const int sx = sourceX + (col - target.left);
            if (sx >= 0 && sx < source.width)
                m_pixels.Row(row)[col] = Over(m_pixels.Row(row)[col], source.Row(sy)[sx]);
        }
    }
}

void PixelCanvas::DrawImage(const Image& image, const ZelRect& dest)
{
    const ImageData* source = image.Data();
    if (!source || dest.Width() <= 0 || dest.Height() <= 0)
        return;
    const RECT area = Visible(dest);
    const int left = dest.left + m_region.originX, top = dest.top + m_region.originY;
    if (dest.Width() == source->width && dest.Height() == source->height) {
        Blend(*source, area.left - left, area.top - top, area);
        return;
    }
    const ImageData scaled = ScaleBilinear(*source, dest.Width(), dest.Height());
    Blend(scaled, area.left - left, area.top - top, area);
}

void PixelCanvas::DrawImagePart(const Image& image, int srcX, int srcY, const ZelRect& dest)
{
    const ImageData* source = image.Data();
    if (!source)
        return;
    const RECT area = Visible(dest);
    const int left = dest.left + m_region.originX, top = dest.top + m_region.originY;
    Blend(*source, srcX + (area.left - left), srcY + (area.top - top), area);
}

void PixelCanvas::PaintText(std::u16string_view text, const Font& font, bool underline, const ZelRect& rect,
                           std::uint32_t format, ZelColor color)
{
    if (text.empty())
        return;
    // Without clipping the text may reach anywhere in the region; otherwise only into its rectangle.
    const RECT& clip = m_region.clip;
    const RECT area = (format & textformat::kNoClip)
                          ? clip
                          : Visible(rect);
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return;
    MaskSurface mask(width, height);
    if (!mask.Valid())
        return;
    HDC dc = mask.Dc();
    const HGDIOBJ oldFont = SelectObject(dc, FontOf(font, underline));
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    RECT box{rect.left + m_region.originX - area.left, rect.top + m_region.originY - area.top,
             rect.right + m_region.originX - area.left, rect.bottom + m_region.originY - area.top};
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
    const HGDIOBJ oldFont = SelectObject(dc, FontOf(font, false));
    RECT box{0, 0, std::max(width, 1), 0};
    const std::wstring wide(WideText(text), text.size());
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &box, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    DeleteDC(dc);
    out.right = box.right;
    out.bottom = box.bottom;
    return out;
}

void PixelCanvas::DrawFocusRect(const ZelRect& rect)
{
    if (rect.Width() <= 0 || rect.Height() <= 0)
        return;
    const int right = rect.right - 1, bottom = rect.bottom - 1;
    auto dot = [this](int x, int y, std::uint32_t pixel) {
        const RECT at = Visible(ZelRect{x, y, x + 1, y + 1});
        if (at.right > at.left)
            m_pixels.Row(at.top)[at.left] = pixel;
    };
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

void PaintWindow(HWND window, const std::function<void(Canvas& canvas, int width, int height)>& draw)
{
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window, &paint);
    RECT client{};
    GetClientRect(window, &client);
    if (Image image = NewImage(client.right, client.bottom)) {
        PixelCanvas canvas(image);
        draw(canvas, client.right, client.bottom);
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
