#pragma once
// What the two section readers share: the walk over element children and the attributes that both
// item records read in the same way.
#include <string>
#include <string_view>

#include "config/CXMLDocument.h"
#include "config/ConfigValues.h"
#include "config/PosInfoItem.h"
#include "support/WideText.h"

namespace tessaly::config {

// Calls visit(element) for every element child of `parent`, in document order; other nodes are
// skipped and their names never looked at.
template <typename Visit>
void ForEachChildElement(const XmlElement* parent, Visit&& visit)
{
    if (parent == nullptr)
        return;
    for (const XmlElement* child = parent->FirstChildElement(); child != nullptr; child = child->NextSiblingElement())
        visit(child);
}

// The attribute's text, empty when absent.
inline std::u16string Attr(const XmlElement* element, std::u16string_view name)
{
    std::u16string value;
    GetAttributeValue(element, name, value);
    return value;
}

// "ItemID", "Color" and "Pos" of a placement entry.
inline PosInfoItem ReadPosInfoItem(const XmlElement* entry)
{
    PosInfoItem item;
    item.strItemID = Attr(entry, u"ItemID");
    const std::u16string color = Attr(entry, u"Color");
    item.crColor = color.empty() ? kNoColor : ReadColor(color, kNoColor);
    item.rcPos = ReadRect(Attr(entry, u"Pos"));
    return item;
}

// "In", "Select" and "Disable" fall back to the Out path; "Icon" is set only when given.
template <typename Item>
void ReadStateImages(const XmlElement* element, const std::u16string& folder, Item& item)
{
    static constexpr std::u16string_view kStates[] = {u"In", u"Select", u"Disable"};
    for (std::size_t i = 0; i < 3; ++i) {
        std::u16string path = ConfigFile(folder, Attr(element, kStates[i]));
        item.strImage[i + 1] = path.empty() ? item.strImage[kImageOut] : std::move(path);
    }
    item.strIcon = ConfigFile(folder, Attr(element, u"Icon"));
}

// Every attribute that both records read alike, in the readers' order; `readImages` sets the image
// paths at their place in that order.
template <typename Item, typename ReadImages>
void ReadItemCommon(const XmlElement* element, const std::u16string& folder, Item& item,
                    ReadImages&& readImages)
{
    item.strName = ReplaceCrlf(Attr(element, u"Name"));
    item.strID = Attr(element, u"ID");
    item.strDllName = Attr(element, u"DllName");
    item.strFunName = Attr(element, u"FunName");
    item.strFontName = Attr(element, u"FontName");
    readImages(element, folder, item);
    item.nFontSize = WToI(Attr(element, u"FontSize"));
    item.nFontWeight = WToI(Attr(element, u"FontWeight"));
    item.nFontCharSet = WToI(Attr(element, u"FontCharSet"));
    item.strCursor = ConfigFile(folder, Attr(element, u"Cursor"));
    item.crFontColor = ReadColor(Attr(element, u"FontColor"), 0);
    item.nUnderLine = WToI(Attr(element, u"UnderLine"));
    item.rcPos = ReadRect(Attr(element, u"Pos"));
}

}  // namespace tessaly::config
