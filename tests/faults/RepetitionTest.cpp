// Many calls in one process: nothing may pile up (heap, memory, descriptors, loaded libraries), and
// calls from several threads at once must each get their own result and leave whole trace lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <regex>
#include <thread>
#include <vector>

#include "faults/FakeMode.h"
#include "faults/LibrarySandbox.h"
#include "common/ProcessCensus.h"

namespace tessaly::test {
namespace {

#ifdef TESSALY_SANITIZED
constexpr bool kSanitized = true;  // the sanitizer owns the heap; its own leak check replaces ours
#else
constexpr bool kSanitized = false;
#endif

// TESSALY_REPEAT_CALLS overrides the number of calls (scripts/leakcheck.sh uses fewer under valgrind).
int RepeatCalls()
{
    const char* text = std::getenv("TESSALY_REPEAT_CALLS");
    return text && std::atoi(text) > 0 ? std::atoi(text) : 1000;
}

TEST(RepetitionTest, ThousandCallsLeaveNothingBehind)
{
    LibrarySandbox sandbox(Companions::Fake);
    std::string error;
    ASSERT_TRUE(sandbox.Load(&error)) << error;
    FakeMode fake(sandbox, "reply:-102", /*record=*/false);  // no record file in the descriptor count

    // Warm-up: one-time set-up of the parser, locale tables and the loader's caches.
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(sandbox.CallPreLogin(), 0);
    // Two rounds: a one-time cache filling up shows in the first only, a leak in both.
    const int calls = RepeatCalls() / 2;
    auto round = [&] {
        for (int i = 0; i < calls; ++i) {
            std::int32_t code = 0;
            std::u16string message;
            ASSERT_EQ(sandbox.CallPreLogin(&code, &message), 0) << "call " << i;
            ASSERT_EQ(code, -102);
            ASSERT_EQ(message, u"Wrong password");
        }
    };
    // The heap is read on its own, so that the snapshots' own memory does not count.
    const ProcessCensus before = ProcessCensus::Take();
    const std::size_t heap0 = HeapInUse();
    round();
    const std::size_t heap1 = HeapInUse();
    const std::size_t rss1 = ProcessCensus::Take().residentKiB;
    round();
    const std::size_t heap2 = HeapInUse();
    const ProcessCensus after = ProcessCensus::Take();

    EXPECT_EQ(after.openFds, before.openFds);
    EXPECT_EQ(NewMappings(before, after), "");
    EXPECT_EQ(after.mappedFiles.size(), before.mappedFiles.size());
    if (!kSanitized) {
        // A leak of even 16 bytes per call would show as 8000 bytes in the second round.
        EXPECT_LT(heap2, heap1 + 4096) << "heap grew by " << heap2 - heap1;
        EXPECT_LT(heap1, heap0 + 65536) << "heap grew by " << heap1 - heap0;
    }
    if (!kSanitized) {
        EXPECT_LT(after.residentKiB, rss1 + 1024);  // sanitizers grow their shadow memory as they go
    }
}

TEST(RepetitionTest, EightThreadsAtOnceGetTheirOwnResultsAndWholeTraceLines)
{
    LibrarySandbox sandbox(Companions::Fake, /*tracing=*/true);
    std::string error;
    ASSERT_TRUE(sandbox.Load(&error)) << error;
    FakeMode fake(sandbox, "reply:-102", /*record=*/false);

    // Lines one call writes, measured alone.
    ASSERT_EQ(sandbox.CallPreLogin(), 0);
    const std::string single = ReadFile(sandbox.TraceFile());
    const auto linesPerCall = static_cast<std::size_t>(std::count(single.begin(), single.end(), '\n'));
    ASSERT_GT(linesPerCall, 5u);
    std::filesystem::remove(sandbox.TraceFile());

    constexpr int kThreads = 8, kCalls = 100;
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < kCalls; ++i) {
                std::int32_t code = 0;
                std::u16string message;
                if (sandbox.CallPreLogin(&code, &message) != 0 || code != -102 || message != u"Wrong password")
                    ++wrong;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(wrong.load(), 0);

    const std::string trace = ReadFile(sandbox.TraceFile());
    const std::regex line(R"(TID:\d{6,} \[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\]     [^\r\n]*\r?)");
    std::size_t lines = 0, start = 0, bad = 0;
    while (start < trace.size()) {
        const std::size_t end = trace.find('\n', start);
        ASSERT_NE(end, std::string::npos) << "the trace ends inside a line";
        if (!std::regex_match(trace.substr(start, end - start), line) && bad++ < 5)
            ADD_FAILURE() << "torn line: " << trace.substr(start, end - start);
        ++lines;
        start = end + 1;
    }
    EXPECT_EQ(bad, 0u);
    EXPECT_EQ(lines, linesPerCall * kThreads * kCalls);
}

}  // namespace
}  // namespace tessaly::test
