// A host may load and unload the library more than once and keep running afterwards. Loading it
// brings in the web engine, whose allocator starts a background thread; unloading must not unmap code
// that such a thread still runs.
#include <gtest/gtest.h>

#include <chrono>
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

}  // namespace
}  // namespace tessaly::test
