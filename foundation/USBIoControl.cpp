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

// UTF-16 text of `bytes` bytes at p, up to the first NUL.
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

// The name requests share one shape: a header (an optional u32 port, then the u32
// ActualLength) followed by the text. A first small request learns the length.
int CUSBIoControl::GetName(DWORD code, bool withPort, UINT port, CString& text) {
    text.Empty();
    const DWORD header = withPort ? 8 : 4;
    const DWORD lengthAt = header - 4;
    BYTE first[10] = {};
    const DWORD firstSize = header + 2;
    if (withPort)
        WriteU32(first, port);
    DWORD returned = 0;
    BOOL ok = withPort ? system.IoControl(handle, code, first, firstSize, first, firstSize, &returned)
                       : system.IoControl(handle, code, nullptr, 0, first, firstSize, &returned);
    if (!ok)
        return 0;
    DWORD actual = ReadU32(first + lengthAt);
    if (actual <= firstSize) {
        // The whole name fitted into the first answer.
        if (actual < header || returned > firstSize)
            return 0;
        DWORD valid = actual < returned ? actual : returned;
        if (valid > header)
            text = TextAt(first + header, valid - header);
        return 1;
    }
    if (actual > kMaxNameBytes)
        return 0;
    std::vector<BYTE> buffer(actual, 0);
    if (withPort)
        WriteU32(buffer.data(), port);
    returned = 0;
    ok = withPort ? system.IoControl(handle, code, buffer.data(), actual, buffer.data(), actual, &returned)
                  : system.IoControl(handle, code, nullptr, 0, buffer.data(), actual, &returned);
    if (!ok || returned > actual)
        return 0;
    DWORD second = ReadU32(buffer.data() + lengthAt);
    DWORD valid = second < returned ? second : returned;
    if (valid > actual)
        valid = actual;
    if (valid > header)
        text = TextAt(buffer.data() + header, valid - header);
    return 1;
}

int CUSBIoControl::GetHcdDriverKeyName(CString& text) {
    return GetName(USBIoctl::GetHcdDriverKeyName, false, 0, text);
}

int CUSBIoControl::GetRootHubName(CString& text) {
    return GetName(USBIoctl::GetRootHubName, false, 0, text);
}

int CUSBIoControl::GetNodeConnectionDriverKeyName(UINT port, CString& text) {
    return GetName(USBIoctl::GetNodeConnectionDriverKeyName, true, port, text);
}

int CUSBIoControl::GetNodeConnectionName(UINT port, CString& text) {
    return GetName(USBIoctl::GetNodeConnectionName, true, port, text);
}

int CUSBIoControl::GetPortCount(UINT& ports) {
    ports = 0;
    BYTE buffer[kNodeInformationSize] = {};
    DWORD returned = 0;
    if (!system.IoControl(handle, USBIoctl::GetNodeInformation, buffer, sizeof(buffer), buffer,
                          sizeof(buffer), &returned))
        return 0;
    if (returned < 7 || returned > sizeof(buffer))
        return 0;
    ports = buffer[6];
    return 1;
}

int CUSBIoControl::GetNodeConnectionInformation(UINT port, std::vector<BYTE>& buffer) {
    buffer.assign(kConnectionInfoSize, 0);
    WriteU32(buffer.data(), port);
    DWORD returned = 0;
    if (system.IoControl(handle, USBIoctl::GetNodeConnectionInformationEx, buffer.data(),
                         kConnectionInfoSize, buffer.data(), kConnectionInfoSize, &returned))
        return returned >= kConnectionInfoHeader && returned <= kConnectionInfoSize ? 1 : 0;
    // Older hub drivers know only the request with a LowSpeed flag in the Speed byte.
    buffer.assign(kConnectionInfoSize, 0);
    WriteU32(buffer.data(), port);
    returned = 0;
    if (!system.IoControl(handle, USBIoctl::GetNodeConnectionInformation, buffer.data(),
                          kConnectionInfoSize, buffer.data(), kConnectionInfoSize, &returned))
        return 0;
    if (returned < kConnectionInfoHeader || returned > kConnectionInfoSize)
        return 0;
    buffer[kSpeed] = buffer[kSpeed] == 0 ? 1 : 0;
    return 1;
}

int CUSBIoControl::GetStringDescriptor(UINT port, UINT index, USHORT languageId,
                                       std::vector<BYTE>& bytes) {
    bytes.clear();
    BYTE request[kDescriptorRequestSize] = {};
    WriteU32(request, port);
    request[4] = 0;                                   // bmRequest
    request[5] = 0;                                   // bRequest
    USHORT value = static_cast<USHORT>(0x0300 + index); // string descriptor
    USHORT length = 255;
    memcpy(request + 6, &value, 2);
    memcpy(request + 8, &languageId, 2);
    memcpy(request + 10, &length, 2);
    DWORD returned = 0;
    if (!system.IoControl(handle, USBIoctl::GetDescriptorFromNodeConnection, request,
                          sizeof(request), request, sizeof(request), &returned))
        return 0;
    if (returned > sizeof(request) || returned < kDescriptorRequestHeader + 2)
        return 0;
    const BYTE* descriptor = request + kDescriptorRequestHeader;
    DWORD size = returned - kDescriptorRequestHeader;
    if (descriptor[1] != 3 || descriptor[0] != size || (descriptor[0] & 1) != 0)
        return 0;
    bytes.assign(descriptor, descriptor + size);
    return 1;
}

int CUSBIoControl::GetLanguageIds(UINT port, std::vector<USHORT>& ids) {
    ids.clear();
    std::vector<BYTE> bytes;
    if (!GetStringDescriptor(port, 0, 0, bytes))
        return 0;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
        USHORT id;
        memcpy(&id, bytes.data() + i, 2);
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
