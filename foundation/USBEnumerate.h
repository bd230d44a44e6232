#pragma once
// The walk over the machine's USB topology: host controllers, their root hubs, the
// ports of every hub, the external hubs behind ports and the devices on ports. Every
// step is a virtual operation, so a derived class decides what to keep.
#include <windows.h>
#include <list>
#include <vector>
#include "framework/CString.h"
#include "foundation/USBIoControl.h"
#include "foundation/USBSystem.h"

// The identification of a device; zero and empty after construction.
class CUSBEnumerateData {
public:
    virtual ~CUSBEnumerateData() {}
    USHORT vendorId = 0;
    USHORT productId = 0;
    CString manufacturer;
    CString product;
    CString serialNumber;
};

class CUSBEnumerateBase {
public:
    // The searches Enumerate runs.
    enum : UINT { ModeHcdName = 1, ModeInterface = 2, ModeDeviceNode = 4 };
    // USB allows five hubs in a chain below a root hub; a deeper chain means the
    // system reports a loop.
    static const int kMaxHubDepth = 8;
    // Device-node trees are a handful of levels deep; deeper means a loop.
    static const int kMaxNodeDepth = 64;

    explicit CUSBEnumerateBase(UINT modes, IUSBSystem& system = CUSBSystem::Instance())
        : modes(modes), system(system) {}
    virtual ~CUSBEnumerateBase() {}
    CUSBEnumerateBase(const CUSBEnumerateBase&) = delete;
    CUSBEnumerateBase& operator=(const CUSBEnumerateBase&) = delete;

    // Empties known, then runs the searches of modes in the order 1, 2, 4.
    virtual void Enumerate();
    // Search 1: the controllers named "\\.\HCD0" to "\\.\HCD9".
    virtual void EnumerateByHcdName();
    // Search 2: the controllers' device interfaces.
    virtual void EnumerateByInterface();
    // Search 4: the present device nodes that look like host controllers.
    virtual void EnumerateByDeviceNode();
    virtual void OnHostControllerNode(DEVINST devInst);
    virtual void OnHostController(const CString& path);
    virtual void OnRootHub(const CString& name);
    virtual void OnPort(CUSBIoControl& hub, UINT port);
    virtual void OnHubNode(DEVINST devInst);
    virtual void OnExternalHub(CUSBIoControl& hub, UINT port, const std::vector<BYTE>& connection);
    virtual void OnDeviceNode(DEVINST devInst);
    virtual void OnDevice(CUSBIoControl& hub, UINT port, const std::vector<BYTE>& connection);
    virtual void WalkDeviceNode(DEVINST devInst);

    // Walks the controller at path unless its driver key was seen before.
    void OpenHostController(const CString& path);
    // Opens "\\.\" + name and walks its ports; the hub stays open meanwhile.
    void EnumerateHub(const CString& name);
    // 1 when the upper-cased name was not yet known (it is now), else 0.
    int AddKnown(const CString& name);

    static int IsHostControllerService(const CString& service);
    static int IsHostControllerDescription(const CString& description);
    static int IsHub(const CString& service, const CString& description);

    std::vector<CString> known; // upper-cased driver keys of the controllers walked
    UINT modes;
    IUSBSystem& system;

private:
    int m_hubDepth = 0;
    int m_nodeDepth = 0;
};

// A single-text device-node property read into a 400-byte buffer. On failure, which
// includes a longer value, the text keeps its value and the answer is 0.
int GetTextProperty(IUSBSystem& system, DEVINST devInst, ULONG property, CString& text);
// The device node whose driver key (CM_DRP_DRIVER) equals driverKey without regard to
// case, searched over the whole device-node tree; 0 when there is none.
DEVINST FindDeviceNodeByDriverKey(const CString& driverKey, IUSBSystem& system = CUSBSystem::Instance());
// Appends the strings of a multi-string property in order; 1 also when the node has no
// such value, 0 when it cannot be read.
int GetMultiStringProperty(DEVINST devInst, ULONG property, std::list<CString>& list,
                           IUSBSystem& system = CUSBSystem::Instance());
