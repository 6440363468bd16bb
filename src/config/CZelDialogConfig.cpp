#include "config/CZelDialogConfig.h"

#include "config/ItemReader.h"

namespace tessaly {

using config::Attr;
using config::ForEachChildElement;

namespace {

// The dialog's image rule: an empty "Out" gives no image at all, and the other states fall back to
// that empty path.
void ReadDialogImages(const XmlElement* element, const std::u16string& folder, DynamicItem& item)
{
    item.strImage[kImageOut] = config::ConfigFile(folder, Attr(element, u"Out"));
    config::ReadStateImages(element, folder, item);
}

std::u16string CutFaceName(std::u16string face)
{
    if (face.size() > WindowFont::kMaxFaceName)
        face.resize(WindowFont::kMaxFaceName);
    return face;
}

DynamicItem* ItemAt(std::vector<DynamicItem>& items, std::int32_t index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= items.size())
        return nullptr;
    return &items[static_cast<std::size_t>(index)];
}

}  // namespace

void ParseItems(const XmlElement* group, const std::u16string& configDir, std::vector<DynamicItem>& items)
{
    try {
        ForEachChildElement(group, [&](const XmlElement* element) {
            DynamicItem item;
            config::ReadItemCommon(element, configDir, item, ReadDialogImages);
            item.nDrawFocus = WToI(Attr(element, u"DrawFocus"));
            items.push_back(std::move(item));
        });
    } catch (...) {
        // The items read so far stay; the dialog never sees a parser exception.
        TraceParserFailure(u"Dialog configuration", u"reading items stopped early");
    }
}

void CZelDialogConfig::ParseSection(const XmlElement* section, const std::u16string& configDir)
{
    m_strConfigDir = configDir;
    ParseWindowInfo(section);
    ParsePosInfo(section);
    const XmlElement* dynamicInfo = FindChildElement(section, u"DynamicInfo");
    ParseItems(FindChildElement(dynamicInfo, u"LabelItem"), configDir, m_arrLabelItems);
    ParseItems(FindChildElement(dynamicInfo, u"ButtonItem"), configDir, m_arrButtonItems);
    ParseItems(FindChildElement(dynamicInfo, u"PictureItem"), configDir, m_arrPictureItems);
}

void CZelDialogConfig::ParseWindowInfo(const XmlElement* section)
{
    try {
        ForEachChildElement(FindChildElement(section, u"WindowInfo"), [this](const XmlElement* entry) {
            m_mapWindowInfo[Attr(entry, u"ItemID")] = config::ReplaceCrlf(Attr(entry, u"Data"));
        });
    } catch (...) {
        // The values read so far stay.
        TraceParserFailure(u"Dialog configuration", u"reading WindowInfo stopped early");
    }
}

void CZelDialogConfig::ParsePosInfo(const XmlElement* section)
{
    try {
        ForEachChildElement(FindChildElement(section, u"PosInfo"), [this](const XmlElement* entry) {
            PosInfoItem item = config::ReadPosInfoItem(entry);
            m_mapPosInfo.insert_or_assign(item.strItemID, std::move(item));
        });
    } catch (...) {
        // The records read so far stay.
        TraceParserFailure(u"Dialog configuration", u"reading PosInfo stopped early");
    }
}

std::u16string CZelDialogConfig::GetWindowInfo(std::u16string_view itemId) const
{
    auto it = m_mapWindowInfo.find(std::u16string(itemId));
    return it == m_mapWindowInfo.end() ? std::u16string() : it->second;
}

std::int32_t CZelDialogConfig::GetWindowInt(std::u16string_view itemId) const
{
    return WToI(GetWindowInfo(itemId));
}

bool CZelDialogConfig::GetSizeInfo(std::u16string_view itemId, ZelRect& rect) const
{
    const std::u16string value = GetWindowInfo(itemId);
    if (value.find_first_not_of(u' ') == std::u16string::npos)
        return false;
    std::int32_t width = 0;
    std::int32_t height = 0;
    config::ReadSize(value, width, height);
    rect = ZelRect{0, 0, width, height};
    return true;
}

WindowFont CZelDialogConfig::GetWindowFont() const
{
    WindowFont font;
    font.strFaceName = CutFaceName(GetWindowInfo(u"FontName"));
    font.nHeight = -GetWindowInt(u"FontSize");
    font.nWeight = GetWindowInt(u"FontWeight");
    font.nCharSet = static_cast<std::uint8_t>(GetWindowInt(u"FontCharSet") & 0xFF);
    return font;
}

WindowFont CZelDialogConfig::GetItemFont(const DynamicItem& item) const
{
    WindowFont font = GetWindowFont();
    if (!item.strFontName.empty())
        font.strFaceName = CutFaceName(item.strFontName);
    if (item.nFontSize > 0)
        font.nHeight = -item.nFontSize;
    if (item.nFontWeight > 0)
        font.nWeight = item.nFontWeight;
    if (item.nFontCharSet > 0)
        font.nCharSet = static_cast<std::uint8_t>(item.nFontCharSet & 0xFF);
    font.bUnderline = item.nUnderLine != 0;
    return font;
}

const PosInfoItem* CZelDialogConfig::FindPosInfo(std::u16string_view itemId) const
{
    auto it = m_mapPosInfo.find(std::u16string(itemId));
    return it == m_mapPosInfo.end() ? nullptr : &it->second;
}

std::u16string CZelDialogConfig::GetWindowFile(std::u16string_view itemId) const
{
    return config::ConfigFile(m_strConfigDir, GetWindowInfo(itemId));
}

DynamicItem* CZelDialogConfig::FindItemByCommand(std::int32_t commandId)
{
    if (commandId >= kFirstButtonId)
        return ItemAt(m_arrButtonItems, commandId - kFirstButtonId);
    if (commandId >= kFirstLabelId)
        return ItemAt(m_arrLabelItems, commandId - kFirstLabelId);
    return nullptr;
}

}  // namespace tessaly
