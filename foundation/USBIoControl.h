#pragma once
// One opened USB host controller or hub, and the I/O control requests made to it.
#include <windows.h>
#include <vector>
#include "framework/CString.h"
#include "foundation/USBSystem.h"

// Sizes and offsets of the hub driver's request layouts (packed structures).
namespace USBLayout {
const DWORD kConnectionInfoSize = 365;   // 35-byte header and 30 pipe entries of 11 bytes
const DWORD kConnectionInfoHeader = 35;
const DWORD kDescriptorRequestSize = 267; // 12-byte header and 255 data bytes
const DWORD kDescriptorRequestHeader = 12;
const DWORD kNodeInformationSize = 76;
// Fields of the connection information.
const int kBcdUsb = 6, kIdVendor = 12, kIdProduct = 14, kIManufacturer = 18, kIProduct = 19,
          kISerialNumber = 20, kSpeed = 23, kDeviceIsHub = 24, kConnectionStatus = 31;
// Names longer than this are not names: a device that claims more is misbehaving.
const DWORD kMaxNameBytes = 0x8000;
}

namespace USBIoctl {
const DWORD GetHcdDriverKeyName = 0x220424;
const DWORD GetRootHubName = 0x220408;
const DWORD GetNodeInformation = 0x220408;
const DWORD GetNodeConnectionInformationEx = 0x220448;
const DWORD GetNodeConnectionInformation = 0x22040C;
const DWORD GetNodeConnectionDriverKeyName = 0x220420;
const DWORD GetNodeConnectionName = 0x220414;
const DWORD GetDescriptorFromNodeConnection = 0x220410;
}

class CUSBIoControl {
public:
    explicit CUSBIoControl(IUSBSystem& system) : system(system) {}
    virtual ~CUSBIoControl() { Close(); }
    CUSBIoControl(const CUSBIoControl&) = delete;
    CUSBIoControl& operator=(const CUSBIoControl&) = delete;

    // Opens path for writing with write sharing, as the hub driver requires.
    int Open(const CString& path);
    void Close();
    bool IsOpen() const { return handle != INVALID_HANDLE_VALUE; }

    int GetHcdDriverKeyName(CString& text);
    int GetRootHubName(CString& text);
    // bNumberOfPorts of the hub descriptor; 0 when the request fails.
    int GetPortCount(UINT& ports);
    // buffer receives kConnectionInfoSize bytes in the newer layout.
    int GetNodeConnectionInformation(UINT port, std::vector<BYTE>& buffer);
    int GetNodeConnectionDriverKeyName(UINT port, CString& text);
    int GetNodeConnectionName(UINT port, CString& text);
    int GetStringDescriptor(UINT port, UINT index, USHORT languageId, std::vector<BYTE>& bytes);
    int GetLanguageIds(UINT port, std::vector<USHORT>& ids);
    int GetString(UINT port, UINT index, USHORT languageId, CString& text);

    IUSBSystem& system;
    HANDLE handle = INVALID_HANDLE_VALUE;
    CString name;

private:
    int GetName(DWORD code, bool withPort, UINT port, CString& text);
};
