#pragma once
// One opened USB host controller or hub, and the I/O control requests made to it.
#include <windows.h>
#include <vector>
#include "framework/CString.h"
#include "foundation/USBSystem.h"

// Sizes and offsets of the hub driver's request layouts (packed structures).
namespace USBLayout {
const DWORD kConnectionInfoSize = 365;    // 35-byte header and 30 pipe entries of 11 bytes
const DWORD kConnectionInfoHeader = 35;
const DWORD kDescriptorRequestSize = 267; // 12-byte header and 255 data bytes
const DWORD kDescriptorRequestHeader = 12;
const DWORD kNodeInformationSize = 76;
const DWORD kNumberOfPorts = 6;           // bNumberOfPorts of the hub descriptor
// Fields of the connection information.
const int kBcdUsb = 6, kIdVendor = 12, kIdProduct = 14, kIManufacturer = 18, kIProduct = 19,
          kISerialNumber = 20, kSpeed = 23, kDeviceIsHub = 24, kConnectionStatus = 31;
// Names longer than this are not names: a driver that claims more is misbehaving, and
// its length must not become an allocation of gigabytes.
const DWORD kMaxNameBytes = 0x8000;
}

namespace USBIoctl {
const DWORD GetHcdDriverKeyName = 0x220424;
const DWORD GetRootHubName = 0x220408;   // sent to a host controller
const DWORD GetNodeInformation = 0x220408; // the same code, sent to a hub
const DWORD GetNodeConnectionInformationEx = 0x220448;
const DWORD GetNodeConnectionInformation = 0x22040C;
const DWORD GetNodeConnectionDriverKeyName = 0x220420;
const DWORD GetNodeConnectionName = 0x220414;
const DWORD GetDescriptorFromNodeConnection = 0x220410;
}

// Every request answers 1 on success and 0 on failure; a text output is emptied first.
// Answers are never trusted further than the buffer they were written into.
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
    // The root hub's symbolic name, without the "\\.\" prefix.
    int GetRootHubName(CString& text);
    // bNumberOfPorts of the hub descriptor; 0 ports when the request fails.
    int GetPortCount(UINT& ports);
    // buffer receives kConnectionInfoSize bytes in the newer layout, also when only the
    // older request is answered (its LowSpeed flag becomes a Speed value).
    int GetNodeConnectionInformation(UINT port, std::vector<BYTE>& buffer);
    int GetNodeConnectionDriverKeyName(UINT port, CString& text);
    int GetNodeConnectionName(UINT port, CString& text);
    // bytes receives the descriptor (bLength bytes) when it is a well-formed string one.
    int GetStringDescriptor(UINT port, UINT index, USHORT languageId, std::vector<BYTE>& bytes);
    int GetLanguageIds(UINT port, std::vector<USHORT>& ids);
    int GetString(UINT port, UINT index, USHORT languageId, CString& text);

    IUSBSystem& system;
    HANDLE handle = INVALID_HANDLE_VALUE;
    CString name;

private:
    enum class NameInput { None, Buffer, Port };
    int GetName(DWORD code, NameInput input, UINT port, CString& text);
    BOOL NameRequest(DWORD code, NameInput input, BYTE* buffer, DWORD size, DWORD& returned);
};
