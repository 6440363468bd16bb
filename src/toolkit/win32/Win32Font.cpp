// Fonts and cursors on Windows: GDI fonts made from the skin's font record, cursors from files.
#include <algorithm>
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

HFONT FontOf(const Font& font, bool underline)
{
    if (!font)
        return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    return underline && font.Data()->underlined ? font.Data()->underlined.get() : font.Data()->font.get();
}

Cursor LoadCursorFile(std::u16string_view path)
{
    if (path.empty())
        return {};
    const std::u16string name = platform::NativeRelativePath(path);
    auto* cursor = static_cast<HCURSOR>(
        LoadImageW(nullptr, platform::win32::Wide(name), IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
    return cursor ? Cursor(std::make_shared<CursorData>(cursor)) : Cursor();
}

HCURSOR CursorOf(const Cursor& cursor) { return cursor ? cursor.Data()->cursor.get() : nullptr; }

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
