// A build without a window toolkit has no toolkit libraries to keep loaded.
#include "module/ToolkitPin.h"

namespace tessaly {

void PinToolkitLibraries() noexcept {}

}  // namespace tessaly
