#pragma once
// The one thread of the process that does all of the library's toolkit and browser work. The
// browser engine binds itself to the first thread that uses it, and the toolkit's event sources
// live on the process's default main context, so every window of every call runs on this thread.
//
// How it is chosen, once, at the first call:
//   - a thread that is running the default main context (a GTK host's main loop, a GLib-based
//     event loop) is the UI thread; a call from any other thread is carried out there;
//   - a call from the process's main thread while the default main context is in use but not being
//     run at this moment (a GTK host before or after its main loop) is carried out on that thread;
//   - when nothing has ever used the default main context (a host without a toolkit), the library
//     starts a UI thread of its own, keeps it, and stays loaded for the rest of the process.
// The choice then holds for the life of the process, also across unloading and reloading the library.
#include <functional>
#include <string>

namespace tessaly::platform {

// Runs `work` on the UI thread and waits for it to end (nested calls on the UI thread run at once).
// False, with the reason in `whyNot`, when no thread can run it safely: the UI thread has ended, it
// has stopped running its main loop, or it is blocked waiting (for example for this very call); then
// `work` has not run. The one wait the library cannot tell from a slow host: a UI thread that
// blocks, outside a lock or a join (say, reading a pipe), until this call returns.
bool RunOnUiThread(const std::function<void()>& work, std::string& whyNot);

}  // namespace tessaly::platform
