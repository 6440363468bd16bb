#pragma once
// The files a transfer writes into, with each system's own file rules behind one interface.
#include "HttpTransfer.h"

#include <functional>
#include <string>

namespace dunmore {

// Runs one transfer, handing it the sink its body goes to; true when the transfer succeeded.
using Transfer = std::function<bool(const companion::BodySink& sink)>;

// The caller's reply file at `path`: an existing regular file is emptied first (a link, a folder, a
// device or a pipe is refused without sending anything); a missing one is made, in an existing
// folder only. When the transfer fails the file is left empty, and one made here is removed again.
// True when the transfer succeeded and everything it wrote reached the file.
bool TransferIntoReplyFile(const std::u16string& path, const Transfer& transfer);

// A new file beside `path` takes the body and is renamed over `path` only once the transfer
// succeeded, so a failure never leaves a partial or clobbered file.
bool TransferIntoNewFile(const std::u16string& path, const Transfer& transfer);

}  // namespace dunmore
