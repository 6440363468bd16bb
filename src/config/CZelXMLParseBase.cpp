#include "config/CZelXMLParseBase.h"

#include "config/ItemReader.h"
#include "platform/FilePaths.h"

namespace tessaly {

using config::Attr;
using config::ForEachChildElement;

namespace {

// This reader's image rule: the Out path is the folder plus "Out" even when "Out" is empty.
void ReadBaseImages(const XmlElement* element, const std::u16string& folder, DynamicItem& item)
{
    item.strImage[kImageOut] = platform::JoinConfigPath(folder, Attr(element, u"Out"));
    config::ReadStateImages(element, folder, item);
}

}  // namespace

void CZelXMLParseBase::ParseSection(const XmlElement* section, const std::u16string& configDir)
{
    m_strConfigDir = configDir;
    ParseWindowInfo(section);
    ParsePosInfo(section);
    if (const XmlElement* dynamicInfo = FindChildElement(section, u"DynamicInfo"))
        ParseDynamicInfo(dynamicInfo, configDir);
}

void CZelXMLParseBase::GetWindowInfo(std::u16string& out, std::u16string_view itemId) const
{
    out.clear();
    if (auto it = m_mapWindowInfo.find(std::u16string(itemId)); it != m_mapWindowInfo.end())
        out = it->second;
}

void CZelXMLParseBase::ParseWindowInfo(const XmlElement* section)
{
    try {
        ForEachChildElement(FindChildElement(section, u"WindowInfo"), [this](const XmlElement* entry) {
            // Stored exactly as written: these texts are patterns and messages, not display text.
            m_mapWindowInfo[Attr(entry, u"ItemID")] = Attr(entry, u"Data");
        });
    } catch (...) {
        // The values read so far stay.
        TraceParserFailure(u"Configuration section", u"reading WindowInfo stopped early");
    }
}

void CZelXMLParseBase::ParsePosInfo(const XmlElement* section)
{
    try {
        ForEachChildElement(FindChildElement(section, u"PosInfo"), [this](const XmlElement* entry) {
            PosInfoItem item = config::ReadPosInfoItem(entry);
            m_mapPosInfo.insert_or_assign(item.strItemID, std::move(item));
        });
    } catch (...) {
        // The records read so far stay.
        TraceParserFailure(u"Configuration section", u"reading PosInfo stopped early");
    }
}

void CZelXMLParseBase::ParseDynamicInfo(const XmlElement* dynamicInfo, const std::u16string& configDir)
{
    try {
        ForEachChildElement(dynamicInfo, [&](const XmlElement* element) {
            DynamicItem item;
            config::ReadItemCommon(element, configDir, item, ReadBaseImages);
            item.nControlType = WToI(Attr(element, u"ControlType"));
            item.nDrawFocus = WToI(Attr(element, u"DrawFocus"));
            m_arrDynamicItems.push_back(std::move(item));
        });
    } catch (...) {
        // The items read so far stay.
        TraceParserFailure(u"Configuration section", u"reading DynamicInfo stopped early");
    }
}

}  // namespace tessaly
