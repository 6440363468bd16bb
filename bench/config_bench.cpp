// The configuration read alone: the shipped VomoLoginCfg.xml parsed and its login section read, as
// every PreLogin does, and the skin section read, as every Redirect does. The baseline is reading the
// same file's bytes, which is the floor any parser has to stand on.
//
// usage: config_bench [--calls N]   (default 500)
#include <fstream>
#include <iterator>

#include "BenchStats.h"
#include "config/CZelDialogConfig.h"
#include "config/CZelXMLParseBase.h"
#include "config/ConfigSection.h"
#include "support/WideText.h"

int main(int argc, char** argv)
{
    using namespace tessaly;
    const int calls = bench::CallsFromArgs(argc, argv, 500);
    const std::string path = std::string(TESSALY_OUT_DIR) + "/Config/VomoLoginCfg.xml";
    const std::u16string widePath = FromUtf8(path);

    auto readLogin = [&] {
        CZelXMLParseBase base;
        return ReadConfigSection(widePath, kLoginSection, base) && !base.WindowInfo().empty();
    };
    auto readSkin = [&] {
        CZelDialogConfig config;
        return ReadConfigSection(widePath, kRedirectSection, config) && !config.WindowInfo().empty();
    };
    auto readBytes = [&] {
        std::ifstream in(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return !bytes.empty();
    };
    std::vector<double> warm, login, skin, raw;
    for (int i = 0; i < 10; ++i)
        if (!bench::TimeOnce(readLogin, warm) || !bench::TimeOnce(readSkin, warm) || !bench::TimeOnce(readBytes, warm)) {
            std::fprintf(stderr, "config_bench: cannot read %s (build the tessaly_config_folder target)\n", path.c_str());
            return 1;
        }
    for (int i = 0; i < calls; ++i) {
        if (!bench::TimeOnce(readLogin, login) || !bench::TimeOnce(readSkin, skin) || !bench::TimeOnce(readBytes, raw)) {
            std::fprintf(stderr, "config_bench: read %d failed\n", i);
            return 1;
        }
    }
    bench::PrintResult("config-read-login-section", login, "read-file-bytes", raw);
    bench::PrintResult("config-read-skin-section", skin, "read-file-bytes", raw);
    return 0;
}
