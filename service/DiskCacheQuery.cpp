#include "service/DiskCacheQuery.h"

#include <cstring>
#include <utility>

#include "framework/Resource.h"

namespace Swiftlet {

namespace {

class SystemVolumeDevice : public IVolumeDevice {
public:
    explicit SystemVolumeDevice(UniqueFile handle) : m_handle(std::move(handle)) {}

    bool Control(DWORD code, void* out, DWORD outSize, DWORD& bytesReturned) override {
        bytesReturned = 0;
        return DeviceIoControl(m_handle.get(), code, nullptr, 0, out, outSize, &bytesReturned, nullptr) != FALSE;
    }

private:
    UniqueFile m_handle;
};

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// One control code into a zeroed buffer of the field's size; the field is only
// touched when the query counts as a success.
template <size_t N>
int32_t QueryField(IVolumeDevice& device, DWORD code, uint8_t (&field)[N], bool needFullSize) {
    uint8_t buffer[N] = {};
    DWORD returned = 0;
    if (!device.Control(code, buffer, N, returned)) return 0;
    if (needFullSize && returned != N) return 0;
    std::memcpy(field, buffer, N);
    return 1;
}

}  // namespace

std::unique_ptr<IVolumeDevice> SystemVolumeDevices::Open(const wchar_t* devicePath) {
    UniqueFile device(CreateFileW(devicePath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!device) return nullptr;
    return std::make_unique<SystemVolumeDevice>(std::move(device));
}

DiskCacheRecord QueryDiskCache(wchar_t driveLetter, IVolumeDevices& devices) {
    DiskCacheRecord record{};
    if (!IsDriveLetter(driveLetter)) return record;
    const wchar_t path[] = {L'\\', L'\\', L'.', L'\\', driveLetter, L':', 0};
    std::unique_ptr<IVolumeDevice> device = devices.Open(path);
    if (!device) return record;
    // Independent queries: a device that lacks one still answers the others.
    record.cacheInformationValid =
        QueryField(*device, kIoctlDiskGetCacheInformation, record.cacheInformation, true);
    record.cacheSettingValid = QueryField(*device, kIoctlDiskGetCacheSetting, record.cacheSetting, false);
    record.hotplugInformationValid =
        QueryField(*device, kIoctlStorageGetHotplugInfo, record.hotplugInformation, false);
    return record;
}

DiskCacheRecord QueryDiskCache(wchar_t driveLetter) {
    SystemVolumeDevices devices;
    return QueryDiskCache(driveLetter, devices);
}

}  // namespace Swiftlet
