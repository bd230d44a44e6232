#pragma once
// The system calls the USB walk makes, behind one small interface so that a machine
// without USB controllers (or a test) can supply its own topology.
#include <windows.h>
#include <cfgmgr32.h>
#include <vector>
#include "framework/CString.h"
#include "foundation/VolumeEnumerate.h"

class IUSBSystem {
public:
    virtual ~IUSBSystem() {}

    // CreateFileW(path, GENERIC_WRITE, FILE_SHARE_WRITE, 0, OPEN_EXISTING, 0, 0).
    virtual HANDLE OpenDevice(const wchar_t* path) = 0;
    virtual void CloseDevice(HANDLE handle) = 0;
    virtual BOOL IoControl(HANDLE handle, DWORD code, void* in, DWORD inSize, void* out,
                           DWORD outSize, DWORD* returned) = 0;

    // SetupAPI: the device paths of the present host-controller interfaces, in the
    // system's order; false when the device-information set cannot be made.
    virtual bool GetHostControllerInterfaces(std::vector<CString>& paths) = 0;
    // SetupAPI: every present device node of all classes.
    virtual bool GetPresentDeviceNodes(std::vector<DEVINST>& nodes) = 0;

    // Configuration Manager.
    virtual CONFIGRET LocateDevNode(DEVINST* devInst, const wchar_t* deviceId) = 0;
    virtual CONFIGRET GetChild(DEVINST* child, DEVINST devInst) = 0;
    virtual CONFIGRET GetSibling(DEVINST* sibling, DEVINST devInst) = 0;
    virtual CONFIGRET GetParent(DEVINST* parent, DEVINST devInst) = 0;
    virtual CONFIGRET GetDeviceId(DEVINST devInst, wchar_t* buffer, ULONG chars) = 0;
    // length: in the buffer's size in bytes, out the size the value needs.
    virtual CONFIGRET GetRegistryProperty(DEVINST devInst, ULONG property, void* buffer,
                                          ULONG* length) = 0;
    virtual CONFIGRET GetDeviceIdListSize(ULONG* chars, const wchar_t* filter, ULONG flags) = 0;
    virtual CONFIGRET GetDeviceIdList(const wchar_t* filter, wchar_t* buffer, ULONG chars,
                                      ULONG flags) = 0;
    virtual CONFIGRET GetStatus(ULONG* status, ULONG* problem, DEVINST devInst) = 0;

    // The lettered volumes with the device instance IDs of their device nodes.
    virtual void GetVolumes(CVolumeEnumerateList& volumes) = 0;
};

// The seam on the running system.
class CUSBSystem : public IUSBSystem {
public:
    HANDLE OpenDevice(const wchar_t* path) override;
    void CloseDevice(HANDLE handle) override;
    BOOL IoControl(HANDLE handle, DWORD code, void* in, DWORD inSize, void* out,
                   DWORD outSize, DWORD* returned) override;
    bool GetHostControllerInterfaces(std::vector<CString>& paths) override;
    bool GetPresentDeviceNodes(std::vector<DEVINST>& nodes) override;
    CONFIGRET LocateDevNode(DEVINST* devInst, const wchar_t* deviceId) override;
    CONFIGRET GetChild(DEVINST* child, DEVINST devInst) override;
    CONFIGRET GetSibling(DEVINST* sibling, DEVINST devInst) override;
    CONFIGRET GetParent(DEVINST* parent, DEVINST devInst) override;
    CONFIGRET GetDeviceId(DEVINST devInst, wchar_t* buffer, ULONG chars) override;
    CONFIGRET GetRegistryProperty(DEVINST devInst, ULONG property, void* buffer,
                                  ULONG* length) override;
    CONFIGRET GetDeviceIdListSize(ULONG* chars, const wchar_t* filter, ULONG flags) override;
    CONFIGRET GetDeviceIdList(const wchar_t* filter, wchar_t* buffer, ULONG chars,
                              ULONG flags) override;
    CONFIGRET GetStatus(ULONG* status, ULONG* problem, DEVINST devInst) override;
    void GetVolumes(CVolumeEnumerateList& volumes) override;

    static CUSBSystem& Instance();
};
