#include "browser/CImpIDispatch.h"

#include <algorithm>

namespace tessaly {

namespace {

// Full-width forms U+FF01..U+FF5E stand for the ASCII characters U+0021..U+007E.
constexpr char16_t kFullWidthFirst = 0xFF01;
constexpr char16_t kFullWidthLast = 0xFF5E;
constexpr char16_t kFullWidthOffset = 0xFF01 - 0x21;

constexpr char16_t NarrowForm(char16_t c)
{
    return (c >= kFullWidthFirst && c <= kFullWidthLast) ? static_cast<char16_t>(c - kFullWidthOffset) : c;
}

std::string ToAsciiLiteral(std::u16string_view text)
{
    // The constants are plain ASCII; anything else would need escaping and is a programming error.
    std::string out;
    for (char16_t c : text)
        out.push_back(static_cast<char>(c < 0x80 ? c : '?'));
    return out;
}

}  // namespace

bool CImpIDispatch::MatchesMember(std::u16string_view name)
{
    if (name.size() < kMatchLength)
        return false;
    for (std::size_t i = 0; i < kMatchLength; ++i)
        if (NarrowForm(name[i]) != NarrowForm(kMemberName[i]))
            return false;
    return true;
}

std::int32_t CImpIDispatch::GetIDsOfNames(std::span<const std::u16string_view> names,
                                          std::span<std::int32_t> ids) const
{
    std::int32_t result = kOk;
    const std::size_t n = std::min(names.size(), ids.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (MatchesMember(names[i])) {
            ids[i] = kMemberId;
        } else {
            ids[i] = kUnknownId;
            result = kUnknownName;
        }
    }
    if (names.size() > ids.size())
        result = kUnknownName;
    return result;
}

std::int32_t CImpIDispatch::Invoke(std::int32_t id, std::uint16_t flags, std::optional<std::u16string>* result) const
{
    if (id == kMemberId && (flags & kPropertyGet) != 0 && result != nullptr)
        *result = std::u16string(kMemberValue);
    return kOk;
}

std::string CImpIDispatch::ExternalObjectScript()
{
    const std::string prefix = ToAsciiLiteral(kMemberName.substr(0, kMatchLength));
    const std::string value = ToAsciiLiteral(kMemberValue);
    // The proxy's target is an arrow function so that calling window.external itself is harmless too.
    // Every trap answers without touching the target: nothing a page does can change the object.
    return "(function () {\n"
           "  'use strict';\n"
           "  var prefix = '" + prefix + "', value = '" + value + "', n = " + std::to_string(kMatchLength) + ";\n"
           "  function narrow(s) {\n"
           "    var out = '';\n"
           "    for (var i = 0; i < s.length; ++i) {\n"
           "      var c = s.charCodeAt(i);\n"
           "      out += String.fromCharCode(c >= 0xFF01 && c <= 0xFF5E ? c - 0xFEE0 : c);\n"
           "    }\n"
           "    return out;\n"
           "  }\n"
           "  function matches(name) {\n"
           "    return typeof name === 'string' && name.length >= n &&\n"
           "           narrow(name.substring(0, n)) === narrow(prefix);\n"
           "  }\n"
           "  // The member reads as the text and can be called as a method that does nothing.\n"
           "  var member = function () { return undefined; };\n"
           "  member.toString = member.valueOf = function () { return value; };\n"
           "  member[Symbol.toPrimitive] = function () { return value; };\n"
           "  Object.freeze(member);\n"
           "  var handler = {\n"
           "    get: function (t, name) { return matches(name) ? member : undefined; },\n"
           "    has: function (t, name) { return matches(name); },\n"
           "    set: function () { return true; },\n"
           "    defineProperty: function () { return true; },\n"
           "    deleteProperty: function () { return true; },\n"
           "    apply: function () { return undefined; },\n"
           "    getPrototypeOf: function () { return null; },\n"
           "    setPrototypeOf: function () { return true; }\n"
           "  };\n"
           "  var external = new Proxy(() => {}, handler);\n"
           "  try {\n"
           "    Object.defineProperty(window, 'external', { value: external, writable: false,\n"
           "                                                enumerable: true, configurable: false });\n"
           "  } catch (e) {\n"
           "    try { window.external = external; } catch (e2) { }\n"
           "  }\n"
           "})();\n";
}

}  // namespace tessaly
