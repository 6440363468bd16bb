#include "platform/XmlEntityBudget.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "platform/TextEncoding.h"
#include "platform/XmlScanner.h"

namespace tessaly::platform {

namespace {

// One character as UTF-8, through the platform's one UTF-16 to UTF-8 conversion.
void AppendUtf8(std::string& out, char32_t c)
{
    std::u16string units;
    if (c >= 0x10000)
        units = {static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)), static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF))};
    else
        units = {static_cast<char16_t>(c)};
    out += Utf16ToUtf8(units);
}

// The document as UTF-8 text, or as its own bytes when they are ASCII-compatible already: all the
// markup that matters here is ASCII, and names only need to compare equal within one document.
std::string_view AsText(std::string_view bytes, std::string& storage)
{
    const auto starts = [&](std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; };
    bool little = false;
    if (starts("\xFF\xFE") || starts({"<\0?\0", 4}))
        little = true;
    else if (!starts("\xFE\xFF") && !starts({"\0<\0?", 4}))
        return starts("\xEF\xBB\xBF") ? bytes.substr(3) : bytes;
    const auto unit = [&](std::size_t i) -> char32_t {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return little ? first | (second << 8) : (first << 8) | second;
    };
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        if (unit(i) != 0xFEFF || i > 0)
            units += static_cast<char16_t>(unit(i));
    storage = Utf16ToUtf8(units);
    return storage;
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Reads markup from the front of a text.
struct Cursor {
    std::string_view rest;

    bool Done() const { return rest.empty(); }
    bool Skip(std::string_view token)
    {
        if (rest.substr(0, token.size()) != token)
            return false;
        rest.remove_prefix(token.size());
        return true;
    }
    void SkipSpace()
    {
        while (!rest.empty() && IsSpace(rest.front()))
            rest.remove_prefix(1);
    }
    bool SkipPast(std::string_view token)
    {
        const std::size_t at = rest.find(token);
        rest.remove_prefix(at == std::string_view::npos ? rest.size() : at + token.size());
        return at != std::string_view::npos;
    }
    // A name ends at white space or at a delimiter of the markup around it.
    std::string_view Name()
    {
        constexpr std::string_view kDelimiters{"<>&;%'\"=[]()|,/?!#\0", 19};
        std::size_t length = 0;
        while (length < rest.size() && !IsSpace(rest[length]) &&
               kDelimiters.find(rest[length]) == std::string_view::npos)
            ++length;
        const std::string_view name = rest.substr(0, length);
        rest.remove_prefix(length);
        return name;
    }
    std::optional<std::string_view> Quoted()
    {
        if (rest.empty() || (rest.front() != '"' && rest.front() != '\''))
            return std::nullopt;
        const std::size_t end = rest.find(rest.front(), 1);
        if (end == std::string_view::npos)
            return std::nullopt;
        const std::string_view literal = rest.substr(1, end - 1);
        rest.remove_prefix(end + 1);
        return literal;
    }
};

// An entity value with its character references replaced, as the parser keeps it: a reference that
// comes out of one (&#38;e;) is only seen when the entity is expanded.
std::optional<std::string> ReplacementText(std::string_view literal)
{
    std::string text;
    Cursor cursor{literal};
    while (!cursor.Done()) {
        if (!cursor.Skip("&#")) {
            text += cursor.rest.front();
            cursor.rest.remove_prefix(1);
            continue;
        }
        const bool hex = cursor.Skip("x");
        const std::string_view digits = cursor.Name();
        std::uint32_t value = 0;
        for (const char digit : digits) {
            const auto at = std::string_view("0123456789abcdef").find(static_cast<char>(digit | 0x20));
            if (at == std::string_view::npos || at >= (hex ? 16u : 10u) || value > 0x10FFFF)
                return std::nullopt;
            value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(at);
        }
        if (digits.empty() || value > 0x10FFFF || !cursor.Skip(";"))
            return std::nullopt;
        AppendUtf8(text, value);
    }
    return text;
}

struct Entity {
    std::string text;
    bool external = false;   // never read, so never expanded
    bool expanding = false;  // inside its own expansion: a reference to it now is a loop
};

class ExpansionCount {
public:
    bool Document(std::string_view text)
    {
        Cursor cursor{text};
        Prolog(cursor);
        if (!cursor.Skip("<!DOCTYPE"))
            return true;  // no entity can be declared, so the parser refuses every reference itself
        return DocumentType(cursor) && References(cursor.rest);
    }

private:
    static void Prolog(Cursor& cursor)
    {
        for (;;) {
            cursor.SkipSpace();
            if (cursor.Skip("<!--"))
                cursor.SkipPast("-->");
            else if (cursor.Skip("<?"))
                cursor.SkipPast("?>");
            else
                return;
        }
    }

    bool DocumentType(Cursor& cursor)
    {
        cursor.SkipSpace();
        cursor.Name();
        cursor.SkipSpace();
        if (ExternalId(cursor) == false)
            return false;
        cursor.SkipSpace();
        if (cursor.Skip("[") && !Declarations(cursor, true))
            return false;
        cursor.SkipSpace();
        return cursor.Skip(">");
    }

    // SYSTEM "uri" or PUBLIC "id" "uri"; nullopt when there is neither, false when it is damaged.
    static std::optional<bool> ExternalId(Cursor& cursor)
    {
        const bool isPublic = cursor.Skip("PUBLIC");
        if (!isPublic && !cursor.Skip("SYSTEM"))
            return std::nullopt;
        cursor.SkipSpace();
        bool whole = cursor.Quoted().has_value();
        if (isPublic) {
            cursor.SkipSpace();
            whole = cursor.Quoted().has_value() && whole;
        }
        return whole;
    }

    // The internal subset (`subset`, up to its "]"), or the replacement text of a parameter entity.
    bool Declarations(Cursor& cursor, bool subset)
    {
        for (;;) {
            cursor.SkipSpace();
            if (cursor.Done())
                return !subset;
            if (subset && cursor.Skip("]"))
                return true;
            bool whole = true;
            if (cursor.Skip("<!--"))
                whole = cursor.SkipPast("-->");
            else if (cursor.Skip("<?"))
                whole = cursor.SkipPast("?>");
            else if (cursor.Skip("<!ENTITY"))
                whole = EntityDeclaration(cursor);
            else if (cursor.Skip("<!"))
                whole = OtherDeclaration(cursor);
            else if (cursor.Skip("%"))
                whole = ParameterReference(cursor);
            else
                whole = false;
            if (!whole)
                return false;
        }
    }

    bool EntityDeclaration(Cursor& cursor)
    {
        cursor.SkipSpace();
        const bool parameter = cursor.Skip("%");
        cursor.SkipSpace();
        const std::string name(cursor.Name());
        cursor.SkipSpace();
        Entity entity;
        if (const std::optional<std::string_view> literal = cursor.Quoted()) {
            // A parameter entity reference inside a declaration of the internal subset is an error.
            std::optional<std::string> text = ReplacementText(*literal);
            if (!text || literal->find('%') != std::string_view::npos)
                return false;
            entity.text = std::move(*text);
        } else if (ExternalId(cursor) == true) {
            entity.external = true;
            cursor.SkipSpace();
            if (cursor.Skip("NDATA")) {
                cursor.SkipSpace();
                cursor.Name();
            }
        } else {
            return false;
        }
        cursor.SkipSpace();
        // The first declaration of a name binds; later ones are ignored.
        if (!name.empty())
            (parameter ? m_parameter : m_general).try_emplace(name, std::move(entity));
        return !name.empty() && cursor.Skip(">");
    }

    // Element, attribute list and notation declarations. The parser expands the references in a
    // default attribute value once, where it is declared.
    bool OtherDeclaration(Cursor& cursor)
    {
        const bool attributes = cursor.Skip("ATTLIST");
        for (;;) {
            const std::size_t stop = cursor.rest.find_first_of("'\">");
            if (stop == std::string_view::npos)
                return false;
            cursor.rest.remove_prefix(stop);
            if (cursor.Skip(">"))
                return true;
            const std::optional<std::string_view> literal = cursor.Quoted();
            if (!literal || (attributes && !References(*literal)))
                return false;
        }
    }

    bool ParameterReference(Cursor& cursor)
    {
        const std::string_view name = cursor.Name();
        if (name.empty() || !cursor.Skip(";"))
            return false;
        const auto found = m_parameter.find(name);
        if (found == m_parameter.end())
            return false;
        Entity& entity = found->second;
        if (entity.external || entity.expanding || ++m_expansions > kXmlEntityExpansionLimit)
            return false;
        entity.expanding = true;
        Cursor text{entity.text};
        const bool whole = Declarations(text, false);
        entity.expanding = false;
        return whole;
    }

    // Every general entity reference in content, attribute values or replacement text, with the
    // references in what each one expands to. Comments, processing instructions and CDATA sections
    // hold none; character references are no expansions.
    bool References(std::string_view text)
    {
        Cursor cursor{text};
        for (;;) {
            const std::size_t stop = cursor.rest.find_first_of("<&");
            if (stop == std::string_view::npos)
                return true;
            cursor.rest.remove_prefix(stop);
            if (cursor.Skip("<!--"))
                cursor.SkipPast("-->");
            else if (cursor.Skip("<![CDATA["))
                cursor.SkipPast("]]>");
            else if (cursor.Skip("<?"))
                cursor.SkipPast("?>");
            else if (cursor.Skip("&#") || cursor.Skip("<"))
                continue;
            else if (cursor.Skip("&") && !GeneralReference(cursor))
                return false;
        }
    }

    bool GeneralReference(Cursor& cursor)
    {
        const std::string_view name = cursor.Name();
        if (name.empty() || !cursor.Skip(";"))
            return false;
        if (name == "lt" || name == "gt" || name == "amp" || name == "apos" || name == "quot")
            return true;  // the predefined ones stay predefined, whatever the DTD declares
        const auto found = m_general.find(name);
        if (found == m_general.end())
            return false;
        Entity& entity = found->second;
        if (entity.external || entity.expanding || ++m_expansions > kXmlEntityExpansionLimit)
            return false;
        entity.expanding = true;
        const bool within = References(entity.text);
        entity.expanding = false;
        return within;
    }

    std::map<std::string, Entity, std::less<>> m_general;
    std::map<std::string, Entity, std::less<>> m_parameter;
    std::size_t m_expansions = 0;
};

}  // namespace

bool EntityExpansionsWithinBound(std::string_view document)
{
    std::string storage;
    return ExpansionCount().Document(AsText(document, storage));
}

}  // namespace tessaly::platform
