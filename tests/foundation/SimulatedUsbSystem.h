#pragma once
// A machine's USB topology and device-node tree played in memory, for the walk that
// these machines (Wine has no USB controllers) cannot show. Controllers and hubs answer
// their I/O controls the way the system's drivers do: names in two steps, connection
// information in the newer layout or, for an old driver, only in the older one, string
// descriptors as the device sends them. Canned answers replace a request's reply to
// play a misbehaving driver.
#include <windows.h>
#include <cfgmgr32.h>

#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "foundation/USBIoControl.h"
#include "foundation/USBSystem.h"

class SimulatedUsbSystem : public IUSBSystem {
public:
    struct Answer {
        BOOL ok = TRUE;
        std::vector<BYTE> bytes; // written into the output, cut to its size
        DWORD returned = 0;      // reported as written, whatever that is
    };

    struct Port {
        DWORD connectionStatus = 0; // 1: a device is connected
        bool isHub = false;
        CString hubName;            // of an external hub on the port
        BYTE speed = 2;             // USB_DEVICE_SPEED
        USHORT bcdUSB = 0x0200;
        USHORT vendorId = 0;
        USHORT productId = 0;
        BYTE iManufacturer = 0, iProduct = 0, iSerialNumber = 0;
        CString driverKey;          // empty: the request fails
        // (index, language) → the descriptor bytes as the device sends them.
        std::map<std::pair<BYTE, USHORT>, std::vector<BYTE>> descriptors;
    };

    struct Device {
        bool isHub = false;
        CString driverKey;          // host controller
        CString rootHubName;        // host controller
        std::vector<Port> ports;    // hub
        bool olderConnectionRequestOnly = false;
        std::map<DWORD, std::deque<Answer>> canned;
    };

    struct Node {
        DEVINST parent = 0;
        std::vector<DEVINST> children;
        CString id;
        std::map<ULONG, std::wstring> texts;
        std::map<ULONG, std::vector<std::wstring>> multiTexts;
        std::vector<CString> removalRelations;
        ULONG status = DN_STARTED | DN_DRIVER_LOADED;
        ULONG problem = 0;
    };

    SimulatedUsbSystem() { nodes.push_back(Node{0, {}, L"HTREE\\ROOT\\0"}); }

    // ---- building the machine ----

    Device& AddController(const CString& path, const CString& driverKey, const CString& rootHubName) {
        Device& d = devices[Key(path)];
        d.driverKey = driverKey;
        d.rootHubName = rootHubName;
        return d;
    }
    Device& AddHub(const CString& name, size_t ports) {
        Device& d = devices[Key(L"\\\\.\\" + name)];
        d.isHub = true;
        d.ports.resize(ports);
        return d;
    }
    Device& DeviceAt(const CString& path) { return devices[Key(path)]; }
    static Port ConnectedPort(const CString& driverKey, USHORT vendorId, USHORT productId) {
        Port p;
        p.connectionStatus = 1;
        p.driverKey = driverKey;
        p.vendorId = vendorId;
        p.productId = productId;
        return p;
    }

    DEVINST Root() const { return 1; }
    DEVINST AddNode(DEVINST parent, const CString& id, const wchar_t* description = nullptr,
                    const wchar_t* driverKey = nullptr, const wchar_t* service = nullptr) {
        Node n;
        n.parent = parent;
        n.id = id;
        if (description) n.texts[CM_DRP_DEVICEDESC] = description;
        if (driverKey) n.texts[CM_DRP_DRIVER] = driverKey;
        if (service) n.texts[CM_DRP_SERVICE] = service;
        nodes.push_back(n);
        const DEVINST devInst = static_cast<DEVINST>(nodes.size());
        nodes[parent - 1].children.push_back(devInst);
        return devInst;
    }
    Node& NodeOf(DEVINST devInst) { return nodes.at(devInst - 1); }

    void AddVolume(wchar_t letter, const CString& deviceId) {
        CVolumeEnumerateData v;
        v.letter = letter;
        v.volumeName = FormatString(L"\\\\?\\Volume{%c0000000-0000-0000-0000-000000000000}\\", letter);
        v.deviceId = deviceId;
        volumes.push_back(v);
    }

    static std::vector<BYTE> StringDescriptor(const wchar_t* text) {
        std::vector<BYTE> d(2 + 2 * wcslen(text));
        d[0] = static_cast<BYTE>(d.size());
        d[1] = 3;
        memcpy(d.data() + 2, text, d.size() - 2);
        return d;
    }
    static std::vector<BYTE> LanguageDescriptor(std::vector<USHORT> ids) {
        std::vector<BYTE> d(2 + 2 * ids.size());
        d[0] = static_cast<BYTE>(d.size());
        d[1] = 3;
        memcpy(d.data() + 2, ids.data(), d.size() - 2);
        return d;
    }

    // ---- what the walk did ----

    std::map<std::wstring, int> opens; // by upper-cased path, also failed attempts
    int openHandles = 0;
    int maxOpenHandles = 0;
    std::map<DWORD, int> requests;     // by I/O control code

    int OpensOf(const CString& path) const {
        auto it = opens.find(Key(path));
        return it == opens.end() ? 0 : it->second;
    }

    // ---- the seam ----

    HANDLE OpenDevice(const wchar_t* path) override {
        const std::wstring key = Key(path);
        ++opens[key];
        if (devices.find(key) == devices.end()) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        const HANDLE handle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x1000 + 4 * ++lastHandle));
        handles[handle] = key;
        if (++openHandles > maxOpenHandles) maxOpenHandles = openHandles;
        return handle;
    }
    void CloseDevice(HANDLE handle) override {
        if (handles.erase(handle)) --openHandles;
    }

    BOOL IoControl(HANDLE handle, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                   DWORD* returned) override {
        ++requests[code];
        *returned = 0;
        auto h = handles.find(handle);
        if (h == handles.end()) return Fail(ERROR_INVALID_HANDLE);
        Device& device = devices[h->second];
        auto canned = device.canned.find(code);
        if (canned != device.canned.end() && !canned->second.empty()) {
            Answer a = canned->second.front();
            canned->second.pop_front();
            memcpy(out, a.bytes.data(), a.bytes.size() < outSize ? a.bytes.size() : outSize);
            *returned = a.returned;
            return a.ok;
        }
        BYTE* o = static_cast<BYTE*>(out);
        const BYTE* i = static_cast<const BYTE*>(in);
        switch (code) {
        case USBIoctl::GetHcdDriverKeyName:
            if (device.isHub || !in) return Fail(ERROR_INVALID_FUNCTION);
            return Name(device.driverKey, 4, 0, o, outSize, returned);
        case USBIoctl::GetRootHubName: // also GetNodeInformation
            if (!device.isHub) return Name(device.rootHubName, 4, 0, o, outSize, returned);
            if (outSize < USBLayout::kNodeInformationSize) return Fail(ERROR_INSUFFICIENT_BUFFER);
            memset(o, 0, USBLayout::kNodeInformationSize);
            o[4] = 9;    // bDescriptorLength
            o[5] = 0x29; // hub descriptor
            o[6] = static_cast<BYTE>(device.ports.size());
            *returned = USBLayout::kNodeInformationSize;
            return TRUE;
        case USBIoctl::GetNodeConnectionInformationEx:
            if (device.olderConnectionRequestOnly) return Fail(ERROR_INVALID_FUNCTION);
            return Connection(device, i, inSize, o, outSize, returned, false);
        case USBIoctl::GetNodeConnectionInformation:
            return Connection(device, i, inSize, o, outSize, returned, true);
        case USBIoctl::GetNodeConnectionDriverKeyName:
        case USBIoctl::GetNodeConnectionName: {
            const Port* port = PortOf(device, i, inSize);
            if (!port) return Fail(ERROR_INVALID_PARAMETER);
            const CString& name = code == USBIoctl::GetNodeConnectionName
                                      ? (port->isHub ? port->hubName : CString())
                                      : port->driverKey;
            return Name(name, 8, ReadU32(i), o, outSize, returned);
        }
        case USBIoctl::GetDescriptorFromNodeConnection:
            return Descriptor(device, i, inSize, o, outSize, returned);
        }
        return Fail(ERROR_INVALID_FUNCTION);
    }

    bool GetHostControllerInterfaces(std::vector<CString>& paths) override {
        paths = interfaces;
        return true;
    }
    bool GetPresentDeviceNodes(std::vector<DEVINST>& present) override {
        for (size_t n = 1; n <= nodes.size(); ++n) present.push_back(static_cast<DEVINST>(n));
        return true;
    }

    CONFIGRET LocateDevNode(DEVINST* devInst, const wchar_t* deviceId) override {
        if (!deviceId || !*deviceId) {
            *devInst = Root();
            return CR_SUCCESS;
        }
        for (size_t n = 0; n < nodes.size(); ++n) {
            if (nodes[n].id.CompareNoCase(deviceId) == 0) {
                *devInst = static_cast<DEVINST>(n + 1);
                return CR_SUCCESS;
            }
        }
        return CR_NO_SUCH_DEVNODE;
    }
    CONFIGRET GetChild(DEVINST* child, DEVINST devInst) override {
        if (!Valid(devInst)) return CR_INVALID_DEVNODE;
        if (NodeOf(devInst).children.empty()) return CR_NO_SUCH_DEVNODE;
        *child = NodeOf(devInst).children.front();
        return CR_SUCCESS;
    }
    CONFIGRET GetSibling(DEVINST* sibling, DEVINST devInst) override {
        if (!Valid(devInst)) return CR_INVALID_DEVNODE;
        if (devInst == Root()) return CR_NO_SUCH_DEVNODE;
        const std::vector<DEVINST>& c = NodeOf(NodeOf(devInst).parent).children;
        for (size_t n = 0; n + 1 < c.size(); ++n) {
            if (c[n] == devInst) {
                *sibling = c[n + 1];
                return CR_SUCCESS;
            }
        }
        return CR_NO_SUCH_DEVNODE;
    }
    CONFIGRET GetParent(DEVINST* parent, DEVINST devInst) override {
        if (!Valid(devInst)) return CR_INVALID_DEVNODE;
        if (devInst == Root()) return CR_NO_SUCH_DEVNODE;
        *parent = NodeOf(devInst).parent;
        return CR_SUCCESS;
    }
    CONFIGRET GetDeviceId(DEVINST devInst, wchar_t* buffer, ULONG chars) override {
        if (!Valid(devInst)) return CR_INVALID_DEVNODE;
        const CString& id = NodeOf(devInst).id;
        if (static_cast<ULONG>(id.GetLength()) + 1 > chars) return CR_BUFFER_SMALL;
        wcscpy(buffer, id);
        return CR_SUCCESS;
    }
    CONFIGRET GetRegistryProperty(DEVINST devInst, ULONG property, void* buffer,
                                  ULONG* length) override {
        if (!Valid(devInst)) return CR_INVALID_DEVNODE;
        Node& n = NodeOf(devInst);
        std::wstring value;
        if (n.texts.count(property)) {
            value = n.texts[property];
            value.push_back(0);
        } else if (n.multiTexts.count(property)) {
            for (const std::wstring& s : n.multiTexts[property]) {
                value += s;
                value.push_back(0);
            }
            value.push_back(0);
        } else {
            return CR_NO_SUCH_VALUE;
        }
        const ULONG needed = static_cast<ULONG>(value.size() * sizeof(wchar_t));
        if (!buffer || *length < needed) {
            *length = needed;
            return CR_BUFFER_SMALL;
        }
        memcpy(buffer, value.data(), needed);
        *length = needed;
        return CR_SUCCESS;
    }
    CONFIGRET GetDeviceIdListSize(ULONG* chars, const wchar_t* filter, ULONG flags) override {
        std::wstring list;
        const CONFIGRET r = RemovalList(filter, flags, list);
        if (r == CR_SUCCESS) *chars = static_cast<ULONG>(list.size());
        return r;
    }
    CONFIGRET GetDeviceIdList(const wchar_t* filter, wchar_t* buffer, ULONG chars, ULONG flags) override {
        std::wstring list;
        const CONFIGRET r = RemovalList(filter, flags, list);
        if (r != CR_SUCCESS) return r;
        if (list.size() > chars) return CR_BUFFER_SMALL;
        memcpy(buffer, list.data(), list.size() * sizeof(wchar_t));
        return CR_SUCCESS;
    }
    CONFIGRET GetStatus(ULONG* status, ULONG* problem, DEVINST devInst) override {
        if (!Valid(devInst)) return CR_INVALID_DEVNODE;
        *status = NodeOf(devInst).status;
        *problem = NodeOf(devInst).problem;
        return CR_SUCCESS;
    }
    void GetVolumes(CVolumeEnumerateList& list) override { list = volumes; }

    std::vector<CString> interfaces; // device paths of the controllers' interfaces
    CVolumeEnumerateList volumes;
    std::vector<Node> nodes;         // DEVINST n is nodes[n - 1]

private:
    static std::wstring Key(const CString& path) {
        CString upper(path);
        upper.MakeUpper();
        return upper.str();
    }
    static DWORD ReadU32(const BYTE* p) {
        DWORD v;
        memcpy(&v, p, sizeof(v));
        return v;
    }
    static BOOL Fail(DWORD error) {
        SetLastError(error);
        return FALSE;
    }
    bool Valid(DEVINST devInst) const { return devInst >= 1 && devInst <= nodes.size(); }

    static const Port* PortOf(const Device& device, const BYTE* in, DWORD inSize) {
        if (!device.isHub || !in || inSize < 4) return nullptr;
        const DWORD index = ReadU32(in);
        if (index < 1 || index > device.ports.size()) return nullptr;
        return &device.ports[index - 1];
    }

    // The name answers: the header (port, ActualLength) and as much of the name with its
    // NUL as fits; a buffer too small for the whole gets the header and one character.
    static BOOL Name(const CString& name, DWORD header, DWORD port, BYTE* out, DWORD outSize,
                     DWORD* returned) {
        if (name.IsEmpty()) return Fail(ERROR_FILE_NOT_FOUND);
        if (outSize < header + 2) return Fail(ERROR_INSUFFICIENT_BUFFER);
        const DWORD actual = header + 2 * (name.GetLength() + 1);
        memset(out, 0, outSize);
        if (header == 8) memcpy(out, &port, 4);
        memcpy(out + header - 4, &actual, 4);
        if (outSize < actual) {
            *returned = header + 2;
            return TRUE;
        }
        memcpy(out + header, static_cast<LPCWSTR>(name), actual - header);
        *returned = actual;
        return TRUE;
    }

    static BOOL Connection(const Device& device, const BYTE* in, DWORD inSize, BYTE* out,
                           DWORD outSize, DWORD* returned, bool older) {
        const Port* port = PortOf(device, in, inSize);
        if (!port) return Fail(ERROR_INVALID_PARAMETER);
        if (outSize < USBLayout::kConnectionInfoHeader) return Fail(ERROR_INSUFFICIENT_BUFFER);
        const DWORD index = ReadU32(in);
        memset(out, 0, USBLayout::kConnectionInfoHeader);
        memcpy(out, &index, 4);
        if (port->connectionStatus == 1) {
            out[4] = 18; // device descriptor
            out[5] = 1;
            memcpy(out + USBLayout::kBcdUsb, &port->bcdUSB, 2);
            memcpy(out + USBLayout::kIdVendor, &port->vendorId, 2);
            memcpy(out + USBLayout::kIdProduct, &port->productId, 2);
            out[USBLayout::kIManufacturer] = port->iManufacturer;
            out[USBLayout::kIProduct] = port->iProduct;
            out[USBLayout::kISerialNumber] = port->iSerialNumber;
            out[USBLayout::kSpeed] = older ? (port->speed == 0 ? 1 : 0) : port->speed;
            out[USBLayout::kDeviceIsHub] = port->isHub ? 1 : 0;
        }
        memcpy(out + USBLayout::kConnectionStatus, &port->connectionStatus, 4);
        *returned = USBLayout::kConnectionInfoHeader;
        return TRUE;
    }

    static BOOL Descriptor(const Device& device, const BYTE* in, DWORD inSize, BYTE* out,
                           DWORD outSize, DWORD* returned) {
        const Port* port = PortOf(device, in, inSize);
        if (!port || inSize < USBLayout::kDescriptorRequestHeader) return Fail(ERROR_INVALID_PARAMETER);
        USHORT value, language, length;
        memcpy(&value, in + 6, 2);
        memcpy(&language, in + 8, 2);
        memcpy(&length, in + 10, 2);
        if ((value >> 8) != 3) return Fail(ERROR_GEN_FAILURE);
        auto d = port->descriptors.find({static_cast<BYTE>(value & 0xFF), language});
        if (d == port->descriptors.end()) return Fail(ERROR_GEN_FAILURE);
        size_t n = d->second.size();
        if (n > length) n = length;
        if (n > outSize - USBLayout::kDescriptorRequestHeader)
            n = outSize - USBLayout::kDescriptorRequestHeader;
        memmove(out, in, USBLayout::kDescriptorRequestHeader);
        memcpy(out + USBLayout::kDescriptorRequestHeader, d->second.data(), n);
        *returned = static_cast<DWORD>(USBLayout::kDescriptorRequestHeader + n);
        return TRUE;
    }

    CONFIGRET RemovalList(const wchar_t* filter, ULONG flags, std::wstring& list) {
        if (flags != CM_GETIDLIST_FILTER_REMOVALRELATIONS || !filter || !*filter)
            return CR_INVALID_FLAG;
        DEVINST devInst = 0;
        if (LocateDevNode(&devInst, filter) != CR_SUCCESS) return CR_INVALID_DEVICE_ID;
        for (const CString& id : NodeOf(devInst).removalRelations) {
            list += id.str();
            list.push_back(0);
        }
        list.push_back(0);
        return CR_SUCCESS;
    }

    std::map<std::wstring, Device> devices; // by upper-cased path
    std::map<HANDLE, std::wstring> handles;
    int lastHandle = 0;
};
