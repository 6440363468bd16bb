#include <algorithm>
#include <array>

#include "NearMiss.h"
#include "SectionChecks.h"
#include "config/ItemReader.h"
#include "support/SafeFormat.h"
#include "support/WideText.h"

namespace tessaly::skincheck {
namespace {

const std::vector<std::string_view> kLoginKeys = {"LoginPatern",    "Pwd",          "ErrorUserNotExist",
                                                  "ErrorPwd",       "ErrorAmbiguity", "ErrorUserNotInUse",
                                                  "ErrorUserNotActive", "ErrorMsg"};
const std::vector<std::string_view> kItemAttributes = {
    "Name", "ID", "Pos", "FontName", "FontSize", "FontWeight", "FontCharSet", "FontColor", "UnderLine", "Cursor",
    "Out",  "In", "Select", "Disable", "Icon", "DrawFocus", "DllName", "FunName", "ControlType"};

// The values the request pattern receives, in order.
constexpr std::array<std::string_view, 4> kLoginValues = {"the service address", "the user name", "the password",
                                                          "the IPv4 address"};

bool IsInteger(char16_t conversion)
{
    return conversion != 0 && conversion != u's';
}

void CheckRequestPattern(CheckContext& context, const XmlElement* entry, std::u16string_view pattern)
{
    const auto conversions = ListPatternConversions(pattern);
    for (std::size_t i = 0; i < conversions.size(); ++i) {
        const std::string text = Quoted(conversions[i].text);
        if (conversions[i].conversion == 0)
            context.Error(entry, u"Data", "LoginPatern conversion " + text + " is not one the library formats; "
                                                                               "it is written as it stands");
        else if (i >= kLoginValues.size())
            context.Error(entry, u"Data", "LoginPatern conversion " + std::to_string(i + 1) + " " + text +
                                              " has no value: the pattern gets only four (service address, user "
                                              "name, password, IPv4 address); it is written as it stands");
        else if (IsInteger(conversions[i].conversion))
            context.Error(entry, u"Data", "LoginPatern conversion " + std::to_string(i + 1) + " " + text + " gets " +
                                              std::string(kLoginValues[i]) + ", which is text: use %s");
    }
    if (conversions.size() < kLoginValues.size())
        context.Warning(entry, u"Data", "LoginPatern uses " + std::to_string(conversions.size()) +
                                            " of its four values; " + std::string(kLoginValues[conversions.size()]) +
                                            " and those after it are left out");
}

void CheckMessagePattern(CheckContext& context, const XmlElement* entry, std::u16string_view pattern)
{
    const auto conversions = ListPatternConversions(pattern);
    for (std::size_t i = 0; i < conversions.size(); ++i) {
        const std::string text = Quoted(conversions[i].text);
        if (i == 0 && IsInteger(conversions[i].conversion))
            continue;
        context.Error(entry, u"Data",
                      "ErrorMsg conversion " + text +
                          (i == 0 ? " does not take the reply code, a whole number (use %d)"
                                  : " has no value: the message gets only the reply code") +
                          "; it is written as it stands");
    }
}

void CheckLoginEntries(CheckContext& context, const XmlElement* list)
{
    std::vector<std::u16string> seen;
    config::ForEachChildElement(list, [&](const XmlElement* entry) {
        context.CheckAttributes(entry, "window entry", {"ItemID", "Data"});
        const std::u16string id = AttrText(entry, u"ItemID");
        const std::u16string data = AttrText(entry, u"Data");
        const std::string name = ToUtf8(id);
        if (std::find(kLoginKeys.begin(), kLoginKeys.end(), name) == kLoginKeys.end()) {
            const std::string other = CaseVariantOf(name, kLoginKeys);
            context.Error(entry, u"ItemID", "unknown sign-in entry " + Quoted(id) + " is never looked up" +
                                                (other.empty() ? DidYouMean(name, kLoginKeys)
                                                               : ": item ids are case-sensitive; write \"" + other + "\""));
            return;
        }
        if (std::find(seen.begin(), seen.end(), id) != seen.end())
            context.Warning(entry, u"ItemID", "entry " + Quoted(id) + " is given twice; the last one counts");
        seen.push_back(id);
        if (id == u"LoginPatern")
            CheckRequestPattern(context, entry, data);
        else if (id == u"ErrorMsg")
            CheckMessagePattern(context, entry, data);
        if (data.find(u"CRLF") != std::u16string::npos)
            context.Warning(entry, u"Data", name + " keeps \"CRLF\" as four letters in this section; write a line "
                                                   "break as &#13;&#10;");
    });
}

}  // namespace

void CheckLoginSection(CheckContext& context, const XmlElement* section)
{
    context.CheckChildNames(section, {"WindowInfo", "PosInfo", "DynamicInfo"});
    CheckLoginEntries(context, FindChildElement(section, u"WindowInfo"));
    config::ForEachChildElement(FindChildElement(section, u"PosInfo"), [&](const XmlElement* entry) {
        context.CheckAttributes(entry, "placement entry", {"ItemID", "Pos", "Color"});
        context.CheckNumberList(entry, u"Pos", 4, "x,y,width,height");
        context.CheckColour(entry, u"Color");
    });
    config::ForEachChildElement(FindChildElement(section, u"DynamicInfo"), [&](const XmlElement* item) {
        context.CheckAttributes(item, "sign-in item", kItemAttributes);
        context.CheckNumberList(item, u"Pos", 4, "x,y,width,height");
        for (const char16_t* number : {u"FontSize", u"FontWeight", u"FontCharSet", u"UnderLine", u"DrawFocus",
                                       u"ControlType"})
            context.CheckDecimal(item, number);
        context.CheckColour(item, u"FontColor");
    });
}

}  // namespace tessaly::skincheck
