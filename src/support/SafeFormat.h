#pragma once
// printf-style formatting that is safe for patterns read from configuration files. A conversion is
// honoured only when it matches the type of the value it would consume: %s for text; %d, %i, %u, %x,
// %X for integers. Flags, width and precision are honoured for those. "%%" is a percent sign. Any
// other conversion (%n, %p, %f, an unknown letter, a conversion whose value has the wrong type, or one
// beyond the values given) is written out literally as it stands in the pattern and consumes nothing.
// Patterns never reach the C library's printf family.
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tessaly {

class FormatArg {
public:
    FormatArg(std::u16string_view text) : value_(text) {}
    FormatArg(const std::u16string& text) : value_(std::u16string_view(text)) {}
    FormatArg(const char16_t* text) : value_(std::u16string_view(text ? text : u"")) {}
    FormatArg(int v) : value_(static_cast<std::int64_t>(v)) {}
    FormatArg(long v) : value_(static_cast<std::int64_t>(v)) {}
    FormatArg(long long v) : value_(static_cast<std::int64_t>(v)) {}
    FormatArg(unsigned v) : value_(static_cast<std::uint64_t>(v)) {}
    FormatArg(unsigned long v) : value_(static_cast<std::uint64_t>(v)) {}
    FormatArg(unsigned long long v) : value_(static_cast<std::uint64_t>(v)) {}
    // A pointer formats as an unsigned integer of its full width (so "0X%X" shows the whole address).
    FormatArg(const void* p) : value_(static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(p))) {}

    const std::variant<std::u16string_view, std::int64_t, std::uint64_t>& value() const { return value_; }

private:
    std::variant<std::u16string_view, std::int64_t, std::uint64_t> value_;
};

std::u16string SafeFormat(std::u16string_view pattern, std::span<const FormatArg> args);

// One '%' conversion of a pattern as SafeFormat reads it ("%%" is none): its letter ('s', 'd', 'i',
// 'u', 'x' or 'X'), or 0 when SafeFormat would write it literally whatever the values; and the
// conversion as it stands in the pattern. Tools use it to check a configured pattern against the
// values it will get.
struct PatternConversion {
    char16_t conversion = 0;
    std::u16string_view text;
};
std::vector<PatternConversion> ListPatternConversions(std::u16string_view pattern);

inline std::u16string SafeFormat(std::u16string_view pattern, std::initializer_list<FormatArg> args)
{
    return SafeFormat(pattern, std::span<const FormatArg>(args.begin(), args.size()));
}

}  // namespace tessaly
