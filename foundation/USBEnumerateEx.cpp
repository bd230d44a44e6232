#include "foundation/USBEnumerate.h"
#include <cwctype>
#include <cstring>
#include <memory>

using namespace USBLayout;

namespace Swiftlet {
namespace USB {

namespace {
USHORT ReadU16(const BYTE* p) {
    return static_cast<USHORT>(p[0] | (p[1] << 8));
}
} // namespace

int CUSBEnumerateExData::GetDriveLetters(std::vector<USHORT>& letters) const {
    letters.clear();
    for (auto it = tree.begin(); it != tree.end(); ++it) {
        USHORT letter = it->driveLetter;
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
    const BYTE* info = connection.data();
    DWORD status = 0;
    memcpy(&status, info + kConnectionStatus, sizeof(status));
    if (status != 1)
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
    DEVINST devInst = FindDeviceNodeByDriverKey(key, system);
    if (capture & CaptureTreeMask)
        BuildTree(devInst, record);
    AddRecord(record);
}

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
    DeviceTree::iterator root = record.tree.set_head(CUSBEnumerateExTreeData());
    BuildDeviceTree(devInst, 0, record.tree, root);
}

void CUSBEnumerateEx::BuildDeviceTree(DEVINST devInst, int withSiblings, DeviceTree& tree,
                                      DeviceTree::iterator node) {
    BuildNode(devInst, tree, node, 0);
    if (withSiblings != 1)
        return;
    // Siblings in a loop rather than by recursion, so a long list cannot exhaust the stack.
    DEVINST current = devInst;
    DEVINST sibling = 0;
    while (m_treeNodes < kMaxTreeNodes && system.GetSibling(&sibling, current) == CR_SUCCESS) {
        ++m_treeNodes;
        node = tree.append_sibling(node, CUSBEnumerateExTreeData());
        BuildNode(sibling, tree, node, 0);
        current = sibling;
    }
}

// Fills node, then its device-node children (with their siblings) and its removal
// relations (without theirs). Removal relations can point back up the tree, so both
// the depth and the number of nodes are bounded.
void CUSBEnumerateEx::BuildNode(DEVINST devInst, DeviceTree& tree, DeviceTree::iterator node, int depth) {
    FillTreeData(devInst, *node);
    if (depth >= kMaxNodeDepth || devInst == 0)
        return;
    DEVINST child = 0;
    if (m_treeNodes < kMaxTreeNodes && system.GetChild(&child, devInst) == CR_SUCCESS) {
        DEVINST current = child;
        DeviceTree::iterator childNode = tree.append_child(node, CUSBEnumerateExTreeData());
        ++m_treeNodes;
        for (;;) {
            BuildNode(current, tree, childNode, depth + 1);
            DEVINST sibling = 0;
            if (m_treeNodes >= kMaxTreeNodes || system.GetSibling(&sibling, current) != CR_SUCCESS)
                break;
            current = sibling;
            childNode = tree.append_child(node, CUSBEnumerateExTreeData());
            ++m_treeNodes;
        }
    }
    const CString deviceId = node->deviceId;
    ULONG chars = 0;
    if (system.GetDeviceIdListSize(&chars, deviceId, CM_GETIDLIST_FILTER_REMOVALRELATIONS) != CR_SUCCESS ||
        chars == 0 || chars > 0x10000)
        return;
    std::unique_ptr<wchar_t[]> list(new wchar_t[chars + 2]());
    if (system.GetDeviceIdList(deviceId, list.get(), chars, CM_GETIDLIST_FILTER_REMOVALRELATIONS) != CR_SUCCESS)
        return;
    for (const wchar_t* id = list.get(); *id && id < list.get() + chars; id += wcslen(id) + 1) {
        DEVINST related = 0;
        if (m_treeNodes >= kMaxTreeNodes)
            break;
        if (system.LocateDevNode(&related, id) != CR_SUCCESS)
            continue;
        ++m_treeNodes;
        BuildNode(related, tree, tree.append_child(node, CUSBEnumerateExTreeData()), depth + 1);
    }
}

void CUSBEnumerateEx::FillTreeData(DEVINST devInst, CUSBEnumerateExTreeData& data) {
    if (devInst != 0 && (capture & (CaptureDriveLetter | CaptureDeviceId))) {
        wchar_t id[401] = {};
        if (system.GetDeviceId(devInst, id, 400) == CR_SUCCESS) {
            id[400] = 0;
            data.deviceId = id;
        }
    }
    // A node without a device ID is no volume: Wine's Z: has no device node either.
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

int FindUsbDeviceByDriveLetter(wchar_t letter, CUSBEnumerateExData& record, IUSBSystem& system) {
    CUSBEnumerateExList records;
    CUSBEnumerateEx enumerate(records, 3, CaptureBcdUsb | CaptureDriveLetter | CaptureDescription, system);
    enumerate.Enumerate();
    const wint_t wanted = towupper(letter);
    for (const CUSBEnumerateExData& candidate : records) {
        std::vector<USHORT> letters;
        candidate.GetDriveLetters(letters);
        for (USHORT l : letters) {
            if (towupper(l) == wanted) {
                record = candidate;
                return 1;
            }
        }
    }
    return 0;
}

} // namespace USB
} // namespace Swiftlet
