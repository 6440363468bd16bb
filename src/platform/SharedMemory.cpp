// What a shared memory block does the same on every system: handing its mapping on when moved.
#include "platform/SharedMemory.h"

#include <utility>

namespace tessaly::platform {

SharedMemoryBlock::~SharedMemoryBlock() { reset(); }

SharedMemoryBlock::SharedMemoryBlock(SharedMemoryBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      name_(std::move(other.name_)),
      created_(std::exchange(other.created_, false)),
      unlink_(std::exchange(other.unlink_, false)),
      private_(std::exchange(other.private_, false)),
      mapping_(std::exchange(other.mapping_, nullptr))
{
}

SharedMemoryBlock& SharedMemoryBlock::operator=(SharedMemoryBlock&& other) noexcept
{
    if (this != &other) {
        reset();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        name_ = std::move(other.name_);
        created_ = std::exchange(other.created_, false);
        unlink_ = std::exchange(other.unlink_, false);
        private_ = std::exchange(other.private_, false);
        mapping_ = std::exchange(other.mapping_, nullptr);
    }
    return *this;
}

}  // namespace tessaly::platform
