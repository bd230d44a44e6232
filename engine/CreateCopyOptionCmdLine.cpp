#include "engine/CreateCopyOptionCmdLine.h"

#include "foundation/Paths.h"

namespace Swiftlet {

namespace {

const uint64_t kAllBits = ~0ULL;
const uint64_t k32GiB = 1ULL << 35;
const uint64_t k2GiB = 0x80000000ULL;

bool IsDriveRoot(const CString& path) {
    return path.GetLength() == 3 && path.GetAt(1) == L':' && path.GetAt(2) == L'\\';
}

CString WithoutTrailingBackslash(const CString& path) {
    const int length = path.GetLength();
    if (length == 0 || path.GetAt(length - 1) != L'\\' || IsDriveRoot(path))
        return path;
    return path.Left(length - 1);
}

bool AllOnSameRoot(const std::vector<CString>& sources, const CString& destination) {
    const CString destinationLong = ToLongPath(destination);
    for (const CString& source : sources) {
        if (!IsOnSameRoot(ToLongPath(source), destinationLong))
            return false;
    }
    return true;
}

}  // namespace

CreateCopyOptionCmdLine::CreateCopyOptionCmdLine(const std::vector<CString>* sources,
                                                 const CString* destination, const int* move)
    : sources(sources), destination(destination), move(move),
      ownProbe(new SystemCopyDestinationProbe),
      probe(ownProbe.get()) {}

CreateCopyOptionCmdLine::CreateCopyOptionCmdLine(const std::vector<CString>* sources,
                                                 const CString* destination, const int* move,
                                                 ICopyDestinationProbe& probe)
    : sources(sources), destination(destination), move(move),
      probe(&probe) {}

int CreateCopyOptionCmdLine::Create() {
    std::vector<CString> localSources;
    for (const CString& source : *sources)
        localSources.push_back(WithoutTrailingBackslash(source));
    const CString localDestination = WithoutTrailingBackslash(*destination);
    const int moveFlag = *move;

    if (moveFlag == 1) {
        // Moving an item into the folder where it already lies does nothing.
        std::vector<CString> kept;
        for (const CString& source : localSources) {
            if (GetParentFolder(source).CompareNoCase(localDestination) != 0)
                kept.push_back(source);
        }
        if (kept.empty())
            return 0;
        localSources.swap(kept);
    }

    SetFixedValues(option, localSources, localDestination, moveFlag);

    ProbeDestination();
    ApplyCacheRule();
    ApplyFolderOrderRule();

    return (!option.sources.empty() && !option.destination.IsEmpty()) ? 1 : 0;
}

void CreateCopyOptionCmdLine::SetFixedValues(CopyOption& option, const std::vector<CString>& sources,
                                             const CString& destination, int move) {
    // Reading and writing on one volume alternate in pool-sized batches instead of
    // interleaving, so the disk does not seek between the two at every block.
    const uint64_t wake = AllOnSameRoot(sources, destination) ? kAllBits : 1;

    option.sources = sources;
    option.destination = destination;
    option.algorithm = 2;
    option.bufferSize = 0x4000000;
    option.readBlockSize = 0x1000000;
    option.writeBlockSize = 0x1000000;
    option.move = static_cast<uint32_t>(move);
    option.readerWakeMinFree = wake;
    option.writerWakeMinUsed = wake;
    option.reserved4 = 1;
    option.retryCount = 10;
    option.retryWaitMs = 100;
    option.batchFileConflicts = 1;
    option.askFolderConflicts = 0;
    option.bufferedExtensions.push_back(L".exe");
}

void CreateCopyOptionCmdLine::ProbeDestination() {
    CopyPathInfoCreator creator(destinationInfo);
    creator.Begin(option.destination);
    const wchar_t letter = DriveLetterOf(destinationInfo.path);
    if (letter == 0)
        return;
    // Nothing of the probe may stop the job: without an answer the drive is taken as
    // not USB and without special cache properties.
    try {
        probe->ProbeUsb(letter, creator);
    } catch (...) {
        destinationInfo.isUsb = 0;
        destinationInfo.usb = USB::CUSBEnumerateExData();
    }
    try {
        probe->QueryCache(letter, destinationInfo.cache);
    } catch (...) {
        destinationInfo.cache = DiskCacheSettingData();
    }
}

void CreateCopyOptionCmdLine::ApplyCacheRule() {
    const DiskCacheSettingData& cache = destinationInfo.cache;
    if ((cache.hotplugInformationValid != 0 && cache.DeviceHotplug() != 0) ||
        cache.MediaRemovable() != 0) {
        // Removable and hot-plug disks: nothing waits in the system cache when the
        // user pulls the device.
        option.unbufferedWriteMinSize = 0;
    } else if (osVersion.osvi.dwMajorVersion < 6) {
        option.unbufferedWriteMinSize = 0x10000;
    } else {
        option.unbufferedWriteMinSize = kAllBits;
        option.writeBlockSize = 0x10000;
    }
}

void CreateCopyOptionCmdLine::ApplyFolderOrderRule() {
    option.foldersFirst = 1;
    if (destinationInfo.isUsb != 1)
        return;
    const DiskCacheSettingData& cache = destinationInfo.cache;
    const bool hotplugDisk = cache.hotplugInformationValid != 0 && cache.DeviceHotplug() != 0;
    const bool removableMedia = cache.MediaRemovable() == 1;
    if (!hotplugDisk && !removableMedia)
        return;

    CString fileSystem;
    uint64_t totalBytes = 0;
    bool sizeKnown = false;
    try {
        fileSystem = probe->GetFileSystemName(option.destination);
        sizeKnown = probe->GetTotalBytes(ToLongPath(option.destination), totalBytes);
    } catch (...) {
        return;
    }
    if (!sizeKnown)
        return;
    const bool fat32 = fileSystem.CompareNoCase(L"FAT32") == 0;
    const bool fat = fat32 || fileSystem.CompareNoCase(L"FAT") == 0;
    const bool largeHotplugFat32 = hotplugDisk && fat32 && totalBytes >= k32GiB;
    const bool smallRemovableFat = removableMedia && fat && totalBytes <= k2GiB;
    if (largeHotplugFat32 || smallRemovableFat)
        option.foldersFirst = 0;
}

}  // namespace Swiftlet
