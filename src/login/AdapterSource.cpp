#include "login/AdapterSource.h"

#include <mutex>

namespace tessaly {
namespace {

std::mutex g_sourceMutex;
std::optional<AdapterSource> g_testSource;

}  // namespace

AdapterSource SystemAdapterSource()
{
    return AdapterSource{
        [] { return platform::ListAdapters(); },
        [](const std::string& name) { return platform::IsPciNetworkDevice(name); },
    };
}

AdapterSource CurrentAdapterSource()
{
    std::lock_guard lock(g_sourceMutex);
    return g_testSource ? *g_testSource : SystemAdapterSource();
}

void SetAdapterSourceForTesting(std::optional<AdapterSource> source)
{
    std::lock_guard lock(g_sourceMutex);
    g_testSource = std::move(source);
}

}  // namespace tessaly
