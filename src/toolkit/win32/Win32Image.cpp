// Images on Windows: files decoded by GDI+ into premultiplied pixels of our own; everything after
// that is arithmetic on those pixels.
#include <algorithm>
#include <cmath>
#include <functional>

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

int Image::Width() const { return m_data ? static_cast<int>(std::lround(m_data->width / m_data->scale)) : 0; }
int Image::Height() const { return m_data ? static_cast<int>(std::lround(m_data->height / m_data->scale)) : 0; }
double Image::Scale() const { return m_data ? m_data->scale : 1.0; }

Image NewImage(int width, int height, double scale)
{
    if (width <= 0 || height <= 0)
        return {};
    auto data = NewData(width, height);
    data->scale = scale;
    return Image(std::move(data));
}

const ImageData& DecodedSource(ImageData& decoded, double scale)
{
    if (scale < kHighResolutionScale || decoded.companionPath.empty())
        return decoded;
    if (!decoded.companionRead) {
        decoded.companionRead = true;
        decoded.companion = Decode(decoded.companionPath);
    }
    return decoded.companion ? *decoded.companion : decoded;
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
    if (!data)
        return {};
    data->companionPath = HighResolutionPath(path);
    return Image(std::move(data));
}

namespace {

// The file (or, at scale 2 or more, its companion) as a bitmap of `size` logical pixels at `scale`,
// resampled once; `prepare` may change the decoded pixels first. The file decides the size when
// `size` is empty.
Image RenderFile(std::u16string_view path, const ZelRect& size, double scale,
                 const std::function<void(ImageData&)>& prepare)
{
    auto decoded = Decode(path);
    if (!decoded)
        return {};
    const bool ownSize = size.Width() == 0 || size.Height() == 0;
    const int width = ownSize ? decoded->width : size.Width();
    const int height = ownSize ? decoded->height : size.Height();
    if (width <= 0 || height <= 0)
        return {};
    std::shared_ptr<ImageData> source = scale >= kHighResolutionScale ? Decode(HighResolutionPath(path)) : nullptr;
    if (!source)
        source = std::move(decoded);
    if (prepare)
        prepare(*source);
    const int deviceWidth = DevicePixels(width, scale), deviceHeight = DevicePixels(height, scale);
    Image out = NewImage(deviceWidth, deviceHeight, scale);
    if (!out)
        return {};
    ImageData& data = *out.Data();
    if (deviceWidth == source->width && deviceHeight == source->height)
        data.pixels = source->pixels;
    else
        data.pixels = ScaleBilinear(*source, deviceWidth, deviceHeight).pixels;
    return out;
}

}  // namespace

Image RenderImageFile(std::u16string_view path, const ZelRect& size, ZelColor fill, double scale)
{
    Image image = RenderFile(path, size, scale, nullptr);
    if (image && fill != kNoColor) {
        const std::uint32_t under = OpaquePixel(fill);
        for (std::uint32_t& pixel : image.Data()->pixels)
            pixel = Over(under, pixel);
    }
    return image;
}

// The key comes out at the resolution of the file that is read, before any resampling.
Image RenderKeyedImageFile(std::u16string_view path, ZelColor key, double scale)
{
    const std::uint32_t keyed = OpaquePixel(key);
    return RenderFile(path, ZelRect{}, scale, [keyed](ImageData& source) {
        std::replace(source.pixels.begin(), source.pixels.end(), keyed, 0u);
    });
}

Image MakeSolidImage(int width, int height, ZelColor color, double scale)
{
    Image image = NewImage(DevicePixels(width, scale), DevicePixels(height, scale), scale);
    if (image)
        std::fill(image.Data()->pixels.begin(), image.Data()->pixels.end(), OpaquePixel(color));
    return image;
}

Image MakeBlankImage(int width, int height, double scale)
{
    return NewImage(DevicePixels(width, scale), DevicePixels(height, scale), scale);
}

// Offsets and sizes are logical; the copy takes the source's device pixels as they are.
Image CopyImageRegion(const Image& source, int x, int y, int width, int height, ZelColor fill)
{
    const double scale = source.Scale();
    if (width <= 0 || height <= 0)
        return {};
    Image copy = fill == kNoColor ? MakeBlankImage(width, height, scale) : MakeSolidImage(width, height, fill, scale);
    const ImageData* from = source.Data();
    if (!from || !copy)
        return copy;
    ImageData& to = *copy.Data();
    const int left = DevicePixels(x, scale), top = DevicePixels(y, scale);
    for (int row = 0; row < to.height; ++row) {
        const int sy = top + row;
        if (sy < 0 || sy >= from->height)
            continue;
        for (int col = 0; col < to.width; ++col) {
            const int sx = left + col;
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
