#pragma once
// Waiting for a condition that another thread or process brings about.
#include <chrono>
#include <thread>

namespace tessaly::test {

// Polls `done` until it holds or `limit` has passed; true when it held.
template <typename Predicate>
bool WaitUntil(Predicate done, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace tessaly::test
