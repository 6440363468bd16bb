#include "config/ConfigSection.h"

#include "config/CZelDialogConfig.h"
#include "config/CZelXMLParseBase.h"
#include "support/PathHelpers.h"

namespace tessaly {

std::u16string DefaultConfigFilePath()
{
    return ConfigFilePath(kConfigFileName);
}

bool ReadConfigSection(const std::u16string& filePath, std::u16string_view sectionName, const SectionReader& reader)
{
    if (filePath.empty())
        return false;
    std::u16string folder;
    std::u16string fileName;
    SplitPath(filePath, &folder, &fileName);

    // The destructor releases the parser on every path, so nothing refers into the document after
    // this function returns.
    CXMLDocument document;
    document.Init();  // a failed Init shows itself as a failed Load
    XmlElement* root = nullptr;
    if (!document.Load(filePath, root))
        return false;
    const XmlElement* section = document.FindElement(root, {u"CommonWindow", sectionName});
    if (section == nullptr)
        return false;
    reader(section, folder);
    document.Release();
    return true;
}

bool ReadConfigSection(const std::u16string& filePath, std::u16string_view sectionName, CZelXMLParseBase& target)
{
    return ReadConfigSection(filePath, sectionName,
                             [&target](const XmlElement* section, const std::u16string& folder) {
                                 target.ParseSection(section, folder);
                             });
}

bool ReadConfigSection(const std::u16string& filePath, std::u16string_view sectionName, CZelDialogConfig& target)
{
    return ReadConfigSection(filePath, sectionName,
                             [&target](const XmlElement* section, const std::u16string& folder) {
                                 target.ParseSection(section, folder);
                             });
}

}  // namespace tessaly
