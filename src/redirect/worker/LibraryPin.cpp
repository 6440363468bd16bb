#include "redirect/worker/LibraryPin.h"

namespace tessaly {

LibraryPin::~LibraryPin()
{
    platform::UnloadLibrary(m_handle);
}

void LibraryPin::Hold()
{
    if (!m_handle)
        m_handle = platform::PinLibraryContaining(reinterpret_cast<const void*>(&LibraryPin::HoldForCurrentThread));
}

void LibraryPin::HoldForCurrentThread()
{
    thread_local LibraryPin pin;
    pin.Hold();
}

}  // namespace tessaly
