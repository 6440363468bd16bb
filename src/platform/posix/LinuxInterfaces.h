#pragma once
// The Linux side of NetworkAdapters.h, open to tests: the interface list as getifaddrs gives it, and
// the PCI test below any sysfs root.
#include <string>
#include <vector>

#include "platform/NetworkAdapters.h"

namespace tessaly::platform {

// One record of the system's interface list, in the kernel's order: either an interface (with its
// index) or one IPv4 address, named by its label ("eth0", or an alias label such as "eth0:1").
struct InterfaceRecord {
    std::string name;
    unsigned index = 0;     // interface index of an interface record; 0 for an address record
    bool loopback = false;
    std::string ipv4;       // dotted address of an address record; empty for an interface record
};

// The system's interface list (getifaddrs): interface records first, then IPv4 addresses.
std::vector<InterfaceRecord> SystemInterfaces();

// Adapters in interface-index order, loopback left out. An alias label counts as its interface, so
// an adapter lists the addresses of all its labels in the order the records give them.
std::vector<AdapterInfo> ListAdapters(const std::vector<InterfaceRecord>& records);

// IsPciNetworkDevice below `sysfsRoot` ("/sys" for the system; tests point it at a fake tree):
// <sysfsRoot>/class/net/<name>/device/subsystem names the "pci" bus, or the device is a virtio device
// whose parent device is on the PCI bus.
bool IsPciNetworkDeviceUnder(const std::string& name, const std::string& sysfsRoot);

}  // namespace tessaly::platform
