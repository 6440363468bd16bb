#include "platform/NetworkAdapters.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace tessaly::platform {

namespace {

std::optional<std::string> RealPath(const std::string& path)
{
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    if (!real)
        return std::nullopt;
    return std::string(real.get());
}

// True when <deviceDir>/subsystem resolves to a folder named `bus`.
bool SubsystemIs(const std::string& deviceDir, const std::string& bus)
{
    const std::optional<std::string> target = RealPath(deviceDir + "/subsystem");
    const std::string tail = "/" + bus;
    return target && target->size() >= tail.size() &&
           target->compare(target->size() - tail.size(), tail.size(), tail) == 0;
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

}  // namespace

std::vector<AdapterInfo> ListAdapters(const std::string& sysfsRoot)
{
    ifaddrs* raw = nullptr;
    if (::getifaddrs(&raw) != 0)
        return {};
    IfAddrsPtr list(raw, &::freeifaddrs);
    std::map<std::string, AdapterInfo> byName;
    for (const ifaddrs* entry = list.get(); entry; entry = entry->ifa_next) {
        if (!entry->ifa_name || (entry->ifa_flags & IFF_LOOPBACK))
            continue;
        auto [it, added] = byName.try_emplace(entry->ifa_name);
        AdapterInfo& info = it->second;
        if (added) {
            info.name = entry->ifa_name;
            info.index = ::if_nametoindex(entry->ifa_name);
            info.ipv4 = "0.0.0.0";
            info.isPci = IsPciNetworkDevice(info.name, sysfsRoot);
        }
        if (entry->ifa_addr && entry->ifa_addr->sa_family == AF_INET && info.ipv4 == "0.0.0.0")
            info.ipv4 = DottedAddress(entry->ifa_addr);
    }
    std::vector<AdapterInfo> adapters;
    for (auto& [name, info] : byName)
        adapters.push_back(std::move(info));
    std::stable_sort(adapters.begin(), adapters.end(),
                     [](const AdapterInfo& a, const AdapterInfo& b) { return a.index < b.index; });
    return adapters;
}

bool IsPciNetworkDevice(const std::string& name, const std::string& sysfsRoot)
{
    if (!IsSafeInterfaceName(name) || sysfsRoot.empty() || sysfsRoot.find('\0') != std::string::npos)
        return false;
    const std::string device = sysfsRoot + "/class/net/" + name + "/device";
    if (SubsystemIs(device, "pci"))
        return true;
    // A paravirtual adapter (virtio, as in most virtual machines) is a child of the PCI function that
    // carries it; that PCI device is the adapter's hardware, so it counts as a PCI adapter too.
    if (!SubsystemIs(device, "virtio"))
        return false;
    const std::optional<std::string> real = RealPath(device);
    if (!real)
        return false;
    const std::size_t slash = real->rfind('/');
    return slash != std::string::npos && slash > 0 && SubsystemIs(real->substr(0, slash), "pci");
}

}  // namespace tessaly::platform
