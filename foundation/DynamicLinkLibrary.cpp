#include "foundation/DynamicLinkLibrary.h"

#include <algorithm>
#include <mutex>

#include "foundation/DynamicFunction.h"

namespace DLL {

namespace {

wchar_t FoldAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c - L'A' + L'a') : c; }

bool SameName(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](wchar_t x, wchar_t y) { return FoldAscii(x) == FoldAscii(y); });
}

}  // namespace

bool DynamicLinkLibrary::Load() {
    if (!m_handle) m_handle = LoadLibraryW(m_name.c_str());
    return m_handle != nullptr;
}

void DynamicLinkLibrary::Free() {
    if (m_handle && FreeLibrary(m_handle)) m_handle = nullptr;
}

std::vector<DynamicLinkLibrary*>::const_iterator DynamicLinkLibraryManager::Find(
    const std::wstring& name) const {
    return std::find_if(m_libraries.begin(), m_libraries.end(),
                        [&](const DynamicLinkLibrary* l) { return SameName(l->Name(), name); });
}

bool DynamicLinkLibraryManager::IsLoaded(const std::wstring& name) const {
    auto it = Find(name);
    return it != m_libraries.end() && (*it)->IsLoaded();
}

bool DynamicLinkLibraryManager::Load(const std::wstring& name) {
    if (IsLoaded(name)) return true;
    auto* library = new DynamicLinkLibrary(name);
    if (!library->Load()) {
        delete library;
        return false;
    }
    try {
        m_libraries.push_back(library);
    } catch (...) {
        delete library;
        throw;
    }
    return true;
}

bool DynamicLinkLibraryManager::Free(const std::wstring& name) {
    auto it = Find(name);
    if (it == m_libraries.end()) return false;
    delete *it;  // frees the library
    m_libraries.erase(it);
    return true;
}

void DynamicLinkLibraryManager::FreeAll() {
    for (DynamicLinkLibrary* library : m_libraries) delete library;
    m_libraries.clear();
}

namespace {

std::mutex g_processLibrariesLock;
DynamicLinkLibraryManager* g_processLibraries = nullptr;

}  // namespace

void SetProcessLibraries(DynamicLinkLibraryManager* manager) {
    std::lock_guard<std::mutex> guard(g_processLibrariesLock);
    g_processLibraries = manager;
}

bool LoadOnDemand(const wchar_t* name) {
    std::lock_guard<std::mutex> guard(g_processLibrariesLock);
    if (g_processLibraries) {
        try {
            return g_processLibraries->Load(name);
        } catch (...) {
            // No room to note it: mapped all the same, for the rest of the process.
        }
    } else if (GetModuleHandleW(name)) {
        return true;
    }
    return LoadLibraryW(name) != nullptr;
}

}  // namespace DLL

namespace ZwSetInformationFileUtility {

const ZwSetInformationFile& Instance() {
    static const ZwSetInformationFile function;
    return function;
}

}  // namespace ZwSetInformationFileUtility

namespace ZwQueryInformationFileUtility {

const ZwQueryInformationFile& Instance() {
    static const ZwQueryInformationFile function;
    return function;
}

}  // namespace ZwQueryInformationFileUtility

namespace DLL {

namespace {

struct StreamPair {
    StreamPair()
        : findFirst(L"Kernel32.dll", "FindFirstStreamW"), findNext(L"Kernel32.dll", "FindNextStreamW") {}
    DynamicFunction<FindFirstStreamWType> findFirst;
    DynamicFunction<FindNextStreamWType> findNext;
};

std::once_flag g_streamOnce;
StreamPair* g_streams = nullptr;

}  // namespace

StreamFunctions GetStreamFunctions() {
    // Never destroyed: callers may still hold the pair while the process ends.
    std::call_once(g_streamOnce, [] { g_streams = new StreamPair(); });
    return StreamFunctions{g_streams->findFirst, g_streams->findNext};
}

const DynamicFunction<SHCreateItemFromParsingNameType>& GetSHCreateItemFromParsingName() {
    static const DynamicFunction<SHCreateItemFromParsingNameType> function(
        L"Shell32.dll", "SHCreateItemFromParsingName", Binding::LoadOnDemand);
    return function;
}

}  // namespace DLL
