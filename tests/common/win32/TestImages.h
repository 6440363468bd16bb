#pragma once
// Decoding the skin's image files, Windows side (GDI+ for the images, the cursor loader for cursors).
#include <winsock2.h>
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <optional>
#include <string>

namespace tessaly::test::images {

struct Size {
    int width;
    int height;
};

// The size of the image in the file; nothing when the file does not decode.
inline std::optional<Size> ImageSize(const std::u16string& path)
{
    namespace flat = Gdiplus::DllExports;
    const Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok)
        return std::nullopt;
    std::optional<Size> size;
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (flat::GdipCreateBitmapFromFile(reinterpret_cast<const WCHAR*>(path.c_str()), &bitmap) == Gdiplus::Ok) {
        UINT width = 0;
        UINT height = 0;
        if (flat::GdipGetImageWidth(bitmap, &width) == Gdiplus::Ok &&
            flat::GdipGetImageHeight(bitmap, &height) == Gdiplus::Ok)
            size = Size{static_cast<int>(width), static_cast<int>(height)};
        flat::GdipDisposeImage(bitmap);
    }
    Gdiplus::GdiplusShutdown(token);
    return size;
}

// True when the file loads as a cursor (whose hot spot the system takes from the file).
inline bool IsCursor(const std::u16string& path)
{
    const HANDLE cursor = ::LoadImageW(nullptr, reinterpret_cast<const wchar_t*>(path.c_str()), IMAGE_CURSOR, 0, 0,
                                       LR_LOADFROMFILE);
    if (cursor == nullptr)
        return false;
    ICONINFO info{};
    const bool isCursor = ::GetIconInfo(static_cast<HICON>(cursor), &info) && !info.fIcon;
    if (info.hbmMask)
        ::DeleteObject(info.hbmMask);
    if (info.hbmColor)
        ::DeleteObject(info.hbmColor);
    ::DestroyCursor(static_cast<HCURSOR>(cursor));
    return isCursor;
}

}  // namespace tessaly::test::images
