#pragma once
// A rendered image held by an item record (the picture's bitmap), released with the item.
#include "config/COwnedObject.h"
#include "toolkit/Image.h"

namespace tessaly {

class COwnedImage : public COwnedObject {
public:
    explicit COwnedImage(toolkit::Image image) : m_image(std::move(image)) {}
    const toolkit::Image& Get() const { return m_image; }

private:
    toolkit::Image m_image;
};

}  // namespace tessaly
