#pragma once
// A mouse cursor loaded from an image file, with the hot spot the file carries. Over a window of scale
// 2 or more it shows the file's high-resolution companion (Image.h: HighResolutionPath) when there is
// one, with that file's hot spot halved; otherwise the file scaled up.
#include <memory>
#include <string_view>

namespace tessaly::toolkit {

struct CursorData;  // the toolkit's own cursor

class Cursor {
public:
    Cursor() = default;
    explicit Cursor(std::shared_ptr<CursorData> data) : m_data(std::move(data)) {}

    explicit operator bool() const { return m_data != nullptr; }
    CursorData* Data() const { return m_data.get(); }

private:
    std::shared_ptr<CursorData> m_data;
};

// Empty (the default cursor shows) when the file cannot be loaded or there is no display.
Cursor LoadCursorFile(std::u16string_view path);

}  // namespace tessaly::toolkit
