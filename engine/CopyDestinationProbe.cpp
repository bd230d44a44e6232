#include "engine/CopyDestinationProbe.h"

#include "foundation/USBEnumerateEx.h"
#include "ipc/ServiceCommandClient.h"

namespace Swiftlet {

// The volume list and the devices of both host-controller searches (the device-node
// search adds nothing here), each with its node tree: the tree links a USB storage
// device with the drive letters of its volumes.
void SystemCopyDestinationProbe::ProbeUsb(wchar_t, CopyPathInfoCreator& creator) {
    USB::CUSBEnumerateExList devices;
    USB::CUSBEnumerateEx enumerate(devices,
                                   CUSBEnumerateBase::ModeHcdName | CUSBEnumerateBase::ModeInterface,
                                   USB::CaptureBcdUsb | USB::CaptureDriveLetter | USB::CaptureDescription,
                                   usbSystem);
    enumerate.Enumerate();
    creator.ApplyUsbDevices(devices);
}

void SystemCopyDestinationProbe::QueryCache(wchar_t letter, DiskCacheSettingData& data) {
    QueryDiskCacheSetting(letter, data);
}

bool SystemCopyDestinationProbe::GetTotalBytes(const CString& longPath, uint64_t& totalBytes) {
    ULARGE_INTEGER total = {};
    if (!GetDiskFreeSpaceExW(longPath, nullptr, &total, nullptr))
        return false;
    totalBytes = total.QuadPart;
    return true;
}

CString SystemCopyDestinationProbe::GetFileSystemName(const CString& path) {
    // The volume's root: a folder mounted on a drive may hold another volume.
    wchar_t root[MAX_PATH + 1] = {};
    if (!GetVolumePathNameW(path, root, MAX_PATH)) {
        const wchar_t letter = DriveLetterOf(path);
        if (letter == 0)
            return CString();
        root[0] = letter;
        root[1] = L':';
        root[2] = L'\\';
        root[3] = 0;
    }
    wchar_t name[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, name, MAX_PATH))
        return CString();
    return CString(name);
}

}  // namespace Swiftlet
