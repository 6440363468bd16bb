// Redirect in a build that has no window toolkit: the window is not faked. The call ends at once
// with -1, the result for "no window could be made", and the trace says why.
#include "redirect/RedirectEntry.h"

#include "support/CLogTrace.h"

namespace tessaly {

int RunRedirect()
{
    g_LogTrace.Trace(4, u"--Redirect returns -1, no window was made: this build has no window toolkit");
    return -1;
}

}  // namespace tessaly
