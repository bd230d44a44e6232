// A right-drag from start to end: the registered extension, created by COM as Explorer
// creates it, starts the real Swiftlet.exe, which fetches the drop over the shell
// hand-over pipe and copies or moves the files (checked on disk).
#include <gtest/gtest.h>

#include "ShellExTestSupport.h"
#include "shellext/ShellExGuids.h"
#include "tests/support/PipeTestSupport.h"
#include "tests/support/TestFiles.h"

using namespace ShellExTest;

namespace {

class RightDrag : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(registry.Held());
        // The started program must become a UI instance of its own, not hand the job to
        // another test's.
        ASSERT_TRUE(handOver.Held());
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ASSERT_EQ(0, RunRegsvr32(L"/s", DllPath()));
        for (const wchar_t* name : {L"one.txt", L"two.bin", L"three.txt"})
            ASSERT_TRUE(TestFiles::WritePattern(c / (CString(L"src\\") + name), 70000 + wcslen(name), 7));
        ASSERT_TRUE(TestFiles::MakeFolders(z / L"dst"));
    }
    void TearDown() override {
        CoUninitialize();
        RunRegsvr32(L"/s /u", DllPath());
    }

    // Explorer's part: create the handler, give it the drop, show the menu and pick the
    // item at offset; returns what InvokeCommand answered.
    HRESULT DragAndPick(UINT offset) {
        ComPtr<IShellExtInit> init;
        HRESULT hr = CoCreateInstance(ShellEx::kClassId, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                      init.ReceiveVoid());
        if (FAILED(hr)) return hr;
        ComPtr<IDataObject> data = DataObjectFor(c / L"src", {L"one.txt", L"two.bin", L"three.txt"});
        ItemList folder(ParseFolder(z / L"dst"));
        if (!data || !folder.Get()) return E_FAIL;
        init->Initialize(folder.Get(), data.Get(), nullptr);
        ComPtr<IContextMenu> menu;
        init.QueryInterface(menu);
        if (!menu) return E_NOINTERFACE;
        HMENU dropMenu = MakeExplorerDropMenu(1);
        hr = menu->QueryContextMenu(dropMenu, 3, 100, 200, 0);
        DestroyMenu(dropMenu);
        if (HRESULT_CODE(hr) != 3) return E_FAIL;
        CMINVOKECOMMANDINFO info{};
        info.cbSize = sizeof info;
        info.lpVerb = MAKEINTRESOURCEA(offset);
        info.nShow = SW_SHOWNORMAL;
        hr = menu->InvokeCommand(&info);
        // The program has fetched the drop by now and runs the job as the UI instance.
        EXPECT_TRUE(WaitForChildren(L"Swiftlet.exe", 180000));
        return hr;
    }

    bool SameAsOriginal(const CString& path, const wchar_t* name) {
        std::string bytes, expected;
        TestFiles::TempDir scratch(L"shx-expect");
        TestFiles::WritePattern(scratch / L"x", 70000 + wcslen(name), 7);
        return TestFiles::ReadBytes(path, bytes) && TestFiles::ReadBytes(scratch / L"x", expected) && bytes == expected;
    }

    RegistryLock registry;
    PipeTest::FixedPipeLock handOver{PipeTest::FixedPipeLock::kHandOver};
    TestFiles::TempDir c{L"shx-drag"};
    TestFiles::UnixTempDir z;
};

}  // namespace

TEST_F(RightDrag, CopyItemCopiesTheDroppedFiles) {
    ASSERT_EQ(S_OK, DragAndPick(0));
    for (const wchar_t* name : {L"one.txt", L"two.bin", L"three.txt"}) {
        EXPECT_TRUE(SameAsOriginal(z / (CString(L"dst\\") + name), name)) << NarrowString(name, CP_UTF8);
        EXPECT_TRUE(TestFiles::Exists(c / (CString(L"src\\") + name)));
    }
}

TEST_F(RightDrag, MoveItemMovesTheDroppedFiles) {
    ASSERT_EQ(S_OK, DragAndPick(1));
    for (const wchar_t* name : {L"one.txt", L"two.bin", L"three.txt"}) {
        EXPECT_TRUE(SameAsOriginal(z / (CString(L"dst\\") + name), name)) << NarrowString(name, CP_UTF8);
        EXPECT_FALSE(TestFiles::Exists(c / (CString(L"src\\") + name)));
    }
}
