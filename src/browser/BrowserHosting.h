#pragma once
// Process-wide set-up of the embedded browser, run when the library is loaded and unloaded.
namespace tessaly {

// Creates the browser's external object. Returns true when hosting was started.
bool StartBrowserHosting();

// Releases what StartBrowserHosting made.
void StopBrowserHosting();

}  // namespace tessaly
