#pragma once
// Shell functions of the image and menu helpers, bound at run time like the others in
// foundation/DynamicFunction.h, shell32 mapped on demand: a program that never shows a
// window never calls them, and nothing of the shell's image machinery is imported by the
// executable.
#include <windows.h>
#include <shlobj.h>

#include "foundation/DynamicFunction.h"

namespace UShell {

SWIFTLET_ON_DEMAND_FUNCTION(SHBindToParent, L"shell32.dll",
                          HRESULT(WINAPI*)(LPCITEMIDLIST, REFIID, void**, LPCITEMIDLIST*))
SWIFTLET_ON_DEMAND_FUNCTION(ExtractAssociatedIconW, L"shell32.dll", HICON(WINAPI*)(HINSTANCE, LPWSTR, WORD*))

// Two older ways to a path's item identifier list, exported by ordinal only.
class SHSimpleIDListFromPath : public DLL::DynamicFunction<LPITEMIDLIST(WINAPI*)(LPCWSTR)> {
public:
    SHSimpleIDListFromPath() : DynamicFunction(L"shell32.dll", MAKEINTRESOURCEA(162), DLL::Binding::LoadOnDemand) {}
};

class SHILCreateFromPath : public DLL::DynamicFunction<HRESULT(WINAPI*)(LPCWSTR, LPITEMIDLIST*, DWORD*)> {
public:
    SHILCreateFromPath() : DynamicFunction(L"shell32.dll", MAKEINTRESOURCEA(28), DLL::Binding::LoadOnDemand) {}
};

}  // namespace UShell
