#include "login/AdapterIdentity.h"

#include "login/AdapterSource.h"
#include "support/WideText.h"

namespace tessaly {

void GetLocalIpAddress(std::u16string* address)
{
    if (!address)
        return;
    std::vector<std::u16string> addresses;
    GetAdapterIpList(&addresses, true);
    if (addresses.empty())
        GetAdapterIpList(&addresses, false);
    if (addresses.empty())
        address->clear();
    else
        *address = addresses.front();
}

void GetAdapterIpList(std::vector<std::u16string>* addresses, bool pciOnly)
{
    if (!addresses)
        return;
    const AdapterSource source = CurrentAdapterSource();
    if (!source.list)
        return;
    for (const platform::AdapterInfo& adapter : source.list()) {
        if (pciOnly && !IsPciAdapter(FromUtf8(adapter.name)))
            continue;
        addresses->push_back(FromUtf8(adapter.ipv4.empty() ? std::string("0.0.0.0") : adapter.ipv4));
    }
}

bool IsPciAdapter(const std::u16string& adapterName)
{
    const AdapterSource source = CurrentAdapterSource();
    return source.isPci && source.isPci(ToUtf8(adapterName));
}

}  // namespace tessaly
