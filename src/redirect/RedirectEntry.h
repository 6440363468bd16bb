#pragma once

namespace tessaly {

// The work behind the Redirect export: the modal window's end code, or -1 when no window can be made.
int RunRedirect();

}  // namespace tessaly
