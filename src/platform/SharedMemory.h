#pragma once
// Named shared memory (POSIX shm objects).
#include <cstddef>
#include <string>

namespace tessaly::platform {

// One mapping of a named shared memory object. Move-only; unmaps (and unlinks the name when this
// object created it and `unlinkIfCreated` was asked for) when destroyed.
class SharedMemoryBlock {
public:
    SharedMemoryBlock() = default;
    ~SharedMemoryBlock();
    SharedMemoryBlock(SharedMemoryBlock&& other) noexcept;
    SharedMemoryBlock& operator=(SharedMemoryBlock&& other) noexcept;
    SharedMemoryBlock(const SharedMemoryBlock&) = delete;
    SharedMemoryBlock& operator=(const SharedMemoryBlock&) = delete;

    // Opens the object `name` (leading '/') read/write, creating it with `size` zero bytes and mode
    // 0600 when it does not exist. Only a block this call created is zero-filled.
    static SharedMemoryBlock OpenOrCreate(const std::string& name, std::size_t size, bool unlinkIfCreated);

    // Opens an existing object only; an invalid block when there is none.
    static SharedMemoryBlock OpenExisting(const std::string& name, std::size_t size);

    bool valid() const { return data_ != nullptr; }
    bool created() const { return created_; }
    // True when the object belongs to this process's user and no one else may read or write it.
    bool privateToUser() const { return private_; }
    unsigned char* data() const { return static_cast<unsigned char*>(data_); }
    std::size_t size() const { return size_; }

private:
    void reset() noexcept;
    void* data_ = nullptr;
    std::size_t size_ = 0;
    std::string name_;
    bool created_ = false;
    bool unlink_ = false;
    bool private_ = false;
    void* mapping_ = nullptr;  // the object's handle while mapped, on systems whose objects live by handle
};

}  // namespace tessaly::platform
