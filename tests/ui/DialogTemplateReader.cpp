#include "tests/ui/DialogTemplateReader.h"

#include <cstring>

namespace {

// Walks the template's words; every field of a DIALOGEX is WORD-aligned, items and
// their data DWORD-aligned.
class Cursor {
public:
    Cursor(const BYTE* begin, DWORD size) : m_begin(begin), m_p(begin), m_end(begin + size) {}

    bool Ok() const { return m_ok; }

    template <typename T>
    T Take() {
        T v{};
        if (m_p + sizeof(T) > m_end) {
            m_ok = false;
            return v;
        }
        std::memcpy(&v, m_p, sizeof(T));
        m_p += sizeof(T);
        return v;
    }

    std::wstring TakeString() {
        std::wstring s;
        for (WORD c = Take<WORD>(); m_ok && c != 0; c = Take<WORD>()) s += static_cast<wchar_t>(c);
        return s;
    }

    // A name or an ordinal (0xFFFF followed by the number).
    std::wstring TakeNameOrOrdinal(bool isClass) {
        WORD first = Take<WORD>();
        if (first == 0) return std::wstring();
        if (first == 0xFFFF) {
            WORD ordinal = Take<WORD>();
            if (isClass) {
                switch (ordinal) {
                    case 0x80: return L"Button";
                    case 0x81: return L"Edit";
                    case 0x82: return L"Static";
                    case 0x83: return L"ListBox";
                    case 0x84: return L"ScrollBar";
                    case 0x85: return L"ComboBox";
                }
            }
            return L"#" + std::to_wstring(ordinal);
        }
        std::wstring s(1, static_cast<wchar_t>(first));
        return s + TakeString();
    }

    void Skip(size_t bytes) {
        if (m_p + bytes > m_end) m_ok = false;
        else m_p += bytes;
    }

    void AlignDword() {
        size_t offset = static_cast<size_t>(m_p - m_begin);
        Skip((4 - offset % 4) % 4);
    }

private:
    const BYTE* m_begin;
    const BYTE* m_p;
    const BYTE* m_end;
    bool m_ok = true;
};

}  // namespace

bool ReadDialogTemplate(HMODULE module, int id, DialogTemplate& t) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!data) return false;
    Cursor c(data, SizeofResource(module, found));
    if (c.Take<WORD>() != 1 || c.Take<WORD>() != 0xFFFF) return false;  // dlgVer, signature
    c.Take<DWORD>();  // help id
    t.exStyle = c.Take<DWORD>();
    t.style = c.Take<DWORD>();
    const WORD count = c.Take<WORD>();
    t.x = c.Take<short>();
    t.y = c.Take<short>();
    t.cx = c.Take<short>();
    t.cy = c.Take<short>();
    c.TakeNameOrOrdinal(false);  // menu
    c.TakeNameOrOrdinal(false);  // window class
    t.caption = c.TakeString();
    if (t.style & (DS_SETFONT | DS_SHELLFONT)) {
        t.pointSize = c.Take<WORD>();
        t.weight = c.Take<WORD>();
        t.italic = c.Take<BYTE>();
        t.charset = c.Take<BYTE>();
        t.typeface = c.TakeString();
    }
    t.items.clear();
    for (WORD i = 0; i < count && c.Ok(); ++i) {
        c.AlignDword();
        DialogItemTemplate item;
        c.Take<DWORD>();  // help id
        item.exStyle = c.Take<DWORD>();
        item.style = c.Take<DWORD>();
        item.x = c.Take<short>();
        item.y = c.Take<short>();
        item.cx = c.Take<short>();
        item.cy = c.Take<short>();
        item.id = static_cast<int>(c.Take<DWORD>());
        item.className = c.TakeNameOrOrdinal(true);
        item.text = c.TakeNameOrOrdinal(false);
        c.Skip(c.Take<WORD>());  // creation data
        t.items.push_back(item);
    }
    return c.Ok();
}
