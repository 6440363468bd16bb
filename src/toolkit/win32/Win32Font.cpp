// Fonts and cursors on Windows: GDI fonts made from the skin's font record, cursors from files.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "controls/LogFont.h"
#include "platform/FilePaths.h"
#include "platform/win32/Win32Support.h"
#include "toolkit/Cursor.h"
#include "toolkit/Font.h"
#include "toolkit/win32/Win32Toolkit.h"

namespace tessaly::toolkit {
namespace {

HFONT CreateRecordFont(const WindowFont& record, bool underline)
{
    LOGFONTW font{};
    // A negative height is a character height; a positive one is taken as the same size here, as on
    // the other toolkit, so that a skin looks alike on both.
    font.lfHeight = -(record.nHeight == 0 ? kDefaultFontPixels : std::abs(record.nHeight));
    font.lfWeight = record.nWeight <= 0 ? FW_NORMAL : std::clamp(record.nWeight, 100, 900);
    font.lfUnderline = underline ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    // Grey antialiasing: the text mask is read as one coverage value per pixel.
    font.lfQuality = ANTIALIASED_QUALITY;
    const std::u16string face = record.strFaceName.empty() ? std::u16string(u"Tahoma") : record.strFaceName;
    const std::size_t length = std::min<std::size_t>(face.size(), LF_FACESIZE - 1);
    std::copy_n(platform::win32::Wide(face), length, font.lfFaceName);
    return CreateFontIndirectW(&font);
}

}  // namespace

Font MakeFont(const WindowFont& record)
{
    auto data = std::make_shared<FontData>();
    data->font = UniqueGdiObject<HFONT>(CreateRecordFont(record, false));
    data->underlined = UniqueGdiObject<HFONT>(CreateRecordFont(record, true));
    return data->font ? Font(std::move(data)) : Font();
}

HFONT FontOf(const Font& font, bool underline, double scale)
{
    if (!font)
        return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    FontData& data = *font.Data();
    HFONT base = underline && data.underlined ? data.underlined.get() : data.font.get();
    if (scale == 1.0)
        return base;
    LOGFONTW record{};
    if (!GetObjectW(base, sizeof(record), &record))
        return base;
    record.lfHeight = static_cast<LONG>(std::lround(record.lfHeight * scale));
    const auto key = std::make_pair(record.lfHeight, underline);
    for (const auto& [made, handle] : data.scaled)
        if (made == key)
            return handle.get();
    UniqueGdiObject<HFONT> scaled(CreateFontIndirectW(&record));
    if (!scaled)
        return base;
    data.scaled.emplace_back(key, std::move(scaled));
    return data.scaled.back().second.get();
}

// The base file at the system's cursor size; its companion at its own size (twice the base's).
Cursor LoadCursorFile(std::u16string_view path)
{
    if (path.empty())
        return {};
    const auto load = [](std::u16string_view file, UINT flags) {
        const std::u16string name = platform::NativeRelativePath(file);
        return static_cast<HCURSOR>(LoadImageW(nullptr, platform::win32::Wide(name), IMAGE_CURSOR, 0, 0, flags));
    };
    HCURSOR cursor = load(path, LR_LOADFROMFILE | LR_DEFAULTSIZE);
    if (!cursor)
        return {};
    return Cursor(std::make_shared<CursorData>(cursor, load(HighResolutionPath(path), LR_LOADFROMFILE)));
}

HCURSOR CursorOf(const Cursor& cursor, double scale)
{
    if (!cursor)
        return nullptr;
    const CursorData& data = *cursor.Data();
    return scale >= kHighResolutionScale && data.highResolution.get() ? data.highResolution.get() : data.cursor.get();
}

TabStop TabStopOf(HWND window)
{
    if (!window)
        return {};
    auto data = std::make_shared<TabStopData>();
    data->window = window;
    return TabStop(std::move(data));
}

HWND WindowOf(const TabStop& stop) { return stop ? stop.Data()->window : nullptr; }

}  // namespace tessaly::toolkit
