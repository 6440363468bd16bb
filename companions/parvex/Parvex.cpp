// Machine-information library: a stable PC identifier and the codes this installation was set up
// with.
//
// The PC identifier is the first 16 bytes of SHA-256 over the system's machine id (SystemIdentity.h),
// in upper-case hex (32 characters); it never reveals the machine id itself. The OEM, area and VCC
// codes come from section "Identity" of Parvex.cfg in the Config folder beside this library (keys
// "OemID", "AreaCode", "VCC").

#include "CompanionExport.h"
#include "Crypto.h"
#include "Environment.h"
#include "ParvexSettings.h"
#include "SystemIdentity.h"
#include "Utf16.h"

#include <fstream>
#include <mutex>
#include <optional>
#include <string>

namespace {

constexpr std::size_t kPcidDigestBytes = 16;

std::mutex g_cacheLock;
std::optional<std::u16string> g_cachedPcid;

std::filesystem::path SettingsPath() { return parvex::LibraryFolder() / "Config" / "Parvex.cfg"; }

// PARVEX_MACHINE_ID_FILE lets tests and containers without a machine id name another source.
std::optional<std::string> ReadMachineId()
{
    const auto overridden = companion::EnvironmentPath("PARVEX_MACHINE_ID_FILE");
    if (!overridden)
        return parvex::SystemMachineId();
    std::ifstream in(*overridden);
    std::string id;
    if (!in || !std::getline(in, id))
        return std::nullopt;
    return parvex::CleanMachineId(id);
}

std::optional<std::u16string> ComputePcid()
{
    const auto id = ReadMachineId();
    if (!id)
        return std::nullopt;
    const std::string salted = "Tessaly PC identifier\n" + *id;
    companion::crypto::Digest digest{};
    if (!companion::crypto::Sha256(reinterpret_cast<const unsigned char*>(salted.data()), salted.size(), digest))
        return std::nullopt;
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    std::u16string pcid;
    for (std::size_t i = 0; i < kPcidDigestBytes; ++i) {
        pcid += kHex[digest[i] >> 4];
        pcid += kHex[digest[i] & 0x0F];
    }
    return pcid;
}

std::optional<std::u16string> Pcid(bool recompute)
{
    std::lock_guard lock(g_cacheLock);
    if (recompute || !g_cachedPcid)
        g_cachedPcid = ComputePcid();
    return g_cachedPcid;
}

int ReadIdentity(const char* key, char16_t* buffer, int capacity)
{
    const auto value = parvex::ReadIniValue(SettingsPath(), "Identity", key);
    if (!value || value->empty()) {
        companion::CopyOut(u"", buffer, capacity);
        return 0;
    }
    return companion::CopyOut(companion::FromUtf8(*value), buffer, capacity) ? 1 : 0;
}

}  // namespace

namespace parvex {

std::optional<std::string> CleanMachineId(std::string id)
{
    while (!id.empty() && (id.back() == ' ' || id.back() == '\r' || id.back() == '\t' || id.back() == '\n'))
        id.pop_back();
    if (id.empty() || id.size() > 256)
        return std::nullopt;
    return id;
}

}  // namespace parvex

// Every export writes a NUL-terminated value into `buffer` (`capacity` units) and returns 1, or
// returns 0 and leaves the empty string: no value, or a value that does not fit whole.

// flag 1 recomputes the identifier; otherwise the value computed earlier in this process is reused.
COMPANION_EXPORT int PVXGetPCID(char16_t* buffer, int capacity, int flag)
{
    const auto pcid = Pcid(flag == 1);
    if (!pcid) {
        companion::CopyOut(u"", buffer, capacity);
        return 0;
    }
    return companion::CopyOut(*pcid, buffer, capacity) ? 1 : 0;
}

COMPANION_EXPORT int PVXGetOemID(char16_t* buffer, int capacity, int /*flag*/)
{
    return ReadIdentity("OemID", buffer, capacity);
}

COMPANION_EXPORT int PVXGetAreaCode(char16_t* buffer, int capacity, int /*flag*/)
{
    return ReadIdentity("AreaCode", buffer, capacity);
}

COMPANION_EXPORT int PVXGetVCC(char16_t* buffer, int capacity, int /*flag*/)
{
    return ReadIdentity("VCC", buffer, capacity);
}
