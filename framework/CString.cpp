#include "framework/CString.h"
#include "framework/Afx.h"

#include <cstdio>
#include <cwchar>
#include <cwctype>

CString::CString(const char* s) {
    if (s) m_s = WidenString(s).m_s;
}

LPWSTR CString::GetBuffer(int minLength) {
    if (minLength > GetLength()) m_s.resize(static_cast<size_t>(minLength));
    return m_s.data();
}

LPWSTR CString::GetBufferSetLength(int length) {
    m_s.resize(static_cast<size_t>(length < 0 ? 0 : length));
    return m_s.data();
}

void CString::ReleaseBuffer(int newLength) {
    if (newLength < 0) newLength = static_cast<int>(wcsnlen(m_s.c_str(), m_s.size()));
    if (newLength > GetLength()) newLength = GetLength();
    m_s.resize(static_cast<size_t>(newLength));
}

void CString::Truncate(int newLength) {
    if (newLength >= 0 && newLength < GetLength()) m_s.resize(static_cast<size_t>(newLength));
}

int CString::Compare(const wchar_t* s) const {
    int r = m_s.compare(s ? s : L"");
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CString::CompareNoCase(const wchar_t* s) const {
    if (!s) s = L"";
    int r = CompareStringOrdinal(m_s.c_str(), GetLength(), s, static_cast<int>(wcslen(s)), TRUE);
    if (r == 0) return _wcsicmp(m_s.c_str(), s) < 0 ? -1 : (_wcsicmp(m_s.c_str(), s) > 0 ? 1 : 0);
    return r - CSTR_EQUAL;
}

int CString::Find(wchar_t ch, int start) const {
    if (start < 0 || start > GetLength()) return -1;
    size_t p = m_s.find(ch, static_cast<size_t>(start));
    return p == std::wstring::npos ? -1 : static_cast<int>(p);
}

int CString::Find(const wchar_t* s, int start) const {
    if (!s || start < 0 || start > GetLength()) return -1;
    size_t p = m_s.find(s, static_cast<size_t>(start));
    return p == std::wstring::npos ? -1 : static_cast<int>(p);
}

int CString::ReverseFind(wchar_t ch) const {
    size_t p = m_s.rfind(ch);
    return p == std::wstring::npos ? -1 : static_cast<int>(p);
}

int CString::FindOneOf(const wchar_t* set) const {
    if (!set) return -1;
    size_t p = m_s.find_first_of(set);
    return p == std::wstring::npos ? -1 : static_cast<int>(p);
}

CString CString::Left(int count) const {
    if (count <= 0) return CString();
    return CString(m_s.substr(0, static_cast<size_t>(count)));
}

CString CString::Right(int count) const {
    if (count <= 0) return CString();
    if (count >= GetLength()) return *this;
    return CString(m_s.substr(m_s.size() - static_cast<size_t>(count)));
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
    if (first < 0) first = 0;
    if (first >= GetLength() || count <= 0) return CString();
    return CString(m_s.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

CString& CString::MakeUpper() {
    if (!m_s.empty()) CharUpperBuffW(m_s.data(), static_cast<DWORD>(m_s.size()));
    return *this;
}

CString& CString::MakeLower() {
    if (!m_s.empty()) CharLowerBuffW(m_s.data(), static_cast<DWORD>(m_s.size()));
    return *this;
}

CString& CString::Trim() { TrimLeft(); return TrimRight(); }

CString& CString::TrimLeft() {
    size_t i = 0;
    while (i < m_s.size() && iswspace(m_s[i])) ++i;
    m_s.erase(0, i);
    return *this;
}

CString& CString::TrimRight() {
    size_t n = m_s.size();
    while (n > 0 && iswspace(m_s[n - 1])) --n;
    m_s.resize(n);
    return *this;
}

CString& CString::TrimLeft(wchar_t ch) {
    size_t i = 0;
    while (i < m_s.size() && m_s[i] == ch) ++i;
    m_s.erase(0, i);
    return *this;
}

CString& CString::TrimRight(wchar_t ch) {
    size_t n = m_s.size();
    while (n > 0 && m_s[n - 1] == ch) --n;
    m_s.resize(n);
    return *this;
}

int CString::Replace(wchar_t from, wchar_t to) {
    int n = 0;
    for (auto& c : m_s) if (c == from) { c = to; ++n; }
    return n;
}

int CString::Replace(const wchar_t* from, const wchar_t* to) {
    if (!from || !*from) return 0;
    std::wstring f(from), t(to ? to : L"");
    int n = 0;
    for (size_t p = m_s.find(f); p != std::wstring::npos; p = m_s.find(f, p + t.size())) {
        m_s.replace(p, f.size(), t);
        ++n;
    }
    return n;
}

int CString::Remove(wchar_t ch) { return static_cast<int>(std::erase(m_s, ch)); }

int CString::Delete(int index, int count) {
    if (index >= 0 && index < GetLength() && count > 0) m_s.erase(static_cast<size_t>(index), static_cast<size_t>(count));
    return GetLength();
}

int CString::Insert(int index, wchar_t ch) {
    if (index < 0) index = 0;
    if (index > GetLength()) index = GetLength();
    m_s.insert(static_cast<size_t>(index), 1, ch);
    return GetLength();
}

int CString::Insert(int index, const wchar_t* s) {
    if (!s) return GetLength();
    if (index < 0) index = 0;
    if (index > GetLength()) index = GetLength();
    m_s.insert(static_cast<size_t>(index), s);
    return GetLength();
}

namespace {

void AppendPadded(std::wstring& out, const std::wstring& text, int width, bool left, wchar_t pad = L' ') {
    int fill = width - static_cast<int>(text.size());
    if (fill > 0 && !left) out.append(static_cast<size_t>(fill), pad);
    out += text;
    if (fill > 0 && left) out.append(static_cast<size_t>(fill), L' ');
}

// One conversion of a printf format, written from the MSVC forms the string table and
// the program use. Numbers go through the C library's narrow printf.
void FormatInto(std::wstring& out, const wchar_t* f, va_list args) {
    va_list ap;
    va_copy(ap, args);
    while (*f) {
        if (*f != L'%') { out += *f++; continue; }
        const wchar_t* specStart = f++;
        if (*f == L'%') { out += L'%'; ++f; continue; }
        std::string flags;
        while (*f && wcschr(L"-+ #0", *f)) flags += static_cast<char>(*f++);
        bool left = flags.find('-') != std::string::npos;
        int width = -1, precision = -1;
        if (*f == L'*') { width = va_arg(ap, int); if (width < 0) { left = true; flags += '-'; width = -width; } ++f; }
        else { while (iswdigit(*f)) { width = (width < 0 ? 0 : width * 10) + (*f++ - L'0'); } }
        if (*f == L'.') {
            ++f; precision = 0;
            if (*f == L'*') { precision = va_arg(ap, int); ++f; }
            else while (iswdigit(*f)) precision = precision * 10 + (*f++ - L'0');
        }
        enum { kInt, kLong, kLongLong, kShort, kSize } size = kInt;
        bool narrowText = false, wideText = false;
        if (f[0] == L'I' && f[1] == L'6' && f[2] == L'4') { size = kLongLong; f += 3; }
        else if (f[0] == L'I' && f[1] == L'3' && f[2] == L'2') { size = kInt; f += 3; }
        else if (f[0] == L'I') { size = kSize; ++f; }
        else if (f[0] == L'l' && f[1] == L'l') { size = kLongLong; f += 2; }
        else if (f[0] == L'l') { size = kLong; wideText = true; ++f; }
        else if (f[0] == L'h') { size = kShort; narrowText = true; ++f; }
        else if (f[0] == L'z' || f[0] == L'j' || f[0] == L't') { size = kSize; ++f; }
        wchar_t conv = *f;
        if (!conv) { out.append(specStart); break; }
        ++f;
        std::string fl = flags;
        auto numeric = [&](const char* lengthMod, char c, auto value) {
            std::string s = "%" + fl;
            if (width >= 0) s += std::to_string(width);
            if (precision >= 0) s += "." + std::to_string(precision);
            s += lengthMod; s += c;
            char buf[512];
            snprintf(buf, sizeof buf, s.c_str(), value);
            for (const char* p = buf; *p; ++p) out += static_cast<wchar_t>(static_cast<unsigned char>(*p));
        };
        switch (conv) {
        case L'd': case L'i': case L'u': case L'x': case L'X': case L'o': {
            char c = static_cast<char>(conv);
            bool isSigned = (c == 'd' || c == 'i');
            if (size == kLongLong || size == kSize) {
                if (isSigned) numeric("ll", c, static_cast<long long>(va_arg(ap, long long)));
                else numeric("ll", c, static_cast<unsigned long long>(va_arg(ap, unsigned long long)));
            } else if (size == kShort) {
                if (isSigned) numeric("", c, static_cast<int>(static_cast<short>(va_arg(ap, int))));
                else numeric("", c, static_cast<unsigned>(static_cast<unsigned short>(va_arg(ap, unsigned))));
            } else {
                // long is 32 bits on Windows, like int.
                if (isSigned) numeric("", c, va_arg(ap, int));
                else numeric("", c, va_arg(ap, unsigned));
            }
            break;
        }
        case L'f': case L'F': case L'e': case L'E': case L'g': case L'G':
            numeric("", static_cast<char>(conv), va_arg(ap, double));
            break;
        case L'p': {
            wchar_t buf[32];
            swprintf(buf, 32, L"%016llX", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(va_arg(ap, void*))));
            AppendPadded(out, buf, width, left);
            break;
        }
        case L'c': case L'C': {
            int v = va_arg(ap, int);
            bool narrow = (conv == L'C' && !wideText) || narrowText;
            wchar_t ch = static_cast<wchar_t>(v);
            if (narrow) {
                char b = static_cast<char>(v);
                MultiByteToWideChar(CP_ACP, 0, &b, 1, &ch, 1);
            }
            AppendPadded(out, std::wstring(1, ch), width, left);
            break;
        }
        case L's': case L'S': {
            bool narrow = (conv == L'S' && !wideText) || narrowText;
            std::wstring text;
            if (narrow) {
                const char* s = va_arg(ap, const char*);
                text = s ? WidenString(s).str() : L"(null)";
            } else {
                const wchar_t* s = va_arg(ap, const wchar_t*);
                text = s ? s : L"(null)";
            }
            if (precision >= 0 && static_cast<size_t>(precision) < text.size()) text.resize(static_cast<size_t>(precision));
            AppendPadded(out, text, width, left);
            break;
        }
        default:
            out.append(specStart, f);
            break;
        }
    }
    va_end(ap);
}

}  // namespace

void CString::FormatV(const wchar_t* format, va_list args) {
    std::wstring out;
    if (format) FormatInto(out, format, args);
    m_s.swap(out);
}

void CString::Format(const wchar_t* format, ...) {
    va_list ap;
    va_start(ap, format);
    FormatV(format, ap);
    va_end(ap);
}

void CString::Format(UINT formatId, ...) {
    CString format = LoadResourceString(formatId);
    va_list ap;
    va_start(ap, formatId);
    FormatV(format, ap);
    va_end(ap);
}

void CString::AppendFormat(const wchar_t* format, ...) {
    CString more;
    va_list ap;
    va_start(ap, format);
    more.FormatV(format, ap);
    va_end(ap);
    *this += more;
}

BOOL CString::LoadString(UINT id) {
    const wchar_t* text = nullptr;
    // With a zero buffer size the call hands out the resource's own read-only text.
    int n = ::LoadStringW(AfxGetResourceHandle(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (n <= 0 || !text) { m_s.clear(); return FALSE; }
    m_s.assign(text, static_cast<size_t>(n));
    return TRUE;
}

CString FormatString(const wchar_t* format, ...) {
    CString s;
    va_list ap;
    va_start(ap, format);
    s.FormatV(format, ap);
    va_end(ap);
    return s;
}

CString LoadResourceString(UINT id) {
    CString s;
    s.LoadString(id);
    return s;
}

CString WidenString(const char* text, UINT codePage) {
    CString s;
    if (!text || !*text) return s;
    int n = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (n <= 0) return s;
    MultiByteToWideChar(codePage, 0, text, -1, s.GetBuffer(n), n);
    s.ReleaseBuffer();
    return s;
}

std::string NarrowString(const wchar_t* text, UINT codePage) {
    std::string r;
    if (!text || !*text) return r;
    int n = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return r;
    r.resize(static_cast<size_t>(n));
    WideCharToMultiByte(codePage, 0, text, -1, r.data(), n, nullptr, nullptr);
    r.resize(static_cast<size_t>(n - 1));
    return r;
}
