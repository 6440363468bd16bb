#pragma once
// What every check of one configuration file shares: where findings go, the source lines, the
// configuration folder, and the readers of values and files with the library's own rules.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CheckReport.h"
#include "XmlLineMap.h"
#include "config/CXMLDocument.h"

namespace tessaly::skincheck {

// Size of a decoded image file.
struct ImageSize {
    int width = 0;
    int height = 0;
};

class CheckContext {
public:
    CheckContext(CheckReport& report, const XmlLineMap& lines, std::string xmlFile, std::u16string folder)
        : m_report(report), m_lines(lines), m_xmlFile(std::move(xmlFile)), m_folder(std::move(folder))
    {
    }

    const std::u16string& Folder() const { return m_folder; }
    int Line(const XmlElement* e) const { return m_lines.Line(e); }
    int Line(const XmlElement* e, std::u16string_view attr) const { return m_lines.Line(e, attr); }

    void Error(const XmlElement* e, std::u16string_view attr, std::string message);
    void Warning(const XmlElement* e, std::u16string_view attr, std::string message);

    // Element children of `parent` must be among `known` (the canonical spelling). Another spelling
    // of a known name is read (warning); a second namesake is never read (warning); anything else
    // is never read (error, with "did you mean").
    void CheckChildNames(const XmlElement* parent, const std::vector<std::string_view>& known);
    // Attributes must be among `known` (exact case); `readElsewhere` are read for other kinds of
    // item only (warning: not used here).
    void CheckAttributes(const XmlElement* e, std::string_view kind, const std::vector<std::string_view>& known,
                         const std::vector<std::string_view>& readElsewhere = {});

    // Value checks of one attribute; an absent or empty value is always fine (it means the default).
    void CheckDecimal(const XmlElement* e, std::u16string_view attr, std::string_view name = {});
    void CheckColour(const XmlElement* e, std::u16string_view attr);
    void CheckNumberList(const XmlElement* e, std::u16string_view attr, std::size_t count,
                         std::string_view form, std::string_view name = {});
    // The named file must exist and decode; its size when it does.
    std::optional<ImageSize> CheckFile(const XmlElement* e, std::u16string_view attr, std::string_view kind,
                                       std::string_view name = {});
    // The font face must be installed (warning otherwise: the system substitutes another).
    void CheckFontFace(const XmlElement* e, std::u16string_view attr, std::string_view name = {});

private:
    std::string Where(const XmlElement* e, std::u16string_view attr, std::string_view name) const;

    CheckReport& m_report;
    const XmlLineMap& m_lines;
    std::string m_xmlFile;
    std::u16string m_folder;
    std::map<std::string, std::optional<ImageSize>> m_decoded;
};

// The attribute's value, empty when absent (as the library reads it).
std::u16string AttrText(const XmlElement* e, std::u16string_view attr);
// "text" quoted for a message, in UTF-8.
std::string Quoted(std::u16string_view text);

}  // namespace tessaly::skincheck
