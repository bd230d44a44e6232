#include "foundation/USBIoControl.h"
#include <cstring>

using namespace USBLayout;

namespace {

DWORD ReadU32(const BYTE* p) {
    DWORD v;
    memcpy(&v, p, sizeof(v));
    return v;
}

void WriteU32(BYTE* p, DWORD v) {
    memcpy(p, &v, sizeof(v));
}

void WriteU16(BYTE* p, USHORT v) {
    memcpy(p, &v, sizeof(v));
}

// UTF-16 text of at most `bytes` bytes at p, up to the first NUL.
CString TextAt(const BYTE* p, DWORD bytes) {
    CString text;
    for (DWORD i = 0; i + 1 < bytes; i += 2) {
        wchar_t ch;
        memcpy(&ch, p + i, sizeof(ch));
        if (ch == 0)
            break;
        text += ch;
    }
    return text;
}

// The text of a name answer of `size` bytes. Its ActualLength counts the header and
// the text; the text ends at whichever comes first of that length, the bytes the
// driver says it wrote, and the buffer.
int NameFromAnswer(const BYTE* answer, DWORD size, DWORD returned, DWORD header, CString& text) {
    if (returned < header || returned > size)
        return 0;
    DWORD valid = ReadU32(answer + header - 4);
    if (valid < header)
        return 0;
    if (valid > returned)
        valid = returned;
    text = TextAt(answer + header, valid - header);
    return 1;
}

} // namespace

int CUSBIoControl::Open(const CString& path) {
    Close();
    name = path;
    handle = system.OpenDevice(path);
    return handle != INVALID_HANDLE_VALUE ? 1 : 0;
}

void CUSBIoControl::Close() {
    if (handle != INVALID_HANDLE_VALUE) {
        system.CloseDevice(handle);
        handle = INVALID_HANDLE_VALUE;
    }
}

BOOL CUSBIoControl::NameRequest(DWORD code, NameInput input, BYTE* buffer, DWORD size,
                                DWORD& returned) {
    returned = 0;
    if (input == NameInput::None)
        return system.IoControl(handle, code, nullptr, 0, buffer, size, &returned);
    return system.IoControl(handle, code, buffer, size, buffer, size, &returned);
}

// The name requests share one shape: a header (an optional u32 port, then the u32
// ActualLength) followed by the text. A first request with room for one character
// learns the length; a longer name takes a second request with a buffer that fits.
int CUSBIoControl::GetName(DWORD code, NameInput input, UINT port, CString& text) {
    text.Empty();
    const bool withPort = input == NameInput::Port;
    const DWORD header = withPort ? 8 : 4;
    const DWORD firstSize = header + sizeof(wchar_t);
    BYTE first[10] = {};
    if (withPort)
        WriteU32(first, port);
    DWORD returned = 0;
    if (!NameRequest(code, input, first, firstSize, returned))
        return 0;
    const DWORD actual = ReadU32(first + header - 4);
    if (actual <= firstSize)
        return NameFromAnswer(first, firstSize, returned, header, text);
    if (actual > kMaxNameBytes)
        return 0;
    std::vector<BYTE> buffer(actual, 0);
    if (withPort)
        WriteU32(buffer.data(), port);
    if (!NameRequest(code, input, buffer.data(), actual, returned))
        return 0;
    return NameFromAnswer(buffer.data(), actual, returned, header, text);
}

int CUSBIoControl::GetHcdDriverKeyName(CString& text) {
    return GetName(USBIoctl::GetHcdDriverKeyName, NameInput::Buffer, 0, text);
}

int CUSBIoControl::GetRootHubName(CString& text) {
    return GetName(USBIoctl::GetRootHubName, NameInput::None, 0, text);
}

int CUSBIoControl::GetNodeConnectionDriverKeyName(UINT port, CString& text) {
    return GetName(USBIoctl::GetNodeConnectionDriverKeyName, NameInput::Port, port, text);
}

int CUSBIoControl::GetNodeConnectionName(UINT port, CString& text) {
    return GetName(USBIoctl::GetNodeConnectionName, NameInput::Port, port, text);
}

int CUSBIoControl::GetPortCount(UINT& ports) {
    ports = 0;
    BYTE buffer[kNodeInformationSize] = {};
    DWORD returned = 0;
    if (!system.IoControl(handle, USBIoctl::GetNodeInformation, buffer, sizeof(buffer), buffer,
                          sizeof(buffer), &returned))
        return 0;
    if (returned <= kNumberOfPorts || returned > sizeof(buffer))
        return 0;
    ports = buffer[kNumberOfPorts];
    return 1;
}

int CUSBIoControl::GetNodeConnectionInformation(UINT port, std::vector<BYTE>& buffer) {
    buffer.assign(kConnectionInfoSize, 0);
    WriteU32(buffer.data(), port);
    DWORD returned = 0;
    if (system.IoControl(handle, USBIoctl::GetNodeConnectionInformationEx, buffer.data(),
                         kConnectionInfoSize, buffer.data(), kConnectionInfoSize, &returned))
        return returned >= kConnectionInfoHeader && returned <= kConnectionInfoSize ? 1 : 0;
    // Hub drivers before Windows XP know only the older request, which has a LowSpeed
    // flag where the newer one has the speed.
    buffer.assign(kConnectionInfoSize, 0);
    WriteU32(buffer.data(), port);
    returned = 0;
    if (!system.IoControl(handle, USBIoctl::GetNodeConnectionInformation, buffer.data(),
                          kConnectionInfoSize, buffer.data(), kConnectionInfoSize, &returned))
        return 0;
    if (returned < kConnectionInfoHeader || returned > kConnectionInfoSize)
        return 0;
    buffer[kSpeed] = buffer[kSpeed] == 0 ? 1 : 0; // full speed unless low speed
    return 1;
}

int CUSBIoControl::GetStringDescriptor(UINT port, UINT index, USHORT languageId,
                                       std::vector<BYTE>& bytes) {
    bytes.clear();
    BYTE request[kDescriptorRequestSize] = {};
    WriteU32(request, port);
    request[4] = 0;                                       // bmRequest: device to host
    request[5] = 0;                                       // bRequest: GET_DESCRIPTOR
    WriteU16(request + 6, static_cast<USHORT>(0x0300 + index)); // string descriptor
    WriteU16(request + 8, languageId);
    WriteU16(request + 10, 255);
    DWORD returned = 0;
    if (!system.IoControl(handle, USBIoctl::GetDescriptorFromNodeConnection, request,
                          sizeof(request), request, sizeof(request), &returned))
        return 0;
    if (returned > sizeof(request) || returned < kDescriptorRequestHeader + 2)
        return 0;
    const BYTE* descriptor = request + kDescriptorRequestHeader;
    const DWORD size = returned - kDescriptorRequestHeader;
    const BYTE bLength = descriptor[0];
    if (descriptor[1] != 3 || bLength != size || (bLength & 1) != 0)
        return 0;
    bytes.assign(descriptor, descriptor + bLength);
    return 1;
}

int CUSBIoControl::GetLanguageIds(UINT port, std::vector<USHORT>& ids) {
    ids.clear();
    std::vector<BYTE> bytes;
    if (!GetStringDescriptor(port, 0, 0, bytes))
        return 0;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
        USHORT id;
        memcpy(&id, bytes.data() + i, sizeof(id));
        ids.push_back(id);
    }
    return 1;
}

int CUSBIoControl::GetString(UINT port, UINT index, USHORT languageId, CString& text) {
    text.Empty();
    std::vector<BYTE> bytes;
    if (!GetStringDescriptor(port, index, languageId, bytes))
        return 0;
    text = TextAt(bytes.data() + 2, static_cast<DWORD>(bytes.size() - 2));
    return 1;
}
