#include "platform/NetworkAdapters.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>

namespace tessaly::platform {

namespace {

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
    const std::string link = sysfsRoot + "/class/net/" + name + "/device/subsystem";
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(link.c_str(), nullptr), &std::free);
    if (!real)
        return false;
    const std::string target(real.get());
    return target.size() >= 4 && target.compare(target.size() - 4, 4, "/pci") == 0;
}

}  // namespace tessaly::platform
