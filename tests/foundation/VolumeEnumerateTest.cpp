#include "foundation/VolumeEnumerate.h"

#include <gtest/gtest.h>

#include "foundation/Paths.h"

TEST(VolumeEnumerate, ListsEveryLetteredVolumeOnce) {
    CVolumeEnumerateList list;
    list.push_back(CVolumeEnumerateData());  // emptied first
    CVolumeEnumerate volumes(&list);
    volumes.Enumerate();

    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    bool sawSystem = false, sawZ = false;
    UINT previous = 0;
    for (const CVolumeEnumerateData& entry : list) {
        EXPECT_GT(entry.letter, previous);  // A to Z, each once
        previous = entry.letter;
        EXPECT_EQ(0, entry.volumeName.Find(L"\\\\?\\Volume{")) << entry.volumeName.GetString();
        EXPECT_EQ(L'\\', entry.volumeName[entry.volumeName.GetLength() - 1]);
        if (!entry.devicePath.IsEmpty()) {
            EXPECT_EQ(L'\\', entry.devicePath[entry.devicePath.GetLength() - 1]);
        }
        if (entry.letter == static_cast<UINT>(system[0])) sawSystem = true;
        if (entry.letter == L'Z') sawZ = true;
    }
    EXPECT_TRUE(sawSystem);
    // Under Wine the Unix root is the volume mounted as Z:.
    if (GetDriveTypeW(L"Z:\\") != DRIVE_NO_ROOT_DIR) {
        EXPECT_TRUE(sawZ);
    }

    // Listing again gives the same list, not a longer one.
    const size_t count = list.size();
    volumes.Enumerate();
    EXPECT_EQ(count, list.size());

    EXPECT_EQ(nullptr, FindVolumeByDeviceId(list, CString()));
    EXPECT_EQ(nullptr, FindVolumeByDeviceId(list, L"NO\\SUCH\\DEVICE"));
}
