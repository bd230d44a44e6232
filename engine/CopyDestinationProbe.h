#pragma once
// What the job builder asks about the destination drive, behind one small interface:
// the machines the tests run on have no USB disks and no disk cache service.
#include <cstdint>

#include "engine/CopyOption.h"
#include "foundation/USBSystem.h"

namespace Swiftlet {

class ICopyDestinationProbe {
public:
    virtual ~ICopyDestinationProbe() = default;

    // Finds the USB devices and their volumes and applies them to the destination
    // (creator.ApplyUsbDevices); letter is the destination's drive letter.
    virtual void ProbeUsb(wchar_t letter, CopyPathInfoCreator& creator) = 0;
    // Asks the disk cache service for the disk that holds letter; data stays as it was
    // when the service does not answer.
    virtual void QueryCache(wchar_t letter, DiskCacheSettingData& data) = 0;
    // Total size of the volume that holds longPath; false when the query fails.
    virtual bool GetTotalBytes(const CString& longPath, uint64_t& totalBytes) = 0;
    // File-system name ("NTFS", "FAT32", ...) of the volume that holds path; empty
    // when it cannot be read.
    virtual CString GetFileSystemName(const CString& path) = 0;
};

// Asks the running system. The USB topology is read through usbSystem, which must
// outlive the probe.
class SystemCopyDestinationProbe : public ICopyDestinationProbe {
public:
    explicit SystemCopyDestinationProbe(IUSBSystem& usbSystem = CUSBSystem::Instance())
        : usbSystem(usbSystem) {}

    void ProbeUsb(wchar_t letter, CopyPathInfoCreator& creator) override;
    void QueryCache(wchar_t letter, DiskCacheSettingData& data) override;
    bool GetTotalBytes(const CString& longPath, uint64_t& totalBytes) override;
    CString GetFileSystemName(const CString& path) override;

private:
    IUSBSystem& usbSystem;
};

}  // namespace Swiftlet
