#pragma once
// Where the login service learns about the machine's network adapters: the system by default, a
// fixed list in tests.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/NetworkAdapters.h"

namespace tessaly {

struct AdapterSource {
    // Adapters in a stable order, each with its IPv4 addresses.
    std::function<std::vector<platform::AdapterInfo>()> list;
    // Whether the adapter of that name sits on the PCI bus; false for an unknown name.
    std::function<bool(const std::string& name)> isPci;
};

// The system's adapters, with PCI membership looked up only when asked for.
AdapterSource SystemAdapterSource();

// The source in use: the one set for testing, else the system's.
AdapterSource CurrentAdapterSource();

// Test seam: replaces the system's adapters until called again with std::nullopt.
void SetAdapterSourceForTesting(std::optional<AdapterSource> source);

}  // namespace tessaly
