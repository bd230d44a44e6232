// The drop menu as Explorer asks for it: the real extension, real data objects of real
// files, item lists of real folders, and a menu holding Explorer's own items.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "ShellExTestSupport.h"
#include "shellext/DragDropHandler.h"
#include "shellext/ShellExGuids.h"
#include "tests/support/PrintCString.h"
#include "tests/support/TestFiles.h"

using namespace ShellExTest;

namespace {

constexpr UINT kFirst = 100;  // the first command id Explorer hands the extension
const CString kCopyText = L"Swiftletでここにコピー";
const CString kMoveText = L"Swiftletでここに移動";

// One drop: a few files in a folder on C:, and drop folders on C: and on Z:.
class DropMenu : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        for (const wchar_t* name : {L"b.txt", L"a.txt", L"c.txt"})
            ASSERT_TRUE(TestFiles::WriteBytes(c / (CString(L"src\\") + name), "x"));
        ASSERT_TRUE(TestFiles::MakeFolders(c / L"dst"));
        ASSERT_TRUE(TestFiles::MakeFolders(z / L"dst"));
    }
    void TearDown() override { CoUninitialize(); }

    // A handler of the DLL beside the tests, made by its class factory as COM makes it.
    ComPtr<IContextMenu> Handler(const LoadedDll& dll) {
        ComPtr<IClassFactory> factory;
        ComPtr<IContextMenu> menu;
        if (SUCCEEDED(dll.GetClassObject(ShellEx::kClassId, IID_IClassFactory, factory.ReceiveVoid())))
            factory->CreateInstance(nullptr, IID_IContextMenu, menu.ReceiveVoid());
        return menu;
    }

    // Initialize with the data object of the sources and the item list of the folder.
    void Drop(IContextMenu* handler, const CString& sourceFolder, const std::vector<CString>& names,
              const CString& folder) {
        ComPtr<IShellExtInit> init;
        ASSERT_EQ(S_OK, handler->QueryInterface(IID_IShellExtInit, init.ReceiveVoid()));
        ComPtr<IDataObject> data = DataObjectFor(sourceFolder, names);
        ASSERT_TRUE(data);
        ItemList target(ParseFolder(folder));
        ASSERT_NE(nullptr, target.Get());
        ASSERT_EQ(S_OK, init->Initialize(target.Get(), data.Get(), nullptr));
    }

    // Asks for the items on Explorer's menu with the given default; returns the count.
    int Query(IContextMenu* handler, HMENU menu, UINT flags = 0, UINT last = kFirst + 0x7FFF) {
        const HRESULT hr = handler->QueryContextMenu(menu, 3, kFirst, last, flags);
        EXPECT_EQ(SEVERITY_SUCCESS, HRESULT_SEVERITY(hr));
        EXPECT_EQ(0, HRESULT_FACILITY(hr));
        return HRESULT_CODE(hr);
    }

    TestFiles::TempDir c{L"drop"};
    TestFiles::UnixTempDir z;
    LoadedDll dll{DllPath()};
};

// The menu after a query that added everything.
void ExpectOurItems(HMENU menu) {
    const auto items = MenuItems(menu);
    ASSERT_EQ(8u, items.size());
    EXPECT_EQ(kCopyText, items[3].first);
    EXPECT_EQ(kFirst, items[3].second);
    EXPECT_EQ(kMoveText, items[4].first);
    EXPECT_EQ(kFirst + 1, items[4].second);
    EXPECT_EQ(CString(L"-"), items[5].first);
    EXPECT_EQ(CString(L"ショートカットをここに作成(&S)"), items[2].first) << "Explorer's items stay where they were";
    MENUITEMINFOW separator{};
    separator.cbSize = sizeof separator;
    separator.fMask = MIIM_STATE;
    ASSERT_TRUE(GetMenuItemInfoW(menu, 5, TRUE, &separator));
    EXPECT_TRUE(separator.fState & MFS_DISABLED);
}

UINT DefaultId(HMENU menu) { return GetMenuDefaultItem(menu, FALSE, 0); }

}  // namespace

TEST_F(DropMenu, DefaultFollowsExplorersDefaultAndTheDrives) {
    struct Case {
        const wchar_t* name;
        bool otherDrive;
        UINT explorerDefault;
        UINT expectedDefault;
    };
    const Case cases[] = {
        // Within one drive Explorer moves by default: its move stays the default.
        {L"same drive, move default", false, 2, 2},
        // Copying is Explorer's default: ours becomes the default, on any drive.
        {L"same drive, copy default", false, 1, kFirst},
        {L"other drive, copy default", true, 1, kFirst},
        // A shift-drag to another drive: Explorer moves, and so do we by default.
        {L"other drive, move default", true, 2, kFirst + 1},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(NarrowString(test.name, CP_UTF8));
        ComPtr<IContextMenu> handler = Handler(dll);
        ASSERT_TRUE(handler);
        Drop(handler.Get(), c / L"src", {L"b.txt", L"a.txt", L"c.txt"}, test.otherDrive ? z / L"dst" : c / L"dst");
        HMENU menu = MakeExplorerDropMenu(test.explorerDefault);
        EXPECT_EQ(3, Query(handler.Get(), menu));
        ExpectOurItems(menu);
        EXPECT_EQ(test.expectedDefault, DefaultId(menu));
        DestroyMenu(menu);
    }
}

TEST_F(DropMenu, NothingIsOfferedWhereTheDropDoesNotQualify) {
    {
        SCOPED_TRACE("CMF_DEFAULTONLY");
        ComPtr<IContextMenu> handler = Handler(dll);
        Drop(handler.Get(), c / L"src", {L"a.txt"}, z / L"dst");
        HMENU menu = MakeExplorerDropMenu(1);
        EXPECT_EQ(0, Query(handler.Get(), menu, CMF_DEFAULTONLY));
        EXPECT_EQ(5, GetMenuItemCount(menu));
        EXPECT_EQ(1u, DefaultId(menu));
        DestroyMenu(menu);
    }
    {
        SCOPED_TRACE("a folder without a file-system path");
        ComPtr<IContextMenu> handler = Handler(dll);
        ComPtr<IShellExtInit> init;
        ASSERT_EQ(S_OK, handler->QueryInterface(IID_IShellExtInit, init.ReceiveVoid()));
        PIDLIST_ABSOLUTE controls = nullptr;
        ASSERT_EQ(S_OK, SHGetSpecialFolderLocation(nullptr, CSIDL_CONTROLS, &controls));
        ItemList controlPanel(controls);
        ComPtr<IDataObject> data = DataObjectFor(c / L"src", {L"a.txt"});
        ASSERT_EQ(S_OK, init->Initialize(controlPanel.Get(), data.Get(), nullptr));
        HMENU menu = MakeExplorerDropMenu(1);
        EXPECT_EQ(0, Query(handler.Get(), menu));
        EXPECT_EQ(5, GetMenuItemCount(menu));
        DestroyMenu(menu);
    }
    {
        SCOPED_TRACE("no drop data at all");
        ComPtr<IContextMenu> handler = Handler(dll);
        HMENU menu = MakeExplorerDropMenu(1);
        EXPECT_EQ(0, Query(handler.Get(), menu));
        DestroyMenu(menu);
    }
    {
        SCOPED_TRACE("a menu without Explorer's copy and move");
        ComPtr<IContextMenu> handler = Handler(dll);
        Drop(handler.Get(), c / L"src", {L"a.txt"}, z / L"dst");
        HMENU menu = CreatePopupMenu();
        AppendMenuW(menu, MF_STRING, 4, L"ショートカットをここに作成(&S)");
        EXPECT_EQ(0, handler->QueryContextMenu(menu, 0, kFirst, kFirst + 10, 0));
        EXPECT_EQ(1, GetMenuItemCount(menu));
        DestroyMenu(menu);
    }
    {
        SCOPED_TRACE("room for one command id only");
        ComPtr<IContextMenu> handler = Handler(dll);
        Drop(handler.Get(), c / L"src", {L"a.txt"}, z / L"dst");
        HMENU menu = MakeExplorerDropMenu(2);
        EXPECT_EQ(2, Query(handler.Get(), menu, 0, kFirst));
        const auto items = MenuItems(menu);
        EXPECT_EQ(kCopyText, items[3].first);
        EXPECT_EQ(CString(L"-"), items[4].first);
        DestroyMenu(menu);
    }
}

TEST_F(DropMenu, ItemsFromTheRecycleBinAreNotOffered) {
    // The recycle folder of the fixed drive C:, as the system keeps deleted items there.
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const CString bin = CString(system).Left(3) + L"$RECYCLE.BIN";
    const bool made = !TestFiles::Exists(bin);
    const CString deleted = bin + L"\\S-1-5-21-swiftlet-test-" + CString(std::to_wstring(GetCurrentProcessId()));
    ASSERT_TRUE(TestFiles::WriteBytes(deleted + L"\\$R0001.txt", "deleted"));
    ComPtr<IContextMenu> handler = Handler(dll);
    Drop(handler.Get(), deleted, {L"$R0001.txt"}, z / L"dst");
    HMENU menu = MakeExplorerDropMenu(1);
    EXPECT_EQ(0, Query(handler.Get(), menu));
    DestroyMenu(menu);
    TestFiles::DeleteTree(made ? bin : deleted);
}

TEST_F(DropMenu, NotOfferedWithoutTheProgramBesideTheExtension) {
    TestFiles::TempDir alone(L"shx-alone");
    const CString copy = alone / L"SwiftletShellEx.dll";
    ASSERT_TRUE(CopyFileW(DllPath(), copy, FALSE));
    {
        LoadedDll lonely(copy);
        ASSERT_TRUE(lonely.Loaded());
        ComPtr<IContextMenu> handler = Handler(lonely);
        ASSERT_TRUE(handler);
        Drop(handler.Get(), c / L"src", {L"a.txt"}, z / L"dst");
        HMENU menu = MakeExplorerDropMenu(1);
        EXPECT_EQ(0, Query(handler.Get(), menu));
        EXPECT_EQ(5, GetMenuItemCount(menu));
        DestroyMenu(menu);
    }
}

TEST_F(DropMenu, CommandsOutsideOursStartNothing) {
    ComPtr<IContextMenu> handler = Handler(dll);
    Drop(handler.Get(), c / L"src", {L"a.txt"}, z / L"dst");
    HMENU menu = MakeExplorerDropMenu(1);
    ASSERT_EQ(3, Query(handler.Get(), menu));
    DestroyMenu(menu);

    EXPECT_EQ(E_INVALIDARG, handler->InvokeCommand(nullptr));
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.lpVerb = "copy";
    info.nShow = SW_SHOW;
    EXPECT_EQ(E_INVALIDARG, handler->InvokeCommand(&info));
    info.lpVerb = MAKEINTRESOURCEA(2);
    EXPECT_EQ(S_OK, handler->InvokeCommand(&info));
    EXPECT_TRUE(ChildProcesses(L"Swiftlet.exe").empty());
    EXPECT_FALSE(TestFiles::Exists(z / L"dst\\a.txt"));
    char name[16] = {};
    EXPECT_EQ(E_NOTIMPL, handler->GetCommandString(0, GCS_VERBA, nullptr, name, sizeof name));
}

TEST_F(DropMenu, InitializeTakesTheDropInExplorersOrder) {
    ShellEx::ShellExDragDropHandlers* object = new ShellEx::ShellExDragDropHandlers(nullptr);
    ComPtr<IShellExtInit> init;
    ASSERT_EQ(S_OK, object->InnerUnknown()->QueryInterface(IID_IShellExtInit, init.ReceiveVoid()));
    ComPtr<IDataObject> data = DataObjectFor(c / L"src", {L"b.txt", L"a.txt", L"c.txt"});
    ItemList target(ParseFolder(z / L"dst"));
    ASSERT_EQ(S_OK, init->Initialize(target.Get(), data.Get(), nullptr));
    ASSERT_EQ(3u, object->Drop().sources.size());
    EXPECT_EQ(0, object->Drop().sources[0].CompareNoCase(c / L"src\\b.txt"));
    EXPECT_EQ(0, object->Drop().sources[1].CompareNoCase(c / L"src\\a.txt"));
    EXPECT_EQ(0, object->Drop().sources[2].CompareNoCase(c / L"src\\c.txt"));
    EXPECT_EQ(0, object->Drop().destination.CompareNoCase(z / L"dst"));

    // A second drop replaces the first; one without a folder leaves no destination.
    ComPtr<IDataObject> other = DataObjectFor(c / L"src", {L"a.txt"});
    ASSERT_EQ(S_OK, init->Initialize(nullptr, other.Get(), nullptr));
    EXPECT_EQ(1u, object->Drop().sources.size());
    EXPECT_TRUE(object->Drop().destination.IsEmpty());
    ASSERT_EQ(S_OK, init->Initialize(nullptr, nullptr, nullptr));
    EXPECT_TRUE(object->Drop().sources.empty());
}
