#pragma once
// Field encodings of pipe messages: little-endian, packed, strings as an int32 byte
// count followed by UTF-16LE text without a terminator.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/CString.h"

// Builds one message; the finished array is sent with one Write.
class CDataConverter {
public:
    CDataConverter() = default;
    virtual ~CDataConverter() = default;

    void AppendInt32(int32_t value) { AppendBytes(&value, sizeof value); }
    void AppendUInt16(uint16_t value) { AppendBytes(&value, sizeof value); }
    void AppendUInt64(uint64_t value) { AppendBytes(&value, sizeof value); }
    void AppendBytes(const void* data, size_t size);
    void AppendString(const CString& text);
    void AppendStringList(const std::vector<CString>& list);

    const BYTE* Data() const { return m_bytes.data(); }
    size_t Size() const { return m_bytes.size(); }
    const std::vector<BYTE>& Bytes() const { return m_bytes; }

private:
    std::vector<BYTE> m_bytes;
};

// Reads the fields of a received message it does not own. A read that finds too few
// bytes leaves its destination unchanged, consumes nothing and returns false.
class CDataParser {
public:
    CDataParser(const BYTE* data, uint64_t size) : m_pos(data), m_remaining(data ? size : 0) {}
    virtual ~CDataParser() = default;

    bool ReadInt32(int32_t& value) { return ReadBytes(&value, sizeof value); }
    bool ReadUInt16(uint16_t& value) { return ReadBytes(&value, sizeof value); }
    bool ReadUInt64(uint64_t& value) { return ReadBytes(&value, sizeof value); }
    bool ReadBytes(void* out, size_t size);
    // The byte count must be present, non-negative, even and no larger than what is
    // left; otherwise nothing is consumed. The count comes from another process.
    bool ReadString(CString& text);
    // N must be non-negative and small enough that N byte counts still fit: a hostile
    // count never makes us loop or reserve memory for strings that are not there.
    bool ReadStringList(std::vector<CString>& list);
    // A path is a string without a NUL character: the system would read it only up to
    // the NUL, so a path with one means something other than it says. Such a path, or
    // a list holding one, is refused like a short field.
    bool ReadPath(CString& path);
    bool ReadPathList(std::vector<CString>& list);

    uint64_t Remaining() const { return m_remaining; }

private:
    bool ReadList(std::vector<CString>& list, bool (CDataParser::*readOne)(CString&));

    const BYTE* m_pos;
    uint64_t m_remaining;
};
