#pragma once
// Libraries the program keeps mapped for its whole run, so that the run-time bound
// functions in them can be found.
#include <windows.h>

#include <string>
#include <vector>

#include "foundation/noncopyable.h"

namespace DLL {

class DynamicLinkLibrary : private noncopyable {
public:
    explicit DynamicLinkLibrary(const std::wstring& name) : m_name(name) {}
    virtual ~DynamicLinkLibrary() { Free(); }

    // Loads once; true when the library is mapped.
    bool Load();
    // FreeLibrary; the handle is cleared only when that succeeds.
    void Free();
    bool IsLoaded() const { return m_handle != nullptr; }
    HMODULE Handle() const { return m_handle; }
    const std::wstring& Name() const { return m_name; }

private:
    HMODULE m_handle = nullptr;
    std::wstring m_name;
};

// Names compare without regard to ASCII case; each name is held at most once, in load
// order. Every entry holds a loaded library.
class DynamicLinkLibraryManager : private noncopyable {
public:
    DynamicLinkLibraryManager() = default;
    virtual ~DynamicLinkLibraryManager() { FreeAll(); }

    bool IsLoaded(const std::wstring& name) const;
    // A library that cannot be loaded is not added and not reported.
    bool Load(const std::wstring& name);
    bool Free(const std::wstring& name);
    void FreeAll();
    size_t Count() const { return m_libraries.size(); }

private:
    std::vector<DynamicLinkLibrary*>::const_iterator Find(const std::wstring& name) const;

    std::vector<DynamicLinkLibrary*> m_libraries;
};

// Libraries that only some work of the program needs (the shell's, the theme library) are
// mapped the first time that work asks for them, not at start-up: a job that never shows a
// window then never loads them. They go into the manager the application registers here,
// which keeps them until its clean-up frees them; with none registered (a test, a tool) a
// library loaded on demand stays mapped until the process ends. Both calls are safe from
// any thread; the application unregisters its manager (null) before it frees its libraries.
void SetProcessLibraries(DynamicLinkLibraryManager* manager);
// Maps name (by bare file name, as the manager loads it) unless it is mapped already;
// true when it is mapped. A library that cannot be loaded is not reported.
bool LoadOnDemand(const wchar_t* name);

}  // namespace DLL
