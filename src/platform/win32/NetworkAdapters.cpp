// Network adapters on Windows: the IP helper's adapter table, and the adapter's PnpInstanceID in the
// registry for the PCI test.
#include "platform/NetworkAdapters.h"

#include <iphlpapi.h>

#include <variant>
#include <vector>

#include "platform/SettingsStore.h"
#include "platform/TextEncoding.h"
#include "platform/win32/Win32Support.h"

namespace tessaly::platform {

std::vector<AdapterInfo> ListAdapters()
{
    // Asked for the size first; the table may grow between the two calls, so the size is asked again
    // a few times rather than once.
    std::vector<unsigned char> buffer;
    ULONG bytes = 0;
    DWORD result = ::GetAdaptersInfo(nullptr, &bytes);
    for (int attempt = 0; attempt < 4 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.assign(bytes, 0);
        result = ::GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &bytes);
    }
    std::vector<AdapterInfo> adapters;
    if (result != NO_ERROR || buffer.empty())
        return adapters;
    for (auto* entry = reinterpret_cast<const IP_ADAPTER_INFO*>(buffer.data()); entry; entry = entry->Next) {
        AdapterInfo adapter;
        adapter.name.assign(entry->AdapterName, strnlen(entry->AdapterName, sizeof entry->AdapterName));
        adapter.index = entry->Index;
        for (const IP_ADDR_STRING* address = &entry->IpAddressList; address; address = address->Next)
            adapter.ipv4.emplace_back(address->IpAddress.String,
                                      strnlen(address->IpAddress.String, sizeof address->IpAddress.String));
        adapters.push_back(std::move(adapter));
    }
    return adapters;
}

bool IsPciNetworkDevice(const std::string& name)
{
    // The name is a GUID in braces; anything that could step to another key is refused.
    if (name.empty() || name.size() > 64 || name.find_first_of("\\/") != std::string::npos ||
        name.find('\0') != std::string::npos)
        return false;
    const std::u16string key = u"System\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\" +
                               Utf8ToUtf16(name) + u"\\Connection";
    const auto value = ReadSetting(key, u"PnpInstanceID");
    const auto* text = value ? std::get_if<std::u16string>(&*value) : nullptr;
    if (!text)
        return false;
    std::u16string upper = *text;
    for (char16_t& unit : upper)
        if (unit >= u'a' && unit <= u'z')
            unit = static_cast<char16_t>(unit - u'a' + u'A');
    return upper.find(u"PCI") != std::u16string::npos;
}

}  // namespace tessaly::platform
