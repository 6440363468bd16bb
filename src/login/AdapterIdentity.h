#pragma once
// The local IPv4 address that the login request carries, preferring adapters on the PCI bus.
#include <string>
#include <vector>

namespace tessaly {

// The first address of a PCI adapter; failing that the first address of any adapter; else empty.
void GetLocalIpAddress(std::u16string* address);

// Appends the address of every adapter (only PCI adapters when `pciOnly`), in the source's order.
void GetAdapterIpList(std::vector<std::u16string>* addresses, bool pciOnly);

// True when the named adapter sits on the PCI bus; an unknown adapter is not PCI.
bool IsPciAdapter(const std::u16string& adapterName);

}  // namespace tessaly
