// The configuration read alone: the shipped VomoLoginCfg.xml parsed and its login section read, as
// every PreLogin does, and the skin section read, as every Redirect does. The baseline is reading the
// same file's bytes, which is the floor any parser has to stand on. Then the same login read of files
// of 1 KiB, 64 KiB, 1 MiB and 4 MiB (the largest file read at all), each next to reading its bytes:
// the bytes per second must stay the same as the file grows. Those reads also count the page faults
// per read (counter "faults"), since new pages for the document are what grows with the file.
//
// usage: config_bench [--calls N] [Google Benchmark flags]
//        (default 500 calls; the larger files get fewer, down to 5 for 1 MiB and up. To profile
//        one size: --benchmark_filter=config-read-1024KiB$ --calls 16000)
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "BenchRun.h"
#include "config/CZelDialogConfig.h"
#include "config/CZelXMLParseBase.h"
#include "config/ConfigSection.h"
#include "support/WideText.h"

namespace {

using namespace tessaly;
using benchmark::State;

long MinorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

bool ReadLogin(const std::u16string& path)
{
    CZelXMLParseBase base;
    return ReadConfigSection(path, kLoginSection, base) && !base.WindowInfo().empty();
}

bool ReadSkin(const std::u16string& path)
{
    CZelDialogConfig config;
    return ReadConfigSection(path, kRedirectSection, config) && !config.WindowInfo().empty();
}

bool ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return !bytes.empty();
}

// A login section followed by filler elements until the file has `bytes` bytes.
std::string WriteSizedConfig(const std::filesystem::path& folder, std::size_t bytes)
{
    const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<TessalyConfig>\n  <CommonWindow>\n"
                             "    <VomoLogin><WindowInfo>\n"
                             "      <Item ItemID=\"LoginPatern\" Data=\"%s?user=%s&amp;pwd=%s&amp;ip=%s\"/>\n"
                             "      <Item ItemID=\"ErrorPwd\" Data=\"The password is not correct.\"/>\n"
                             "    </WindowInfo></VomoLogin>\n";
    const std::string tail = "  </CommonWindow>\n</TessalyConfig>\n";
    const std::string filler = "    <Filler Kind=\"padding\" Text=\"abcdefghijklmnopqrstuvwxyz0123456789\"/>\n";
    std::string text = head;
    while (text.size() + filler.size() + tail.size() <= bytes)
        text += filler;
    text += std::string(bytes - text.size() - tail.size(), ' ') + tail;
    const auto path = folder / ("config-" + std::to_string(bytes) + ".xml");
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

// Registers a benchmark of `read`, which gives false when the file was not read as it should be;
// `batch` reads to a repetition (see Shape). With `bytes`, the throughput and the page faults per read are reported as well.
template <class Read>
void Register(const std::string& name, int calls, int batch, Read read, std::size_t bytes = 0)
{
    tessaly::bench::Shape(benchmark::RegisterBenchmark(name.c_str(), [read, bytes, name](State& state) {
        const long faultsBefore = MinorFaults();
        for (auto _ : state)
            if (!read()) {
                state.SkipWithError((name + ": the file was not read").c_str());
                break;
            }
        if (bytes) {
            state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
            state.counters["faults"] = benchmark::Counter(static_cast<double>(MinorFaults() - faultsBefore),
                                                          benchmark::Counter::kAvgIterations);
        }
    }), calls, batch);
}

}  // namespace

int main(int argc, char** argv)
{
    const int calls = bench::TakeCount(argc, argv, "--calls", 500);
    const std::string path = std::string(TESSALY_OUT_DIR) + "/Config/VomoLoginCfg.xml";
    const std::u16string widePath = FromUtf8(path);
    char pattern[] = "/tmp/tessaly-config-bench-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    const std::filesystem::path folder(pattern);

    // Untimed rounds first: warm caches, and proof that the shipped file is there.
    for (int i = 0; i < 10; ++i)
        if (!ReadLogin(widePath) || !ReadSkin(widePath) || !ReadBytes(path)) {
            std::fprintf(stderr, "config_bench: cannot read %s (build the tessaly_config_folder target)\n", path.c_str());
            return 1;
        }
    // Every read is timed alone (one to a repetition), as the other benchmarks time their calls, except
    // the bytes of the small files: those take about 10 µs, against which the framework's own clock
    // reads around a repetition (about 2 µs) would count, so they come ten to a repetition.
    constexpr int kSmallBytesBatch = 10;
    Register("config-read-login-section", calls, 1, [widePath] { return ReadLogin(widePath); });
    Register("config-read-skin-section", calls, 1, [widePath] { return ReadSkin(widePath); });
    Register("read-file-bytes", calls, kSmallBytesBatch, [path] { return ReadBytes(path); });
    for (const std::size_t kib : {1, 64, 1024, 4096}) {
        const std::string file = WriteSizedConfig(folder, kib * 1024);
        const std::u16string wideFile = FromUtf8(file);
        const int sizedCalls = std::max(5, static_cast<int>(calls / std::max<std::size_t>(1, kib / 16)));
        const std::string size = std::to_string(kib) + "KiB";
        Register("config-read-" + size, sizedCalls, 1, [wideFile] { return ReadLogin(wideFile); }, kib * 1024);
        Register("read-file-bytes-" + size, sizedCalls, kib < 64 ? kSmallBytesBatch : 1,
                 [file] { return ReadBytes(file); }, kib * 1024);
    }
    const int status = bench::RunBenchmarks(argc, argv);
    std::filesystem::remove_all(folder);
    return status;
}
