// The demo's throw-away copy of an installed folder, whose Config/ links its settings files to /etc
// and /var.
#include <gtest/gtest.h>

#include "PrivateInstall.h"
#include "common/TempDir.h"

namespace tessaly::host {
namespace {

namespace fs = std::filesystem;

TEST(PrivateInstallTest, CopiesWhatConfigLinksToAndLeavesOutLinksToNothing)
{
    test::TempDir dir;
    const fs::path lib = dir.path() / "usr/lib/tessaly";
    fs::create_directories(lib / "Config/skin");
    fs::create_directories(dir.path() / "etc");
    for (const char* name : {"libtessaly.so", "Trelvin.so", "Cyvelle.so", "Parvex.so", "Dunmore.so"})
        test::WriteFile((lib / name).string(), name);
    test::WriteFile(dir.file("etc/orvane.cfg"), "[WebUrl]\n");
    test::WriteFile((lib / "Config/skin/a.png").string(), "png");
    fs::create_symlink(dir.path() / "etc/orvane.cfg", lib / "Config/orvane.cfg");
    fs::create_symlink(dir.path() / "var/lib/tessaly/Parvex.cfg", lib / "Config/Parvex.cfg");

    std::string error;
    const auto copy = PrivateInstall::Make(lib, error);
    ASSERT_TRUE(copy) << error;
    const fs::path config = copy->Root() / "Config";
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(config / "orvane.cfg")));
    EXPECT_EQ(test::ReadFile((config / "skin/a.png").string()), "png");
    EXPECT_FALSE(fs::exists(fs::symlink_status(config / "Parvex.cfg")));
    ASSERT_TRUE(copy->PointAt("http://127.0.0.1:1", error)) << error;
    EXPECT_EQ(test::ReadFile(dir.file("etc/orvane.cfg")), "[WebUrl]\n");  // the original is untouched
}

}  // namespace
}  // namespace tessaly::host
