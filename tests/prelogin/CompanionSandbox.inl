#pragma once
#include <chrono>
#include <thread>

namespace tessaly::test {

template <typename Predicate>
bool WaitFor(Predicate done, double seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace tessaly::test
