#include "CheckContext.h"

#include <fontconfig/fontconfig.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>

#include "NearMiss.h"
#include "config/ConfigValues.h"
#include "config/ItemReader.h"
#include "support/WideText.h"
#include "toolkit/Image.h"

namespace tessaly::skincheck {
namespace {

std::u16string_view Trim(std::u16string_view v)
{
    while (!v.empty() && (v.front() == u' ' || v.front() == u'\t'))
        v.remove_prefix(1);
    while (!v.empty() && (v.back() == u' ' || v.back() == u'\t'))
        v.remove_suffix(1);
    return v;
}

bool IsDigits(std::u16string_view v, bool hex)
{
    return !v.empty() && std::all_of(v.begin(), v.end(), [hex](char16_t c) {
        return (c >= u'0' && c <= u'9') || (hex && ((c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F')));
    });
}

bool IsWholeNumber(std::u16string_view v)
{
    v = Trim(v);
    if (!v.empty() && (v.front() == u'+' || v.front() == u'-'))
        v.remove_prefix(1);
    return IsDigits(v, false);
}

std::u16string_view HexDigits(std::u16string_view v)
{
    v = Trim(v);
    if (v.size() > 2 && v[0] == u'0' && (v[1] == u'x' || v[1] == u'X'))
        v.remove_prefix(2);
    return v;
}

bool IsHexColour(std::u16string_view v)
{
    v = HexDigits(v);
    return v.size() <= 8 && IsDigits(v, true);
}

std::size_t HexDigitCount(std::u16string_view v)
{
    return HexDigits(v).size();
}

// The leading hexadecimal digits ScanHex reads (after blanks, a sign and 0x).
std::u16string HexPrefix(std::u16string_view v)
{
    std::size_t start = 0;
    while (start < v.size() && (v[start] == u' ' || v[start] == u'\t' || v[start] == u'+' || v[start] == u'-'))
        ++start;
    std::size_t end = start;
    if (v.substr(start, 2) == u"0x" || v.substr(start, 2) == u"0X")
        end += 2;
    while (end < v.size() && IsDigits(v.substr(end, 1), true))
        ++end;
    return std::u16string(v.substr(start, end - start));
}

// A colour as the file writes it: six hexadecimal digits, blue green red.
std::string ColourText(std::uint32_t colour)
{
    char text[16];
    std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(colour & 0xFFFFFFu));
    return text;
}

std::string Components(std::uint32_t colour)
{
    char text[48];
    std::snprintf(text, sizeof text, "red %02X, green %02X, blue %02X", colour & 0xFFu, (colour >> 8) & 0xFFu,
                  (colour >> 16) & 0xFFu);
    return text;
}

// "RGB" read as the short form of "RRGGBB", returned in the file's blue-green-red order.
std::uint32_t ExpandShortColour(std::u16string_view v)
{
    const std::u16string_view d = HexDigits(v);
    std::uint32_t rgb[3] = {};
    for (std::size_t i = 0; i < 3; ++i) {
        std::uint32_t digit = 0;
        ScanHex(d.substr(i, 1), digit);
        rgb[i] = digit * 17;
    }
    return rgb[0] | (rgb[1] << 8) | (rgb[2] << 16);
}

// `count` whole numbers separated by commas, spaces (U+0020) anywhere, as the library reads them.
bool IsNumberList(std::u16string_view v, std::size_t count)
{
    std::u16string compact;
    std::copy_if(v.begin(), v.end(), std::back_inserter(compact), [](char16_t c) { return c != u' '; });
    std::size_t start = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t comma = i + 1 < count ? compact.find(u',', start) : compact.size();
        if (comma == std::u16string::npos || !IsWholeNumber(std::u16string_view(compact).substr(start, comma - start)))
            return false;
        start = comma + 1;
    }
    return true;
}

// Family names that fontconfig maps to an installed face itself.
bool IsGenericFamily(std::string_view face)
{
    static constexpr std::array<std::string_view, 9> kGeneric = {
        "sans", "sans-serif", "serif", "monospace", "mono", "system-ui", "cursive", "fantasy", "emoji"};
    const std::string lower = ToUtf8(AsciiLower(FromUtf8(face)));
    return std::find(kGeneric.begin(), kGeneric.end(), lower) != kGeneric.end();
}

bool FontInstalled(const std::string& face)
{
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
    const bool found = fonts && fonts->nfont > 0;
    if (fonts)
        FcFontSetDestroy(fonts);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return found;
}

// A file of the same name in another letter case, which a skin written on Windows may mean.
std::string SameNameOtherCase(const std::filesystem::path& path)
{
    std::error_code ec;
    const std::u16string wanted = AsciiLower(FromUtf8(path.filename().string()));
    for (const auto& entry : std::filesystem::directory_iterator(path.parent_path(), ec))
        if (AsciiLower(FromUtf8(entry.path().filename().string())) == wanted)
            return entry.path().filename().string();
    return {};
}

// Why a named file was not found, and what to write instead.
std::string NotFoundHint(std::u16string_view value, const std::filesystem::path& path)
{
    const bool absolute = value.front() == u'/' || value.front() == u'\\' ||
                          (value.size() > 1 && value[1] == u':');
    if (absolute)
        return ": file names are relative to the Config/ folder, so the library looks for " + path.string() +
               "; put the file inside Config/ (for example in skin/) and name it from there (skin\\" +
               path.filename().string() + ")";
    const std::string other = SameNameOtherCase(path);
    if (!other.empty())
        return " (file names are case-sensitive here; there is \"" + other + "\")";
    return " (looked for " + path.string() + ")";
}

// The image's high-resolution companion ("name@2x.png" beside "name.png"), which the library shows
// at 200 % and more: what is wrong with it when the skin ships one, nothing otherwise.
std::string CompanionProblem(const std::filesystem::path& path, const ImageSize& size)
{
    const std::filesystem::path companion(ToUtf8(toolkit::HighResolutionPath(FromUtf8(path.string()))));
    std::error_code ec;
    if (!std::filesystem::is_regular_file(companion, ec))
        return {};
    const std::string name = "\"" + companion.filename().string() + "\"";
    GdkPixbuf* image = gdk_pixbuf_new_from_file(companion.c_str(), nullptr);
    if (!image)
        return "its high-resolution companion " + name + " cannot be decoded; at 200 % the image is scaled up";
    GdkPixbuf* upright = gdk_pixbuf_apply_embedded_orientation(image);
    const int width = gdk_pixbuf_get_width(upright), height = gdk_pixbuf_get_height(upright);
    g_object_unref(upright);
    g_object_unref(image);
    if (width == 2 * size.width && height == 2 * size.height)
        return {};
    return "its high-resolution companion " + name + " is " + std::to_string(width) + "x" + std::to_string(height) +
           ", not twice its size (" + std::to_string(2 * size.width) + "x" + std::to_string(2 * size.height) +
           "): at 200 % it is stretched to that";
}

}  // namespace

std::u16string AttrText(const XmlElement* e, std::u16string_view attr)
{
    return config::Attr(e, attr);
}

std::string Quoted(std::u16string_view text)
{
    return "\"" + ToUtf8(text) + "\"";
}

std::string CheckContext::Where(const XmlElement* e, std::u16string_view attr, std::string_view name) const
{
    (void)e;
    return name.empty() ? ToUtf8(attr) : std::string(name);
}

void CheckContext::Error(const XmlElement* e, std::u16string_view attr, std::string message)
{
    m_report.Error(m_xmlFile, attr.empty() ? Line(e) : Line(e, attr), std::move(message));
}

void CheckContext::Warning(const XmlElement* e, std::u16string_view attr, std::string message)
{
    m_report.Warning(m_xmlFile, attr.empty() ? Line(e) : Line(e, attr), std::move(message));
}

void CheckContext::CheckChildNames(const XmlElement* parent, const std::vector<std::string_view>& known)
{
    if (!parent)
        return;
    const std::string parentName = ToUtf8(parent->Name());
    std::vector<std::string> seen;
    config::ForEachChildElement(parent, [&](const XmlElement* child) {
        const std::string name = ToUtf8(child->Name());
        auto match = std::find_if(known.begin(), known.end(),
                                  [&](std::string_view k) { return EqualsNoCase(FromUtf8(k), FromUtf8(name)); });
        if (match == known.end()) {
            Error(child, u"", "<" + name + "> under <" + parentName + "> is never read" + DidYouMean(name, known));
            return;
        }
        const std::string canonical(*match);
        if (std::find(seen.begin(), seen.end(), canonical) != seen.end()) {
            Warning(child, u"", "a second <" + name + "> under <" + parentName +
                                    "> is never read: only the first one of a name counts");
            return;
        }
        seen.push_back(canonical);
        if (name != canonical)
            Warning(child, u"", "<" + name + "> is read as <" + canonical + ">, but the schema spells it \"" +
                                    canonical + "\"");
    });
}

void CheckContext::CheckAttributes(const XmlElement* e, std::string_view kind,
                                   const std::vector<std::string_view>& known,
                                   const std::vector<std::string_view>& readElsewhere)
{
    for (const XmlAttribute& attribute : e->Attributes()) {
        const std::u16string name16(attribute.name);
        const std::string name = ToUtf8(name16);
        if (name.rfind("xmlns", 0) == 0 || name.rfind("xsi:", 0) == 0)
            continue;
        if (std::find(known.begin(), known.end(), name) != known.end())
            continue;
        if (std::find(readElsewhere.begin(), readElsewhere.end(), name) != readElsewhere.end()) {
            Warning(e, name16, "attribute \"" + name + "\" is not used by a " + std::string(kind));
            continue;
        }
        const std::string other = CaseVariantOf(name, known);
        if (!other.empty())
            Error(e, name16, "attribute \"" + name + "\" on a " + std::string(kind) +
                                 " is never read: attribute names are case-sensitive; write \"" + other + "\"");
        else
            Error(e, name16, "unknown attribute \"" + name + "\" on a " + std::string(kind) + " is never read" +
                                 DidYouMean(name, known));
    }
}

void CheckContext::CheckDecimal(const XmlElement* e, std::u16string_view attr, std::string_view name)
{
    const std::u16string v = AttrText(e, attr);
    if (v.empty() || IsWholeNumber(v))
        return;
    Error(e, attr, Where(e, attr, name) + " " + Quoted(v) + " is not a whole number; the library reads it as " +
                       std::to_string(WToI(v)));
}

void CheckContext::CheckColour(const XmlElement* e, std::u16string_view attr)
{
    const std::u16string v = AttrText(e, attr);
    if (v.empty())
        return;
    std::uint32_t read = 0;
    const bool someDigits = ScanHex(v, read);
    if (IsHexColour(v)) {
        if (HexDigitCount(v) == 3)
            Warning(e, attr, ToUtf8(attr) + " " + Quoted(v) + " has three digits and is read as " + ColourText(read) +
                                 " (" + Components(read) + "), not as a short form: colours are never shortened; "
                                 "write six digits, blue green red (" + ColourText(ExpandShortColour(v)) +
                                 " for what " + Quoted(v) + " means in CSS)");
        return;
    }
    std::string message = ToUtf8(attr) + " " + Quoted(v) + " is not a hexadecimal colour; ";
    if (someDigits)
        message += "the library reads only its first hexadecimal digits, " + Quoted(HexPrefix(v)) +
                   ", as the colour " + ColourText(read);
    else
        message += std::string("the library reads no colour and uses ") +
                   (attr == u"Color" ? "none (the text keeps its own colour)" : "black (000000)");
    message += "; write up to eight hexadecimal digits, blue green red, without # (0000FF is red)";
    Error(e, attr, std::move(message));
}

void CheckContext::CheckNumberList(const XmlElement* e, std::u16string_view attr, std::size_t count,
                                   std::string_view form, std::string_view name)
{
    const std::u16string v = AttrText(e, attr);
    if (v.empty() || IsNumberList(v, count))
        return;
    std::string read;
    if (count == 4) {
        const ZelRect r = config::ReadRect(v);
        read = std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.Width()) + "," +
               std::to_string(r.Height());
    } else {
        std::int32_t w = 0, h = 0;
        config::ReadSize(v, w, h);
        read = std::to_string(w) + "," + std::to_string(h);
    }
    Error(e, attr, Where(e, attr, name) + " " + Quoted(v) + " is not " + std::string(form) +
                       "; the library reads " + read);
}

std::optional<ImageSize> CheckContext::CheckFile(const XmlElement* e, std::u16string_view attr,
                                                 std::string_view kind, std::string_view name)
{
    const std::u16string value = AttrText(e, attr);
    if (value.empty())
        return std::nullopt;
    const std::filesystem::path path(ToUtf8(config::ConfigFile(m_folder, value)));
    const std::string what = std::string(kind) + " " + Quoted(value) + " (" + Where(e, attr, name) + ")";
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        Error(e, attr, what + " not found" + NotFoundHint(value, path));
        return std::nullopt;
    }
    if (auto cached = m_decoded.find(path.string()); cached != m_decoded.end())
        return cached->second;
    GError* error = nullptr;
    GdkPixbuf* image = gdk_pixbuf_new_from_file(path.c_str(), &error);
    std::optional<ImageSize> size;
    if (image) {
        // Sizes as the library sees them: upright by the orientation tag.
        GdkPixbuf* upright = gdk_pixbuf_apply_embedded_orientation(image);
        size = ImageSize{gdk_pixbuf_get_width(upright), gdk_pixbuf_get_height(upright)};
        g_object_unref(upright);
        g_object_unref(image);
        if (const std::string problem = CompanionProblem(path, *size); !problem.empty())
            Warning(e, attr, what + ": " + problem);
    } else {
        Error(e, attr, what + " cannot be decoded: " + (error ? error->message : "unknown format"));
    }
    if (error)
        g_error_free(error);
    m_decoded.emplace(path.string(), size);
    return size;
}

void CheckContext::CheckFontFace(const XmlElement* e, std::u16string_view attr, std::string_view name)
{
    const std::u16string face = AttrText(e, attr);
    if (face.empty())
        return;
    const std::string narrow = ToUtf8(face);
    if (IsGenericFamily(narrow) || FontInstalled(narrow))
        return;
    Warning(e, attr, Where(e, attr, name) + " " + Quoted(face) +
                         " is not an installed font face; the text is drawn in a substitute");
}

}  // namespace tessaly::skincheck
