#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/NetworkAdapters.h"
#include "support/TestFiles.h"

namespace tessaly::platform {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// A fake /sys: devices/<bus>/ folders and class/net/<name>/device/subsystem links into them.
class FakeSysfs {
public:
    FakeSysfs()
    {
        fs::create_directories(dir_.path() / "bus/pci");
        fs::create_directories(dir_.path() / "bus/usb");
        fs::create_directories(dir_.path() / "bus/pcifake");
    }
    void AddNic(const std::string& name, const std::string& bus)
    {
        const fs::path device = dir_.path() / "class/net" / name / "device";
        fs::create_directories(device);
        fs::create_symlink("../../../../bus/" + bus, device / "subsystem");
    }
    std::string root() const { return dir_.path().string(); }

private:
    TempDir dir_;
};

TEST(PciTest, FollowsTheSubsystemLink)
{
    FakeSysfs sys;
    sys.AddNic("enp0s3", "pci");
    sys.AddNic("wlx0011", "usb");
    sys.AddNic("odd0", "pcifake");
    fs::create_directories(fs::path(sys.root()) / "class/net/virt0");  // no device at all
    EXPECT_TRUE(IsPciNetworkDevice("enp0s3", sys.root()));
    EXPECT_FALSE(IsPciNetworkDevice("wlx0011", sys.root()));
    EXPECT_FALSE(IsPciNetworkDevice("odd0", sys.root()));
    EXPECT_FALSE(IsPciNetworkDevice("virt0", sys.root()));
    EXPECT_FALSE(IsPciNetworkDevice("missing", sys.root()));
    EXPECT_FALSE(IsPciNetworkDevice("enp0s3", sys.root() + "/nowhere"));
    // A virtio adapter counts when the device carrying it is a PCI function, not when it is virtual.
    const fs::path root(sys.root());
    fs::create_directories(root / "devices/pci0/virtio1");
    fs::create_directories(root / "devices/platform/virtio2");
    fs::create_directories(root / "bus/virtio");
    fs::create_symlink("../../../bus/virtio", root / "devices/pci0/virtio1/subsystem");
    fs::create_symlink("../../bus/pci", root / "devices/pci0/subsystem");
    fs::create_symlink("../../../bus/virtio", root / "devices/platform/virtio2/subsystem");
    fs::create_symlink("../../bus/usb", root / "devices/platform/subsystem");
    fs::create_directories(root / "class/net/eth0");
    fs::create_directories(root / "class/net/eth1");
    fs::create_symlink("../../../devices/pci0/virtio1", root / "class/net/eth0/device");
    fs::create_symlink("../../../devices/platform/virtio2", root / "class/net/eth1/device");
    EXPECT_TRUE(IsPciNetworkDevice("eth0", sys.root()));
    EXPECT_FALSE(IsPciNetworkDevice("eth1", sys.root()));
    // Names that would leave the net folder are refused.
    fs::create_directories(fs::path(sys.root()) / "class/x/device");
    fs::create_symlink("../../../bus/pci", fs::path(sys.root()) / "class/x/device/subsystem");
    EXPECT_FALSE(IsPciNetworkDevice("../x", sys.root()));
    EXPECT_FALSE(IsPciNetworkDevice("", sys.root()));
    EXPECT_FALSE(IsPciNetworkDevice("..", sys.root()));
    EXPECT_FALSE(IsPciNetworkDevice(std::string("enp0s3\0x", 8), sys.root()));
}

TEST(Adapters, SortedByIndexWithoutLoopbackAndWithAnAddressText)
{
    FakeSysfs sys;
    const auto adapters = ListAdapters(sys.root());
    for (std::size_t i = 0; i < adapters.size(); ++i) {
        EXPECT_NE(adapters[i].name, "lo");
        EXPECT_FALSE(adapters[i].ipv4.empty());
        EXPECT_FALSE(adapters[i].isPci) << "the fake sysfs has no devices";
        if (i > 0) {
            EXPECT_LT(adapters[i - 1].index, adapters[i].index);
        }
    }
    // The same list against the real /sys: identical names, only the PCI flag may differ.
    const auto real = ListAdapters();
    ASSERT_EQ(real.size(), adapters.size());
    for (std::size_t i = 0; i < real.size(); ++i)
        EXPECT_EQ(real[i].name, adapters[i].name);
}

}  // namespace
}  // namespace tessaly::platform
