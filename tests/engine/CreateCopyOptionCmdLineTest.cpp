// The job builder's decisions, with the destination drive played by a probe: these
// machines have no USB disks, no removable media and no disk cache service.
#include <gtest/gtest.h>

#include <stdexcept>

#include "engine/CreateCopyOptionCmdLine.h"
#include "tests/support/PipeTestSupport.h"

using namespace Swiftlet;

namespace {

const uint64_t kAllBits = ~0ULL;

class FakeProbe : public ICopyDestinationProbe {
public:
    USB::CUSBEnumerateExList devices;
    DiskCacheSettingData cache;
    CString fileSystem = L"NTFS";
    bool sizeKnown = true;
    uint64_t totalBytes = 0;
    bool throwOnUsb = false;

    int calls = 0;
    wchar_t cacheLetter = 0;
    CString sizePath;

    void ProbeUsb(wchar_t, CopyPathInfoCreator& creator) override {
        ++calls;
        if (throwOnUsb)
            throw std::runtime_error("device walk failed");
        creator.ApplyUsbDevices(devices);
    }
    void QueryCache(wchar_t letter, DiskCacheSettingData& data) override {
        ++calls;
        cacheLetter = letter;
        data = cache;
    }
    bool GetTotalBytes(const CString& longPath, uint64_t& total) override {
        ++calls;
        sizePath = longPath;
        if (sizeKnown)
            total = totalBytes;
        return sizeKnown;
    }
    CString GetFileSystemName(const CString&) override {
        ++calls;
        return fileSystem;
    }

    // STORAGE_HOTPLUG_INFO as the service passes it on.
    void SetHotplug(int valid, uint8_t mediaRemovable, uint8_t deviceHotplug) {
        cache.hotplugInformation[0] = 8;
        cache.hotplugInformation[4] = mediaRemovable;
        cache.hotplugInformation[6] = deviceHotplug;
        cache.hotplugInformationValid = valid;
    }
    void AddUsbDrive(wchar_t letter, uint16_t vendorId = 0x0781) {
        USB::CUSBEnumerateExData device;
        device.vendorId = vendorId;
        device.product = L"Stick";
        USB::CUSBEnumerateExTreeData volume;
        volume.driveLetter = letter;
        device.tree.append_child(device.tree.set_head(USB::CUSBEnumerateExTreeData()), volume);
        devices.push_back(device);
    }
};

struct Built {
    int result = 0;
    CopyOption option;
    CopyPathToInfo destinationInfo;
};

Built Build(std::vector<CString> sources, CString destination, int move, FakeProbe& probe) {
    CreateCopyOptionCmdLine builder(&sources, &destination, &move, probe);
    Built built;
    built.result = builder.Create();
    built.option = builder.option;
    built.destinationInfo = builder.DestinationInfo();
    return built;
}

}  // namespace

TEST(CreateCopyOptionCmdLine, TrailingBackslashIsRemovedExceptFromDriveRoots) {
    FakeProbe probe;
    Built built = Build({L"C:\\a\\", L"C:\\b", L"C:\\"}, L"D:\\", 0, probe);
    ASSERT_EQ(1, built.result);
    ASSERT_EQ(3u, built.option.sources.size());
    EXPECT_EQ(CString(L"C:\\a"), built.option.sources[0]);
    EXPECT_EQ(CString(L"C:\\b"), built.option.sources[1]);
    EXPECT_EQ(CString(L"C:\\"), built.option.sources[2]);
    EXPECT_EQ(CString(L"D:\\"), built.option.destination);

    Built folder = Build({L"C:\\a"}, L"D:\\work\\", 0, probe);
    EXPECT_EQ(CString(L"D:\\work"), folder.option.destination);
    EXPECT_EQ(CString(L"D:\\work"), folder.destinationInfo.path);
}

TEST(CreateCopyOptionCmdLine, EveryJobGetsTheFixedTuningValues) {
    FakeProbe probe;
    Built built = Build({L"C:\\a"}, L"D:\\dst", 1, probe);
    ASSERT_EQ(1, built.result);
    const CopyOption& o = built.option;
    EXPECT_EQ(2u, o.algorithm);
    EXPECT_EQ(0x4000000u, o.bufferSize);
    EXPECT_EQ(0x1000000u, o.readBlockSize);
    EXPECT_EQ(1u, o.move);
    EXPECT_EQ(10u, o.retryCount);
    EXPECT_EQ(100u, o.retryWaitMs);
    EXPECT_EQ(0u, o.askFolderConflicts);
    EXPECT_EQ(1u, o.batchFileConflicts);
    EXPECT_EQ(1u, o.reserved4);
    EXPECT_EQ(0u, o.reserved1 | o.reserved2 | o.reserved3 | o.reserved5);
    ASSERT_EQ(1u, o.bufferedExtensions.size());
    EXPECT_EQ(CString(L".exe"), o.bufferedExtensions[0]);
    EXPECT_EQ(L'D', probe.cacheLetter);
}

TEST(CreateCopyOptionCmdLine, MoveDropsSourcesThatAlreadyLieInTheDestination) {
    FakeProbe probe;
    Built built = Build({L"D:\\dst\\f.txt", L"D:\\other\\g.txt", L"D:\\DST\\sub\\"}, L"d:\\DST\\",
                        1, probe);
    ASSERT_EQ(1, built.result);
    ASSERT_EQ(1u, built.option.sources.size());
    EXPECT_EQ(CString(L"D:\\other\\g.txt"), built.option.sources[0]);

    // An item at the top of a drive lies in the drive's root.
    Built root = Build({L"E:\\f.txt", L"E:\\x\\g.txt"}, L"e:\\", 1, probe);
    ASSERT_EQ(1u, root.option.sources.size());
    EXPECT_EQ(CString(L"E:\\x\\g.txt"), root.option.sources[0]);
}

TEST(CreateCopyOptionCmdLine, MoveWithNothingLeftToMoveBuildsNoJob) {
    FakeProbe probe;
    std::vector<CString> sources = {L"D:\\dst\\f.txt"};
    CString destination = L"d:\\DST";
    int move = 1;
    CreateCopyOptionCmdLine builder(&sources, &destination, &move, probe);
    EXPECT_EQ(0, builder.Create());
    EXPECT_TRUE(builder.option.sources.empty());
    EXPECT_TRUE(builder.option.destination.IsEmpty());
    EXPECT_EQ(0u, builder.option.algorithm);
    EXPECT_EQ(0, probe.calls);
}

TEST(CreateCopyOptionCmdLine, CopyIntoItsOwnParentKeepsTheSource) {
    FakeProbe probe;
    Built built = Build({L"D:\\dst\\f.txt"}, L"D:\\dst", 0, probe);
    ASSERT_EQ(1, built.result);
    ASSERT_EQ(1u, built.option.sources.size());
    EXPECT_EQ(CString(L"D:\\dst\\f.txt"), built.option.sources[0]);
}

TEST(CreateCopyOptionCmdLine, NoSourceOrNoDestinationGivesNoJob) {
    FakeProbe probe;
    EXPECT_EQ(0, Build({}, L"D:\\dst", 0, probe).result);
    EXPECT_EQ(0, Build({L"C:\\a"}, L"", 0, probe).result);
    EXPECT_EQ(0, Build({L"C:\\a"}, L"\\", 0, probe).result);
}

TEST(CreateCopyOptionCmdLine, UncDestinationIsNotProbedAndWritesThroughTheCache) {
    FakeProbe probe;
    probe.SetHotplug(1, 1, 1);  // would make it unbuffered if anyone asked
    probe.AddUsbDrive(L'S');
    Built built = Build({L"C:\\a"}, L"\\\\server\\share\\dir\\", 0, probe);
    ASSERT_EQ(1, built.result);
    EXPECT_EQ(0, probe.calls);
    EXPECT_EQ(CString(L"\\\\server\\share\\dir"), built.option.destination);
    EXPECT_EQ(0u, built.destinationInfo.isUsb);
    EXPECT_EQ(0, built.destinationInfo.cache.hotplugInformationValid);
    // Wine reports Windows 7: the third case of the cache rule.
    EXPECT_EQ(kAllBits, built.option.unbufferedWriteMinSize);
    EXPECT_EQ(0x10000u, built.option.writeBlockSize);
    EXPECT_EQ(1u, built.option.foldersFirst);
    EXPECT_EQ(1u, built.option.readerWakeMinFree);
}

TEST(CreateCopyOptionCmdLine, RemovableMediaIsWrittenUnbufferedInLargeBlocks) {
    FakeProbe probe;
    probe.SetHotplug(0, 1, 0);  // MediaRemovable counts even without the valid flag
    Built built = Build({L"C:\\a"}, L"F:\\", 0, probe);
    EXPECT_EQ(0u, built.option.unbufferedWriteMinSize);
    EXPECT_EQ(0x1000000u, built.option.writeBlockSize);
    // Not on a USB device: folders first, and the volume size is not asked for.
    EXPECT_EQ(1u, built.option.foldersFirst);
    EXPECT_EQ(2, probe.calls);
}

TEST(CreateCopyOptionCmdLine, HotplugDiskNeedsTheValidFlagToBeWrittenUnbuffered) {
    FakeProbe probe;
    probe.SetHotplug(1, 0, 1);
    EXPECT_EQ(0u, Build({L"C:\\a"}, L"F:\\", 0, probe).option.unbufferedWriteMinSize);
    probe.SetHotplug(0, 0, 1);
    Built stale = Build({L"C:\\a"}, L"F:\\", 0, probe);
    EXPECT_EQ(kAllBits, stale.option.unbufferedWriteMinSize);
    EXPECT_EQ(0x10000u, stale.option.writeBlockSize);
}

TEST(CreateCopyOptionCmdLine, LargeFat32UsbHotplugDiskCreatesFoldersOnTheWay) {
    FakeProbe probe;
    probe.AddUsbDrive(L'E');
    probe.SetHotplug(1, 0, 1);
    probe.fileSystem = L"fat32";
    probe.totalBytes = 1ULL << 35;
    Built exact = Build({L"C:\\a"}, L"E:\\backup\\", 0, probe);
    EXPECT_EQ(1u, exact.destinationInfo.isUsb);
    EXPECT_EQ(0u, exact.option.foldersFirst);
    EXPECT_EQ(CString(L"\\\\?\\E:\\backup"), probe.sizePath);

    probe.totalBytes = (1ULL << 35) - 1;
    EXPECT_EQ(1u, Build({L"C:\\a"}, L"E:\\backup", 0, probe).option.foldersFirst);

    probe.totalBytes = 1ULL << 36;
    probe.fileSystem = L"NTFS";
    EXPECT_EQ(1u, Build({L"C:\\a"}, L"E:\\backup", 0, probe).option.foldersFirst);

    probe.fileSystem = L"FAT32";
    probe.sizeKnown = false;
    EXPECT_EQ(1u, Build({L"C:\\a"}, L"E:\\backup", 0, probe).option.foldersFirst);

    // The same disk not found among the USB devices.
    probe.sizeKnown = true;
    probe.devices.clear();
    EXPECT_EQ(1u, Build({L"C:\\a"}, L"E:\\backup", 0, probe).option.foldersFirst);
}

TEST(CreateCopyOptionCmdLine, SmallRemovableFatUsbStickCreatesFoldersOnTheWay) {
    FakeProbe probe;
    probe.AddUsbDrive(L'G');
    probe.SetHotplug(1, 1, 0);
    probe.fileSystem = L"FAT";
    probe.totalBytes = 0x80000000ULL;
    Built stick = Build({L"C:\\a"}, L"G:\\", 0, probe);
    EXPECT_EQ(0u, stick.option.foldersFirst);
    EXPECT_EQ(0u, stick.option.unbufferedWriteMinSize);
    EXPECT_EQ(0x1000000u, stick.option.writeBlockSize);

    probe.fileSystem = L"FAT32";
    EXPECT_EQ(0u, Build({L"C:\\a"}, L"G:\\", 0, probe).option.foldersFirst);
    probe.totalBytes = 0x80000001ULL;
    EXPECT_EQ(1u, Build({L"C:\\a"}, L"G:\\", 0, probe).option.foldersFirst);
    probe.totalBytes = 0x40000000ULL;
    probe.fileSystem = L"exFAT";
    EXPECT_EQ(1u, Build({L"C:\\a"}, L"G:\\", 0, probe).option.foldersFirst);
}

TEST(CreateCopyOptionCmdLine, SourcesOnTheDestinationsRootWakeTheOtherWorkerOnlyInBatches) {
    FakeProbe probe;
    Built same = Build({L"C:\\a", L"c:\\b\\c.txt"}, L"C:\\x", 0, probe);
    EXPECT_EQ(kAllBits, same.option.readerWakeMinFree);
    EXPECT_EQ(kAllBits, same.option.writerWakeMinUsed);

    Built mixed = Build({L"C:\\a", L"Z:\\y"}, L"C:\\x", 0, probe);
    EXPECT_EQ(1u, mixed.option.readerWakeMinFree);
    EXPECT_EQ(1u, mixed.option.writerWakeMinUsed);
}

TEST(CreateCopyOptionCmdLine, FirstUsbDeviceHoldingTheDriveLetterIsTaken) {
    FakeProbe probe;
    probe.devices.push_back(USB::CUSBEnumerateExData());  // no volume at all
    probe.AddUsbDrive(L'F', 0x1111);
    probe.AddUsbDrive(L'E', 0x2222);
    probe.AddUsbDrive(L'E', 0x3333);
    Built built = Build({L"C:\\a"}, L"e:\\data", 0, probe);
    EXPECT_EQ(1u, built.destinationInfo.isUsb);
    EXPECT_EQ(0x2222, built.destinationInfo.usb.vendorId);
    EXPECT_EQ(CString(L"Stick"), built.destinationInfo.usb.product);

    Built other = Build({L"C:\\a"}, L"H:\\data", 0, probe);
    EXPECT_EQ(0u, other.destinationInfo.isUsb);
    EXPECT_EQ(0, other.destinationInfo.usb.vendorId);
    EXPECT_TRUE(other.destinationInfo.usb.product.IsEmpty());
}

TEST(CreateCopyOptionCmdLine, FailingDeviceWalkStillBuildsTheJob) {
    FakeProbe probe;
    probe.AddUsbDrive(L'E');
    probe.throwOnUsb = true;
    Built built = Build({L"C:\\a"}, L"E:\\", 0, probe);
    EXPECT_EQ(1, built.result);
    EXPECT_EQ(0u, built.destinationInfo.isUsb);
    EXPECT_EQ(1u, built.option.foldersFirst);
}

TEST(CopyPathInfoCreator, BeginForgetsWhatWasKnownAboutTheLastPath) {
    CopyPathInfo info;
    info.path = L"E:\\old";
    info.isUsb = 1;
    info.usb.vendorId = 7;
    info.usb.tree.set_head(USB::CUSBEnumerateExTreeData())->driveLetter = L'E';
    CopyPathInfoCreator creator(info);
    creator.Begin(L"F:\\new");
    EXPECT_EQ(CString(L"F:\\new"), info.path);
    EXPECT_EQ(0u, info.isUsb);
    EXPECT_EQ(0, info.usb.vendorId);
    EXPECT_TRUE(info.usb.tree.empty());
}

TEST(CreateCopyOptionCmdLine, SystemsBeforeVistaWriteLargeFilesUncached) {
    FakeProbe probe;
    std::vector<CString> sources = {L"C:\\a"};
    CString destination = L"D:\\dst";
    int move = 0;
    CreateCopyOptionCmdLine builder(&sources, &destination, &move, probe);
    builder.osVersion.osvi.dwMajorVersion = 5;
    ASSERT_EQ(1, builder.Create());
    EXPECT_EQ(0x10000u, builder.option.unbufferedWriteMinSize);
    EXPECT_EQ(0x1000000u, builder.option.writeBlockSize);

    // Removable media come first on every system.
    probe.SetHotplug(1, 1, 0);
    CreateCopyOptionCmdLine removable(&sources, &destination, &move, probe);
    removable.osVersion.osvi.dwMajorVersion = 5;
    removable.Create();
    EXPECT_EQ(0u, removable.option.unbufferedWriteMinSize);
}

TEST(CreateCopyOptionCmdLine, RealDestinationProbeBuildsTheJob) {
    // This machine has no USB disks, and no disk cache service runs while the lock is
    // held: the drive is probed for real and the job is built as for a fixed disk.
    PipeTest::FixedPipeLock lock(PipeTest::FixedPipeLock::kService);
    ASSERT_TRUE(lock.Held());
    wchar_t temp[MAX_PATH + 1] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    std::vector<CString> sources = {L"Z:\\nowhere\\a.txt"};
    CString destination = temp;
    int move = 0;
    CreateCopyOptionCmdLine builder(&sources, &destination, &move);
    ASSERT_EQ(1, builder.Create());
    EXPECT_EQ(0u, builder.DestinationInfo().isUsb);
    EXPECT_EQ(1u, builder.option.foldersFirst);
    EXPECT_EQ(kAllBits, builder.option.unbufferedWriteMinSize);
}

TEST(CreateCopyOptionCmdLine, VeryLongPathsBuildAJobWithoutHarm) {
    FakeProbe probe;
    const CString longFolder = L"C:\\" + CString(L'x', 40000) + L"\\";
    Built built = Build({longFolder, L"C:\\" + CString(L'y', 40000)}, longFolder, 1, probe);
    ASSERT_EQ(1, built.result);
    EXPECT_EQ(40003, built.option.destination.GetLength());
    EXPECT_EQ(2u, built.option.sources.size());

    // The real probe copes too: the volume queries simply fail or answer for C:.
    std::vector<CString> sources = {L"C:\\" + CString(L'y', 40000)};
    CString destination = L"C:\\" + CString(L'x', 40000);
    int move = 0;
    CreateCopyOptionCmdLine real(&sources, &destination, &move);
    EXPECT_EQ(1, real.Create());
}
