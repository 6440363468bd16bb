// Without any display the window cannot be made: Redirect answers -1 at once and leaves nothing.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "redirect/RedirectEntry.h"

namespace {

// Runs before main, so nothing in the process ever sees a display.
const bool kDisplayRemoved = [] {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    return true;
}();

TEST(RedirectWithoutDisplay, CannotCreateTheWindowAndSaysSo)
{
    ASSERT_TRUE(kDisplayRemoved);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(tessaly::RunRedirect(), -1);
    EXPECT_EQ(tessaly::RunRedirect(), -1);  // and again, with no state left from the first try
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
