#pragma once
// Reads a disk's cache and hot-plug properties from a volume handle, for one drive
// letter at a time. Only reads: no setting of any disk is changed.
#include <windows.h>

#include <cstdint>
#include <memory>

namespace Swiftlet {

inline constexpr DWORD kIoctlDiskGetCacheInformation = 0x740D4;
inline constexpr DWORD kIoctlDiskGetCacheSetting = 0x740E0;
inline constexpr DWORD kIoctlStorageGetHotplugInfo = 0x2D0C14;

// The record exactly as it travels in the reply to the cache query: the three system
// structures byte for byte (alignment bytes included), then their valid flags.
struct DiskCacheRecord {
    uint8_t cacheInformation[24];  // DISK_CACHE_INFORMATION
    uint8_t cacheSetting[12];      // DISK_CACHE_SETTING
    uint8_t hotplugInformation[8]; // STORAGE_HOTPLUG_INFO
    int32_t cacheInformationValid;
    int32_t cacheSettingValid;
    int32_t hotplugInformationValid;
};
static_assert(sizeof(DiskCacheRecord) == 56, "the cache record is 56 bytes on the wire");

// An open volume. Control issues one buffered control code without input.
class IVolumeDevice {
public:
    virtual ~IVolumeDevice() = default;
    virtual bool Control(DWORD code, void* out, DWORD outSize, DWORD& bytesReturned) = 0;
};

// Opens volumes by their device path ("\\.\C:"). Null when the volume cannot be opened.
class IVolumeDevices {
public:
    virtual ~IVolumeDevices() = default;
    virtual std::unique_ptr<IVolumeDevice> Open(const wchar_t* devicePath) = 0;
};

// The system's volumes: CreateFileW for reading with read/write sharing, DeviceIoControl.
class SystemVolumeDevices : public IVolumeDevices {
public:
    std::unique_ptr<IVolumeDevice> Open(const wchar_t* devicePath) override;
};

// Queries the volume of driveLetter. Any failure leaves its part of the record zero
// with its flag 0; a volume that cannot be opened gives 56 zero bytes. Only A-Z and
// a-z are opened: the letter comes from another process, and anything else would
// build a device path that names no drive.
DiskCacheRecord QueryDiskCache(wchar_t driveLetter, IVolumeDevices& devices);
DiskCacheRecord QueryDiskCache(wchar_t driveLetter);

}  // namespace Swiftlet
