#pragma once
// The one way a section of the XML configuration is read: load the file, walk to
// "CommonWindow"/<section>, hand the section and the file's folder to a reader, release the parser.
// Nothing refers into the parsed document afterwards.
#include <functional>
#include <string>
#include <string_view>

#include "config/CXMLDocument.h"

namespace tessaly {

class CZelDialogConfig;
class CZelXMLParseBase;

inline constexpr std::u16string_view kConfigFileName = u"VomoLoginCfg.xml";
inline constexpr std::u16string_view kLoginSection = u"VomoLogin";
inline constexpr std::u16string_view kRedirectSection = u"PreLoginFromInternetInfo";

// GetConfigDir(LibraryInstance()) + "VomoLoginCfg.xml".
std::u16string DefaultConfigFilePath();

using SectionReader = std::function<void(const XmlElement* section, const std::u16string& configDir)>;

// Reads section `sectionName` of the file at `filePath` with `reader`; the folder handed over is the
// file's folder with its trailing '/'. True when the section was found and read; false when the file
// could not be loaded or has no such section (the reader is then not called).
bool ReadConfigSection(const std::u16string& filePath, std::u16string_view sectionName,
                       const SectionReader& reader);

// The same for the two readers of the system.
bool ReadConfigSection(const std::u16string& filePath, std::u16string_view sectionName, CZelXMLParseBase& target);
bool ReadConfigSection(const std::u16string& filePath, std::u16string_view sectionName, CZelDialogConfig& target);

}  // namespace tessaly
