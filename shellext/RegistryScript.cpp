#include "shellext/RegistryScript.h"

#include <shlwapi.h>

#include <cwchar>

#include "framework/Resource.h"

namespace ShellEx {

// Splits the script into words: quoted texts, and bare words separated by white space
// (so braces and = stand alone, and {GUID} is one word).
class RegistryScript::Reader {
public:
    Reader(const CString& text, const ScriptReplacements& replacements)
        : m_text(text), m_replacements(replacements) {}

    // The next word, with its replacements made; false at the end of the text or on a
    // malformed word (the error flag then tells which).
    bool Next(CString& word, bool& quoted) {
        SkipSpace();
        quoted = false;
        if (m_pos >= m_text.GetLength()) return false;
        const wchar_t c = m_text[m_pos];
        CString raw;
        if (c == L'\'') {
            quoted = true;
            ++m_pos;
            for (;;) {
                if (m_pos >= m_text.GetLength()) return Fail();
                const wchar_t q = m_text[m_pos++];
                if (q == L'\'') {
                    if (m_pos < m_text.GetLength() && m_text[m_pos] == L'\'') {
                        raw += L'\'';
                        ++m_pos;
                        continue;
                    }
                    break;
                }
                raw += q;
            }
        } else {
            while (m_pos < m_text.GetLength()) {
                const wchar_t b = m_text[m_pos];
                if (iswspace(b)) break;
                raw += b;
                ++m_pos;
            }
        }
        return Replace(raw, word) || Fail();
    }

    // The next word must be this one.
    bool Expect(const wchar_t* wanted) {
        CString word;
        bool quoted = false;
        return Next(word, quoted) && !quoted && word == wanted;
    }

    // Looks at the next word without taking it.
    bool Peek(CString& word, bool& quoted) {
        const int saved = m_pos;
        const bool ok = Next(word, quoted);
        m_pos = saved;
        return ok;
    }

    bool Failed() const { return m_failed; }

private:
    void SkipSpace() {
        while (m_pos < m_text.GetLength() && iswspace(m_text[m_pos])) ++m_pos;
    }
    bool Fail() {
        m_failed = true;
        return false;
    }
    bool Replace(const CString& raw, CString& out) const {
        out.Empty();
        for (int i = 0; i < raw.GetLength(); ++i) {
            if (raw[i] != L'%') {
                out += raw[i];
                continue;
            }
            const int end = raw.Find(L'%', i + 1);
            if (end < 0) return false;
            const CString name = raw.Mid(i + 1, end - i - 1);
            if (name.IsEmpty()) {
                out += L'%';
            } else {
                bool found = false;
                for (const auto& r : m_replacements) {
                    if (r.first.CompareNoCase(name) == 0) {
                        out += r.second;
                        found = true;
                        break;
                    }
                }
                if (!found) return false;
            }
            i = end;
        }
        return true;
    }

    CString m_text;
    const ScriptReplacements& m_replacements;
    int m_pos = 0;
    bool m_failed = false;
};

namespace {

HKEY PredefinedRoot(const CString& name, bool& classes) {
    classes = false;
    if (name.CompareNoCase(L"HKCR") == 0 || name.CompareNoCase(L"HKEY_CLASSES_ROOT") == 0) {
        classes = true;
        return nullptr;
    }
    if (name.CompareNoCase(L"HKCU") == 0 || name.CompareNoCase(L"HKEY_CURRENT_USER") == 0) return HKEY_CURRENT_USER;
    if (name.CompareNoCase(L"HKLM") == 0 || name.CompareNoCase(L"HKEY_LOCAL_MACHINE") == 0) return HKEY_LOCAL_MACHINE;
    if (name.CompareNoCase(L"HKU") == 0 || name.CompareNoCase(L"HKEY_USERS") == 0) return HKEY_USERS;
    return nullptr;
}

bool IsSeparatorFree(const CString& name) { return !name.IsEmpty() && name.Find(L'\\') < 0; }

HRESULT FromWin32(LSTATUS status) { return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status); }

// Deletes a key with everything below it; a key that is not there is no failure.
HRESULT DeleteTree(HKEY parent, const CString& name) {
    const LSTATUS status = SHDeleteKeyW(parent, name);
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND) return S_OK;
    return FromWin32(status);
}

}  // namespace

bool RegistryScript::Parse(const CString& text, const ScriptReplacements& replacements) {
    m_roots.clear();
    Reader reader(text, replacements);
    CString word;
    bool quoted = false;
    std::vector<Root> roots;
    while (reader.Next(word, quoted)) {
        bool classes = false;
        Root root;
        root.predefined = PredefinedRoot(word, classes);
        if (quoted || (!root.predefined && !classes)) return false;
        if (!reader.Expect(L"{") || !ParseKeyBody(reader, root.keys, nullptr)) return false;
        roots.push_back(std::move(root));
    }
    if (reader.Failed()) return false;
    m_roots = std::move(roots);
    return true;
}

// After an opening brace, up to and including its closing brace. values: where the
// "val" lines of the enclosing key go (null at a root, which has none).
bool RegistryScript::ParseKeyBody(Reader& reader, std::vector<Key>& keys, std::vector<Value>* values) {
    for (;;) {
        CString word;
        bool quoted = false;
        if (!reader.Next(word, quoted)) return false;
        if (!quoted && word == L"}") return true;
        if (!quoted && (word == L"{" || word == L"=")) return false;
        if (!quoted && word.CompareNoCase(L"val") == 0) {
            Value value;
            if (!values || !reader.Next(value.name, quoted) || value.name.IsEmpty() || !reader.Expect(L"=") ||
                !ParseValue(reader, value))
                return false;
            values->push_back(value);
            continue;
        }
        Key key;
        if (!quoted && word.CompareNoCase(L"NoRemove") == 0) key.flag = Flag::kNoRemove;
        else if (!quoted && word.CompareNoCase(L"ForceRemove") == 0) key.flag = Flag::kForceRemove;
        else if (!quoted && word.CompareNoCase(L"Delete") == 0) key.flag = Flag::kDelete;
        if (key.flag != Flag::kNormal && !reader.Next(word, quoted)) return false;
        key.name = word;
        if (!IsSeparatorFree(key.name)) return false;
        CString next;
        if (reader.Peek(next, quoted) && !quoted && next == L"=") {
            reader.Next(next, quoted);
            Value value;
            if (!ParseValue(reader, value)) return false;
            key.values.push_back(value);
        }
        if (reader.Peek(next, quoted) && !quoted && next == L"{") {
            reader.Next(next, quoted);
            if (!ParseKeyBody(reader, key.children, &key.values)) return false;
        }
        if (reader.Failed()) return false;
        keys.push_back(std::move(key));
    }
}

// "s 'text'" or "d 'number'".
bool RegistryScript::ParseValue(Reader& reader, Value& value) {
    CString type, data;
    bool quoted = false;
    if (!reader.Next(type, quoted) || quoted || !reader.Next(data, quoted)) return false;
    if (type.CompareNoCase(L"s") == 0) {
        value.type = REG_SZ;
        value.text = data;
        return true;
    }
    if (type.CompareNoCase(L"d") == 0) {
        if (data.IsEmpty()) return false;
        wchar_t* end = nullptr;
        const unsigned long number = wcstoul(data.GetString(), &end, 0);
        if (!end || *end != L'\0') return false;
        value.type = REG_DWORD;
        value.number = static_cast<DWORD>(number);
        return true;
    }
    return false;
}

HRESULT RegistryScript::Register(HKEY classesRoot) const { return ForEachKey(classesRoot, &RegisterKey); }

HRESULT RegistryScript::Unregister(HKEY classesRoot) const { return ForEachKey(classesRoot, &UnregisterKey); }

HRESULT RegistryScript::ForEachKey(HKEY classesRoot, HRESULT (*action)(HKEY, const Key&)) const {
    for (const Root& root : m_roots) {
        const HKEY parent = RootKey(root, classesRoot);
        if (!parent) return E_INVALIDARG;
        for (const Key& key : root.keys) {
            const HRESULT hr = action(parent, key);
            if (FAILED(hr)) return hr;
        }
    }
    return S_OK;
}

HRESULT RegistryScript::RegisterKey(HKEY parent, const Key& key) {
    if (key.flag == Flag::kForceRemove || key.flag == Flag::kDelete) {
        const HRESULT hr = DeleteTree(parent, key.name);
        if (FAILED(hr) || key.flag == Flag::kDelete) return hr;
    }
    HKEY raw = nullptr;
    LSTATUS status = RegCreateKeyExW(parent, key.name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                                     nullptr, &raw, nullptr);
    if (status != ERROR_SUCCESS) return FromWin32(status);
    UniqueHKEY opened(raw);
    for (const Value& value : key.values) {
        const wchar_t* name = value.name.IsEmpty() ? nullptr : value.name.GetString();
        if (value.type == REG_DWORD) {
            status = RegSetValueExW(opened.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value.number),
                                    sizeof value.number);
        } else {
            const DWORD bytes = static_cast<DWORD>((value.text.GetLength() + 1) * sizeof(wchar_t));
            status = RegSetValueExW(opened.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text.GetString()),
                                    bytes);
        }
        if (status != ERROR_SUCCESS) return FromWin32(status);
    }
    for (const Key& child : key.children) {
        const HRESULT hr = RegisterKey(opened.get(), child);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT RegistryScript::UnregisterKey(HKEY parent, const Key& key) {
    if (key.flag != Flag::kNoRemove) return DeleteTree(parent, key.name);
    HKEY raw = nullptr;
    const LSTATUS status = RegOpenKeyExW(parent, key.name, 0, KEY_READ | KEY_WRITE, &raw);
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND) return S_OK;
    if (status != ERROR_SUCCESS) return FromWin32(status);
    UniqueHKEY opened(raw);
    for (const Value& value : key.values) {
        if (value.name.IsEmpty()) continue;  // a shared key's default value is not ours
        const LSTATUS deleted = RegDeleteValueW(opened.get(), value.name);
        if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND) return FromWin32(deleted);
    }
    for (const Key& child : key.children) {
        const HRESULT hr = UnregisterKey(opened.get(), child);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

}  // namespace ShellEx
