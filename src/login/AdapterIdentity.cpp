#include "login/AdapterIdentity.h"

#include "login/AdapterSource.h"
#include "support/WideText.h"

namespace tessaly {
namespace {

constexpr char kNoAddress[] = "0.0.0.0";

// Appends every address of the adapter; an adapter without one is listed as 0.0.0.0.
void AppendAddresses(const platform::AdapterInfo& adapter, std::vector<std::u16string>& addresses)
{
    if (adapter.ipv4.empty())
        addresses.push_back(FromUtf8(kNoAddress));
    for (const std::string& address : adapter.ipv4)
        addresses.push_back(FromUtf8(address));
}

std::u16string FirstAddress(const platform::AdapterInfo& adapter)
{
    return FromUtf8(adapter.ipv4.empty() ? std::string(kNoAddress) : adapter.ipv4.front());
}

}  // namespace

// Every adapter lists at least one address (0.0.0.0 when it has none), so the first PCI adapter gives
// the address and the walk stops there; only without any PCI adapter is the first adapter taken.
void GetLocalIpAddress(std::u16string* address)
{
    if (!address)
        return;
    address->clear();
    const AdapterSource source = CurrentAdapterSource();
    if (!source.list)
        return;
    const std::vector<platform::AdapterInfo> adapters = source.list();
    for (const platform::AdapterInfo& adapter : adapters) {
        if (source.isPci && source.isPci(adapter.name)) {
            *address = FirstAddress(adapter);
            return;
        }
    }
    if (!adapters.empty())
        *address = FirstAddress(adapters.front());
}

void GetAdapterIpList(std::vector<std::u16string>* addresses, bool pciOnly)
{
    if (!addresses)
        return;
    const AdapterSource source = CurrentAdapterSource();
    if (!source.list)
        return;
    for (const platform::AdapterInfo& adapter : source.list()) {
        if (!pciOnly || (source.isPci && source.isPci(adapter.name)))
            AppendAddresses(adapter, *addresses);
    }
}

bool IsPciAdapter(const std::u16string& adapterName)
{
    const AdapterSource source = CurrentAdapterSource();
    return source.isPci && source.isPci(ToUtf8(adapterName));
}

}  // namespace tessaly
