#pragma once
// The disk that SimulatedDiskService.exe plays on drive Z:: a hot-plug disk answering
// all three queries with values no real volume under Wine gives.
#include <cstdint>
#include <cstring>
#include <memory>

#include "service/DiskCacheQuery.h"

namespace SimulatedDisk {

inline constexpr uint8_t kCacheInformation[24] = {1, 1, 1, 0, 3, 0, 0, 0, 2, 0, 0, 0,
                                                  0x10, 0, 0x20, 0, 0x30, 0, 0, 0, 0x40, 0, 0, 0};
inline constexpr uint8_t kCacheSetting[12] = {1, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0};
// Size 8, not removable, hot-plug media, hot-plug device, no write-cache override.
inline constexpr uint8_t kHotplugInformation[8] = {8, 0, 0, 0, 0, 1, 1, 0};

class Device : public Swiftlet::IVolumeDevice {
public:
    bool Control(DWORD code, void* out, DWORD outSize, DWORD& returned) override {
        const uint8_t* answer = nullptr;
        DWORD size = 0;
        if (code == Swiftlet::kIoctlDiskGetCacheInformation) answer = kCacheInformation, size = 24;
        if (code == Swiftlet::kIoctlDiskGetCacheSetting) answer = kCacheSetting, size = 12;
        if (code == Swiftlet::kIoctlStorageGetHotplugInfo) answer = kHotplugInformation, size = 8;
        if (!answer || outSize < size) return false;
        std::memcpy(out, answer, size);
        returned = size;
        return true;
    }
};

// Z: is the simulated disk; every other letter is opened as usual.
class Devices : public Swiftlet::IVolumeDevices {
public:
    std::unique_ptr<Swiftlet::IVolumeDevice> Open(const wchar_t* path) override {
        if (path[4] == L'Z' || path[4] == L'z') return std::make_unique<Device>();
        return m_system.Open(path);
    }

private:
    Swiftlet::SystemVolumeDevices m_system;
};

}  // namespace SimulatedDisk
