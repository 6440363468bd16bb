#pragma once
// The configuration part of the skinned dialog: window values, placements of the template's controls
// and the label, button and picture items that the dialog makes at run time. The dialog owns one and
// fills it once from its section before applying the skin; it needs no window, so it can be used and
// tested on its own.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "config/CXMLDocument.h"
#include "config/ConfigTypes.h"
#include "config/DynamicItem.h"
#include "config/PosInfoItem.h"
#include "config/WindowFont.h"

namespace tessaly {

class CZelDialogConfig {
public:
    // Command ids: label i is commanded with 256 + i, button i with 512 + i.
    static constexpr std::int32_t kFirstLabelId = 256;
    static constexpr std::int32_t kFirstButtonId = 512;

    CZelDialogConfig() = default;
    CZelDialogConfig(const CZelDialogConfig&) = delete;
    CZelDialogConfig& operator=(const CZelDialogConfig&) = delete;

    // Reads the section (may be null); `configDir` ends in '/'. Only the first "LabelItem",
    // "ButtonItem" and "PictureItem" group under "DynamicInfo" is read. Called once.
    void ParseSection(const XmlElement* section, const std::u16string& configDir);

    // The WindowInfo value under `itemId` (exact case); empty when absent.
    std::u16string GetWindowInfo(std::u16string_view itemId) const;
    // The same value read as a decimal like _wtoi (0 when absent or not a number).
    std::int32_t GetWindowInt(std::u16string_view itemId) const;

    // For a "width,height" value (spaces ignored): rect = 0, 0, width, height and true. An absent or
    // empty value leaves `rect` untouched and gives false; a missing number reads as 0.
    bool GetSizeInfo(std::u16string_view itemId, ZelRect& rect) const;

    // The dialog font from "FontName", "FontSize", "FontWeight" and "FontCharSet".
    WindowFont GetWindowFont() const;
    // The font of a label or button item: each of its values when set (non-empty, greater than 0),
    // otherwise the window's; underline from the item.
    WindowFont GetItemFont(const DynamicItem& item) const;

    // The placement entry under `itemId`, or null.
    const PosInfoItem* FindPosInfo(std::u16string_view itemId) const;

    // Full path of a file named by a WindowInfo value (for example "CheckBtnBmp"); empty when the value
    // is empty.
    std::u16string GetWindowFile(std::u16string_view itemId) const;

    // The item commanded by `commandId` (256 + label index, 512 + button index), or null.
    DynamicItem* FindItemByCommand(std::int32_t commandId);

    // Items in document order. The arrays are never resized after parsing, so an index (and a pointer
    // to an item) stays valid while this object lives.
    std::span<DynamicItem> LabelItems() { return m_arrLabelItems; }
    std::span<DynamicItem> ButtonItems() { return m_arrButtonItems; }
    std::span<DynamicItem> PictureItems() { return m_arrPictureItems; }
    std::span<const DynamicItem> LabelItems() const { return m_arrLabelItems; }
    std::span<const DynamicItem> ButtonItems() const { return m_arrButtonItems; }
    std::span<const DynamicItem> PictureItems() const { return m_arrPictureItems; }

    const std::unordered_map<std::u16string, PosInfoItem>& PosInfo() const { return m_mapPosInfo; }
    const std::unordered_map<std::u16string, std::u16string>& WindowInfo() const { return m_mapWindowInfo; }
    const std::u16string& ConfigDir() const { return m_strConfigDir; }

private:
    void ParseWindowInfo(const XmlElement* section);
    void ParsePosInfo(const XmlElement* section);

    std::unordered_map<std::u16string, PosInfoItem> m_mapPosInfo;
    std::vector<DynamicItem> m_arrLabelItems;
    std::vector<DynamicItem> m_arrButtonItems;
    std::vector<DynamicItem> m_arrPictureItems;
    std::unordered_map<std::u16string, std::u16string> m_mapWindowInfo;
    std::u16string m_strConfigDir;
};

// Appends one item per element child of `group` (null reads nothing) to `items`; file names are
// resolved against `configDir`.
void ParseItems(const XmlElement* group, const std::u16string& configDir,
                std::vector<DynamicItem>& items);

}  // namespace tessaly
