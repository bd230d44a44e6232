#pragma once
// The destination disk's cache and hot-plug properties as the disk cache service read
// them, each followed by a flag that tells whether that query succeeded. All zero until
// the service answers.
#include <windows.h>

#include <cstdint>

namespace Swiftlet {

class DiskCacheSettingData {
public:
    DiskCacheSettingData() = default;
    virtual ~DiskCacheSettingData() = default;

    uint32_t cacheInformation[6] = {};  // DISK_CACHE_INFORMATION, 24 bytes
    uint32_t cacheSetting[3] = {};      // DISK_CACHE_SETTING, 12 bytes
    uint8_t hotplugInformation[8] = {}; // STORAGE_HOTPLUG_INFO, 8 bytes
    int32_t cacheInformationValid = 0;
    int32_t cacheSettingValid = 0;
    int32_t hotplugInformationValid = 0;

    // Fields of the hot-plug record (STORAGE_HOTPLUG_INFO: Size, MediaRemovable,
    // MediaHotplug, DeviceHotplug, WriteCacheEnableOverride).
    uint8_t MediaRemovable() const { return hotplugInformation[4]; }
    uint8_t MediaHotplug() const { return hotplugInformation[5]; }
    uint8_t DeviceHotplug() const { return hotplugInformation[6]; }
};

static_assert(sizeof(DiskCacheSettingData::cacheInformation) == 24 &&
                  sizeof(DiskCacheSettingData::cacheSetting) == 12 &&
                  sizeof(DiskCacheSettingData::hotplugInformation) == 8,
              "the fields hold the system structures byte for byte");

}  // namespace Swiftlet
