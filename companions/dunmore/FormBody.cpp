#include "FormBody.h"

#include "Utf16.h"

namespace dunmore {
namespace {

constexpr std::size_t kMaxStringUnits = 64 * 1024;
constexpr std::size_t kMaxPairs = 1024;

void AppendEncoded(std::string& out, const std::string& text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '*' || c == '-' ||
            c == '.' || c == '_') {
            out += ch;
        } else if (c == ' ') {
            out += '+';
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
}

}  // namespace

std::optional<FormFields> ParseParamBlock(const char16_t* block)
{
    if (!block)
        return std::nullopt;
    FormFields fields;
    const char16_t* at = block;
    for (;;) {
        const auto nameLength = companion::BoundedLength(at, kMaxStringUnits);
        if (!nameLength)
            return std::nullopt;
        if (*nameLength == 0)
            return fields;
        if (fields.size() == kMaxPairs)
            return std::nullopt;
        const char16_t* value = at + *nameLength + 1;
        const auto valueLength = companion::BoundedLength(value, kMaxStringUnits);
        if (!valueLength)
            return std::nullopt;
        fields.emplace_back(companion::ToUtf8({at, *nameLength}), companion::ToUtf8({value, *valueLength}));
        at = value + *valueLength + 1;
    }
}

std::string EncodeForm(const FormFields& fields)
{
    std::string body;
    for (const auto& [name, value] : fields) {
        if (!body.empty())
            body += '&';
        AppendEncoded(body, name);
        body += '=';
        AppendEncoded(body, value);
    }
    return body;
}

}  // namespace dunmore
