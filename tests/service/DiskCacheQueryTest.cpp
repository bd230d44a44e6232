#include "service/DiskCacheQuery.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/service/SimulatedVolumes.h"

using namespace Swiftlet;
using TestVolumes::Answer;
using TestVolumes::SimulatedVolumes;

namespace {

std::string Bytes(size_t n, char first) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(first + i);
    return s;
}

bool IsZero(const void* p, size_t n) {
    const uint8_t* b = static_cast<const uint8_t*>(p);
    for (size_t i = 0; i < n; ++i)
        if (b[i]) return false;
    return true;
}

// A letter no drive uses here.
wchar_t UnusedDriveLetter() {
    DWORD drives = GetLogicalDrives();
    for (int i = 25; i >= 0; --i)
        if (!(drives & (1u << i))) return static_cast<wchar_t>(L'A' + i);
    return 0;
}

}  // namespace

TEST(DiskCacheQuery, DeviceAnsweringAllThreeFillsEveryField) {
    SimulatedVolumes volumes;
    volumes.volumes[L'E'] = {{kIoctlDiskGetCacheInformation, {Bytes(24, 1), 24}},
                             {kIoctlDiskGetCacheSetting, {Bytes(12, 40), 12}},
                             {kIoctlStorageGetHotplugInfo, {Bytes(8, 60), 8}}};
    DiskCacheRecord r = QueryDiskCache(L'e', volumes);
    ASSERT_EQ(1u, volumes.opened.size());
    EXPECT_EQ(L"\\\\.\\e:", volumes.opened[0]);
    EXPECT_EQ(0, std::memcmp(r.cacheInformation, Bytes(24, 1).data(), 24));
    EXPECT_EQ(0, std::memcmp(r.cacheSetting, Bytes(12, 40).data(), 12));
    EXPECT_EQ(0, std::memcmp(r.hotplugInformation, Bytes(8, 60).data(), 8));
    EXPECT_EQ(1, r.cacheInformationValid);
    EXPECT_EQ(1, r.cacheSettingValid);
    EXPECT_EQ(1, r.hotplugInformationValid);
    EXPECT_EQ(1, volumes.closed);
}

TEST(DiskCacheQuery, DeviceAnsweringOnlyHotplugStillGetsAllThreeQueries) {
    SimulatedVolumes volumes;
    volumes.volumes[L'F'] = {{kIoctlStorageGetHotplugInfo, {Bytes(8, 9), 8}}};
    DiskCacheRecord r = QueryDiskCache(L'F', volumes);
    EXPECT_EQ((std::vector<DWORD>{kIoctlDiskGetCacheInformation, kIoctlDiskGetCacheSetting,
                                  kIoctlStorageGetHotplugInfo}),
              volumes.codes);
    EXPECT_TRUE(IsZero(r.cacheInformation, 24));
    EXPECT_TRUE(IsZero(r.cacheSetting, 12));
    EXPECT_EQ(0, r.cacheInformationValid);
    EXPECT_EQ(0, r.cacheSettingValid);
    EXPECT_EQ(0, std::memcmp(r.hotplugInformation, Bytes(8, 9).data(), 8));
    EXPECT_EQ(1, r.hotplugInformationValid);
}

TEST(DiskCacheQuery, ShortCacheInformationCountsAsFailureButShortSettingDoesNot) {
    SimulatedVolumes volumes;
    // The device wrote part of its reply before it stopped: none of it may show.
    volumes.volumes[L'G'] = {{kIoctlDiskGetCacheInformation, {Bytes(24, 1), 20}},
                             {kIoctlDiskGetCacheSetting, {Bytes(12, 7), 8}}};
    DiskCacheRecord r = QueryDiskCache(L'G', volumes);
    EXPECT_TRUE(IsZero(r.cacheInformation, 24));
    EXPECT_EQ(0, r.cacheInformationValid);
    EXPECT_EQ(1, r.cacheSettingValid);
    EXPECT_EQ(0, std::memcmp(r.cacheSetting, Bytes(12, 7).data(), 12));
    EXPECT_EQ(0, r.hotplugInformationValid);
}

TEST(DiskCacheQuery, VolumeThatCannotBeOpenedGivesZeroRecord) {
    SimulatedVolumes volumes;
    DiskCacheRecord r = QueryDiskCache(L'Q', volumes);
    EXPECT_EQ(1u, volumes.opened.size());
    EXPECT_TRUE(IsZero(&r, sizeof r));
}

TEST(DiskCacheQuery, NonLetterOpensNoVolume) {
    SimulatedVolumes volumes;
    volumes.volumes[L'C'] = {{kIoctlStorageGetHotplugInfo, {Bytes(8, 1), 8}}};
    for (wchar_t c : {L'\0', L'\\', L'.', L'?', L'1', L'@', L'[', static_cast<wchar_t>(0xFF23) /* full-width C */}) {
        DiskCacheRecord r = QueryDiskCache(c, volumes);
        EXPECT_TRUE(IsZero(&r, sizeof r)) << static_cast<int>(c);
    }
    EXPECT_TRUE(volumes.opened.empty());
}

TEST(DiskCacheQuery, RealVolumeOfUnusedLetterGivesZeroRecord) {
    wchar_t letter = UnusedDriveLetter();
    ASSERT_NE(0, letter);
    DiskCacheRecord r = QueryDiskCache(letter);
    EXPECT_TRUE(IsZero(&r, sizeof r));
}

TEST(DiskCacheQuery, RealSystemVolumeReportsOnlyWhatItAnswered) {
    // Wine opens \\.\C: but answers neither the cache nor the hot-plug query; on Windows
    // this needs rights to open the volume. Either way a flag of 0 means a zero field.
    DiskCacheRecord r = QueryDiskCache(L'C');
    if (!r.cacheInformationValid) {
        EXPECT_TRUE(IsZero(r.cacheInformation, 24));
    }
    if (!r.cacheSettingValid) {
        EXPECT_TRUE(IsZero(r.cacheSetting, 12));
    }
    if (!r.hotplugInformationValid) {
        EXPECT_TRUE(IsZero(r.hotplugInformation, 8));
    } else {
        EXPECT_EQ(8, r.hotplugInformation[0]);  // STORAGE_HOTPLUG_INFO.Size
    }
}
