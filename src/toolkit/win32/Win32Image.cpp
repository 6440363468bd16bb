// Images on Windows: files decoded by GDI+ into premultiplied pixels of our own; everything after
// that is arithmetic on those pixels.
#include <algorithm>
#include <cmath>

// clang-format off
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
// clang-format on

#include "platform/FilePaths.h"
#include "platform/win32/Win32Support.h"
#include "toolkit/Image.h"
#include "toolkit/win32/PixelOps.h"
#include "toolkit/win32/Win32Toolkit.h"

namespace tessaly::toolkit {
namespace {

namespace gdip = Gdiplus::DllExports;

std::shared_ptr<ImageData> NewData(int width, int height)
{
    auto data = std::make_shared<ImageData>();
    data->width = width;
    data->height = height;
    data->pixels.assign(static_cast<std::size_t>(width) * height, 0u);
    return data;
}

// Owns a GDI+ image.
struct GdipImageDeleter {
    void operator()(Gdiplus::GpBitmap* image) const noexcept { gdip::GdipDisposeImage(image); }
};
using GdipBitmapPtr = std::unique_ptr<Gdiplus::GpBitmap, GdipImageDeleter>;

std::shared_ptr<ImageData> Decode(std::u16string_view path)
{
    if (path.empty())
        return nullptr;
    const GdiPlusSession session;
    if (!session.Started())
        return nullptr;
    const std::u16string name = platform::NativeRelativePath(path);
    Gdiplus::GpBitmap* raw = nullptr;
    if (gdip::GdipCreateBitmapFromFile(platform::win32::Wide(name), &raw) != Gdiplus::Ok || !raw)
        return nullptr;
    const GdipBitmapPtr bitmap(raw);
    UINT width = 0, height = 0;
    gdip::GdipGetImageWidth(bitmap.get(), &width);
    gdip::GdipGetImageHeight(bitmap.get(), &height);
    if (width == 0 || height == 0 || width > 32768 || height > 32768)
        return nullptr;
    Gdiplus::GpRect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    Gdiplus::BitmapData locked{};
    if (gdip::GdipBitmapLockBits(bitmap.get(), &all, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &locked) !=
        Gdiplus::Ok)
        return nullptr;
    auto data = NewData(static_cast<int>(width), static_cast<int>(height));
    data->decoded = true;
    for (UINT y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const BYTE*>(locked.Scan0) +
                                                                 static_cast<std::ptrdiff_t>(y) * locked.Stride);
        std::copy(row, row + width, data->Row(static_cast<int>(y)));
    }
    gdip::GdipBitmapUnlockBits(bitmap.get(), &locked);
    return data;
}

}  // namespace

GdiPlusSession::GdiPlusSession()
{
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&m_token, &input, nullptr) != Gdiplus::Ok)
        m_token = 0;
}

GdiPlusSession::~GdiPlusSession()
{
    if (m_token != 0)
        Gdiplus::GdiplusShutdown(m_token);
}

int Image::Width() const { return m_data ? m_data->width : 0; }
int Image::Height() const { return m_data ? m_data->height : 0; }
// This backend's windows report scale 1 (Windows stretches them), so every bitmap is made at scale 1
// and the scale asked for below is not used yet.
double Image::Scale() const { return 1.0; }

Image NewImage(int width, int height)
{
    if (width <= 0 || height <= 0)
        return {};
    return Image(NewData(width, height));
}

ImageData ScaleBilinear(const ImageData& source, int width, int height)
{
    ImageData out;
    out.width = width;
    out.height = height;
    out.decoded = source.decoded;
    out.pixels.assign(static_cast<std::size_t>(width) * height, 0u);
    if (source.width <= 0 || source.height <= 0)
        return out;
    const double sx = static_cast<double>(source.width) / width;
    const double sy = static_cast<double>(source.height) / height;
    for (int y = 0; y < height; ++y) {
        const double fy = std::clamp((y + 0.5) * sy - 0.5, 0.0, source.height - 1.0);
        const int y0 = static_cast<int>(fy);
        const int y1 = std::min(y0 + 1, source.height - 1);
        const double wy = fy - y0;
        for (int x = 0; x < width; ++x) {
            const double fx = std::clamp((x + 0.5) * sx - 0.5, 0.0, source.width - 1.0);
            const int x0 = static_cast<int>(fx);
            const int x1 = std::min(x0 + 1, source.width - 1);
            const double wx = fx - x0;
            const std::uint32_t p[4] = {source.Row(y0)[x0], source.Row(y0)[x1], source.Row(y1)[x0], source.Row(y1)[x1]};
            const double w[4] = {(1 - wx) * (1 - wy), wx * (1 - wy), (1 - wx) * wy, wx * wy};
            std::uint32_t pixel = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                double sum = 0;
                for (int i = 0; i < 4; ++i)
                    sum += w[i] * ((p[i] >> shift) & 0xFFu);
                pixel |= (static_cast<std::uint32_t>(std::lround(sum)) & 0xFFu) << shift;
            }
            out.Row(y)[x] = pixel;
        }
    }
    return out;
}

Image LoadImageFile(std::u16string_view path)
{
    auto data = Decode(path);
    return data ? Image(std::move(data)) : Image();
}

Image RenderImageFile(std::u16string_view path, const ZelRect& size, ZelColor fill, double /*scale*/)
{
    const auto decoded = Decode(path);
    if (!decoded)
        return {};
    int width = size.Width(), height = size.Height();
    if (width == 0 || height == 0) {
        width = decoded->width;
        height = decoded->height;
    }
    if (width <= 0 || height <= 0)
        return {};
    const ImageData scaled = width == decoded->width && height == decoded->height
                                 ? *decoded
                                 : ScaleBilinear(*decoded, width, height);
    auto data = NewData(width, height);
    const std::uint32_t under = fill == kNoColor ? 0u : OpaquePixel(fill);
    for (std::size_t i = 0; i < data->pixels.size(); ++i)
        data->pixels[i] = Over(under, scaled.pixels[i]);
    return Image(std::move(data));
}

Image RenderKeyedImageFile(std::u16string_view path, ZelColor key, double scale)
{
    Image strip = RenderImageFile(path, ZelRect{}, kNoColor, scale);
    MakeColorTransparent(strip, key);
    return strip;
}

Image MakeSolidImage(int width, int height, ZelColor color, double /*scale*/)
{
    if (width <= 0 || height <= 0)
        return {};
    auto data = NewData(width, height);
    std::fill(data->pixels.begin(), data->pixels.end(), OpaquePixel(color));
    return Image(std::move(data));
}

Image MakeBlankImage(int width, int height, double /*scale*/) { return NewImage(width, height); }

Image CopyImageRegion(const Image& source, int x, int y, int width, int height, ZelColor fill)
{
    if (width <= 0 || height <= 0)
        return {};
    Image copy = fill == kNoColor ? NewImage(width, height) : MakeSolidImage(width, height, fill);
    const ImageData* from = source.Data();
    if (!from)
        return copy;
    ImageData& to = *copy.Data();
    for (int row = 0; row < height; ++row) {
        const int sy = y + row;
        if (sy < 0 || sy >= from->height)
            continue;
        for (int col = 0; col < width; ++col) {
            const int sx = x + col;
            if (sx >= 0 && sx < from->width)
                to.Row(row)[col] = from->Row(sy)[sx];
        }
    }
    return copy;
}

void MakeColorTransparent(Image& image, ZelColor color)
{
    if (!image)
        return;
    const std::uint32_t key = OpaquePixel(color);
    for (std::uint32_t& pixel : image.Data()->pixels)
        if (pixel == key)
            pixel = 0;
}

void ShowImage(HDC dc, const Image& image, int x, int y)
{
    const ImageData* data = image.Data();
    if (!dc || !data)
        return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = data->width;
    info.bmiHeader.biHeight = -data->height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(data->width), static_cast<DWORD>(data->height), 0, 0, 0,
                      static_cast<UINT>(data->height), data->pixels.data(), &info, DIB_RGB_COLORS);
}

}  // namespace tessaly::toolkit
