#pragma once
// Starting the window toolkit and running what it still has queued, and posting work to the thread
// that runs the library's windows.
#include <functional>
#include <string>

namespace tessaly::toolkit {

// Starts the toolkit on the calling thread (the UI thread) unless it already runs. False, with the
// reason, when it cannot (no display, connection refused).
bool StartUserInterface(std::string& whyNot);

// Runs what the toolkit and the browser engine still have queued after a window is gone, so nothing
// of a call fires later inside the host's own loop. Bounded in time; nothing when another thread runs
// the toolkit's loop.
void DrainPendingWork();

// Queues `task` for the thread that runs the library's windows, after what is queued already. Safe
// from any thread.
void PostToUiThread(std::function<void()> task);

}  // namespace tessaly::toolkit
