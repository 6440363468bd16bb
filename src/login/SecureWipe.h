#pragma once
// Overwriting memory that held a clear password before it is released. The stores go through a
// volatile pointer so the compiler cannot drop them as dead writes.
#include <cstddef>
#include <string>
#include <vector>

namespace tessaly {

void WipeBytes(void* data, std::size_t size) noexcept;

// Zeroes the characters and empties the string (its storage is kept, now holding zeros).
void WipeString(std::string& text) noexcept;
void WipeString(std::u16string& text) noexcept;
void WipeBuffer(std::vector<unsigned char>& buffer) noexcept;

// Wipes the referenced string or buffer when the scope ends, whichever way it ends.
template <typename T>
class WipeOnExit {
public:
    explicit WipeOnExit(T& target) noexcept : target_(target) {}
    ~WipeOnExit() { Wipe(target_); }
    WipeOnExit(const WipeOnExit&) = delete;
    WipeOnExit& operator=(const WipeOnExit&) = delete;

private:
    static void Wipe(std::string& s) noexcept { WipeString(s); }
    static void Wipe(std::u16string& s) noexcept { WipeString(s); }
    static void Wipe(std::vector<unsigned char>& b) noexcept { WipeBuffer(b); }
    T& target_;
};

}  // namespace tessaly
