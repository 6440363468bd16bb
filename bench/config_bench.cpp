// The configuration read alone: the shipped VomoLoginCfg.xml parsed and its login section read, as
// every PreLogin does, and the skin section read, as every Redirect does. The baseline is reading the
// same file's bytes, which is the floor any parser has to stand on. Then the same login read of files
// of 1 KiB, 64 KiB, 1 MiB and 4 MiB (the largest file read at all), each next to reading its bytes:
// the time per KiB must stay the same as the file grows.
//
// usage: config_bench [--calls N] [--size KiB]   (default 500 calls, the larger files get fewer rounds;
//        --size times only the file of that size, N rounds, for a profiler)
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "BenchStats.h"
#include "config/CZelDialogConfig.h"
#include "config/CZelXMLParseBase.h"
#include "config/ConfigSection.h"
#include "support/WideText.h"

namespace {

using namespace tessaly;

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

}  // namespace

int main(int argc, char** argv)
{
    const int calls = bench::CallsFromArgs(argc, argv, 500);
    std::size_t onlySize = 0;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--size")
            onlySize = static_cast<std::size_t>(std::max(1, std::atoi(argv[i + 1])));
    const std::string path = std::string(TESSALY_OUT_DIR) + "/Config/VomoLoginCfg.xml";
    const std::u16string widePath = FromUtf8(path);

    auto readLogin = [&] { return ReadLogin(widePath); };
    auto readSkin = [&] {
        CZelDialogConfig config;
        return ReadConfigSection(widePath, kRedirectSection, config) && !config.WindowInfo().empty();
    };
    auto readBytes = [&] { return ReadBytes(path); };
    std::vector<double> warm, login, skin, raw;
    for (int i = 0; i < 10; ++i)
        if (!bench::TimeOnce(readLogin, warm) || !bench::TimeOnce(readSkin, warm) || !bench::TimeOnce(readBytes, warm)) {
            std::fprintf(stderr, "config_bench: cannot read %s (build the tessaly_config_folder target)\n", path.c_str());
            return 1;
        }
    for (int i = 0; i < (onlySize ? 0 : calls); ++i) {
        if (!bench::TimeOnce(readLogin, login) || !bench::TimeOnce(readSkin, skin) || !bench::TimeOnce(readBytes, raw)) {
            std::fprintf(stderr, "config_bench: read %d failed\n", i);
            return 1;
        }
    }
    if (!onlySize) {
        bench::PrintResult("config-read-login-section", login, "read-file-bytes", raw);
        bench::PrintResult("config-read-skin-section", skin, "read-file-bytes", raw);
    }

    char pattern[] = "/tmp/tessaly-config-bench-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    const std::filesystem::path folder(pattern);
    const std::vector<std::size_t> sizes = onlySize ? std::vector<std::size_t>{onlySize}
                                                    : std::vector<std::size_t>{1, 64, 1024, 4096};
    for (const std::size_t kib : sizes) {
        const std::string file = WriteSizedConfig(folder, kib * 1024);
        const std::u16string wideFile = FromUtf8(file);
        const int rounds = onlySize ? calls : std::max(5, static_cast<int>(calls / std::max<std::size_t>(1, kib / 16)));
        std::vector<double> sizedLogin, sizedRaw;
        long faults = 0;
        for (int i = 0; i < rounds; ++i) {
            const long before = MinorFaults();
            const bool read = bench::TimeOnce([&] { return ReadLogin(wideFile); }, sizedLogin);
            faults += MinorFaults() - before;
            if (!read || !bench::TimeOnce([&] { return ReadBytes(file); }, sizedRaw)) {
                std::fprintf(stderr, "config_bench: the %zu KiB file was not read\n", kib);
                return 1;
            }
        }
        bench::PrintResult("config-read-" + std::to_string(kib) + "KiB", sizedLogin,
                           "read-file-bytes-" + std::to_string(kib) + "KiB", sizedRaw);
        std::printf("per KiB: %.2f us; page faults per read: %ld\n", bench::MedianMicros(sizedLogin) / static_cast<double>(kib),
                    faults / rounds);
    }
    std::filesystem::remove_all(folder);
    return 0;
}
