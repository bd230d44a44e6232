#pragma once
// The USB walk that keeps one record per connected device that is not a hub: chosen
// values of its descriptors and a tree of the device nodes that belong to it, in which
// every lettered volume carries its drive letter.
#include <list>
#include <vector>
#include "foundation/USBEnumerate.h"
#include "foundation/VolumeEnumerate.h"
#include "foundation/tree.h"

namespace Swiftlet {
namespace USB {

// Values CUSBEnumerateEx records (its capture bits).
enum : UINT {
    CaptureVendorId = 0x1,
    CaptureProductId = 0x2,
    CaptureManufacturer = 0x4,
    CaptureProduct = 0x8,
    CaptureSerialNumber = 0x10,
    CaptureBcdUsb = 0x20,
    CaptureSpeed = 0x40,
    CaptureDriveLetter = 0x100, // with the device ID
    CaptureDeviceId = 0x200,
    CaptureEnumeratorName = 0x400,
    CaptureFriendlyName = 0x800,
    CaptureDescription = 0x1000,
    CaptureClassGuid = 0x2000,
    CaptureStatus = 0x4000,
    CaptureProblem = 0x8000,   // only together with CaptureStatus
    CaptureLowerFilters = 0x10000,
    CaptureUpperFilters = 0x20000,
    CaptureTreeMask = 0x3FF00, // any of these gives a record its tree
};

// One device node; zero and empty after construction.
class CUSBEnumerateExTreeData {
public:
    virtual ~CUSBEnumerateExTreeData() {}
    DWORD devInst = 0;
    USHORT driveLetter = 0; // 'A'..'Z' of the volume with this device ID, 0 for none
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
    DWORD speed = 0; // 0 low, 1 full, 2 high, 3 super
    // Root: the device's own node; below it its descendants and removal relations.
    ::tree<CUSBEnumerateExTreeData> tree;

    // Empties letters, appends the distinct drive letters of the tree in pre-order and
    // answers their number.
    int GetDriveLetters(std::vector<USHORT>& letters) const;
};

using CUSBEnumerateExList = std::list<CUSBEnumerateExData>;

class CUSBEnumerateEx : public CUSBEnumerateBase {
public:
    using DeviceTree = ::tree<CUSBEnumerateExTreeData>;
    // A device's node tree larger than this is cut off: real ones have a handful, and
    // removal relations that point back up the tree must not make it endless.
    static const int kMaxTreeNodes = 1024;

    // records belongs to the caller and must outlive this object.
    CUSBEnumerateEx(CUSBEnumerateExList& records, UINT modes, UINT capture,
                    IUSBSystem& system = CUSBSystem::Instance())
        : CUSBEnumerateBase(modes, system), records(records), capture(capture) {}
    ~CUSBEnumerateEx() override {}

    // Lists the volumes, empties records and walks the searches of modes.
    void Enumerate() override;
    void OnDevice(CUSBIoControl& hub, UINT port, const std::vector<BYTE>& connection) override;

    // Fills node from devInst, then appends its device-node children (each with its
    // siblings) and its removal relations (without theirs); with withSiblings 1 the
    // siblings of devInst follow node under node's parent.
    virtual void BuildDeviceTree(DEVINST devInst, int withSiblings, DeviceTree& tree,
                                 DeviceTree::iterator node);
    virtual void BuildTree(DEVINST devInst, CUSBEnumerateExData& record);
    virtual void FillTreeData(DEVINST devInst, CUSBEnumerateExTreeData& data);
    virtual void AddRecord(const CUSBEnumerateExData& record);

    CUSBEnumerateExList& records;
    CVolumeEnumerateList volumes;
    UINT capture;

private:
    void ReadStrings(CUSBIoControl& hub, UINT port, const BYTE* info, CUSBEnumerateExData& record);
    void AppendRemovalRelations(DeviceTree& tree, DeviceTree::iterator node);
    bool MayGrow() const { return m_treeNodes < kMaxTreeNodes && m_treeDepth < kMaxNodeDepth; }
    int m_treeNodes = 0;
    int m_treeDepth = 0;
};

} // namespace USB
} // namespace Swiftlet
