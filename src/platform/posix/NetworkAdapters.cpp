#include "platform/posix/LinuxInterfaces.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>

namespace tessaly::platform {

namespace {

// The last component of the symbolic link at `path`. One readlink: the kernel follows the links on
// the way there itself, so no component is resolved from here.
std::optional<std::string> LinkLastComponent(const std::string& path)
{
    std::array<char, PATH_MAX> target{};
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size())
        return std::nullopt;
    std::string_view text(target.data(), static_cast<std::size_t>(length));
    while (text.size() > 1 && text.back() == '/')
        text.remove_suffix(1);
    const std::size_t slash = text.rfind('/');
    return std::string(slash == std::string_view::npos ? text : text.substr(slash + 1));
}

using IfAddrsPtr = std::unique_ptr<ifaddrs, decltype(&::freeifaddrs)>;

bool IsSafeInterfaceName(const std::string& name)
{
    return !name.empty() && name.size() < IF_NAMESIZE && name != "." && name != ".." &&
           name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

std::string DottedAddress(const sockaddr* address)
{
    char text[INET_ADDRSTRLEN] = {};
    const auto* in = reinterpret_cast<const sockaddr_in*>(address);
    if (!::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text))
        return "0.0.0.0";
    return text;
}

// The interface an address label belongs to: "eth0:1" is an alias label on "eth0".
std::string InterfaceOfLabel(const std::string& label)
{
    return label.substr(0, label.find(':'));
}

}  // namespace

std::vector<InterfaceRecord> SystemInterfaces()
{
    ifaddrs* raw = nullptr;
    if (::getifaddrs(&raw) != 0)
        return {};
    IfAddrsPtr list(raw, &::freeifaddrs);
    std::vector<InterfaceRecord> records;
    for (const ifaddrs* entry = list.get(); entry; entry = entry->ifa_next) {
        if (!entry->ifa_name)
            continue;
        InterfaceRecord record{entry->ifa_name, 0, (entry->ifa_flags & IFF_LOOPBACK) != 0, {}};
        const int family = entry->ifa_addr ? entry->ifa_addr->sa_family : AF_UNSPEC;
        if (family == AF_INET)
            record.ipv4 = DottedAddress(entry->ifa_addr);
        else if (family == AF_PACKET)  // an interface record carries its index
            record.index = static_cast<unsigned>(reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr)->sll_ifindex);
        else if (family == AF_UNSPEC)  // an interface without a hardware address (a tunnel, say)
            record.index = ::if_nametoindex(entry->ifa_name);
        else
            continue;
        records.push_back(std::move(record));
    }
    return records;
}

std::vector<AdapterInfo> ListAdapters(const std::vector<InterfaceRecord>& records)
{
    std::vector<AdapterInfo> adapters;
    std::unordered_map<std::string, std::size_t> byName;
    for (const InterfaceRecord& record : records) {
        if (record.loopback)
            continue;
        const std::string name = InterfaceOfLabel(record.name);
        if (name.empty())
            continue;
        auto [it, added] = byName.try_emplace(name, adapters.size());
        if (added)
            adapters.push_back(AdapterInfo{name, 0, {}});
        AdapterInfo& adapter = adapters[it->second];
        if (record.index != 0)
            adapter.index = record.index;
        if (!record.ipv4.empty())
            adapter.ipv4.push_back(record.ipv4);
    }
    std::stable_sort(adapters.begin(), adapters.end(),
                     [](const AdapterInfo& a, const AdapterInfo& b) { return a.index < b.index; });
    return adapters;
}

std::vector<AdapterInfo> ListAdapters()
{
    return ListAdapters(SystemInterfaces());
}

bool IsPciNetworkDeviceUnder(const std::string& name, const std::string& sysfsRoot)
{
    if (!IsSafeInterfaceName(name) || sysfsRoot.empty() || sysfsRoot.find('\0') != std::string::npos)
        return false;
    const std::string device = sysfsRoot + "/class/net/" + name + "/device";
    const std::optional<std::string> bus = LinkLastComponent(device + "/subsystem");
    if (bus == "pci")
        return true;
    // A paravirtual adapter (virtio, as in most virtual machines) is a child of the PCI function that
    // carries it; that PCI device is the adapter's hardware, so it counts as a PCI adapter too. The
    // kernel takes ".." after following the device link, so this is the carrying device's bus.
    return bus == "virtio" && LinkLastComponent(device + "/../subsystem") == "pci";
}

bool IsPciNetworkDevice(const std::string& name)
{
    return IsPciNetworkDeviceUnder(name, "/sys");
}

}  // namespace tessaly::platform
