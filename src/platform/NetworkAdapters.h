#pragma once
// The machine's network adapters with their IPv4 addresses, and whether an adapter sits on the PCI bus.
#include <string>
#include <vector>

namespace tessaly::platform {

struct AdapterInfo {
    std::string name;                // the system's adapter name ("enp0s3"; an adapter GUID on Windows)
    unsigned index = 0;              // interface index
    std::vector<std::string> ipv4;   // every IPv4 address in the system's order; empty when none
};

// Adapters in the system's stable order (interface index on Linux, the adapter table's order on
// Windows), loopback left out.
std::vector<AdapterInfo> ListAdapters();

// True when the named adapter is a PCI device: on Linux its sysfs device sits on the "pci" bus (or is
// a virtio device whose parent does, as in a virtual machine); on Windows its PnpInstanceID in the
// registry names PCI. False for an unknown name.
bool IsPciNetworkDevice(const std::string& name);

}  // namespace tessaly::platform
