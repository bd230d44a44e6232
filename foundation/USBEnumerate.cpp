#include "foundation/USBEnumerate.h"
#include <memory>

using namespace USBLayout;

namespace {

// The device-node tree is walked node by node; a system that reports more nodes than
// this is looping.
const int kMaxWalkedNodes = 1 << 20;

CString Upper(CString text) {
    text.MakeUpper();
    return text;
}

} // namespace

int GetTextProperty(IUSBSystem& system, DEVINST devInst, ULONG property, CString& text) {
    wchar_t buffer[201] = {};
    ULONG length = 400;
    if (system.GetRegistryProperty(devInst, property, buffer, &length) != CR_SUCCESS)
        return 0;
    buffer[200] = 0; // a value that fills the buffer carries no NUL of its own
    text = buffer;
    return 1;
}

DEVINST FindDeviceNodeByDriverKey(const CString& driverKey, IUSBSystem& system) {
    // Nodes whose driver key cannot be read must not match a key that could not be read.
    if (driverKey.IsEmpty())
        return 0;
    DEVINST node = 0;
    if (system.LocateDevNode(&node, nullptr) != CR_SUCCESS)
        return 0;
    for (int walked = 0; walked < kMaxWalkedNodes; ++walked) {
        CString driver;
        if (GetTextProperty(system, node, CM_DRP_DRIVER, driver) && driver.CompareNoCase(driverKey) == 0)
            return node;
        DEVINST next = 0;
        if (system.GetChild(&next, node) == CR_SUCCESS) {
            node = next;
            continue;
        }
        for (;;) {
            if (system.GetSibling(&next, node) == CR_SUCCESS) {
                node = next;
                break;
            }
            if (system.GetParent(&next, node) != CR_SUCCESS)
                return 0;
            node = next;
        }
    }
    return 0;
}

int GetMultiStringProperty(DEVINST devInst, ULONG property, std::list<CString>& list, IUSBSystem& system) {
    ULONG size = 0;
    CONFIGRET result = system.GetRegistryProperty(devInst, property, nullptr, &size);
    if (result == CR_NO_SUCH_VALUE)
        return 1;
    if (result != CR_BUFFER_SMALL || size == 0 || size > 0x10000)
        return 0;
    // Two characters more than asked for, so that an unterminated value still ends.
    const ULONG chars = size / 2 + 2;
    std::unique_ptr<wchar_t[]> buffer(new wchar_t[chars]());
    ULONG length = size;
    if (system.GetRegistryProperty(devInst, property, buffer.get(), &length) != CR_SUCCESS)
        return 0;
    const wchar_t* end = buffer.get() + chars - 1;
    for (const wchar_t* p = buffer.get(); p < end && *p;) {
        CString item(p);
        list.push_back(item);
        p += item.GetLength() + 1;
    }
    return 1;
}

// ---- the walk -------------------------------------------------------------------

void CUSBEnumerateBase::Enumerate() {
    known.clear();
    if (modes & ModeHcdName)
        EnumerateByHcdName();
    if (modes & ModeInterface)
        EnumerateByInterface();
    if (modes & ModeDeviceNode)
        EnumerateByDeviceNode();
}

void CUSBEnumerateBase::EnumerateByHcdName() {
    for (int n = 0; n < 10; ++n)
        OpenHostController(FormatString(L"\\\\.\\HCD%d", n));
}

void CUSBEnumerateBase::EnumerateByInterface() {
    std::vector<CString> paths;
    if (!system.GetHostControllerInterfaces(paths))
        return;
    for (const CString& path : paths)
        OpenHostController(path);
}

void CUSBEnumerateBase::EnumerateByDeviceNode() {
    std::vector<DEVINST> nodes;
    if (!system.GetPresentDeviceNodes(nodes))
        return;
    for (DEVINST node : nodes) {
        DEVINST child = 0;
        if (system.GetChild(&child, node) != CR_SUCCESS || child == 0)
            continue;
        CString service, description;
        GetTextProperty(system, node, CM_DRP_SERVICE, service);
        bool controller = IsHostControllerService(service) == 1;
        if (!controller) {
            GetTextProperty(system, node, CM_DRP_DEVICEDESC, description);
            controller = IsHostControllerDescription(description) == 1;
        }
        if (!controller)
            continue;
        CString driver;
        GetTextProperty(system, node, CM_DRP_DRIVER, driver);
        if (AddKnown(driver) == 1)
            OnHostControllerNode(node);
    }
}

void CUSBEnumerateBase::OnHostControllerNode(DEVINST devInst) {
    DEVINST child = 0;
    if (system.GetChild(&child, devInst) == CR_SUCCESS)
        WalkDeviceNode(child);
}

void CUSBEnumerateBase::WalkDeviceNode(DEVINST devInst) {
    if (m_nodeDepth >= kMaxNodeDepth)
        return;
    ++m_nodeDepth;
    // Siblings in a loop, children by recursion: the depth stays the tree's depth.
    DEVINST node = devInst;
    for (int walked = 0; walked < kMaxWalkedNodes; ++walked) {
        CString service, description;
        GetTextProperty(system, node, CM_DRP_SERVICE, service);
        GetTextProperty(system, node, CM_DRP_DEVICEDESC, description);
        if (IsHub(service, description) == 1) {
            OnHubNode(node);
            DEVINST child = 0;
            if (system.GetChild(&child, node) == CR_SUCCESS)
                WalkDeviceNode(child);
        } else {
            OnDeviceNode(node);
        }
        DEVINST sibling = 0;
        if (system.GetSibling(&sibling, node) != CR_SUCCESS)
            break;
        node = sibling;
    }
    --m_nodeDepth;
}

void CUSBEnumerateBase::OnHubNode(DEVINST) {}
void CUSBEnumerateBase::OnDeviceNode(DEVINST) {}
void CUSBEnumerateBase::OnDevice(CUSBIoControl&, UINT, const std::vector<BYTE>&) {}

void CUSBEnumerateBase::OpenHostController(const CString& path) {
    int isNew = 0;
    {
        CUSBIoControl controller(system);
        if (!controller.Open(path))
            return;
        CString key;
        if (controller.GetHcdDriverKeyName(key))
            isNew = AddKnown(key);
    }
    if (isNew == 1)
        OnHostController(path);
}

int CUSBEnumerateBase::AddKnown(const CString& name) {
    CString upper = Upper(name);
    for (const CString& k : known)
        if (k == upper)
            return 0;
    known.push_back(upper);
    return 1;
}

void CUSBEnumerateBase::OnHostController(const CString& path) {
    CString rootHub;
    int ok = 0;
    {
        CUSBIoControl controller(system);
        if (!controller.Open(path))
            return;
        ok = controller.GetRootHubName(rootHub);
    }
    if (ok)
        OnRootHub(rootHub);
}

void CUSBEnumerateBase::OnRootHub(const CString& name) {
    EnumerateHub(name);
}

void CUSBEnumerateBase::EnumerateHub(const CString& name) {
    if (m_hubDepth >= kMaxHubDepth)
        return;
    CUSBIoControl hub(system);
    if (!hub.Open(FormatString(L"\\\\.\\%s", static_cast<LPCWSTR>(name))))
        return;
    UINT ports = 0;
    hub.GetPortCount(ports);
    ++m_hubDepth;
    for (UINT port = 1; port <= ports; ++port)
        OnPort(hub, port);
    --m_hubDepth;
}

void CUSBEnumerateBase::OnPort(CUSBIoControl& hub, UINT port) {
    std::vector<BYTE> connection;
    if (!hub.GetNodeConnectionInformation(port, connection))
        return;
    if (connection[kDeviceIsHub] != 0)
        OnExternalHub(hub, port, connection);
    else
        OnDevice(hub, port, connection);
}

void CUSBEnumerateBase::OnExternalHub(CUSBIoControl& hub, UINT port, const std::vector<BYTE>&) {
    CString name;
    if (!hub.GetNodeConnectionName(port, name) || name.IsEmpty())
        return;
    EnumerateHub(name);
}

int CUSBEnumerateBase::IsHostControllerService(const CString& service) {
    return Upper(service) == L"UHCD" ? 1 : 0;
}

int CUSBEnumerateBase::IsHostControllerDescription(const CString& description) {
    CString d = Upper(description);
    return d.Find(L"USB") >= 0 && (d.Find(L"ホスト") >= 0 || d.Find(L"HOST") >= 0) ? 1 : 0;
}

int CUSBEnumerateBase::IsHub(const CString& service, const CString& description) {
    if (Upper(service) == L"USBHUB")
        return 1;
    CString d = Upper(description);
    return d.Find(L"ルート ハブ") >= 0 || d.Find(L"ROOT HUB") >= 0 || d.Find(L"汎用 USB ハブ") >= 0 ? 1 : 0;
}
