// A host may load and unload the library more than once and keep running afterwards. Loading it
// brings in the web engine, whose allocator starts a background thread; unloading must not unmap code
// that such a thread still runs.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include "common/ChildProcess.h"
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
    EXPECT_EQ(outcome.exitCode, 0) << outcome.Describe() << " (a signal: the host died after dlclose)";
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
    EXPECT_EQ(outcome.exitCode, 0) << outcome.Describe() << " (a signal: a window of a reloaded library crashed)";
}

// The host's own use of the XML parser, in the same process as the library.
bool HostParses()
{
    static constexpr char kXml[] = "<host><a/></host>";
    xercesc::XercesDOMParser parser;
    xercesc::MemBufInputSource input(reinterpret_cast<const XMLByte*>(kXml), sizeof kXml - 1, "host");
    parser.parse(input);
    return parser.getErrorCount() == 0 && parser.getDocument() != nullptr;
}

// The platform has been terminated as often as it was initialised: its transcoding service is gone.
bool PlatformEnded()
{
    return xercesc::XMLPlatformUtils::fgTransService == nullptr;
}

// A host that initialises the parser itself, before or after the library's first parse, still has a
// working parser after the library is unloaded; the library leaves neither an initialisation of its
// own nor its panic handler behind.
TEST(UnloadTest, HostParserOutlivesTheLibraryUntouched)
{
    const ChildOutcome outcome = RunInChild(
        [] {
            using xercesc::XMLPlatformUtils;
            for (const bool hostFirst : {true, false}) {
                if (hostFirst)
                    XMLPlatformUtils::Initialize();
                {
                    LibrarySandbox sandbox;
                    FakeMode fake(sandbox, "reply:-102");
                    if (!sandbox.Load() || sandbox.CallPreLogin() != 0)
                        return 1;
                    if (!hostFirst)
                        XMLPlatformUtils::Initialize();
                    sandbox.Unload();
                }
                if (XMLPlatformUtils::fgUserPanicHandler != nullptr)
                    return 2;  // a handler in unloaded code
                if (!HostParses())
                    return 3;
                XMLPlatformUtils::Terminate();
                if (!PlatformEnded())
                    return 4;  // the library's initialisation was never terminated
            }
            return 0;
        },
        60s);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.Describe()
                                   << " (2: panic handler left behind, 3: host parser broken, 4: platform never ended)";
}

}  // namespace
}  // namespace tessaly::test
