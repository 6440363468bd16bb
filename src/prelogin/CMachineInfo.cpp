#include "prelogin/CMachineInfo.h"

#include <array>

#include "platform/IniFile.h"
#include "support/CLogTrace.h"
#include "support/PathHelpers.h"
#include "support/WideText.h"

namespace tessaly {

namespace {

constexpr char16_t kSection[] = u"COMMON";
constexpr char16_t kForceKey[] = u"ForceGetPcid";

using ValueBuffer = std::array<char16_t, CMachineInfo::kValueCapacity>;

// The library promises a NUL-terminated value, but the last unit is cleared anyway so a library that
// fills the whole buffer cannot make us read past it.
std::u16string TakeValue(ValueBuffer& buffer)
{
    buffer.back() = u'\0';
    return std::u16string(buffer.data());
}

bool ReadSimpleValue(std::int32_t (*function)(char16_t*, std::int32_t, std::int32_t), std::u16string& value)
{
    if (function) {
        ValueBuffer buffer{};
        function(buffer.data(), CMachineInfo::kValueCapacity, 0);  // the result is not consulted
        value = TakeValue(buffer);
    }
    return !value.empty();
}

}  // namespace

CMachineInfo::~CMachineInfo()
{
    m_loader.Free();
}

bool CMachineInfo::LoadExports(const std::u16string& folder, const std::u16string& dllName)
{
    const std::u16string dir = folder.empty() ? GetModuleDir(LibraryInstance()) : folder;
    const std::u16string path = dir + dllName;
    m_pfnGetPCID = m_loader.GetProcAs<ValueFunction>(path, u"PVXGetPCID");
    m_pfnGetVCC = m_loader.GetProcAs<ValueFunction>(path, u"PVXGetVCC");
    m_pfnGetOemID = m_loader.GetProcAs<ValueFunction>(path, u"PVXGetOemID");
    m_pfnGetAreaCode = m_loader.GetProcAs<ValueFunction>(path, u"PVXGetAreaCode");
    return true;
}

bool CMachineInfo::GetPCID(const std::u16string& cfgPath, std::u16string& value)
{
    std::u16string forceText;
    ReadIniString(kSection, kForceKey, u"1", &forceText, cfgPath, 1024);
    const bool force = WToI(forceText) != 0;
    if (!m_pfnGetPCID)
        return !value.empty();

    ValueBuffer buffer{};
    if (force) {
        m_pfnGetPCID(buffer.data(), kValueCapacity, 1);
        // A host user who may not write the settings file still gets the identifier; forcing then
        // simply stays on for the next read. No settings file at all when the library's folder is unknown.
        if (!cfgPath.empty() && !platform::WriteProfileEntry(kSection, kForceKey, u"0", cfgPath))
            g_LogTrace.Trace(4, u"--Write ForceGetPcid=0 failed, Path is %s", cfgPath);
    } else if (m_pfnGetPCID(buffer.data(), kValueCapacity, 0) == 0) {
        // One forced retry on the same buffer.
        m_pfnGetPCID(buffer.data(), kValueCapacity, 1);
    }
    value = TakeValue(buffer);
    return !value.empty();
}

bool CMachineInfo::GetOEMCode(std::u16string& value)
{
    return ReadSimpleValue(m_pfnGetOemID, value);
}

bool CMachineInfo::GetChanCode(std::u16string& value)
{
    return ReadSimpleValue(m_pfnGetAreaCode, value);
}

}  // namespace tessaly
