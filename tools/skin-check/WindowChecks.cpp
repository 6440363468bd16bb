#include <algorithm>

#include "NearMiss.h"
#include "SectionChecks.h"
#include "config/CZelDialogConfig.h"
#include "config/ItemReader.h"
#include "support/WideText.h"

namespace tessaly::skincheck {
namespace {

enum class ValueKind { kText, kImage, kIcon, kStrip, kSize, kDecimal, kFont };

struct WindowKey {
    std::string_view id;
    ValueKind kind;
};

constexpr WindowKey kWindowKeys[] = {
    {"Title", ValueKind::kText},        {"Icon", ValueKind::kIcon},          {"BackBmp", ValueKind::kImage},
    {"SheetSize", ValueKind::kSize},    {"FontName", ValueKind::kFont},      {"FontSize", ValueKind::kDecimal},
    {"FontWeight", ValueKind::kDecimal}, {"FontCharSet", ValueKind::kDecimal}, {"CaptionHeight", ValueKind::kDecimal},
    {"CheckBtnBmp", ValueKind::kStrip}, {"RadioBtnBmp", ValueKind::kStrip}};

const std::vector<std::string_view> kActions = {"CLOSE", "IDOK", "IDCANCEL", "IDYES", "IDNO", "MINIMIZE"};

// Every attribute the window's item reader reads, and those each kind of item uses.
const std::vector<std::string_view> kItemAttributes = {
    "Name", "ID", "Pos", "FontName", "FontSize", "FontWeight", "FontCharSet", "FontColor", "UnderLine", "Cursor",
    "Out",  "In", "Select", "Disable", "Icon", "DrawFocus", "DllName", "FunName"};
const std::vector<std::string_view> kLabelAttributes = {"Name",       "ID",          "Pos",       "FontName",
                                                        "FontSize",   "FontWeight",  "FontCharSet", "FontColor",
                                                        "UnderLine",  "Cursor",      "DllName",   "FunName"};
const std::vector<std::string_view> kButtonAttributes = {
    "Name", "ID", "Pos", "FontName", "FontSize", "FontWeight", "FontCharSet", "FontColor", "Out", "In", "Select",
    "Disable", "Icon", "DrawFocus", "DllName", "FunName"};
const std::vector<std::string_view> kPictureAttributes = {"Pos", "Out", "DllName", "FunName"};

// A control as it will sit on the sheet.
struct Placed {
    const XmlElement* element;
    std::string what;
    ZelRect rect;
};

std::string Describe(const char* kind, std::size_t index, std::u16string_view label)
{
    std::string what = std::string(kind) + " " + std::to_string(index + 1);
    if (!label.empty())
        what += " (" + Quoted(label.substr(0, 40)) + ")";
    return what;
}

std::string RectText(const ZelRect& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + " to " + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

class WindowCheck {
public:
    WindowCheck(CheckContext& context, const XmlElement* section) : m_context(context), m_section(section)
    {
        m_config.ParseSection(section, context.Folder());
    }

    void Run()
    {
        m_context.CheckChildNames(m_section, {"WindowInfo", "PosInfo", "DynamicInfo"});
        CheckWindowEntries();
        DecideSheet();
        CheckPlacements();
        const XmlElement* dynamicInfo = FindChildElement(m_section, u"DynamicInfo");
        m_context.CheckChildNames(dynamicInfo, {"LabelItem", "ButtonItem", "PictureItem"});
        CheckItems(FindChildElement(dynamicInfo, u"LabelItem"), "label", kLabelAttributes);
        CheckItems(FindChildElement(dynamicInfo, u"ButtonItem"), "button", kButtonAttributes);
        CheckItems(FindChildElement(dynamicInfo, u"PictureItem"), "picture", kPictureAttributes);
        CheckGeometry();
    }

private:
    void CheckWindowEntries()
    {
        std::vector<std::u16string> seen;
        config::ForEachChildElement(FindChildElement(m_section, u"WindowInfo"), [&](const XmlElement* entry) {
            m_context.CheckAttributes(entry, "window entry", {"ItemID", "Data"});
            const std::u16string id = AttrText(entry, u"ItemID");
            const std::string name = ToUtf8(id);
            const auto key = std::find_if(std::begin(kWindowKeys), std::end(kWindowKeys),
                                          [&](const WindowKey& k) { return k.id == name; });
            if (key == std::end(kWindowKeys)) {
                std::vector<std::string_view> ids;
                for (const WindowKey& k : kWindowKeys)
                    ids.push_back(k.id);
                m_context.Error(entry, u"ItemID",
                                "unknown window entry " + Quoted(id) + " is never looked up" + DidYouMean(name, ids));
                return;
            }
            if (std::find(seen.begin(), seen.end(), id) != seen.end())
                m_context.Warning(entry, u"ItemID", "entry " + Quoted(id) + " is given twice; the last one counts");
            seen.push_back(id);
            CheckWindowValue(entry, *key);
        });
    }

    void CheckWindowValue(const XmlElement* entry, const WindowKey& key)
    {
        switch (key.kind) {
        case ValueKind::kText:
            break;
        case ValueKind::kImage:
            m_background = m_context.CheckFile(entry, u"Data", "image", key.id);
            break;
        case ValueKind::kIcon:
            m_context.CheckFile(entry, u"Data", "icon", key.id);
            break;
        case ValueKind::kStrip:
            if (auto size = m_context.CheckFile(entry, u"Data", "image strip", key.id); size && size->width % 8 != 0)
                m_context.Warning(entry, u"Data",
                                  std::string(key.id) + " strip is " + std::to_string(size->width) +
                                      " pixels wide, not a multiple of 8: each of the eight cells is " +
                                      std::to_string(size->width / 8) + " wide and the last " +
                                      std::to_string(size->width % 8) + " pixels are never shown");
            break;
        case ValueKind::kSize:
            m_context.CheckNumberList(entry, u"Data", 2, "width,height", key.id);
            break;
        case ValueKind::kDecimal:
            m_context.CheckDecimal(entry, u"Data", key.id);
            break;
        case ValueKind::kFont:
            m_context.CheckFontFace(entry, u"Data", key.id);
            break;
        }
    }

    // The client size as the window takes it: "SheetSize", else the background's, else the template's.
    void DecideSheet()
    {
        m_sheet = {0, 0, 422, 297};
        if (m_background)
            m_sheet = {0, 0, m_background->width, m_background->height};
        ZelRect configured;
        if (m_config.GetSizeInfo(u"SheetSize", configured) && configured.Width() > 0 && configured.Height() > 0)
            m_sheet = configured;
    }

    void CheckPlacements()
    {
        config::ForEachChildElement(FindChildElement(m_section, u"PosInfo"), [&](const XmlElement* entry) {
            m_context.CheckAttributes(entry, "placement entry", {"ItemID", "Pos", "Color"});
            m_context.CheckNumberList(entry, u"Pos", 4, "x,y,width,height");
            m_context.CheckColour(entry, u"Color");
            const std::u16string id = AttrText(entry, u"ItemID");
            if (id == u"ITEM1")
                m_placed.push_back({entry, "the browser (ITEM1)", config::ReadRect(AttrText(entry, u"Pos"))});
            else
                m_context.Warning(entry, u"ItemID", "placement " + Quoted(id) +
                                                        " is not used by the sign-in helper window" +
                                                        DidYouMean(ToUtf8(id), {"ITEM1"}));
        });
    }

    void CheckItems(const XmlElement* group, const char* kind, const std::vector<std::string_view>& attributes)
    {
        std::size_t index = 0;
        config::ForEachChildElement(group, [&](const XmlElement* item) {
            m_context.CheckAttributes(item, std::string(kind) + " item", attributes, kItemAttributes);
            m_context.CheckNumberList(item, u"Pos", 4, "x,y,width,height");
            for (const char16_t* number : {u"FontSize", u"FontWeight", u"FontCharSet", u"UnderLine", u"DrawFocus"})
                m_context.CheckDecimal(item, number);
            m_context.CheckColour(item, u"FontColor");
            const std::string what = Describe(kind, index, AttrText(item, std::string_view(kind) == "button" ? u"ID" : u"Name"));
            if (std::string_view(kind) == "picture")
                CheckPicture(item, what);
            else
                CheckTextControl(item, kind, what);
            ++index;
        });
    }

    void CheckTextControl(const XmlElement* item, std::string_view kind, const std::string& what)
    {
        m_context.CheckFontFace(item, u"FontName");
        const ZelRect rect = config::ReadRect(AttrText(item, u"Pos"));
        if (rect.Width() <= 0 || rect.Height() <= 0)
            m_context.Warning(item, u"Pos", what + " has no area: its Pos needs a width and a height");
        m_placed.push_back({item, what, rect});
        if (kind == "label") {
            m_context.CheckFile(item, u"Cursor", "cursor");
            return;
        }
        m_buttons.push_back(m_placed.back());
        for (const char16_t* state : {u"Out", u"In", u"Select", u"Disable"})
            m_context.CheckFile(item, state, "image");
        m_context.CheckFile(item, u"Icon", "icon");
        CheckAction(item, what);
    }

    void CheckAction(const XmlElement* item, const std::string& what)
    {
        const std::u16string id = AttrText(item, u"ID");
        const std::string name = ToUtf8(id);
        const auto action = std::find_if(kActions.begin(), kActions.end(),
                                         [&](std::string_view a) { return EqualsNoCase(FromUtf8(a), id); });
        if (action == kActions.end())
            m_context.Warning(item, u"ID", what + (id.empty() ? " has no ID" : " has the ID " + Quoted(id) + ", which") +
                                               " does nothing when clicked" + DidYouMean(name, kActions));
        else if (name != *action)
            m_context.Warning(item, u"ID", "ID " + Quoted(id) + " is read as " + std::string(*action) +
                                               ", but the schema spells it \"" + std::string(*action) + "\"");
    }

    void CheckPicture(const XmlElement* item, const std::string& what)
    {
        ZelRect rect = config::ReadRect(AttrText(item, u"Pos"));
        const auto size = m_context.CheckFile(item, u"Out", "image");
        if (size && (size->width != rect.Width() || size->height != rect.Height()))
            m_context.Warning(item, u"Pos", what + ": its image is " + std::to_string(size->width) + "x" +
                                                std::to_string(size->height) + " but its Pos is " +
                                                std::to_string(rect.Width()) + "x" + std::to_string(rect.Height()) +
                                                "; the picture is shown at the image's own size");
        if (size)
            rect = {rect.left, rect.top, rect.left + size->width, rect.top + size->height};
        m_placed.push_back({item, what, rect});
    }

    void CheckGeometry()
    {
        const std::string sheet = std::to_string(m_sheet.Width()) + "x" + std::to_string(m_sheet.Height());
        for (const Placed& p : m_placed) {
            const ZelRect& r = p.rect;
            if (r.Width() > 0 && r.Height() > 0 &&
                (r.left < 0 || r.top < 0 || r.right > m_sheet.right || r.bottom > m_sheet.bottom))
                m_context.Error(p.element, u"Pos", p.what + " reaches outside the " + sheet + " sheet (it covers " +
                                                       RectText(r) + ")");
        }
        for (std::size_t i = 0; i < m_buttons.size(); ++i)
            for (std::size_t j = 0; j < i; ++j) {
                const ZelRect& a = m_buttons[i].rect;
                const ZelRect& b = m_buttons[j].rect;
                const int w = std::min(a.right, b.right) - std::max(a.left, b.left);
                const int h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
                if (w > 0 && h > 0)
                    m_context.Error(m_buttons[i].element, u"Pos",
                                    m_buttons[i].what + " overlaps " + m_buttons[j].what + " (line " +
                                        std::to_string(m_context.Line(m_buttons[j].element)) + ") by " +
                                        std::to_string(w) + "x" + std::to_string(h) + " pixels");
            }
    }

    CheckContext& m_context;
    const XmlElement* m_section;
    CZelDialogConfig m_config;
    std::optional<ImageSize> m_background;
    ZelRect m_sheet;
    std::vector<Placed> m_placed;
    std::vector<Placed> m_buttons;
};

}  // namespace

void CheckWindowSection(CheckContext& context, const XmlElement* section)
{
    WindowCheck(context, section).Run();
}

}  // namespace tessaly::skincheck
