#pragma once
// What the Google Benchmark programs share: their own options (taken out of the command line before
// the framework sees it), the shape of each measurement, and the run with its defaults.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace tessaly::bench {

// Removes `name VALUE` from the arguments and returns VALUE; nothing when the option is absent.
inline std::optional<std::string> TakeOption(int& argc, char** argv, const std::string& name)
{
    std::optional<std::string> value;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (name == argv[i] && i + 1 < argc)
            value = argv[++i];
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    argv[argc] = nullptr;
    return value;
}

inline int TakeCount(int& argc, char** argv, const std::string& name, int fallback)
{
    const auto value = TakeOption(argc, argv, name);
    return value ? std::max(1, std::atoi(value->c_str())) : fallback;
}

// `calls` timed calls of one benchmark, split into repetitions that the run interleaves at random
// with the repetitions of the other benchmarks, so a subject and its baseline see the same load.
// Calls come one to a repetition by default: the median is then that of single calls, which a
// passing hiccup of a shared machine does not move. Calls of a few microseconds can come `batch` to
// a repetition, so that the framework's own clock reads around each repetition (about 2 µs here)
// weigh a fraction of a call instead of a whole one.
inline benchmark::internal::Benchmark* Shape(benchmark::internal::Benchmark* b, int calls, int batch = 1,
                                             benchmark::TimeUnit unit = benchmark::kMicrosecond)
{
    const int perRepetition = calls >= 5 * batch ? batch : 1;
    return b->Iterations(perRepetition)->Repetitions(std::max(5, calls / perRepetition))->Unit(unit);
}

// Registers `calls` calls of `call`, which gives false when a call did not do what it should.
template <class Call>
benchmark::internal::Benchmark* RegisterCalls(const char* name, int calls, const char* failure, Call call)
{
    return Shape(benchmark::RegisterBenchmark(name, [call, failure](benchmark::State& state) {
        for (auto _ : state)
            if (!call()) {
                state.SkipWithError(failure);
                break;
            }
    }), calls);
}

// Runs the registered benchmarks. The defaults, which later arguments override: repetitions
// interleaved at random, and only their aggregates (mean, median, spread) reported.
inline int RunBenchmarks(int argc, char** argv)
{
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    std::string aggregates = "--benchmark_report_aggregates_only=true";
    std::vector<char*> args{argv[0], interleave.data(), aggregates.data()};
    args.insert(args.end(), argv + 1, argv + argc);
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace tessaly::bench
