#include "IniChecks.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <vector>

#include "NearMiss.h"
#include "platform/FileIO.h"
#include "platform/IniFile.h"
#include "platform/TextEncoding.h"
#include "support/WideText.h"

namespace tessaly::skincheck {
namespace {

using platform::ProfileLine;

// What a key holds, and so how its value is checked.
enum class Rule {
    kLoginAddress,     // [WebUrl] VomoLoginUrl
    kExchangeAddress,  // [WebUrl] PreLoginFromInternet
    kSwitch,           // [COMMON] ForceGetPcid
    kIdentityCode,     // [Identity] OemID, AreaCode
    kNeverAsked,       // [Identity] VCC: Parvex.so has it, the library never asks for it
};

struct IniKey {
    std::string_view section;
    std::string_view key;
    Rule rule;
};

// The library reads its keys with buffers of 1024 characters; Parvex.so hands over values of at
// most 255 (a longer one comes back empty).
constexpr std::size_t kLibraryValueChars = 1023;
constexpr std::size_t kIdentityValueChars = 255;
constexpr std::size_t kParvexFileBytes = 1u << 20;

// Who reads a section: the library searches only the first section of a name; Parvex.so reads
// every section of the name, the first entry of a key winning.
bool FirstSectionOnly(std::string_view section)
{
    return section != "Identity";
}

std::string Quoted16(std::u16string_view text)
{
    return "\"" + ToUtf8(text) + "\"";
}

std::string Lower(std::string_view text)
{
    return ToUtf8(AsciiLower(FromUtf8(text)));
}

bool HasBlank(std::u16string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char16_t c) { return c == u' ' || c == u'\t' || c < 0x20; });
}

// A ';' or '#' after a blank: a comment the writer meant to end the value, which INI files do not have.
bool HasTrailingComment(std::u16string_view value)
{
    for (std::size_t i = 1; i < value.size(); ++i)
        if ((value[i] == u';' || value[i] == u'#') && (value[i - 1] == u' ' || value[i - 1] == u'\t'))
            return true;
    return false;
}

// Empty when `address` is an absolute http or https address; otherwise why not. `host` receives the
// host (an IPv6 literal with its brackets), `plainHttp` whether the scheme is http.
std::string AddressProblem(std::u16string_view address, std::string& host, bool& plainHttp)
{
    const std::string text = ToUtf8(address);
    if (HasBlank(address))
        return "it holds a blank (the value is the whole rest of the line: INI files have no comments after "
               "a value)";
    const auto colon = text.find("://");
    if (colon == std::string::npos)
        return "it has no http:// or https:// in front";
    const std::string scheme = Lower(std::string_view(text).substr(0, colon));
    if (scheme != "http" && scheme != "https")
        return "its scheme \"" + text.substr(0, colon) + "\" is neither http nor https";
    plainHttp = scheme == "http";
    std::string authority = text.substr(colon + 3, text.find_first_of("/?#", colon + 3) - (colon + 3));
    if (const auto at = authority.rfind('@'); at != std::string::npos)
        authority.erase(0, at + 1);
    std::string port;
    if (!authority.empty() && authority.front() == '[') {
        const auto close = authority.find(']');
        host = authority.substr(0, close == std::string::npos ? authority.size() : close + 1);
        port = close == std::string::npos ? "" : authority.substr(close + 1);
    } else {
        const auto portColon = authority.find(':');
        host = authority.substr(0, portColon);
        port = portColon == std::string::npos ? "" : authority.substr(portColon);
    }
    if (host.empty())
        return "it names no host";
    if (!port.empty() && (port.front() != ':' || port.size() == 1 ||
                          !std::all_of(port.begin() + 1, port.end(), [](char c) { return c >= '0' && c <= '9'; })))
        return "its port \"" + port + "\" is not a number";
    return {};
}

// This machine's own loopback: localhost, 127.0.0.0/8 and [::1].
bool IsLoopbackHost(std::string_view host)
{
    const std::string lower = Lower(host);
    return lower == "localhost" || lower == "[::1]" || lower.starts_with("127.");
}

std::string WithHttps(std::u16string_view address)
{
    const std::string text = ToUtf8(address);
    return "https" + text.substr(text.find("://"));
}

class IniCheck {
public:
    IniCheck(std::string file, std::vector<IniKey> keys, CheckReport& report)
        : m_file(std::move(file)), m_keys(std::move(keys)), m_report(report)
    {
    }

    // Reads the file as the library does; false when it reads as missing.
    bool Load(std::size_t maxBytes)
    {
        const auto bytes = platform::ReadSmallFile(m_file, maxBytes);
        if (!bytes)
            return false;
        m_lines = platform::ListProfileLines(*bytes);
        return true;
    }

    void Run()
    {
        const std::string* section = nullptr;  // the known section the lines belong to
        bool sectionRead = false;
        bool anySection = false;
        for (const ProfileLine& line : m_lines) {
            switch (line.kind) {
            case ProfileLine::Kind::kSection:
                anySection = true;
                section = OpenSection(line, sectionRead);
                break;
            case ProfileLine::Kind::kEntry:
                if (!anySection)
                    Error(line, ToUtf8(line.name) + " stands before the first [section] and is never read");
                else if (section && sectionRead)
                    Entry(*section, line);
                break;
            case ProfileLine::Kind::kOther:
                OtherLine(line);
                break;
            case ProfileLine::Kind::kBlank:
            case ProfileLine::Kind::kComment:
                break;
            }
        }
    }

    // The key's value as read (nothing when it is missing) and the line that holds it.
    struct Found {
        std::u16string value;
        int line = 0;
    };
    std::optional<Found> Value(std::string_view section, std::string_view key) const
    {
        auto it = m_values.find(std::string(section) + "/" + std::string(key));
        return it == m_values.end() ? std::nullopt : std::optional<Found>(it->second);
    }
    // The first header line of the section, else 1.
    int SectionLine(std::string_view section) const
    {
        auto it = m_sectionLines.find(std::string(section));
        return it == m_sectionLines.end() ? 1 : it->second;
    }
    const std::string& File() const { return m_file; }
    void Error(int line, std::string message) { m_report.Error(m_file, line, std::move(message)); }
    void Warning(int line, std::string message) { m_report.Warning(m_file, line, std::move(message)); }

private:
    void Error(const ProfileLine& line, std::string message) { Error(static_cast<int>(line.number), std::move(message)); }
    void Warning(const ProfileLine& line, std::string message)
    {
        Warning(static_cast<int>(line.number), std::move(message));
    }

    std::vector<std::string_view> Names(bool sections) const
    {
        std::vector<std::string_view> names;
        for (const IniKey& k : m_keys) {
            const std::string_view name = sections ? k.section : k.key;
            if (std::find(names.begin(), names.end(), name) == names.end())
                names.push_back(name);
        }
        return names;
    }

    // The canonical name of a known section (any case), or null; `read` tells whether its entries count.
    const std::string* OpenSection(const ProfileLine& line, bool& read)
    {
        const std::string name = ToUtf8(line.name);
        const auto known = std::find_if(m_keys.begin(), m_keys.end(),
                                        [&](const IniKey& k) { return EqualsNoCase(FromUtf8(k.section), line.name); });
        if (known == m_keys.end()) {
            Error(line, "unknown section [" + name + "]: nothing under it is read" + DidYouMean(name, Names(true)));
            return nullptr;
        }
        m_open = std::string(known->section);
        const bool first = m_sectionLines.emplace(m_open, static_cast<int>(line.number)).second;
        read = first || !FirstSectionOnly(m_open);
        if (!read)
            Warning(line, "a second [" + name + "] is never read: only the first section of a name is searched (line " +
                              std::to_string(SectionLine(m_open)) + "); move its keys there");
        return &m_open;
    }

    void Entry(const std::string& section, const ProfileLine& line)
    {
        const std::string key = ToUtf8(line.name);
        const auto known = std::find_if(m_keys.begin(), m_keys.end(), [&](const IniKey& k) {
            return EqualsNoCase(FromUtf8(k.key), line.name);
        });
        if (known == m_keys.end()) {
            Error(line, "unknown key " + key + " in [" + section + "] is never read" + DidYouMean(key, Names(false)));
            return;
        }
        if (known->section != section) {
            Error(line, std::string(known->key) + " is read from [" + std::string(known->section) + "]; under [" +
                            section + "] it is never read");
            return;
        }
        const std::string id = section + "/" + std::string(known->key);
        if (const auto earlier = m_values.find(id); earlier != m_values.end()) {
            Warning(line, std::string(known->key) + " is given twice; the first one counts (line " +
                              std::to_string(earlier->second.line) + "), this one is never read");
            return;
        }
        m_values.emplace(id, Found{line.value, static_cast<int>(line.number)});
        CheckValue(*known, line);
    }

    void OtherLine(const ProfileLine& line)
    {
        const std::u16string_view text = platform::TrimBlanks(line.text);
        if (!text.empty() && text.front() == u'[') {
            Error(line, "section header " + Quoted16(text) + " has no closing \"]\": the line is ignored, and the "
                                                             "keys below it count as part of the section before");
            return;
        }
        Warning(line, "this line is ignored: it is neither a [section], a key=value entry nor a comment (; or #)");
    }

    void CheckValue(const IniKey& key, const ProfileLine& line)
    {
        const std::string name(key.key);
        const std::u16string& value = line.value;
        switch (key.rule) {
        case Rule::kLoginAddress:
        case Rule::kExchangeAddress:
            CheckAddress(key, line);
            return;
        case Rule::kSwitch:
            if (!value.empty() && !StartsWithDecimal(value))
                Warning(line, name + " " + Quoted16(value) + " is not a whole number; the library reads it as 0 "
                                                             "(the PC identifier is not computed afresh); write 0 or 1");
            return;
        case Rule::kIdentityCode:
            if (value.size() > kIdentityValueChars)
                Error(line, name + " is " + std::to_string(value.size()) + " characters long; Parvex.so hands over at "
                                                                            "most 255, so the exchange receives an empty code");
            else if (HasTrailingComment(value))
                Warning(line, name + " " + Quoted16(value) + " holds a comment after the value; INI files have none, "
                                                             "so the exchange receives all of it");
            return;
        case Rule::kNeverAsked:
            Warning(line, name + " is read only by Parvex.so's VCC export, which the library never calls: "
                                 "it is not sent anywhere");
            return;
        }
    }

    void CheckAddress(const IniKey& key, const ProfileLine& line)
    {
        const std::string name(key.key);
        const bool login = key.rule == Rule::kLoginAddress;
        const std::u16string& value = line.value;
        if (value.empty())
            return;  // reported with the missing key
        const std::string consequence = login ? "every sign-in fails with -1"
                                              : "the upload fails, so the sign-in helper window gets no address and "
                                                "closes at once";
        if (value.size() > kLibraryValueChars) {
            Error(line, name + " is " + std::to_string(value.size()) +
                            " characters long; the library reads only its first 1023, so " + consequence);
            return;
        }
        std::string host;
        bool plainHttp = false;
        if (const std::string problem = AddressProblem(value, host, plainHttp); !problem.empty()) {
            Error(line, name + " " + Quoted16(value) + " is not an absolute http or https address (" + problem +
                            "): " + consequence + "; write it as http://HOST/PATH or https://HOST/PATH");
            return;
        }
        if (!plainHttp || IsLoopbackHost(host))
            return;
        if (login)
            Warning(line, "VomoLoginUrl uses plain http to " + host +
                              ": the login request carries the user's password in its address, so it crosses the "
                              "network unencrypted; use " + WithHttps(value));
        else
            Warning(line, "PreLoginFromInternet uses plain http to " + host +
                              ": the machine identity (PC identifier, OEM and area codes) crosses the network "
                              "unencrypted, and the address the window opens next can be altered on the way; use " +
                              WithHttps(value));
    }

    std::string m_file;
    std::vector<IniKey> m_keys;
    CheckReport& m_report;
    std::vector<ProfileLine> m_lines;
    std::string m_open;
    std::map<std::string, int> m_sectionLines;
    std::map<std::string, Found> m_values;
};

}  // namespace

void CheckOrvaneFile(const std::string& folder, CheckReport& report)
{
    IniCheck check(folder + "orvane.cfg",
                   {{"WebUrl", "VomoLoginUrl", Rule::kLoginAddress},
                    {"WebUrl", "PreLoginFromInternet", Rule::kExchangeAddress}},
                   report);
    if (!check.Load(platform::kMaxTextFileBytes)) {
        const bool exists = std::filesystem::exists(check.File());
        report.Error(check.File(), 1,
                     std::string(exists ? "cannot be read (not a regular file, unreadable or over 4 MiB)" : "not found") +
                         ": PreLogin has no login address, so every sign-in fails with -1, and the sign-in helper "
                         "window gets no address and closes at once; copy orvane.cfg from the shipped Config folder "
                         "and set [WebUrl] VomoLoginUrl and PreLoginFromInternet");
        return;
    }
    check.Run();
    const int at = check.SectionLine("WebUrl");
    const auto login = check.Value("WebUrl", "VomoLoginUrl");
    if (!login || login->value.empty())
        check.Error(login ? login->line : at, std::string(login ? "VomoLoginUrl is empty" : "no VomoLoginUrl in [WebUrl]") +
                                                   ": PreLogin sends its request to an empty address and every sign-in "
                                                   "fails with -1; set it to the login service's address");
    const auto exchange = check.Value("WebUrl", "PreLoginFromInternet");
    if (!exchange || exchange->value.empty())
        check.Warning(exchange ? exchange->line : at,
                      std::string(exchange ? "PreLoginFromInternet is empty" : "no PreLoginFromInternet in [WebUrl]") +
                          ": the sign-in helper window gets no address and closes at once with 1");
}

void CheckParvexFile(const std::string& folder, CheckReport& report)
{
    IniCheck check(folder + "Parvex.cfg",
                   {{"COMMON", "ForceGetPcid", Rule::kSwitch},
                    {"Identity", "OemID", Rule::kIdentityCode},
                    {"Identity", "AreaCode", Rule::kIdentityCode},
                    {"Identity", "VCC", Rule::kNeverAsked}},
                   report);
    // Parvex.so reads the file only up to 1 MiB, the library up to 4 MiB; the smaller bound decides.
    if (!check.Load(kParvexFileBytes)) {
        report.Warning(check.File(), 1,
                       "not found (or unreadable, or over 1 MiB): the exchange receives an empty OEM code and area "
                       "code; the library writes a new file with [COMMON] ForceGetPcid=0 at the first Redirect");
        return;
    }
    check.Run();
    for (const char* key : {"OemID", "AreaCode"}) {
        const auto found = check.Value("Identity", key);
        if (!found || found->value.empty())
            check.Warning(found ? found->line : check.SectionLine("Identity"),
                          std::string(found ? std::string(key) + " is empty" : "no " + std::string(key) + " in [Identity]") +
                              ": the exchange receives an empty " +
                              (std::string_view(key) == "OemID" ? "OEM code" : "area code"));
    }
}

}  // namespace tessaly::skincheck
