#include "foundation/USBSystem.h"
#include <setupapi.h>
#include <winioctl.h>
#include <memory>

#include "framework/Resource.h"

namespace {

// {3ABF6F2D-71C4-462A-8A92-1E6861E6AF27}
const GUID kHostControllerInterface = {0x3abf6f2d, 0x71c4, 0x462a, {0x8a, 0x92, 0x1e, 0x68, 0x61, 0xe6, 0xaf, 0x27}};

// Device paths of the present interfaces of one class, in the system's order.
bool InterfacePaths(const GUID& guid, std::vector<CString>& paths) {
    UniqueDeviceInfoSet info(SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!info)
        return false;
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA data = {};
        data.cbSize = sizeof(data);
        if (!SetupDiEnumDeviceInterfaces(info.get(), nullptr, &guid, index, &data))
            break;
        DWORD required = 0;
        SetupDiGetDeviceInterfaceDetailW(info.get(), &data, nullptr, 0, &required, nullptr);
        if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W))
            continue;
        // One spare character, so the path ends whatever the call wrote.
        std::unique_ptr<BYTE[]> buffer(new BYTE[required + sizeof(wchar_t)]());
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.get());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        if (!SetupDiGetDeviceInterfaceDetailW(info.get(), &data, detail, required, nullptr, nullptr))
            continue;
        paths.push_back(CString(detail->DevicePath));
    }
    return true;
}

} // namespace

CUSBSystem& CUSBSystem::Instance() {
    static CUSBSystem system;
    return system;
}

HANDLE CUSBSystem::OpenDevice(const wchar_t* path) {
    return CreateFileW(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

void CUSBSystem::CloseDevice(HANDLE handle) {
    CloseHandle(handle);
}

BOOL CUSBSystem::IoControl(HANDLE handle, DWORD code, void* in, DWORD inSize, void* out,
                           DWORD outSize, DWORD* returned) {
    return DeviceIoControl(handle, code, in, inSize, out, outSize, returned, nullptr);
}

bool CUSBSystem::GetHostControllerInterfaces(std::vector<CString>& paths) {
    return InterfacePaths(kHostControllerInterface, paths);
}

bool CUSBSystem::GetPresentDeviceNodes(std::vector<DEVINST>& nodes) {
    UniqueDeviceInfoSet info(SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES));
    if (!info)
        return false;
    SP_DEVINFO_DATA data = {};
    data.cbSize = sizeof(data);
    for (DWORD index = 0; SetupDiEnumDeviceInfo(info.get(), index, &data); ++index)
        nodes.push_back(data.DevInst);
    return true;
}

CONFIGRET CUSBSystem::LocateDevNode(DEVINST* devInst, const wchar_t* deviceId) {
    return CM_Locate_DevNodeW(devInst, const_cast<wchar_t*>(deviceId), 0);
}

CONFIGRET CUSBSystem::GetChild(DEVINST* child, DEVINST devInst) {
    return CM_Get_Child(child, devInst, 0);
}

CONFIGRET CUSBSystem::GetSibling(DEVINST* sibling, DEVINST devInst) {
    return CM_Get_Sibling(sibling, devInst, 0);
}

CONFIGRET CUSBSystem::GetParent(DEVINST* parent, DEVINST devInst) {
    return CM_Get_Parent(parent, devInst, 0);
}

CONFIGRET CUSBSystem::GetDeviceId(DEVINST devInst, wchar_t* buffer, ULONG chars) {
    return CM_Get_Device_IDW(devInst, buffer, chars, 0);
}

CONFIGRET CUSBSystem::GetRegistryProperty(DEVINST devInst, ULONG property, void* buffer,
                                          ULONG* length) {
    return CM_Get_DevNode_Registry_PropertyW(devInst, property, nullptr, buffer, length, 0);
}

CONFIGRET CUSBSystem::GetDeviceIdListSize(ULONG* chars, const wchar_t* filter, ULONG flags) {
    return CM_Get_Device_ID_List_SizeW(chars, filter, flags);
}

CONFIGRET CUSBSystem::GetDeviceIdList(const wchar_t* filter, wchar_t* buffer, ULONG chars,
                                      ULONG flags) {
    return CM_Get_Device_ID_ListW(filter, buffer, chars, flags);
}

CONFIGRET CUSBSystem::GetStatus(ULONG* status, ULONG* problem, DEVINST devInst) {
    return CM_Get_DevNode_Status(status, problem, devInst, 0);
}

void CUSBSystem::GetVolumes(CVolumeEnumerateList& volumes) {
    CVolumeEnumerate(&volumes).Enumerate();
}
