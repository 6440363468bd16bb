#pragma once
// The list of network adapters with their first IPv4 address.
#include <string>
#include <vector>

namespace tessaly::platform {

struct AdapterInfo {
    std::string name;         // interface name, e.g. "enp0s3"
    unsigned index = 0;       // interface index; the list is sorted by it
    std::string ipv4;         // dotted address; "0.0.0.0" when the adapter has none
    bool isPci = false;       // the adapter's device sits on the PCI bus
};

// Adapters in interface-index order, loopback left out. `sysfsRoot` is where the PCI test looks
// (normally "/sys"; tests point it at a fake tree).
std::vector<AdapterInfo> ListAdapters(const std::string& sysfsRoot = "/sys");

// True when <sysfsRoot>/class/net/<name>/device/subsystem resolves to a folder named "pci", or the
// device is a virtio device whose parent device is on the PCI bus (a virtual machine's adapter).
bool IsPciNetworkDevice(const std::string& name, const std::string& sysfsRoot = "/sys");

}  // namespace tessaly::platform
