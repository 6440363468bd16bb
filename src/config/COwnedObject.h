#pragma once
// Base of every object that an item record owns: the control made for the item and its drawing
// resource (font, bitmap). Deleting through this base runs the real destructor.

namespace tessaly {

class COwnedObject {
public:
    virtual ~COwnedObject() = default;
};

}  // namespace tessaly
