#include "foundation/USBEnumerateEx.h"
#include <cstring>
#include <memory>

using namespace USBLayout;

namespace Swiftlet {
namespace USB {

namespace {

USHORT ReadU16(const BYTE* p) {
    return static_cast<USHORT>(p[0] | (p[1] << 8));
}

// A removal-relation list longer than this (in characters) is not believed.
const ULONG kMaxIdListChars = 0x10000;

} // namespace

int CUSBEnumerateExData::GetDriveLetters(std::vector<USHORT>& letters) const {
    letters.clear();
    for (auto it = tree.begin(); it != tree.end(); ++it) {
        const USHORT letter = it->driveLetter;
        if (letter == 0)
            continue;
        bool seen = false;
        for (USHORT l : letters)
            seen = seen || l == letter;
        if (!seen)
            letters.push_back(letter);
    }
    return static_cast<int>(letters.size());
}

void CUSBEnumerateEx::Enumerate() {
    volumes.clear();
    system.GetVolumes(volumes);
    records.clear();
    CUSBEnumerateBase::Enumerate();
}

void CUSBEnumerateEx::OnDevice(CUSBIoControl& hub, UINT port, const std::vector<BYTE>& connection) {
    if (connection.size() < kConnectionInfoHeader)
        return;
    const BYTE* info = connection.data();
    DWORD status = 0;
    memcpy(&status, info + kConnectionStatus, sizeof(status));
    if (status != 1) // DeviceConnected
        return;
    CUSBEnumerateExData record;
    if (capture & CaptureVendorId)
        record.vendorId = ReadU16(info + kIdVendor);
    if (capture & CaptureProductId)
        record.productId = ReadU16(info + kIdProduct);
    if (capture & CaptureBcdUsb)
        record.bcdUSB = ReadU16(info + kBcdUsb);
    if (capture & CaptureSpeed)
        record.speed = info[kSpeed];
    ReadStrings(hub, port, info, record);

    CString key;
    if (!hub.GetNodeConnectionDriverKeyName(port, key))
        return;
    const DEVINST devInst = FindDeviceNodeByDriverKey(key, system);
    if (capture & CaptureTreeMask)
        BuildTree(devInst, record);
    AddRecord(record);
}

// The strings are read in the device's first language.
void CUSBEnumerateEx::ReadStrings(CUSBIoControl& hub, UINT port, const BYTE* info,
                                  CUSBEnumerateExData& record) {
    const BYTE iManufacturer = info[kIManufacturer];
    const BYTE iProduct = info[kIProduct];
    const BYTE iSerial = info[kISerialNumber];
    const bool wantManufacturer = (capture & CaptureManufacturer) && iManufacturer != 0;
    const bool wantProduct = (capture & CaptureProduct) && iProduct != 0;
    const bool wantSerial = (capture & CaptureSerialNumber) && iSerial != 0;
    if (!wantManufacturer && !wantProduct && !wantSerial)
        return;
    std::vector<USHORT> languages;
    if (!hub.GetLanguageIds(port, languages) || languages.empty())
        return;
    const USHORT language = languages.front();
    CString text;
    if (wantManufacturer && hub.GetString(port, iManufacturer, language, text))
        record.manufacturer = text;
    if (wantProduct && hub.GetString(port, iProduct, language, text))
        record.product = text;
    if (wantSerial && hub.GetString(port, iSerial, language, text))
        record.serialNumber = text;
}

void CUSBEnumerateEx::BuildTree(DEVINST devInst, CUSBEnumerateExData& record) {
    m_treeNodes = 1;
    m_treeDepth = 0;
    DeviceTree::iterator root = record.tree.set_head(CUSBEnumerateExTreeData());
    BuildDeviceTree(devInst, 0, record.tree, root);
}

void CUSBEnumerateEx::BuildDeviceTree(DEVINST devInst, int withSiblings, DeviceTree& tree,
                                      DeviceTree::iterator node) {
    FillTreeData(devInst, *node);
    ++m_treeDepth;
    DEVINST child = 0;
    if (devInst != 0 && MayGrow() && system.GetChild(&child, devInst) == CR_SUCCESS) {
        ++m_treeNodes;
        BuildDeviceTree(child, 1, tree, tree.append_child(node, CUSBEnumerateExTreeData()));
    }
    if (devInst != 0)
        AppendRemovalRelations(tree, node);
    --m_treeDepth;
    if (withSiblings != 1)
        return;
    // The siblings of one parent in a loop, each without its own siblings: the same
    // tree as recursing sibling by sibling, but the stack does not grow with the count.
    DEVINST current = devInst;
    DEVINST sibling = 0;
    while (MayGrow() && system.GetSibling(&sibling, current) == CR_SUCCESS) {
        ++m_treeNodes;
        node = tree.append_sibling(node, CUSBEnumerateExTreeData());
        BuildDeviceTree(sibling, 0, tree, node);
        current = sibling;
    }
}

// The nodes that the system removes together with this one (the volumes of a disk).
void CUSBEnumerateEx::AppendRemovalRelations(DeviceTree& tree, DeviceTree::iterator node) {
    // Without its own ID the node has nothing to filter by; an empty filter would ask
    // for every device of the machine.
    const CString deviceId = node->deviceId;
    if (deviceId.IsEmpty())
        return;
    ULONG chars = 0;
    if (system.GetDeviceIdListSize(&chars, deviceId, CM_GETIDLIST_FILTER_REMOVALRELATIONS) != CR_SUCCESS ||
        chars == 0 || chars > kMaxIdListChars)
        return;
    // Two spare characters end the list whatever the call wrote.
    std::unique_ptr<wchar_t[]> list(new wchar_t[chars + 2]());
    if (system.GetDeviceIdList(deviceId, list.get(), chars, CM_GETIDLIST_FILTER_REMOVALRELATIONS) != CR_SUCCESS)
        return;
    const wchar_t* end = list.get() + chars;
    for (const wchar_t* id = list.get(); id < end && *id; id += wcslen(id) + 1) {
        if (!MayGrow())
            break;
        DEVINST related = 0;
        if (system.LocateDevNode(&related, id) != CR_SUCCESS)
            continue;
        ++m_treeNodes;
        BuildDeviceTree(related, 0, tree, tree.append_child(node, CUSBEnumerateExTreeData()));
    }
}

void CUSBEnumerateEx::FillTreeData(DEVINST devInst, CUSBEnumerateExTreeData& data) {
    if (devInst != 0 && (capture & (CaptureDriveLetter | CaptureDeviceId))) {
        wchar_t id[401] = {};
        if (system.GetDeviceId(devInst, id, 400) == CR_SUCCESS)
            data.deviceId = id;
    }
    // A node without a device ID is no volume: a volume without a device node (Wine's
    // Z:, a network drive) must not lend its letter to a device that was not found.
    if ((capture & CaptureDriveLetter) && !data.deviceId.IsEmpty()) {
        for (const CVolumeEnumerateData& volume : volumes)
            if (volume.deviceId.CompareNoCase(data.deviceId) == 0)
                data.driveLetter = static_cast<USHORT>(volume.letter);
    }
    if (devInst != 0) {
        if (capture & CaptureEnumeratorName)
            GetTextProperty(system, devInst, CM_DRP_ENUMERATOR_NAME, data.enumeratorName);
        if (capture & CaptureDescription)
            GetTextProperty(system, devInst, CM_DRP_DEVICEDESC, data.description);
        if (capture & CaptureFriendlyName)
            GetTextProperty(system, devInst, CM_DRP_FRIENDLYNAME, data.friendlyName);
        if (capture & CaptureClassGuid)
            GetTextProperty(system, devInst, CM_DRP_CLASSGUID, data.classGuid);
        std::list<CString> filters;
        if ((capture & CaptureUpperFilters) &&
            GetMultiStringProperty(devInst, CM_DRP_UPPERFILTERS, filters, system) == 1)
            data.upperFilters = filters;
        filters.clear();
        if ((capture & CaptureLowerFilters) &&
            GetMultiStringProperty(devInst, CM_DRP_LOWERFILTERS, filters, system) == 1)
            data.lowerFilters = filters;
    }
    data.devInst = devInst;
    if (devInst != 0 && (capture & CaptureStatus)) {
        ULONG status = 0, problem = 0;
        if (system.GetStatus(&status, &problem, devInst) == CR_SUCCESS) {
            data.status = status;
            if (capture & CaptureProblem)
                data.problem = problem;
        }
    }
}

void CUSBEnumerateEx::AddRecord(const CUSBEnumerateExData& record) {
    records.push_back(record);
}

} // namespace USB
} // namespace Swiftlet
