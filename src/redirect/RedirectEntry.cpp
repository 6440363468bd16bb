#include "redirect/RedirectEntry.h"

namespace tessaly {

// Until the redirect window is wired in, no window can be made.
int RunRedirect() { return -1; }

}  // namespace tessaly
