#pragma once
// The machine's lettered volumes: drive letter, volume GUID path, device-interface path and
// the device instance ID of the volume's device node.
#include <windows.h>

#include <list>

#include "framework/CString.h"

class CVolumeEnumerateData {
public:
    virtual ~CVolumeEnumerateData() = default;

    UINT letter = 0;     // 'A'..'Z'
    CString volumeName;  // \\?\Volume{...}\ with its trailing backslash
    CString devicePath;  // device-interface path with a backslash appended
    CString deviceId;    // device instance ID; empty when the volume has no device node
};

using CVolumeEnumerateList = std::list<CVolumeEnumerateData>;

class CVolumeEnumerate {
public:
    // The list is owned by the caller and must outlive this object.
    explicit CVolumeEnumerate(CVolumeEnumerateList* list) : m_list(list) {}
    virtual ~CVolumeEnumerate() = default;

    // Empties the list, then adds every lettered volume and its device data.
    virtual void Enumerate();

protected:
    void AddDriveLetters();
    void AddDeviceInterfaces();
    // Gives every entry with this volume name the device path and ID.
    void AssignDevice(const CString& volumeName, const CString& devicePath, const CString& deviceId);

    CVolumeEnumerateList* m_list;
};

// The entry whose device instance ID equals deviceId (case-insensitive), or null. An empty
// ID matches nothing: volumes without a device node (Wine's Z:) must not claim a device.
const CVolumeEnumerateData* FindVolumeByDeviceId(const CVolumeEnumerateList& list, const CString& deviceId);
