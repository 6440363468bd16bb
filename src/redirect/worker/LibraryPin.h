#pragma once
// Keeps the shared object that contains this code loaded while a detached thread runs it.
#include "platform/DynamicLibrary.h"

namespace tessaly {

class LibraryPin {
public:
    LibraryPin() = default;
    ~LibraryPin();
    LibraryPin(const LibraryPin&) = delete;
    LibraryPin& operator=(const LibraryPin&) = delete;

    // Takes one reference on the library holding this code (once; later calls do nothing).
    void Hold();

    // Pins the library for the calling thread until the thread has finished: the reference is
    // dropped by a thread-local object after the thread's procedure has returned. The C library
    // keeps an object whose thread-local destructors are still pending mapped, so dropping the last
    // reference there cannot unmap the code that is running.
    static void HoldForCurrentThread();

private:
    platform::LibraryHandle m_handle = nullptr;
};

}  // namespace tessaly
