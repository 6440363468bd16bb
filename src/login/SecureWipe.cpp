#include "login/SecureWipe.h"

namespace tessaly {

void WipeBytes(void* data, std::size_t size) noexcept
{
    volatile unsigned char* p = static_cast<volatile unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i)
        p[i] = 0;
}

void WipeString(std::string& text) noexcept
{
    WipeBytes(text.data(), text.size());
    text.clear();
}

void WipeString(std::u16string& text) noexcept
{
    WipeBytes(text.data(), text.size() * sizeof(char16_t));
    text.clear();
}

void WipeBuffer(std::vector<unsigned char>& buffer) noexcept
{
    WipeBytes(buffer.data(), buffer.size());
    buffer.clear();
}

}  // namespace tessaly
