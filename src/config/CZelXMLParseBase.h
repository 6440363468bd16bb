#pragma once
// Base of the objects that take their settings from one section of the XML configuration: named
// window values, named placements and a list of dynamic items.
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "config/CXMLDocument.h"
#include "config/PosInfoItem.h"
#include "config/DynamicItem.h"

namespace tessaly {

class CZelXMLParseBase {
public:
    CZelXMLParseBase() = default;
    virtual ~CZelXMLParseBase() = default;
    CZelXMLParseBase(const CZelXMLParseBase&) = delete;
    CZelXMLParseBase& operator=(const CZelXMLParseBase&) = delete;

    // Reads the section (may be null) into the three collections; `configDir` ends in '/' and is the
    // folder that file names in the section are relative to. Called once per object.
    void ParseSection(const XmlElement* section, const std::u16string& configDir);

    // `out` = the value stored under `itemId` (exact case), or empty.
    void GetWindowInfo(std::u16string& out, std::u16string_view itemId) const;

    const std::u16string& ConfigDir() const { return m_strConfigDir; }
    const std::unordered_map<std::u16string, PosInfoItem>& PosInfo() const { return m_mapPosInfo; }
    const std::unordered_map<std::u16string, std::u16string>& WindowInfo() const { return m_mapWindowInfo; }
    const std::vector<DynamicItem>& DynamicItems() const { return m_arrDynamicItems; }

protected:
    std::u16string m_strConfigDir;
    std::unordered_map<std::u16string, PosInfoItem> m_mapPosInfo;
    std::unordered_map<std::u16string, std::u16string> m_mapWindowInfo;
    std::vector<DynamicItem> m_arrDynamicItems;

private:
    void ParseWindowInfo(const XmlElement* section);
    void ParsePosInfo(const XmlElement* section);
    void ParseDynamicInfo(const XmlElement* dynamicInfo, const std::u16string& configDir);
};

}  // namespace tessaly
