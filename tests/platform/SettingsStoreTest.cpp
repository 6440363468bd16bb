#include <gtest/gtest.h>

#include "platform/FileIO.h"
#include "platform/SettingsStore.h"
#include "platform/posix/SettingsStoreFile.h"
#include "common/ScopedEnv.h"
#include "common/TempDir.h"

namespace tessaly::platform {
namespace {

using test::ScopedEnv;
using test::TempDir;

constexpr std::string_view kStore =
    "REGEDIT4\r\n"
    "\r\n"
    "; tracing switches\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\pelmorix\\Orvane3.0]\r\n"
    "\"Debug\"=\"1\"\r\n"
    "\"Level\"=dword:0000001f\r\n"
    "\"Path\"=\"C:\\\\Program Files\\\\\\\"quoted\\\"\"\r\n"
    "\"Blob\"=hex:01,02,\\\r\n"
    "  03,04\r\n"
    "\"Multi\"=hex(7):41,00,00,00\r\n"
    "@=\"the default\"\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\SOFTWARE\\pelmorix\\Orvane3.0]\r\n"
    "\"Debug\"=\"user\"\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n"
    "\"QuillonDebugFlag\"=dword:00000001\r\n";

constexpr std::u16string_view kKey = u"SOFTWARE\\pelmorix\\Orvane3.0";

std::optional<SettingValue> Find(std::u16string_view key, std::u16string_view name, std::string_view text = kStore)
{
    return FindSettingInText(text, key, name);
}

TEST(SettingsStore, ReadsStringsAndNumbersOfTheMachineRootOnly)
{
    EXPECT_EQ(Find(u"SOFTWARE\\pelmorix\\Orvane3.0", u"Debug"), SettingValue(u"1"));
    EXPECT_EQ(Find(u"SOFTWARE\\pelmorix\\Orvane3.0", u"Level"), SettingValue(0x1Fu));
    EXPECT_EQ(Find(u"SOFTWARE", u"QuillonDebugFlag"), SettingValue(1u));
    EXPECT_EQ(Find(u"SOFTWARE\\pelmorix\\Orvane3.0", u"Path"), SettingValue(u"C:\\Program Files\\\"quoted\""));
    EXPECT_EQ(Find(u"SOFTWARE\\pelmorix\\Orvane3.0", u"@"), SettingValue(u"the default"));
    EXPECT_EQ(Find(u"SOFTWARE\\pelmorix\\Orvane3.0", u""), SettingValue(u"the default"));
}

TEST(SettingsStore, NamesCompareWithoutRegardToCase)
{
    EXPECT_EQ(Find(u"software\\PELMORIX\\orvane3.0", u"DEBUG"), SettingValue(u"1"));
    EXPECT_EQ(Find(u"Software", u"quillondebugflag"), SettingValue(1u));
    EXPECT_EQ(Find(u"SOFTWARE\\pelmorix\\Orvane3.0\\", u"debug"), SettingValue(u"1"));
}

TEST(SettingsStore, OtherTypesMissingNamesAndOtherKeysReadAsNoValue)
{
    EXPECT_FALSE(Find(kKey, u"Blob"));
    EXPECT_FALSE(Find(kKey, u"Multi"));
    EXPECT_FALSE(Find(kKey, u"Missing"));
    EXPECT_FALSE(Find(u"SOFTWARE\\pelmorix", u"Debug"));
    // The value under HKEY_CURRENT_USER must not leak into the machine root.
    EXPECT_FALSE(Find(u"SOFTWARE", u"Debug"));
    // The continuation line of the hex value is not mistaken for a value of its own.
    EXPECT_FALSE(Find(kKey, u"03,04"));
}

TEST(SettingsStore, MalformedLinesAreSkippedWithoutHidingGoodOnes)
{
    constexpr std::string_view text =
        "[HKEY_LOCAL_MACHINE\\K]\n"
        "\"Unterminated=\"1\"\n"
        "\"NoEquals\" \"1\"\n"
        "\"BadDword\"=dword:12345678Z\n"
        "\"LongDword\"=dword:123456789\n"
        "\"Trailing\"=\"1\" junk\n"
        "=\"nameless\"\n"
        "[HKEY_LOCAL_MACHINE\\K\n"
        "\"Good\"=\"yes\"\n";
    for (auto name : {u"Unterminated", u"NoEquals", u"BadDword", u"LongDword", u"Trailing"})
        EXPECT_FALSE(Find(u"K", name, text)) << std::string(name, name + std::char_traits<char16_t>::length(name));
    // A broken section header ends the section: "Good" belongs to no key.
    EXPECT_FALSE(Find(u"K", u"Good", text));
}

TEST(SettingsStore, LaterAssignmentsWinAndDeletionRemoves)
{
    constexpr std::string_view text =
        "[HKEY_LOCAL_MACHINE\\K]\n\"A\"=\"1\"\n\"B\"=\"1\"\n"
        "[HKEY_LOCAL_MACHINE\\k]\n\"a\"=\"2\"\n\"B\"=-\n";
    EXPECT_EQ(Find(u"K", u"A", text), SettingValue(u"2"));
    EXPECT_FALSE(Find(u"K", u"B", text));
}

TEST(SettingsStore, Utf16FilesWithByteOrderMarkAreRead)
{
    const std::u16string text = u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"Name\"=\"\u00e9t\u00e9\"\r\n";
    std::string bytes("\xFF\xFE");
    for (char16_t c : text)
        bytes += static_cast<char>(c & 0xFF), bytes += static_cast<char>(c >> 8);
    EXPECT_EQ(Find(u"K", u"name", bytes), SettingValue(u"\u00e9t\u00e9"));
}

TEST(SettingsStore, FileComesFromTheEnvironmentAndBadFilesReadAsEmpty)
{
    TempDir dir;
    test::WriteFile(dir.file("store.reg"), kStore);
    std::string huge(kMaxTextFileBytes + 1, ';');
    huge.replace(0, kStore.size(), kStore);
    test::WriteFile(dir.file("huge.reg"), huge);
    // A missing file, a folder, or a file over the size limit, is no settings store.
    const std::pair<std::string, std::optional<SettingValue>> cases[] = {
        {dir.file("missing.reg"), std::nullopt},
        {dir.file("store.reg"), SettingValue(1u)},
        {dir.path().string(), std::nullopt},
        {dir.file("huge.reg"), std::nullopt},
    };
    for (const auto& [path, expected] : cases) {
        ScopedEnv env("TESSALY_REGISTRY", path);
        EXPECT_EQ(SettingsStorePath(), path);
        EXPECT_EQ(ReadSetting(u"SOFTWARE", u"QuillonDebugFlag"), expected) << path;
    }
    ScopedEnv unset("TESSALY_REGISTRY", std::nullopt);
    EXPECT_EQ(SettingsStorePath(), "/etc/tessaly/registry.reg");
}

}  // namespace
}  // namespace tessaly::platform
