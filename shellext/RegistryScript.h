#pragma once
// A registry script, the text form self-registering COM servers keep as a resource:
//
//   HKCR
//   {
//       NoRemove CLSID
//       {
//           ForceRemove {clsid} = s 'text'
//           {
//               InprocServer32 = s '%MODULE%'
//               {
//                   val ThreadingModel = s 'Apartment'
//               }
//           }
//       }
//   }
//
// A key may carry a default value (= s 'text' or = d 'number') and values of its own
// (val NAME = ...). Registering creates every key and writes its values; ForceRemove
// first deletes the key with everything below it, Delete only deletes it. Unregistering
// deletes every key with everything below it, except NoRemove keys, which stay (their
// own named values go) while the keys inside them are unregistered. Names and texts may
// be quoted ('it''s'); words are separated by white space. %NAME% in them is replaced
// by the value given for NAME (%% is a percent sign); a replacement is never parsed as
// script, whatever it holds.
#include <windows.h>

#include <utility>
#include <vector>

#include "framework/CString.h"

namespace ShellEx {

using ScriptReplacements = std::vector<std::pair<CString, CString>>;

class RegistryScript {
public:
    // False when the text is not a well-formed script or names an unknown replacement.
    bool Parse(const CString& text, const ScriptReplacements& replacements);

    // classesRoot: the key that HKCR (HKEY_CLASSES_ROOT) in the script stands for, so that
    // a per-user registration writes below HKEY_CURRENT_USER\Software\Classes. Other roots
    // (HKCU, HKLM) are used as they are. Stops at the first failure and returns it.
    HRESULT Register(HKEY classesRoot) const;
    HRESULT Unregister(HKEY classesRoot) const;

private:
    struct Value {
        CString name;  // empty: the key's default value
        DWORD type = REG_SZ;
        CString text;
        DWORD number = 0;
    };
    enum class Flag { kNormal, kNoRemove, kForceRemove, kDelete };
    struct Key {
        CString name;
        Flag flag = Flag::kNormal;
        std::vector<Value> values;
        std::vector<Key> children;
    };
    struct Root {
        HKEY predefined = nullptr;  // null: the classes root given to Register
        std::vector<Key> keys;
    };

    class Reader;
    static bool ParseKeyBody(Reader& reader, std::vector<Key>& keys, std::vector<Value>* values);
    static bool ParseValue(Reader& reader, Value& value);
    static HRESULT RegisterKey(HKEY parent, const Key& key);
    static HRESULT UnregisterKey(HKEY parent, const Key& key);
    HRESULT ForEachKey(HKEY classesRoot, HRESULT (*action)(HKEY, const Key&)) const;
    HKEY RootKey(const Root& root, HKEY classesRoot) const { return root.predefined ? root.predefined : classesRoot; }

    std::vector<Root> m_roots;
};

}  // namespace ShellEx
