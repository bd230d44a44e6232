#include <gtest/gtest.h>

#include "foundation/DynamicFunction.h"
#include "foundation/DynamicLinkLibrary.h"

namespace {

// A system library that exists on disk but that nothing in the test program maps.
const wchar_t kUnmappedLibrary[] = L"cabinet.dll";
using FDICreateType = void*(__cdecl*)(void*, void*, void*, void*, void*, void*, void*, int, void*);

bool ExistsInSystemFolder(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    GetSystemDirectoryW(path, MAX_PATH);
    wcscat_s(path, L"\\");
    wcscat_s(path, name);
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

TEST(DynamicLinkLibraryManager, NamesDifferingOnlyInCaseAreOneLibrary) {
    DLL::DynamicLinkLibraryManager manager;
    EXPECT_TRUE(manager.Load(L"shell32.dll"));
    EXPECT_TRUE(manager.Load(L"SHELL32.DLL"));
    EXPECT_EQ(1u, manager.Count());
    EXPECT_TRUE(manager.IsLoaded(L"Shell32.Dll"));
    EXPECT_FALSE(manager.IsLoaded(L"shell32"));
}

TEST(DynamicLinkLibraryManager, MissingLibraryIsNotAdded) {
    DLL::DynamicLinkLibraryManager manager;
    EXPECT_TRUE(manager.Load(L"UxTheme.dll"));
    EXPECT_FALSE(manager.Load(L"Talvora-not-here-7f3a.dll"));
    EXPECT_EQ(1u, manager.Count());
    EXPECT_FALSE(manager.IsLoaded(L"Talvora-not-here-7f3a.dll"));
}

TEST(DynamicLinkLibraryManager, FreeRemovesOneNameAndFreeAllTheRest) {
    DLL::DynamicLinkLibraryManager manager;
    EXPECT_FALSE(manager.Free(L"shell32.dll"));
    ASSERT_TRUE(manager.Load(L"Psapi.dll"));
    ASSERT_TRUE(manager.Load(L"UxTheme.dll"));
    ASSERT_TRUE(manager.Load(L"shell32.dll"));
    EXPECT_TRUE(manager.Free(L"SHELL32.dll"));
    EXPECT_EQ(2u, manager.Count());
    EXPECT_FALSE(manager.IsLoaded(L"shell32.dll"));
    EXPECT_TRUE(manager.IsLoaded(L"psapi.dll"));
    EXPECT_FALSE(manager.Free(L"shell32.dll"));
    manager.FreeAll();
    EXPECT_EQ(0u, manager.Count());
    manager.FreeAll();
    EXPECT_EQ(0u, manager.Count());
}

TEST(DynamicFunction, FindsOnlyModulesAlreadyMapped) {
    ASSERT_TRUE(ExistsInSystemFolder(kUnmappedLibrary));
    ASSERT_EQ(nullptr, GetModuleHandleW(kUnmappedLibrary));
    DLL::DynamicFunction<FDICreateType> before(kUnmappedLibrary, "FDICreate");
    EXPECT_FALSE(before.IsAvailable());
    EXPECT_EQ(nullptr, GetModuleHandleW(kUnmappedLibrary));  // looking did not load it

    DLL::DynamicLinkLibraryManager manager;
    ASSERT_TRUE(manager.Load(kUnmappedLibrary));
    DLL::DynamicFunction<FDICreateType> after(kUnmappedLibrary, "FDICreate");
    EXPECT_TRUE(after.IsAvailable());
    DLL::DynamicFunction<FDICreateType> missing(kUnmappedLibrary, "NoSuchExport");
    EXPECT_FALSE(missing.IsAvailable());

    manager.FreeAll();
    EXPECT_EQ(nullptr, GetModuleHandleW(kUnmappedLibrary));
}

TEST(DynamicFunction, CallsThroughToTheSystemFunction) {
    DLL::DynamicLinkLibraryManager manager;
    ASSERT_TRUE(manager.Load(L"UxTheme.dll"));
    ASSERT_TRUE(manager.Load(L"shell32.dll"));
    Theme::IsThemeActive isThemeActive;
    ASSERT_TRUE(isThemeActive.IsAvailable());
    EXPECT_EQ(IsThemeActive(), isThemeActive());
    EXPECT_TRUE(ZwSetInformationFileUtility::Instance().IsAvailable());
    EXPECT_TRUE(DLL::GetSHCreateItemFromParsingName().IsAvailable());
}

// A function bound on demand maps its library first, into the libraries the application
// registered: their clean-up frees it. With none registered it stays mapped.
TEST(DynamicFunction, OnDemandBindingMapsTheLibraryIntoTheProcessLibraries) {
    ASSERT_TRUE(ExistsInSystemFolder(kUnmappedLibrary));
    ASSERT_EQ(nullptr, GetModuleHandleW(kUnmappedLibrary));
    DLL::DynamicLinkLibraryManager libraries;
    DLL::SetProcessLibraries(&libraries);
    DLL::DynamicFunction<FDICreateType> create(kUnmappedLibrary, "FDICreate", DLL::Binding::LoadOnDemand);
    EXPECT_TRUE(create.IsAvailable());
    EXPECT_TRUE(libraries.IsLoaded(kUnmappedLibrary));
    EXPECT_TRUE(DLL::LoadOnDemand(kUnmappedLibrary)) << "a second need finds it mapped";
    EXPECT_EQ(1u, libraries.Count());
    EXPECT_FALSE(DLL::LoadOnDemand(L"Talvora-not-here-7f3a.dll"));
    EXPECT_EQ(1u, libraries.Count());

    DLL::SetProcessLibraries(nullptr);
    libraries.FreeAll();
    EXPECT_EQ(nullptr, GetModuleHandleW(kUnmappedLibrary));

    // Without registered libraries: mapped for the rest of the process.
    EXPECT_TRUE(DLL::LoadOnDemand(kUnmappedLibrary));
    EXPECT_NE(nullptr, GetModuleHandleW(kUnmappedLibrary));
}

// The shell's and the theme library's wrappers map their library themselves: nothing maps
// them at start-up any more.
TEST(DynamicFunction, ShellAndThemeWrappersMapTheirLibrary) {
    DLL::DynamicLinkLibraryManager libraries;
    DLL::SetProcessLibraries(&libraries);
    const bool shellWasMapped = GetModuleHandleW(L"shell32.dll") != nullptr;
    UShell::SHGetFileInfoW getFileInfo;
    Theme::IsAppThemed isAppThemed;
    EXPECT_TRUE(getFileInfo.IsAvailable());
    EXPECT_TRUE(isAppThemed.IsAvailable());
    EXPECT_TRUE(DLL::GetSHCreateItemFromParsingName().IsAvailable());
    EXPECT_TRUE(libraries.IsLoaded(L"UxTheme.dll"));
    EXPECT_EQ(!shellWasMapped, libraries.IsLoaded(L"shell32.dll"));
    DLL::SetProcessLibraries(nullptr);
}
