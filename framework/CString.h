#pragma once
// Wide (UTF-16) string with value semantics, the string type of the whole program.
// Shaped after the MFC class the code was written against: implicit conversion to
// LPCWSTR, GetBuffer/ReleaseBuffer, Format with printf forms and LoadString.
#include <windows.h>
#include <cstdarg>
#include <string>

class CString {
public:
    CString() = default;
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString(const wchar_t* s) { if (s) m_s = s; }
    CString(const wchar_t* s, int length) { if (s && length > 0) m_s.assign(s, static_cast<size_t>(length)); }
    CString(wchar_t ch, int repeat = 1) { if (repeat > 0) m_s.assign(static_cast<size_t>(repeat), ch); }
    // Narrow text is taken in the ANSI code page, as the MFC class does.
    explicit CString(const char* s);
    explicit CString(const std::wstring& s) : m_s(s) {}

    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(const wchar_t* s) { if (s) m_s = s; else m_s.clear(); return *this; }
    CString& operator=(wchar_t ch) { m_s.assign(1, ch); return *this; }

    int GetLength() const { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    wchar_t GetAt(int i) const { return m_s.at(static_cast<size_t>(i)); }
    void SetAt(int i, wchar_t ch) { m_s.at(static_cast<size_t>(i)) = ch; }
    wchar_t operator[](int i) const { return GetAt(i); }
    operator LPCWSTR() const { return m_s.c_str(); }
    LPCWSTR GetString() const { return m_s.c_str(); }
    const std::wstring& str() const { return m_s; }

    // Writable buffer of at least minLength characters plus a terminator. The string's
    // length is fixed again by ReleaseBuffer (-1: up to the first null).
    LPWSTR GetBuffer(int minLength = 0);
    LPWSTR GetBufferSetLength(int length);
    void ReleaseBuffer(int newLength = -1);
    void Truncate(int newLength);
    void Preallocate(int length) { if (length > 0) m_s.reserve(static_cast<size_t>(length)); }

    CString& operator+=(const CString& s) { m_s += s.m_s; return *this; }
    CString& operator+=(const wchar_t* s) { if (s) m_s += s; return *this; }
    CString& operator+=(wchar_t ch) { m_s += ch; return *this; }
    void Append(const wchar_t* s, int length) { if (s && length > 0) m_s.append(s, static_cast<size_t>(length)); }
    void AppendChar(wchar_t ch) { m_s += ch; }

    int Compare(const wchar_t* s) const;
    // Case-insensitive, by the system's ordinal upper-case mapping.
    int CompareNoCase(const wchar_t* s) const;

    int Find(wchar_t ch, int start = 0) const;
    int Find(const wchar_t* s, int start = 0) const;
    int ReverseFind(wchar_t ch) const;
    int FindOneOf(const wchar_t* set) const;

    CString Left(int count) const;
    CString Right(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;

    CString& MakeUpper();
    CString& MakeLower();
    CString& Trim();
    CString& TrimLeft();
    CString& TrimRight();
    CString& Trim(wchar_t ch) { TrimLeft(ch); return TrimRight(ch); }
    CString& TrimLeft(wchar_t ch);
    CString& TrimRight(wchar_t ch);
    int Replace(wchar_t from, wchar_t to);
    int Replace(const wchar_t* from, const wchar_t* to);
    int Remove(wchar_t ch);
    int Delete(int index, int count = 1);
    int Insert(int index, wchar_t ch);
    int Insert(int index, const wchar_t* s);

    // printf forms: %s is wide, %S narrow, %c wide, %C narrow, the MSVC size prefixes
    // I64/I32/I, and the C99 ones h/l/ll/z.
    void Format(const wchar_t* format, ...);
    void FormatV(const wchar_t* format, va_list args);
    void AppendFormat(const wchar_t* format, ...);
    void Format(UINT formatId, ...);

    // Loads a string of the string table of the module that holds the resources.
    BOOL LoadString(UINT id);

    friend CString operator+(const CString& a, const CString& b) { CString r(a); r += b; return r; }
    friend CString operator+(const CString& a, const wchar_t* b) { CString r(a); r += b; return r; }
    friend CString operator+(const wchar_t* a, const CString& b) { CString r(a); r += b; return r; }
    friend CString operator+(const CString& a, wchar_t b) { CString r(a); r += b; return r; }
    friend CString operator+(wchar_t a, const CString& b) { CString r(a); r += b; return r; }
    friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
    friend bool operator==(const CString& a, const wchar_t* b) { return a.Compare(b) == 0; }
    friend bool operator==(const wchar_t* a, const CString& b) { return b.Compare(a) == 0; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const wchar_t* b) { return !(a == b); }
    friend bool operator!=(const wchar_t* a, const CString& b) { return !(b == a); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_s < b.m_s; }

private:
    std::wstring m_s;
};

// Formats like CString::Format into a new string.
CString FormatString(const wchar_t* format, ...);
// Loads string-table entry id (empty when it does not exist).
CString LoadResourceString(UINT id);
// Converts text of the given code page (CP_ACP, CP_UTF8, ...) to UTF-16 and back.
CString WidenString(const char* text, UINT codePage = CP_ACP);
std::string NarrowString(const wchar_t* text, UINT codePage = CP_ACP);
