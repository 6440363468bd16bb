#include "support/SafeFormat.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace tessaly {

namespace {

// Widths and precisions above this are not honoured (the conversion is written literally), so a
// configured "%999999999d" cannot make the library allocate without bound.
constexpr std::size_t kMaxFieldWidth = 4096;

struct FieldFormat {
    bool leftAlign = false;
    bool plus = false;
    bool space = false;
    bool alternate = false;
    bool zeroPad = false;
    std::size_t width = 0;
    std::optional<std::size_t> precision;
    char16_t conversion = 0;
};

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Reads a decimal field; false when it exceeds kMaxFieldWidth.
bool ReadNumber(std::u16string_view pattern, std::size_t& i, std::size_t& out)
{
    out = 0;
    while (i < pattern.size() && IsDigit(pattern[i])) {
        out = out * 10 + (pattern[i++] - u'0');
        if (out > kMaxFieldWidth)
            return false;
    }
    return true;
}

// Parses the conversion that starts after the '%' at pattern[i]; advances i past its last character.
// False when it is malformed (the caller then writes it literally).
bool ParseFieldFormat(std::u16string_view pattern, std::size_t& i, FieldFormat& field)
{
    for (; i < pattern.size(); ++i) {
        const char16_t c = pattern[i];
        if (c == u'-')
            field.leftAlign = true;
        else if (c == u'+')
            field.plus = true;
        else if (c == u' ')
            field.space = true;
        else if (c == u'#')
            field.alternate = true;
        else if (c == u'0')
            field.zeroPad = true;
        else
            break;
    }
    if (!ReadNumber(pattern, i, field.width))
        return false;
    if (i < pattern.size() && pattern[i] == u'.') {
        std::size_t precision = 0;
        ++i;
        if (!ReadNumber(pattern, i, precision))
            return false;
        field.precision = precision;
    }
    // Length modifiers change nothing here: every value already carries its full width.
    static constexpr std::u16string_view kModifiers[] = {u"I64", u"I32", u"hh", u"ll", u"h", u"l", u"j", u"z", u"t"};
    for (std::u16string_view m : kModifiers)
        if (pattern.substr(i, m.size()) == m) {
            i += m.size();
            break;
        }
    if (i >= pattern.size())
        return false;
    field.conversion = pattern[i++];
    return true;
}

void Pad(std::u16string& out, std::size_t count, char16_t fill) { out.append(count, fill); }

void AppendField(std::u16string& out, const FieldFormat& field, std::u16string_view prefix, std::u16string_view body,
                 bool zeroFillAllowed)
{
    const std::size_t length = prefix.size() + body.size();
    const std::size_t padding = field.width > length ? field.width - length : 0;
    if (field.leftAlign) {
        out += prefix;
        out += body;
        Pad(out, padding, u' ');
    } else if (field.zeroPad && zeroFillAllowed) {
        out += prefix;
        Pad(out, padding, u'0');
        out += body;
    } else {
        Pad(out, padding, u' ');
        out += prefix;
        out += body;
    }
}

std::u16string Digits(std::uint64_t value, unsigned base, bool upper)
{
    const char16_t* symbols = upper ? u"0123456789ABCDEF" : u"0123456789abcdef";
    std::u16string digits;
    do {
        digits.push_back(symbols[value % base]);
        value /= base;
    } while (value != 0);
    std::reverse(digits.begin(), digits.end());
    return digits;
}

void FormatInteger(std::u16string& out, const FieldFormat& field, const FormatArg& arg)
{
    const auto& v = arg.value();
    const bool isSigned = std::holds_alternative<std::int64_t>(v);
    const std::int64_t sValue = isSigned ? std::get<std::int64_t>(v) : 0;
    std::uint64_t magnitude = isSigned ? 0 : std::get<std::uint64_t>(v);
    std::u16string prefix;
    const char16_t conv = field.conversion;
    if (conv == u'd' || conv == u'i') {
        if (isSigned)
            magnitude = sValue < 0 ? 0ull - static_cast<std::uint64_t>(sValue) : static_cast<std::uint64_t>(sValue);
        if (isSigned && sValue < 0)
            prefix = u"-";
        else if (field.plus)
            prefix = u"+";
        else if (field.space)
            prefix = u" ";
    } else if (isSigned) {
        // An unsigned conversion of a negative value shows its two's complement at the width the
        // value had: 32 bits for anything that fits an int, as printf would.
        const bool fitsInt = sValue >= std::numeric_limits<std::int32_t>::min() && sValue <= std::numeric_limits<std::int32_t>::max();
        magnitude = fitsInt ? static_cast<std::uint32_t>(sValue) : static_cast<std::uint64_t>(sValue);
    }
    const unsigned base = (conv == u'x' || conv == u'X') ? 16 : 10;
    std::u16string body = (field.precision && *field.precision == 0 && magnitude == 0) ? std::u16string()
                                                                                   : Digits(magnitude, base, conv == u'X');
    if (field.precision && body.size() < *field.precision)
        body.insert(0, *field.precision - body.size(), u'0');
    if (field.alternate && base == 16 && magnitude != 0)
        prefix = conv == u'X' ? u"0X" : u"0x";
    AppendField(out, field, prefix, body, !field.precision);
}

void FormatText(std::u16string& out, const FieldFormat& field, std::u16string_view text)
{
    if (field.precision && text.size() > *field.precision)
        text = text.substr(0, *field.precision);
    AppendField(out, field, u"", text, false);
}

bool IsIntegerConversion(char16_t c) { return c == u'd' || c == u'i' || c == u'u' || c == u'x' || c == u'X'; }

// Walks the pattern as the formatter reads it: literal(text) for the text between conversions (a
// "%%" gives "%"), conversion(parsed, field, text) for each '%' that starts one, `text` being the
// conversion as written and `parsed` false when it is malformed.
template <typename Literal, typename Conversion>
void WalkPattern(std::u16string_view pattern, Literal&& literal, Conversion&& conversion)
{
    std::size_t i = 0;
    while (i < pattern.size()) {
        const auto percent = pattern.find(u'%', i);
        literal(pattern.substr(i, percent - i));
        if (percent == std::u16string_view::npos)
            break;
        if (percent + 1 < pattern.size() && pattern[percent + 1] == u'%') {
            literal(u"%");
            i = percent + 2;
            continue;
        }
        std::size_t end = percent + 1;
        FieldFormat field;
        const bool parsed = ParseFieldFormat(pattern, end, field);
        conversion(parsed, field, pattern.substr(percent, end - percent));
        i = end;
    }
}

}  // namespace

std::u16string SafeFormat(std::u16string_view pattern, std::span<const FormatArg> args)
{
    std::u16string out;
    out.reserve(pattern.size() + 16);
    std::size_t next = 0;
    WalkPattern(pattern, [&](std::u16string_view text) { out += text; },
                [&](bool parsed, const FieldFormat& field, std::u16string_view text) {
                    const FormatArg* arg = next < args.size() ? &args[next] : nullptr;
                    const bool isText = arg && std::holds_alternative<std::u16string_view>(arg->value());
                    if (parsed && arg && field.conversion == u's' && isText) {
                        FormatText(out, field, std::get<std::u16string_view>(arg->value()));
                        ++next;
                    } else if (parsed && arg && IsIntegerConversion(field.conversion) && !isText) {
                        FormatInteger(out, field, *arg);
                        ++next;
                    } else {
                        out += text;
                    }
                });
    return out;
}

std::vector<PatternConversion> ListPatternConversions(std::u16string_view pattern)
{
    std::vector<PatternConversion> conversions;
    WalkPattern(pattern, [](std::u16string_view) {},
                [&](bool parsed, const FieldFormat& field, std::u16string_view text) {
                    const bool known = parsed && (field.conversion == u's' || IsIntegerConversion(field.conversion));
                    conversions.push_back({known ? field.conversion : char16_t{0}, text});
                });
    return conversions;
}

}  // namespace tessaly
