#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/posix/LinuxInterfaces.h"
#include "common/TempDir.h"

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
    EXPECT_TRUE(IsPciNetworkDeviceUnder("enp0s3", sys.root()));
    EXPECT_FALSE(IsPciNetworkDeviceUnder("wlx0011", sys.root()));
    EXPECT_FALSE(IsPciNetworkDeviceUnder("odd0", sys.root()));
    EXPECT_FALSE(IsPciNetworkDeviceUnder("virt0", sys.root()));
    EXPECT_FALSE(IsPciNetworkDeviceUnder("missing", sys.root()));
    EXPECT_FALSE(IsPciNetworkDeviceUnder("enp0s3", sys.root() + "/nowhere"));
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
    EXPECT_TRUE(IsPciNetworkDeviceUnder("eth0", sys.root()));
    EXPECT_FALSE(IsPciNetworkDeviceUnder("eth1", sys.root()));
    // Names that would leave the net folder are refused.
    fs::create_directories(fs::path(sys.root()) / "class/x/device");
    fs::create_symlink("../../../bus/pci", fs::path(sys.root()) / "class/x/device/subsystem");
    EXPECT_FALSE(IsPciNetworkDeviceUnder("../x", sys.root()));
    EXPECT_FALSE(IsPciNetworkDeviceUnder("", sys.root()));
    EXPECT_FALSE(IsPciNetworkDeviceUnder("..", sys.root()));
    EXPECT_FALSE(IsPciNetworkDeviceUnder(std::string("enp0s3\0x", 8), sys.root()));
}

// A fake interface list as the kernel reports it: interfaces first (not in index order here), then
// addresses, one of them on an alias label, the loopback's among them.
TEST(Adapters, InterfaceIndexOrderEveryAddressAliasesOnTheirInterface)
{
    const std::vector<InterfaceRecord> records = {
        {"lo", 1, true, {}},          {"wlan0", 4, false, {}},          {"enp0s3", 2, false, {}},
        {"tun0", 7, false, {}},       {"lo", 0, true, "127.0.0.1"},     {"enp0s3", 0, false, "10.0.2.15"},
        {"enp0s3:1", 0, false, "10.0.2.99"}, {"enp0s3", 0, false, "10.0.3.1"}, {"wlan0", 0, false, "192.168.1.5"},
    };
    const std::vector<AdapterInfo> adapters = ListAdapters(records);
    ASSERT_EQ(adapters.size(), 3u);
    EXPECT_EQ(adapters[0].name, "enp0s3");
    EXPECT_EQ(adapters[0].index, 2u);
    EXPECT_EQ(adapters[0].ipv4, (std::vector<std::string>{"10.0.2.15", "10.0.2.99", "10.0.3.1"}));
    EXPECT_EQ(adapters[1].name, "wlan0");
    EXPECT_EQ(adapters[1].ipv4, (std::vector<std::string>{"192.168.1.5"}));
    EXPECT_EQ(adapters[2].name, "tun0");
    EXPECT_TRUE(adapters[2].ipv4.empty());
    EXPECT_TRUE(ListAdapters(std::vector<InterfaceRecord>{}).empty());

    // The system's own list keeps the same rules, whatever this machine has.
    const auto real = ListAdapters();
    for (std::size_t i = 0; i < real.size(); ++i) {
        EXPECT_NE(real[i].name, "lo");
        EXPECT_EQ(real[i].name.find(':'), std::string::npos);
        EXPECT_NE(real[i].index, 0u);
        if (i > 0) {
            EXPECT_LT(real[i - 1].index, real[i].index);
        }
    }
}

}  // namespace
}  // namespace tessaly::platform
