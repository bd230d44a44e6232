#include "foundation/VolumeEnumerate.h"

#include <cfgmgr32.h>
#include <setupapi.h>

#include <vector>

#include "framework/Resource.h"

namespace {

// GUID_DEVINTERFACE_VOLUME
const GUID kVolumeInterfaceClass = {0x53F5630D, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
const DWORD kVolumeNameChars = 260;
const ULONG kDeviceIdChars = 400;

CString VolumeNameOf(const CString& mountPoint) {
    wchar_t buffer[kVolumeNameChars] = {};
    if (!GetVolumeNameForVolumeMountPointW(mountPoint, buffer, kVolumeNameChars)) return CString();
    buffer[kVolumeNameChars - 1] = L'\0';
    return CString(buffer);
}

}  // namespace

void CVolumeEnumerate::Enumerate() {
    m_list->clear();
    AddDriveLetters();
    AddDeviceInterfaces();
}

void CVolumeEnumerate::AddDriveLetters() {
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        const wchar_t root[] = {letter, L':', L'\\', L'\0'};
        CString volume = VolumeNameOf(root);
        if (volume.IsEmpty()) continue;
        CVolumeEnumerateData entry;
        entry.letter = letter;
        entry.volumeName = volume;
        m_list->push_back(entry);
    }
}

void CVolumeEnumerate::AddDeviceInterfaces() {
    UniqueDeviceInfoSet set(SetupDiGetClassDevsW(&kVolumeInterfaceClass, nullptr, nullptr,
                                                 DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!set) return;

    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA item = {};
        item.cbSize = sizeof(item);
        if (!SetupDiEnumDeviceInterfaces(set.get(), nullptr, &kVolumeInterfaceClass, index, &item)) break;

        DWORD required = 0;
        SetupDiGetDeviceInterfaceDetailW(set.get(), &item, nullptr, 0, &required, nullptr);
        if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
        // One spare character so the path is terminated whatever the call wrote.
        std::vector<BYTE> buffer(required + sizeof(wchar_t), 0);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        SP_DEVINFO_DATA node = {};
        node.cbSize = sizeof(node);
        if (!SetupDiGetDeviceInterfaceDetailW(set.get(), &item, detail, required, nullptr, &node)) continue;

        CString devicePath = CString(detail->DevicePath) + L"\\";
        CString volume = VolumeNameOf(devicePath);
        if (volume.IsEmpty()) continue;

        CString deviceId;
        if (node.DevInst != 0) {
            wchar_t id[kDeviceIdChars] = {};
            if (CM_Get_Device_IDW(node.DevInst, id, kDeviceIdChars, 0) == CR_SUCCESS) {
                id[kDeviceIdChars - 1] = L'\0';
                deviceId = id;
            }
        }
        AssignDevice(volume, devicePath, deviceId);
    }
}

void CVolumeEnumerate::AssignDevice(const CString& volumeName, const CString& devicePath,
                                    const CString& deviceId) {
    if (volumeName.IsEmpty()) return;
    for (CVolumeEnumerateData& entry : *m_list) {
        if (entry.volumeName.CompareNoCase(volumeName) != 0) continue;
        entry.devicePath = devicePath;
        if (!deviceId.IsEmpty()) entry.deviceId = deviceId;
    }
}

const CVolumeEnumerateData* FindVolumeByDeviceId(const CVolumeEnumerateList& list, const CString& deviceId) {
    if (deviceId.IsEmpty()) return nullptr;
    for (const CVolumeEnumerateData& entry : list) {
        if (!entry.deviceId.IsEmpty() && entry.deviceId.CompareNoCase(deviceId) == 0) return &entry;
    }
    return nullptr;
}
