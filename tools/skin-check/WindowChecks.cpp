#include <algorithm>
#include <map>

#include "NearMiss.h"
#include "SectionChecks.h"
#include "TextFit.h"
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

// Where the browser sits without an "ITEM1" placement: the template's slot.
constexpr ZelRect kTemplateBrowser{0, 0, 411, 286};
constexpr std::string_view kTemplatePlace =
    "stays where the template puts it, at 0,0 411x286: it covers the caption band, which then no longer drags "
    "the window, and every skin control placed there hides part of the page";

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
constexpr const char16_t* kFaces[] = {u"Out", u"In", u"Select", u"Disable"};

enum class Kind { kBrowser, kLabel, kButton, kPicture };

// A control as it will sit on the sheet.
struct Placed {
    const XmlElement* element;
    std::string what;
    ZelRect rect;
    Kind kind;
};

std::string Describe(const char* kind, std::size_t index, std::u16string_view label)
{
    std::string what = std::string(kind) + " " + std::to_string(index + 1);
    if (!label.empty())
        what += " (" + Quoted(label.substr(0, 40)) + ")";
    return what;
}

std::string Size(int width, int height)
{
    return std::to_string(width) + "x" + std::to_string(height);
}

std::string RectText(const ZelRect& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + " to " + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

ZelRect Overlap(const ZelRect& a, const ZelRect& b)
{
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

bool HasArea(const ZelRect& r)
{
    return r.Width() > 0 && r.Height() > 0;
}

bool Inside(const ZelRect& inner, const ZelRect& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
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
        CheckItems(FindChildElement(dynamicInfo, u"LabelItem"), Kind::kLabel, kLabelAttributes);
        CheckItems(FindChildElement(dynamicInfo, u"ButtonItem"), Kind::kButton, kButtonAttributes);
        CheckItems(FindChildElement(dynamicInfo, u"PictureItem"), Kind::kPicture, kPictureAttributes);
        CheckGeometry();
    }

private:
    // ---- window entries --------------------------------------------------------------------------

    void CheckWindowEntries()
    {
        std::vector<std::string_view> ids;
        for (const WindowKey& k : kWindowKeys)
            ids.push_back(k.id);
        config::ForEachChildElement(FindChildElement(m_section, u"WindowInfo"), [&](const XmlElement* entry) {
            m_context.CheckAttributes(entry, "window entry", {"ItemID", "Data"});
            const std::u16string id = AttrText(entry, u"ItemID");
            const std::string name = ToUtf8(id);
            const auto key = std::find_if(std::begin(kWindowKeys), std::end(kWindowKeys),
                                          [&](const WindowKey& k) { return k.id == name; });
            if (key == std::end(kWindowKeys)) {
                const std::string other = CaseVariantOf(name, ids);
                m_context.Error(entry, u"ItemID",
                                "unknown window entry " + Quoted(id) + " is never looked up" +
                                    (other.empty() ? DidYouMean(name, ids)
                                                   : ": item ids are case-sensitive; write \"" + other + "\""));
                return;
            }
            if (m_entries.contains(name))
                m_context.Warning(entry, u"ItemID", "entry " + Quoted(id) + " is given twice; the last one counts");
            m_entries[name] = entry;
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
            if (auto size = m_context.CheckFile(entry, u"Data", "image strip", key.id))
                CheckStrip(entry, key.id, *size);
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

    // A strip is always cut into eight cells of width / 8; square cells of another count mean the
    // strip was drawn with a different number of cells.
    void CheckStrip(const XmlElement* entry, std::string_view id, const ImageSize& size)
    {
        const std::string name(id);
        if (size.width % 8 != 0) {
            m_context.Warning(entry, u"Data",
                              name + " strip is " + std::to_string(size.width) +
                                  " pixels wide, not a multiple of 8: each of the eight cells is " +
                                  std::to_string(size.width / 8) + " wide and the last " +
                                  std::to_string(size.width % 8) + " pixels are never shown");
            return;
        }
        if (size.height > 0 && size.width % size.height == 0 && size.width / size.height != 8)
            m_context.Warning(entry, u"Data",
                              name + " strip is " + Size(size.width, size.height) + ", which looks like " +
                                  std::to_string(size.width / size.height) + " square cells of " +
                                  std::to_string(size.height) + ", but the library cuts every strip into 8 cells, here " +
                                  Size(size.width / 8, size.height) +
                                  " each, so every cell shows parts of two drawn ones; draw 8 cells (" +
                                  Size(8 * size.height, size.height) +
                                  "): unchecked normal, hover, pressed, disabled, then the same checked");
    }

    // The client size as the window takes it: "SheetSize", else the background's, else the template's.
    void DecideSheet()
    {
        m_sheet = {0, 0, 422, 297};
        if (m_background)
            m_sheet = {0, 0, m_background->width, m_background->height};
        ZelRect configured;
        if (!m_config.GetSizeInfo(u"SheetSize", configured) || !HasArea(configured))
            return;
        m_sheet = configured;
        if (m_background && (m_background->width != configured.Width() || m_background->height != configured.Height()))
            ReportBackgroundSize(*m_background, configured);
    }

    void ReportBackgroundSize(const ImageSize& image, const ZelRect& sheet)
    {
        std::vector<std::string> effects;
        if (image.width > sheet.Width())
            effects.push_back("its right " + std::to_string(image.width - sheet.Width()) + " pixels are cut off");
        if (image.height > sheet.Height())
            effects.push_back("its bottom " + std::to_string(image.height - sheet.Height()) + " pixels are cut off");
        if (image.width < sheet.Width())
            effects.push_back("a band " + std::to_string(sheet.Width() - image.width) +
                              " pixels wide on the right shows button face (F0F0F0)");
        if (image.height < sheet.Height())
            effects.push_back("a band " + std::to_string(sheet.Height() - image.height) +
                              " pixels high at the bottom shows button face (F0F0F0)");
        std::string joined;
        for (std::size_t i = 0; i < effects.size(); ++i)
            joined += (i == 0 ? "" : i + 1 == effects.size() ? " and " : ", ") + effects[i];
        m_context.Warning(m_entries.at("BackBmp"), u"Data",
                          "BackBmp image is " + Size(image.width, image.height) + " but SheetSize (line " +
                              std::to_string(m_context.Line(m_entries.at("SheetSize"), u"Data")) + ") is " +
                              Size(sheet.Width(), sheet.Height()) +
                              ": the library draws the background at its own size, never stretched, so " + joined +
                              "; make the image " + Size(sheet.Width(), sheet.Height()) + " or SheetSize " +
                              std::to_string(image.width) + "," + std::to_string(image.height));
    }

    // ---- the browser's placement -----------------------------------------------------------------

    void CheckPlacements()
    {
        const XmlElement* posInfo = FindChildElement(m_section, u"PosInfo");
        const XmlElement* caseVariant = nullptr;
        config::ForEachChildElement(posInfo, [&](const XmlElement* entry) {
            m_context.CheckAttributes(entry, "placement entry", {"ItemID", "Pos", "Color"});
            m_context.CheckNumberList(entry, u"Pos", 4, "x,y,width,height");
            m_context.CheckColour(entry, u"Color");
            const std::u16string id = AttrText(entry, u"ItemID");
            if (id == u"ITEM1") {
                // The later entry of an id wins.
                m_browser = Placed{entry, "the browser (ITEM1)", config::ReadRect(AttrText(entry, u"Pos")), Kind::kBrowser};
            } else if (EqualsNoCase(id, u"ITEM1")) {
                caseVariant = entry;
                m_context.Error(entry, u"ItemID",
                                "placement " + Quoted(id) + " is not \"ITEM1\": item ids are case-sensitive, so the "
                                "browser has no placement and " + std::string(kTemplatePlace) + "; write ItemID=\"ITEM1\"");
            } else {
                m_context.Warning(entry, u"ItemID", "placement " + Quoted(id) +
                                                        " is not used by the sign-in helper window (it places the "
                                                        "browser only, as ITEM1)" +
                                                        DidYouMean(ToUtf8(id), {"ITEM1"}));
            }
        });
        m_browserPlaced = m_browser.has_value();
        if (m_browserPlaced)
            return;
        m_browser = Placed{posInfo ? posInfo : m_section, "the browser (no ITEM1: the template's place)",
                           kTemplateBrowser, Kind::kBrowser};
        if (!caseVariant)
            m_context.Error(m_browser->element, u"",
                            "no placement ITEM1 for the browser, so it " + std::string(kTemplatePlace) +
                                "; add <Item ItemID=\"ITEM1\" Pos=\"x,y,width,height\"/> under <PosInfo>");
    }

    // ---- items -------------------------------------------------------------------------------------

    void CheckItems(const XmlElement* group, Kind kind, const std::vector<std::string_view>& attributes)
    {
        const char* name = kind == Kind::kLabel ? "label" : kind == Kind::kButton ? "button" : "picture";
        std::size_t index = 0;
        config::ForEachChildElement(group, [&](const XmlElement* item) {
            m_context.CheckAttributes(item, std::string(name) + " item", attributes, kItemAttributes);
            m_context.CheckNumberList(item, u"Pos", 4, "x,y,width,height");
            for (const char16_t* number : {u"FontSize", u"FontWeight", u"FontCharSet", u"UnderLine", u"DrawFocus"})
                m_context.CheckDecimal(item, number);
            m_context.CheckColour(item, u"FontColor");
            std::u16string label = AttrText(item, u"Name");
            if (kind == Kind::kButton && label.empty())
                label = AttrText(item, u"ID");
            const std::string what = Describe(name, index, kind == Kind::kPicture ? u"" : label);
            // The reader made one item of each element of the group, in the same order.
            const auto items = kind == Kind::kLabel ? m_config.LabelItems() : m_config.ButtonItems();
            if (kind == Kind::kPicture)
                CheckPicture(item, what);
            else if (index < items.size())
                kind == Kind::kLabel ? CheckLabel(item, items[index], what) : CheckButton(item, items[index], what);
            ++index;
        });
    }

    // The control's rectangle, warned about when it has no area.
    ZelRect PlaceTextControl(const XmlElement* item, const std::string& what, Kind kind)
    {
        m_context.CheckFontFace(item, u"FontName");
        const ZelRect rect = config::ReadRect(AttrText(item, u"Pos"));
        if (!HasArea(rect))
            m_context.Warning(item, u"Pos", what + " has no area, so the library never shows it: its Pos needs a "
                                                   "width and a height");
        m_placed.push_back({item, what, rect, kind});
        return rect;
    }

    void CheckLabel(const XmlElement* item, const DynamicItem& config, const std::string& what)
    {
        const ZelRect rect = PlaceTextControl(item, what, Kind::kLabel);
        m_context.CheckFile(item, u"Cursor", "cursor");
        if (config.strName.empty() || !HasArea(rect))
            return;
        const WindowFont font = m_config.GetItemFont(config);
        const TextExtent text = MeasureWrapped(config.strName, rect.Width(), font);
        if (FontTooHigh(item, what, font, text.lineHeight, rect.Height(),
                        "draws the text from the top and cuts it off at the bottom edge"))
            return;
        if (text.height <= rect.Height())
            return;
        const int lines = std::max(1, text.height / std::max(1, text.lineHeight));
        const int shown = rect.Height() / std::max(1, text.lineHeight);
        m_context.Warning(item, u"Pos",
                          what + ": its text needs " + std::to_string(lines) + " lines, " +
                              std::to_string(text.height) + " pixels high, at its width of " +
                              std::to_string(rect.Width()) + ", but its Pos is " + std::to_string(rect.Height()) +
                              " high: the library wraps the text at " + std::to_string(rect.Width()) +
                              " pixels and shows only " +
                              (shown == 1 ? std::string("the first line") : "the first " + std::to_string(shown) + " lines") +
                              "; make Pos wider or higher, or the text shorter");
    }

    // A font whose line is higher than the control; reported on FontSize when the item sets it.
    bool FontTooHigh(const XmlElement* item, const std::string& what, const WindowFont& font, int lineHeight,
                     int height, const std::string& effect)
    {
        if (lineHeight <= height)
            return false;
        const bool own = !AttrText(item, u"FontSize").empty();
        m_context.Warning(item, own ? u"FontSize" : u"Pos",
                          what + ": a line of its " + std::to_string(-font.nHeight == 0 ? 12 : -font.nHeight) +
                              "-pixel font (" + (own ? "its FontSize" : "the window's FontSize") + ") is " +
                              std::to_string(lineHeight) + " pixels high, but its Pos is only " +
                              std::to_string(height) + " high: the library " + effect + "; make Pos at least " +
                              std::to_string(lineHeight) + " high or the font smaller");
        return true;
    }

    void CheckButton(const XmlElement* item, const DynamicItem& config, const std::string& what)
    {
        const ZelRect rect = PlaceTextControl(item, what, Kind::kButton);
        std::vector<std::pair<std::u16string_view, ImageSize>> faces;
        for (const char16_t* state : kFaces)
            if (const auto size = m_context.CheckFile(item, state, "image"))
                faces.emplace_back(state, *size);
        const auto icon = m_context.CheckFile(item, u"Icon", "icon");
        CheckAction(item, what);
        CheckMissingOut(item, what);
        if (!HasArea(rect))
            return;
        CheckFaceSizes(item, what, rect, faces);
        if (config.strName.empty())
            return;
        const WindowFont font = m_config.GetItemFont(config);
        const TextExtent text = MeasureOneLine(config.strName, font);
        if (FontTooHigh(item, what, font, text.lineHeight, rect.Height(),
                        "centres the caption and cuts off its top and bottom"))
            return;
        const int needed = text.width + (icon ? icon->width + 2 : 0);
        if (needed > rect.Width())
            m_context.Warning(item, u"Pos",
                              what + ": its caption" + (icon ? " and icon need " : " needs ") +
                                  std::to_string(needed) + " pixels but its Pos is " + std::to_string(rect.Width()) +
                                  " wide: the library centres the caption on one line and cuts off both ends; make "
                                  "Pos at least " + std::to_string(needed) + " wide, the font smaller or the caption "
                                  "shorter");
    }

    void CheckAction(const XmlElement* item, const std::string& what)
    {
        const std::u16string id = AttrText(item, u"ID");
        const std::string name = ToUtf8(id);
        const auto action = std::find_if(kActions.begin(), kActions.end(),
                                         [&](std::string_view a) { return EqualsNoCase(FromUtf8(a), id); });
        if (id.empty())
            m_context.Warning(item, u"", what + " has no ID, so clicking it does nothing; give it an action (ID=\"IDOK\", "
                                                "\"IDCANCEL\", \"CLOSE\", \"IDYES\", \"IDNO\" or \"MINIMIZE\"), or "
                                                "accept this warning for a button that only decorates");
        else if (action == kActions.end())
            m_context.Warning(item, u"ID", what + " has the ID " + Quoted(id) +
                                               ", which is no action, so clicking it does nothing" +
                                               DidYouMean(name, kActions));
        else if (name != *action)
            m_context.Warning(item, u"ID", "ID " + Quoted(id) + " is read as " + std::string(*action) +
                                               ", but the schema spells it \"" + std::string(*action) + "\"");
    }

    // Without Out the normal face is empty, and so are the faces that fall back to it.
    void CheckMissingOut(const XmlElement* item, const std::string& what)
    {
        if (!AttrText(item, u"Out").empty())
            return;
        const auto given = std::find_if(std::begin(kFaces) + 1, std::end(kFaces),
                                        [&](const char16_t* face) { return !AttrText(item, face).empty(); });
        if (given == std::end(kFaces))
            return;
        m_context.Warning(item, *given,
                          what + " has " + ToUtf8(*given) + " but no Out: without a normal face the library draws "
                                 "only the caption (nothing at all without one) until the mouse is over the button, "
                                 "and a missing In, Select or Disable falls back to the missing Out too; add "
                                 "Out=\"...\" with the normal face");
    }

    void CheckFaceSizes(const XmlElement* item, const std::string& what, const ZelRect& rect,
                        const std::vector<std::pair<std::u16string_view, ImageSize>>& faces)
    {
        std::string listed;
        const XmlElement* at = nullptr;
        std::u16string_view firstFace;
        bool larger = false, smaller = false;
        for (const auto& [face, size] : faces) {
            if (size.width == rect.Width() && size.height == rect.Height())
                continue;
            larger = larger || size.width > rect.Width() || size.height > rect.Height();
            smaller = smaller || size.width < rect.Width() || size.height < rect.Height();
            listed += std::string(listed.empty() ? "" : ", ") + ToUtf8(face) + " " + Size(size.width, size.height);
            if (!at) {
                at = item;
                firstFace = face;
            }
        }
        if (!at)
            return;
        const std::string resize = larger && smaller ? "stretches or squeezes" : larger ? "squeezes" : "stretches";
        m_context.Warning(at, firstFace,
                          what + ": its face images (" + listed + ") differ from its Pos, " +
                              Size(rect.Width(), rect.Height()) + ": the library " + resize + " each face to " +
                              Size(rect.Width(), rect.Height()) + "; draw the faces at the button's size");
    }

    void CheckPicture(const XmlElement* item, const std::string& what)
    {
        ZelRect rect = config::ReadRect(AttrText(item, u"Pos"));
        const auto size = m_context.CheckFile(item, u"Out", "image");
        if (size && (size->width != rect.Width() || size->height != rect.Height()))
            m_context.Warning(item, u"Pos", what + ": its image is " + Size(size->width, size->height) +
                                                " but its Pos is " + Size(rect.Width(), rect.Height()) +
                                                "; the picture is shown at the image's own size");
        if (size)
            rect = {rect.left, rect.top, rect.left + size->width, rect.top + size->height};
        m_placed.push_back({item, what, rect, Kind::kPicture});
    }

    // ---- how the controls sit on the sheet ----------------------------------------------------------

    void CheckGeometry()
    {
        std::vector<Placed> all = m_placed;
        all.insert(all.begin(), *m_browser);
        for (const Placed& p : all)
            CheckOnSheet(p);
        CheckOnBrowser();
        for (std::size_t i = 0; i < m_placed.size(); ++i)
            for (std::size_t j = 0; j < m_placed.size(); ++j)
                if (i != j)
                    CheckPair(m_placed[i], m_placed[j], i > j);
    }

    void CheckOnSheet(const Placed& p)
    {
        const ZelRect& r = p.rect;
        if (!HasArea(r) || Inside(r, m_sheet))
            return;
        const bool hidden = !HasArea(Overlap(r, m_sheet));
        m_context.Error(p.element, p.kind == Kind::kBrowser && !AttrText(p.element, u"Pos").empty() ? u"Pos" : u"",
                        p.what + " reaches outside the " + Size(m_sheet.Width(), m_sheet.Height()) +
                            " sheet (it covers " + RectText(r) + "): the window clips it at the sheet's edge, so " +
                            (hidden ? "it is not shown at all" : "the part beyond the edge is not shown") +
                            "; move it inside 0,0 to " + std::to_string(m_sheet.right) + "," +
                            std::to_string(m_sheet.bottom));
    }

    // Skin controls are drawn above the browser's page and take the pointer there. One control on the
    // page is reported at its own line when it lies wholly on it (it was put there), else at the
    // browser's; a browser reaching under several controls is the mistake itself.
    void CheckOnBrowser()
    {
        std::vector<const Placed*> covered;
        for (const Placed& p : m_placed)
            if (HasArea(p.rect) && HasArea(Overlap(p.rect, m_browser->rect)))
                covered.push_back(&p);
        // Without ITEM1 the missing placement is the mistake, and its message says what the browser covers.
        if (covered.empty() || !m_browserPlaced)
            return;
        const bool breaks = std::any_of(covered.begin(), covered.end(), [](const Placed* p) { return p->kind != Kind::kPicture; });
        const std::string browser = "ITEM1 at " + RectText(m_browser->rect) + ", line " +
                                    std::to_string(m_context.Line(m_browser->element));
        const XmlElement* at = m_browser->element;
        std::string message;
        if (covered.size() == 1 && Inside(covered[0]->rect, m_browser->rect)) {
            at = covered[0]->element;
            message = covered[0]->what + " lies on the browser's page (" + browser +
                      "): skin controls are drawn above the page, so " + Effect(*covered[0]) +
                      "; move it off the browser";
        } else {
            std::string names;
            for (std::size_t i = 0; i < covered.size(); ++i) {
                const ZelRect common = Overlap(covered[i]->rect, m_browser->rect);
                names += (i == 0 ? "" : i + 1 == covered.size() ? " and " : ", ") + covered[i]->what + " (line " +
                         std::to_string(m_context.Line(covered[i]->element)) + ", " +
                         Size(common.Width(), common.Height()) + " pixels)";
            }
            message = m_browser->what + " reaches under " + names +
                      ": skin controls are drawn above the page, so " +
                      (covered.size() == 1 ? Effect(*covered[0])
                                           : std::string("they hide those parts of the page") +
                                                 (breaks ? " and the labels and buttons take the page's clicks there" : "")) +
                      "; make the browser's rectangle " + RectText(m_browser->rect) + " end where they begin";
        }
        const std::u16string_view attr = AttrText(at, u"Pos").empty() ? u"" : u"Pos";
        if (breaks)
            m_context.Error(at, attr, message);
        else
            m_context.Warning(at, attr, message);
    }

    static std::string Effect(const Placed& p)
    {
        return p.kind == Kind::kLabel ? "the label covers that part of the page with its text on a copy of the "
                                        "sheet's background, and clicks there reach the label instead of the page"
               : p.kind == Kind::kButton ? "the button hides that part of the page and takes its clicks"
                                         : "the picture hides that part of the page";
    }

    // Overlaps between two controls, each reported once from the control named first.
    void CheckPair(const Placed& a, const Placed& b, bool later)
    {
        const ZelRect common = Overlap(a.rect, b.rect);
        if (!HasArea(a.rect) || !HasArea(b.rect) || !HasArea(common))
            return;
        const std::string by = " by " + Size(common.Width(), common.Height()) + " pixels";
        const std::string other = b.what + " (line " + std::to_string(m_context.Line(b.element)) + ")";
        if (a.kind == Kind::kButton && b.kind == Kind::kButton && later)
            m_context.Error(a.element, u"Pos",
                            a.what + " overlaps " + other + by +
                                ": the later button is drawn over the earlier one and takes its clicks there; move "
                                "them apart");
        else if (a.kind == Kind::kLabel && b.kind == Kind::kButton)
            m_context.Warning(a.element, u"Pos",
                              a.what + " overlaps " + other + by +
                                  ": buttons are drawn above labels, so the button hides that part of the label's "
                                  "text and takes the clicks there; move them apart");
        else if (a.kind == Kind::kPicture && b.kind == Kind::kLabel)
            m_context.Warning(a.element, u"Pos",
                              a.what + " overlaps " + other + by +
                                  ": pictures are drawn above labels, so the picture hides that part of the "
                                  "label's text; move them apart");
    }

    CheckContext& m_context;
    const XmlElement* m_section;
    CZelDialogConfig m_config;
    std::map<std::string, const XmlElement*> m_entries;  // window entries by id, the last one of an id
    std::optional<ImageSize> m_background;
    ZelRect m_sheet;
    std::optional<Placed> m_browser;
    bool m_browserPlaced = false;  // by an ITEM1 entry
    std::vector<Placed> m_placed;
};

}  // namespace

void CheckWindowSection(CheckContext& context, const XmlElement* section)
{
    WindowCheck(context, section).Run();
}

}  // namespace tessaly::skincheck
