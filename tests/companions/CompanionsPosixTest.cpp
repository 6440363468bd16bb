// What only the Linux companions do: bind libcurl at run time.
#include <dlfcn.h>

#include <cstdint>

#include "common/CommandRun.h"
#include "common/LoadedLibrary.h"
#include "common/ServiceSuite.h"

namespace tessaly::test {
namespace {

using RequestFn = int (*)(const char*, char*, std::uint32_t*);

// The network companions are loaded and freed on every call of their host. They bind libcurl at run
// time rather than linking it (a link dependency would make every load walk libcurl's whole tree of
// libraries), and keep it resident once bound, so the agent's next load finds it ready.
class CompanionsOnLinux : public ServiceSuite {};

TEST_F(CompanionsOnLinux, LibcurlIsBoundAtRunTimeAndStaysResidentAcrossLoads)
{
    for (const char* companion : {"Trelvin.so", "Dunmore.so"}) {
        const CommandRun headers = RunningCommand("readelf -d '" + OutPath(companion) + "'").Await();
        ASSERT_EQ(headers.exitCode, 0) << headers.output;
        EXPECT_EQ(headers.output.find("libcurl"), std::string::npos) << companion << " links libcurl:\n" << headers.output;
    }
    for (int load = 0; load < 3; ++load) {
        LoadedLibrary agent(OutPath("Trelvin.so"));
        ASSERT_TRUE(agent.ok()) << agent.error();
        char reply[128] = {};
        std::uint32_t length = sizeof reply;
        EXPECT_EQ(agent.Get<RequestFn>("requestDataFromUrl")(Url("/reply?text=again").c_str(), reply, &length), 0);
        EXPECT_STREQ(reply, "again");
    }
    // No companion is loaded now, and this program does not link libcurl itself.
    void* curl = dlopen(COMPANION_CURL_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
    EXPECT_NE(curl, nullptr) << "libcurl went with the agent";
    if (curl)
        dlclose(curl);
}

}  // namespace
}  // namespace tessaly::test
