#include "ipc/DataConverter.h"

#include <cstring>
#include <string>

void CDataConverter::AppendBytes(const void* data, size_t size) {
    if (size == 0) return;
    const size_t old = m_bytes.size();
    m_bytes.resize(old + size);
    std::memcpy(m_bytes.data() + old, data, size);
}

void CDataConverter::AppendString(const CString& text) {
    const int32_t bytes = text.GetLength() * 2;
    AppendInt32(bytes);
    AppendBytes(text.GetString(), static_cast<size_t>(bytes));
}

void CDataConverter::AppendStringList(const std::vector<CString>& list) {
    AppendInt32(static_cast<int32_t>(list.size()));
    for (const CString& s : list) AppendString(s);
}

bool CDataParser::ReadBytes(void* out, size_t size) {
    if (m_remaining < size) return false;
    if (size) std::memcpy(out, m_pos, size);
    m_pos += size;
    m_remaining -= size;
    return true;
}

bool CDataParser::ReadString(CString& text) {
    int32_t bytes = 0;
    if (m_remaining < sizeof bytes) return false;
    std::memcpy(&bytes, m_pos, sizeof bytes);
    if (bytes < 0 || (bytes & 1) || static_cast<uint64_t>(bytes) > m_remaining - sizeof bytes)
        return false;
    m_pos += sizeof bytes;
    m_remaining -= sizeof bytes;
    // The text may sit at an odd offset: copy bytes, never read through a wchar_t*.
    std::wstring units(static_cast<size_t>(bytes / 2), L'\0');
    if (bytes) std::memcpy(units.data(), m_pos, static_cast<size_t>(bytes));
    text = CString(units);
    m_pos += bytes;
    m_remaining -= static_cast<uint64_t>(bytes);
    return true;
}

bool CDataParser::ReadPath(CString& path) {
    const BYTE* const startPos = m_pos;
    const uint64_t startRemaining = m_remaining;
    CString text;
    if (!ReadString(text)) return false;
    if (text.str().find(L'\0') != std::wstring::npos) {
        m_pos = startPos;
        m_remaining = startRemaining;
        return false;
    }
    path = text;
    return true;
}

bool CDataParser::ReadStringList(std::vector<CString>& list) { return ReadList(list, &CDataParser::ReadString); }

bool CDataParser::ReadPathList(std::vector<CString>& list) { return ReadList(list, &CDataParser::ReadPath); }

bool CDataParser::ReadList(std::vector<CString>& list, bool (CDataParser::*readOne)(CString&)) {
    const BYTE* const startPos = m_pos;
    const uint64_t startRemaining = m_remaining;
    int32_t count = 0;
    if (!ReadInt32(count)) return false;
    if (count < 0 || static_cast<uint64_t>(count) > m_remaining / 4) {
        m_pos = startPos;
        m_remaining = startRemaining;
        return false;
    }
    std::vector<CString> result;
    result.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        CString s;
        if (!(this->*readOne)(s)) {
            m_pos = startPos;
            m_remaining = startRemaining;
            return false;
        }
        result.push_back(s);
    }
    list.insert(list.end(), result.begin(), result.end());
    return true;
}
