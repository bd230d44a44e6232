#pragma once
// System functions bound at run time, so that one binary runs on systems that lack
// some of them. A wrapper only looks at modules already mapped into the process, except
// one bound with Binding::LoadOnDemand: the shell's and the theme library's functions map
// their library first (LoadOnDemand), since the program no longer maps those at start-up.
#include <windows.h>
#include <shlobj.h>
#include <uxtheme.h>

#include <utility>

#include "foundation/DynamicLinkLibrary.h"
#include "foundation/noncopyable.h"

namespace DLL {

enum class Binding {
    Mapped,        // only a module that is mapped already
    LoadOnDemand,  // the module is mapped first, into the process's libraries
};

template <class F>
class DynamicFunction : private noncopyable {
public:
    using function_type = F;

    // A module that is not mapped or an export the system lacks leaves the pointer
    // null; that is a normal outcome and is not reported.
    DynamicFunction(const wchar_t* module, const char* exportName, Binding binding = Binding::Mapped) {
        if (binding == Binding::LoadOnDemand)
            LoadOnDemand(module);
        if (HMODULE handle = GetModuleHandleW(module))
            m_function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(handle, exportName)));
    }
    virtual ~DynamicFunction() = default;

    bool IsAvailable() const { return m_function != nullptr; }
    explicit operator bool() const { return IsAvailable(); }
    F Get() const { return m_function; }

    // Callers test IsAvailable first.
    template <class... Args>
    auto operator()(Args&&... args) const {
        return m_function(std::forward<Args>(args)...);
    }

protected:
    F m_function = nullptr;
};

}  // namespace DLL

#define SWIFTLET_DYNAMIC_FUNCTION(Name, Module, Type)                          \
    class Name : public DLL::DynamicFunction<Type> {                           \
    public:                                                                    \
        Name() : DLL::DynamicFunction<Type>(Module, #Name) {}                  \
    };

// A function of a library that is mapped on demand when the wrapper is made.
#define SWIFTLET_ON_DEMAND_FUNCTION(Name, Module, Type)                                    \
    class Name : public DLL::DynamicFunction<Type> {                                       \
    public:                                                                                \
        Name() : DLL::DynamicFunction<Type>(Module, #Name, DLL::Binding::LoadOnDemand) {}  \
    };

namespace ZwSetInformationFileUtility {

struct IoStatusBlock {
    union {
        LONG Status;
        PVOID Pointer;
    };
    ULONG_PTR Information;
};

using ZwSetInformationFileType = LONG(NTAPI*)(HANDLE file, IoStatusBlock* ioStatus, PVOID info,
                                              ULONG length, int infoClass);

// The record of FileBasicInformation (class 4), which FileBasicInfo of
// SetFileInformationByHandle shares: times, then attributes; a zero time stays unchanged.
struct BasicInformation {
    LARGE_INTEGER creationTime;
    LARGE_INTEGER lastAccessTime;
    LARGE_INTEGER lastWriteTime;
    LARGE_INTEGER changeTime;
    DWORD attributes;
};
static_assert(sizeof(BasicInformation) == 40, "the system expects 40 bytes");

SWIFTLET_DYNAMIC_FUNCTION(ZwSetInformationFile, L"ntdll.dll", ZwSetInformationFileType)

// The process-wide binding; ntdll is mapped in every process.
const ZwSetInformationFile& Instance();

}  // namespace ZwSetInformationFileUtility

namespace ZwQueryInformationFileUtility {

using ZwQueryInformationFileType = LONG(NTAPI*)(HANDLE file, ZwSetInformationFileUtility::IoStatusBlock* ioStatus,
                                                PVOID info, ULONG length, int infoClass);

SWIFTLET_DYNAMIC_FUNCTION(ZwQueryInformationFile, L"ntdll.dll", ZwQueryInformationFileType)

// The process-wide binding.
const ZwQueryInformationFile& Instance();

}  // namespace ZwQueryInformationFileUtility

namespace Theme {

SWIFTLET_ON_DEMAND_FUNCTION(IsAppThemed, L"UxTheme.dll", BOOL(WINAPI*)())
SWIFTLET_ON_DEMAND_FUNCTION(IsThemeActive, L"UxTheme.dll", BOOL(WINAPI*)())
SWIFTLET_ON_DEMAND_FUNCTION(OpenThemeData, L"UxTheme.dll", HTHEME(WINAPI*)(HWND, LPCWSTR))
SWIFTLET_ON_DEMAND_FUNCTION(CloseThemeData, L"UxTheme.dll", HRESULT(WINAPI*)(HTHEME))
SWIFTLET_ON_DEMAND_FUNCTION(DrawThemeBackground, L"UxTheme.dll",
                          HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, const RECT*))
SWIFTLET_ON_DEMAND_FUNCTION(GetThemePartSize, L"UxTheme.dll",
                          HRESULT(WINAPI*)(HTHEME, HDC, int, int, LPCRECT, THEMESIZE, SIZE*))
SWIFTLET_ON_DEMAND_FUNCTION(IsThemeBackgroundPartiallyTransparent, L"UxTheme.dll",
                          BOOL(WINAPI*)(HTHEME, int, int))
SWIFTLET_ON_DEMAND_FUNCTION(DrawThemeParentBackground, L"UxTheme.dll",
                          HRESULT(WINAPI*)(HWND, HDC, const RECT*))

}  // namespace Theme

namespace UShell {

SWIFTLET_ON_DEMAND_FUNCTION(SHGetFileInfoW, L"shell32.dll",
                          DWORD_PTR(WINAPI*)(LPCWSTR, DWORD, SHFILEINFOW*, UINT, UINT))
SWIFTLET_ON_DEMAND_FUNCTION(ILFindLastID, L"shell32.dll", LPITEMIDLIST(WINAPI*)(LPCITEMIDLIST))
SWIFTLET_ON_DEMAND_FUNCTION(SHCreateItemFromIDList, L"shell32.dll",
                          HRESULT(WINAPI*)(LPCITEMIDLIST, REFIID, void**))
SWIFTLET_ON_DEMAND_FUNCTION(SHGetDesktopFolder, L"shell32.dll", HRESULT(WINAPI*)(IShellFolder**))
SWIFTLET_ON_DEMAND_FUNCTION(ILCreateFromPathW, L"shell32.dll", LPITEMIDLIST(WINAPI*)(LPCWSTR))
SWIFTLET_ON_DEMAND_FUNCTION(ILFree, L"shell32.dll", void(WINAPI*)(LPITEMIDLIST))

}  // namespace UShell

namespace DLL {

using FindFirstStreamWType = HANDLE(WINAPI*)(LPCWSTR, STREAM_INFO_LEVELS, LPVOID, DWORD);
using FindNextStreamWType = BOOL(WINAPI*)(HANDLE, LPVOID);
using SetFileInformationByHandleType = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
using SHCreateItemFromParsingNameType = HRESULT(WINAPI*)(PCWSTR, IBindCtx*, REFIID, void**);

// The stream-enumeration pair, bound together once on first use (after start-up has
// run); later calls answer the same objects.
struct StreamFunctions {
    const DynamicFunction<FindFirstStreamWType>& findFirst;
    const DynamicFunction<FindNextStreamWType>& findNext;
    bool IsAvailable() const { return findFirst.IsAvailable() && findNext.IsAvailable(); }
};
StreamFunctions GetStreamFunctions();

// Bound once, on first use; start-up calls it right after shell32 is preloaded.
const DynamicFunction<SHCreateItemFromParsingNameType>& GetSHCreateItemFromParsingName();

}  // namespace DLL
