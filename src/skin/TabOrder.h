#pragma once
// The explicit Tab order of a dialog: which entry of the list gets the focus next.
#include <cstddef>
#include <optional>

namespace tessaly {

// The entry after `current`; the first one when nothing in the list holds the focus or the last one
// does. `count` must not be 0.
inline std::size_t NextTabIndex(std::size_t count, std::optional<std::size_t> current)
{
    return current && *current + 1 < count ? *current + 1 : 0;
}

}  // namespace tessaly
