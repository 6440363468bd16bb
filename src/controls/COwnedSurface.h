#pragma once
// A rendered image held by an item record (the picture's bitmap), released with the item.
#include "config/COwnedObject.h"
#include "controls/GuiHandles.h"

namespace tessaly {

class COwnedSurface : public COwnedObject {
public:
    explicit COwnedSurface(SurfacePtr surface) : m_surface(std::move(surface)) {}
    cairo_surface_t* Get() const { return m_surface.get(); }

private:
    SurfacePtr m_surface;
};

}  // namespace tessaly
