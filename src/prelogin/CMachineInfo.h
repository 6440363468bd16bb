#pragma once
// Reads the machine's identity (PC identifier, OEM code, channel code) through the in-house
// machine-information library. The library stays loaded for the object's lifetime only.
#include <cstdint>
#include <string>

#include "support/ClassSafeGetProcess.h"

namespace tessaly {

class CMachineInfo {
public:
    CMachineInfo() = default;
    ~CMachineInfo();
    CMachineInfo(const CMachineInfo&) = delete;
    CMachineInfo& operator=(const CMachineInfo&) = delete;

    // Loads folder + dllName (an empty folder means this library's folder) and resolves the four
    // exports; a missing library or export leaves its address null. Always true.
    bool LoadExports(const std::u16string& folder, const std::u16string& dllName);

    // Reads the PC identifier, forced once when the "ForceGetPcid" switch of cfgPath is set (the
    // switch is then reset to "0"). True when `value` is non-empty afterwards.
    bool GetPCID(const std::u16string& cfgPath, std::u16string& value);

    // OEM code and channel code (the library's area code). True when `value` is non-empty afterwards.
    bool GetOEMCode(std::u16string& value);
    bool GetChanCode(std::u16string& value);

    // Capacity of the value buffer handed to the library, in UTF-16 units (terminator included).
    static constexpr std::int32_t kValueCapacity = 256;

private:
    using ValueFunction = std::int32_t (*)(char16_t* buffer, std::int32_t capacity, std::int32_t flag);

    ClassSafeGetProcess m_loader;
    ValueFunction m_pfnGetPCID = nullptr;
    ValueFunction m_pfnGetVCC = nullptr;  // resolved, never called
    ValueFunction m_pfnGetOemID = nullptr;
    ValueFunction m_pfnGetAreaCode = nullptr;
};

}  // namespace tessaly
