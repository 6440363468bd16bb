#pragma once
// Timing helpers shared by the benchmarks: run a call many times, keep every sample, report the
// median. Each benchmark also prints one machine-readable line that scripts/bench.sh collects:
//   RESULT <subject> <median µs> <baseline> <median µs>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace tessaly::bench {

inline double MedianMicros(std::vector<double> samples)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const std::size_t mid = samples.size() / 2;
    return samples.size() % 2 ? samples[mid] : (samples[mid - 1] + samples[mid]) / 2;
}

// Times one call and appends the sample; returns what the call returned.
inline bool TimeOnce(const std::function<bool()>& call, std::vector<double>& micros)
{
    const auto start = std::chrono::steady_clock::now();
    const bool ok = call();
    micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    return ok;
}

inline void PrintResult(const std::string& subject, const std::vector<double>& subjectMicros,
                        const std::string& baseline, const std::vector<double>& baselineMicros)
{
    const double a = MedianMicros(subjectMicros), b = MedianMicros(baselineMicros);
    std::printf("%-40s median %10.1f us  (%zu calls)\n", subject.c_str(), a, subjectMicros.size());
    std::printf("%-40s median %10.1f us  (%zu calls)\n", baseline.c_str(), b, baselineMicros.size());
    std::printf("ratio: %.2f\n", b > 0 ? a / b : 0.0);
    std::printf("RESULT %s %.1f %s %.1f\n", subject.c_str(), a, baseline.c_str(), b);
}

inline int CallsFromArgs(int argc, char** argv, int fallback)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--calls")
            return std::max(1, std::atoi(argv[i + 1]));
    return fallback;
}

}  // namespace tessaly::bench
