// A build without a window toolkit has no toolkit libraries to keep loaded.
#include "toolkit/ToolkitPin.h"

namespace tessaly::toolkit {

void PinToolkitLibraries() noexcept {}

}  // namespace tessaly::toolkit
