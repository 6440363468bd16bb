#include "browser/BrowserHosting.h"

namespace tessaly {

bool StartBrowserHosting() { return false; }
void StopBrowserHosting() {}

}  // namespace tessaly
