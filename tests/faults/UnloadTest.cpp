// A host may load and unload the library more than once and keep running afterwards. Loading it
// brings in the web engine, whose allocator starts a background thread; unloading must not unmap code
// that such a thread still runs.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "faults/ChildProcess.h"
#include "faults/FakeMode.h"
#include "faults/LibrarySandbox.h"

namespace tessaly::test {
namespace {

using namespace std::chrono_literals;

TEST(UnloadTest, HostKeepsRunningAfterUnloadingTheLibrary)
{
    LibrarySandbox::pinWebEngine = false;
    const ChildOutcome outcome = RunInChild(
        [] {
            for (int cycle = 0; cycle < 8; ++cycle) {
                LibrarySandbox sandbox;
                FakeMode fake(sandbox, "reply:-102");
                if (!sandbox.Load() || sandbox.CallPreLogin() != 0)
                    return 1;
                sandbox.Unload();
                // Time for background threads of unloaded code to wake up.
                std::this_thread::sleep_for(cycle % 2 ? 50ms : 700ms);
            }
            return 0;
        },
        60s);
    EXPECT_FALSE(outcome.timedOut);
    EXPECT_EQ(outcome.signal, 0) << "the host died after dlclose";
    EXPECT_TRUE(outcome.exited && outcome.exitCode == 0);
}

// The window's widget types stay registered in GObject after the library is gone; a window made by
// the next copy of the library must not reach code of the one before.
TEST(UnloadTest, WindowsOpenAgainAfterTheLibraryWasUnloadedAndLoadedAgain)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no display (the suite runs under xvfb-run)";
    LibrarySandbox::pinWebEngine = false;
    const ChildOutcome outcome = RunInChild(
        [] {
            for (int cycle = 0; cycle < 3; ++cycle) {
                LibrarySandbox sandbox;
                sandbox.UseShippedConfig();
                FakeMode fake(sandbox, "upload-reply:about:blank");
                if (!sandbox.Load() || sandbox.CallRedirect() != 1)
                    return 1;
                sandbox.Unload();
            }
            return 0;
        },
        120s);
    EXPECT_FALSE(outcome.timedOut);
    EXPECT_EQ(outcome.signal, 0) << "a window of a reloaded library crashed";
    EXPECT_TRUE(outcome.exited && outcome.exitCode == 0);
}

}  // namespace
}  // namespace tessaly::test
