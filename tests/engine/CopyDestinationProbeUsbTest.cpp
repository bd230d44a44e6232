// The destination probe's USB steps with the system's own walk: over the simulated
// machine of the USB tests (its flash drive holds E:), and over Wine's real system.
#include <gtest/gtest.h>

#include "engine/CreateCopyOptionCmdLine.h"
#include "tests/foundation/SampleUsbMachine.h"

using namespace Swiftlet;

namespace {

// The system's probe, except that the disk answers as a small FAT stick with removable
// media instead of asking the disk cache service.
class StickProbe : public SystemCopyDestinationProbe {
public:
    using SystemCopyDestinationProbe::SystemCopyDestinationProbe;
    void QueryCache(wchar_t, DiskCacheSettingData& data) override {
        data.hotplugInformation[0] = 8;
        data.hotplugInformation[4] = 1; // MediaRemovable
        data.hotplugInformationValid = 1;
    }
    bool GetTotalBytes(const CString&, uint64_t& totalBytes) override {
        totalBytes = 0x40000000;
        return true;
    }
    CString GetFileSystemName(const CString&) override { return L"FAT32"; }
};

CopyPathToInfo Probe(ICopyDestinationProbe& probe, const CString& destination, CopyOption* option = nullptr) {
    std::vector<CString> sources = {L"C:\\src"};
    int move = 0;
    CreateCopyOptionCmdLine builder(&sources, &destination, &move, probe);
    EXPECT_EQ(1, builder.Create());
    if (option) *option = builder.option;
    return builder.DestinationInfo();
}

}  // namespace

TEST(CopyDestinationProbeUsb, DestinationOnTheFlashDrivesVolumeIsUsb) {
    SampleUsbMachine machine;
    StickProbe probe(machine.system);
    CopyOption option;
    const CopyPathToInfo info = Probe(probe, L"e:\\backup\\", &option);
    EXPECT_EQ(1u, info.isUsb);
    // The job builder's values: bcdUSB and the tree with IDs, letters and descriptions.
    EXPECT_EQ(0x0200, info.usb.bcdUSB);
    EXPECT_EQ(0, info.usb.vendorId);
    ASSERT_FALSE(info.usb.tree.empty());
    EXPECT_EQ(CString(SampleUsbMachine::kFlashId), info.usb.tree.begin()->deviceId);
    EXPECT_EQ(CString(L"USB 大容量記憶装置"), info.usb.tree.begin()->description);
    std::vector<USHORT> letters;
    EXPECT_EQ(1, info.usb.GetDriveLetters(letters));
    EXPECT_EQ(L'E', letters[0]);
    // The folder-order rule now runs on what the walk found.
    EXPECT_EQ(0u, option.foldersFirst);
    // Both controller searches ran, the device-node search did not.
    EXPECT_EQ(1, machine.system.OpensOf(SampleUsbMachine::kInterfaceA));
    EXPECT_EQ(0, machine.system.openHandles);
}

TEST(CopyDestinationProbeUsb, OtherDrivesAndUncPathsAreNotUsb) {
    SampleUsbMachine machine;
    StickProbe probe(machine.system);
    CopyOption option;
    const CopyPathToInfo system = Probe(probe, L"C:\\data", &option);
    EXPECT_EQ(0u, system.isUsb);
    EXPECT_TRUE(system.usb.tree.empty());
    EXPECT_EQ(1u, option.foldersFirst);
    // A volume without a device node is no USB volume either.
    EXPECT_EQ(0u, Probe(probe, L"Z:\\tmp").isUsb);

    const int opens = machine.system.OpensOf(SampleUsbMachine::kHcd0);
    EXPECT_EQ(0u, Probe(probe, L"\\\\server\\share\\dir").isUsb);
    EXPECT_EQ(opens, machine.system.OpensOf(SampleUsbMachine::kHcd0)); // no walk without a letter
}

TEST(CopyDestinationProbeUsb, RealSystemUnderWineFindsNoUsbDrive) {
    StickProbe probe;
    CopyOption option;
    const CopyPathToInfo info = Probe(probe, L"C:\\", &option);
    EXPECT_EQ(0u, info.isUsb);
    EXPECT_EQ(1u, option.foldersFirst);
}
