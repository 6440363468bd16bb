#pragma once

namespace tessaly::toolkit {

// Keeps the GUI toolkit and browser engine loaded for the rest of the process. They start threads
// and register process-wide state on first use, so unloading them together with this library (when
// the host calls dlclose and nothing else uses them) would leave those threads running unmapped code.
void PinToolkitLibraries() noexcept;

}  // namespace tessaly::toolkit
