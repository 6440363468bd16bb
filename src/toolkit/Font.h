#pragma once
// A font made by the window toolkit from the skin's font record. An empty Font draws in the
// toolkit's default font.
#include <memory>

#include "config/WindowFont.h"

namespace tessaly::toolkit {

struct FontData;  // the toolkit's own font description

class Font {
public:
    Font() = default;
    explicit Font(std::shared_ptr<FontData> data) : m_data(std::move(data)) {}

    explicit operator bool() const { return m_data != nullptr; }
    FontData* Data() const { return m_data.get(); }

private:
    std::shared_ptr<FontData> m_data;
};

// The font for a record: a negative height is a character height in pixels, a positive one is taken
// as the same size, 0 the default; weight 0 is normal. The face falls back to the system's sans face.
Font MakeFont(const WindowFont& record);

}  // namespace tessaly::toolkit
