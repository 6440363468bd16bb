#pragma once
// The machine's network adapters with their IPv4 addresses, and whether an adapter sits on the PCI bus.
#include <string>
#include <vector>

namespace tessaly::platform {

// One record of the system's interface list, in the kernel's order: either an interface (with its
// index) or one IPv4 address, named by its label ("eth0", or an alias label such as "eth0:1").
struct InterfaceRecord {
    std::string name;
    unsigned index = 0;     // interface index of an interface record; 0 for an address record
    bool loopback = false;
    std::string ipv4;       // dotted address of an address record; empty for an interface record
};

struct AdapterInfo {
    std::string name;                // interface name, e.g. "enp0s3"
    unsigned index = 0;              // interface index; the list is sorted by it
    std::vector<std::string> ipv4;   // every IPv4 address in the kernel's order; empty when none
};

// The system's interface list (getifaddrs): interface records first, then IPv4 addresses.
std::vector<InterfaceRecord> SystemInterfaces();

// Adapters in interface-index order, loopback left out. An alias label counts as its interface, so
// an adapter lists the addresses of all its labels in the order the records give them.
std::vector<AdapterInfo> ListAdapters(const std::vector<InterfaceRecord>& records);
std::vector<AdapterInfo> ListAdapters();  // of the system's interface list

// True when <sysfsRoot>/class/net/<name>/device/subsystem names the "pci" bus, or the device is a
// virtio device whose parent device is on the PCI bus (a virtual machine's adapter). `sysfsRoot` is
// normally "/sys"; tests point it at a fake tree.
bool IsPciNetworkDevice(const std::string& name, const std::string& sysfsRoot = "/sys");

}  // namespace tessaly::platform
