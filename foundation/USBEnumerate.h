#pragma once
// The walk over the machine's USB topology (host controllers, hubs, ports, devices) and
// the records it keeps of the devices that are not hubs.
#include <windows.h>
#include <list>
#include <vector>
#include "framework/CString.h"
#include "foundation/USBIoControl.h"
#include "foundation/USBSystem.h"
#include "foundation/VolumeEnumerate.h"
#include "foundation/tree.h"

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
    enum { ModeHcdName = 1, ModeInterface = 2, ModeDeviceNode = 4 };
    // Hubs may be chained five deep behind a root hub; more means a loop.
    static const int kMaxHubDepth = 8;
    static const int kMaxNodeDepth = 64;

    explicit CUSBEnumerateBase(UINT modes, IUSBSystem& system = CUSBSystem::Instance())
        : modes(modes), system(system) {}
    virtual ~CUSBEnumerateBase() {}
    CUSBEnumerateBase(const CUSBEnumerateBase&) = delete;
    CUSBEnumerateBase& operator=(const CUSBEnumerateBase&) = delete;

    virtual void Enumerate();
    virtual void EnumerateByHcdName();
    virtual void EnumerateByInterface();
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

    void OpenHostController(const CString& path);
    void EnumerateHub(const CString& name);
    int AddKnown(const CString& name);

    static int IsHostControllerService(const CString& service);
    static int IsHostControllerDescription(const CString& description);
    static int IsHub(const CString& service, const CString& description);

    std::vector<CString> known;
    UINT modes;
    IUSBSystem& system;

private:
    int m_hubDepth = 0;
    int m_nodeDepth = 0;
};

// A single-text device-node property read into a 400-byte buffer; 0 when it cannot be
// read (the text is then left as it was).
int GetTextProperty(IUSBSystem& system, DEVINST devInst, ULONG property, CString& text);
DEVINST FindDeviceNodeByDriverKey(const CString& driverKey, IUSBSystem& system = CUSBSystem::Instance());
int GetMultiStringProperty(DEVINST devInst, ULONG property, std::list<CString>& list,
                           IUSBSystem& system = CUSBSystem::Instance());

namespace Swiftlet {
namespace USB {

enum : UINT {
    CaptureVendorId = 0x1,
    CaptureProductId = 0x2,
    CaptureManufacturer = 0x4,
    CaptureProduct = 0x8,
    CaptureSerialNumber = 0x10,
    CaptureBcdUsb = 0x20,
    CaptureSpeed = 0x40,
    CaptureDriveLetter = 0x100,
    CaptureDeviceId = 0x200,
    CaptureEnumeratorName = 0x400,
    CaptureFriendlyName = 0x800,
    CaptureDescription = 0x1000,
    CaptureClassGuid = 0x2000,
    CaptureStatus = 0x4000,
    CaptureProblem = 0x8000,
    CaptureLowerFilters = 0x10000,
    CaptureUpperFilters = 0x20000,
    CaptureTreeMask = 0x3FF00,
};

class CUSBEnumerateExTreeData {
public:
    virtual ~CUSBEnumerateExTreeData() {}
    DWORD devInst = 0;
    USHORT driveLetter = 0;
    CString deviceId;
    CString enumeratorName;
    CString friendlyName;
    CString description;
    CString classGuid;
    std::list<CString> lowerFilters;
    std::list<CString> upperFilters;
    DWORD status = 0;
    DWORD problem = 0;
};

class CUSBEnumerateExData : public CUSBEnumerateData {
public:
    USHORT bcdUSB = 0;
    DWORD speed = 0;
    ::tree<CUSBEnumerateExTreeData> tree;

    // The distinct drive letters of the tree in pre-order.
    int GetDriveLetters(std::vector<USHORT>& letters) const;
};

using CUSBEnumerateExList = std::list<CUSBEnumerateExData>;

class CUSBEnumerateEx : public CUSBEnumerateBase {
public:
    // A device's node tree larger than this is cut off: real trees have a handful.
    static const int kMaxTreeNodes = 1024;

    CUSBEnumerateEx(CUSBEnumerateExList& records, UINT modes, UINT capture,
                    IUSBSystem& system = CUSBSystem::Instance())
        : CUSBEnumerateBase(modes, system), records(records), capture(capture) {}
    ~CUSBEnumerateEx() override {}

    void Enumerate() override;
    void OnDevice(CUSBIoControl& hub, UINT port, const std::vector<BYTE>& connection) override;

    using DeviceTree = ::tree<CUSBEnumerateExTreeData>;
    virtual void BuildDeviceTree(DEVINST devInst, int withSiblings, DeviceTree& tree,
                                 DeviceTree::iterator node);
    virtual void BuildTree(DEVINST devInst, CUSBEnumerateExData& record);
    virtual void FillTreeData(DEVINST devInst, CUSBEnumerateExTreeData& data);
    virtual void AddRecord(const CUSBEnumerateExData& record);

    CUSBEnumerateExList& records;
    CVolumeEnumerateList volumes;
    UINT capture;

private:
    void BuildNode(DEVINST devInst, DeviceTree& tree, DeviceTree::iterator node, int depth);
    void ReadStrings(CUSBIoControl& hub, UINT port, const BYTE* info, CUSBEnumerateExData& record);
    int m_treeNodes = 0;
};

// The USB device whose volumes include the given drive letter, as the job builder looks
// for it (both host-controller searches, bcdUSB, device IDs with letters, descriptions).
// Returns 1 and fills record when one is found, else 0.
int FindUsbDeviceByDriveLetter(wchar_t letter, CUSBEnumerateExData& record,
                               IUSBSystem& system = CUSBSystem::Instance());

} // namespace USB
} // namespace Swiftlet
