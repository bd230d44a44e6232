// The class factory and the object's identity: aggregation, references and when the
// module may be unloaded. A copy of the DLL of its own keeps other tests' objects out of
// the count.
#include <gtest/gtest.h>

#include "ShellExTestSupport.h"
#include "shellext/ShellExGuids.h"
#include "tests/support/TestFiles.h"

using namespace ShellExTest;

namespace {

// An outer object that aggregates the handler: it counts its own references and hands
// out its own identity.
class Outer : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown)) {
            *object = this;
            AddRef();
            return S_OK;
        }
        // Everything else comes from the aggregated object.
        return inner ? inner->QueryInterface(iid, object) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }

    ULONG references = 1;
    IUnknown* inner = nullptr;
};

class OwnDll : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ASSERT_TRUE(CopyFileW(DllPath(), path, FALSE));
        dll = std::make_unique<LoadedDll>(path);
        ASSERT_TRUE(dll->Loaded());
        ASSERT_EQ(S_OK, dll->GetClassObject(ShellEx::kClassId, IID_IClassFactory, factory.ReceiveVoid()));
    }
    void TearDown() override {
        factory.Release();
        dll.reset();
        CoUninitialize();
    }

    TestFiles::TempDir folder{L"shx-own"};
    CString path = folder / L"SwiftletShellEx.dll";
    std::unique_ptr<LoadedDll> dll;
    ComPtr<IClassFactory> factory;
};

}  // namespace

TEST_F(OwnDll, UnloadOnlyAfterEveryObjectAndLockIsGone) {
    // The factory itself does not keep the module.
    EXPECT_EQ(S_OK, dll->CanUnloadNow());
    ComPtr<IContextMenu> menu;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IContextMenu, menu.ReceiveVoid()));
    EXPECT_EQ(S_FALSE, dll->CanUnloadNow());
    ComPtr<IShellExtInit> init;
    ASSERT_EQ(S_OK, menu->QueryInterface(IID_IShellExtInit, init.ReceiveVoid()));
    menu.Release();
    EXPECT_EQ(S_FALSE, dll->CanUnloadNow()) << "the object lives while any interface of it does";
    ASSERT_EQ(S_OK, factory->LockServer(TRUE));
    init.Release();
    EXPECT_EQ(S_FALSE, dll->CanUnloadNow());
    ASSERT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(S_OK, dll->CanUnloadNow());

    // A refused interface leaves no object behind.
    ComPtr<IUnknown> none;
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IShellFolder, none.ReceiveVoid()));
    EXPECT_EQ(S_OK, dll->CanUnloadNow());
}

TEST_F(OwnDll, AggregatedObjectSpeaksForItsOuterObject) {
    Outer outer;
    ComPtr<IContextMenu> refused;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(&outer, IID_IContextMenu, refused.ReceiveVoid()));
    EXPECT_EQ(S_OK, dll->CanUnloadNow());

    IUnknown* inner = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner)));
    outer.inner = inner;
    EXPECT_EQ(S_FALSE, dll->CanUnloadNow());

    // Interfaces of the inner object count on the outer one and lead back to it.
    IContextMenu* menu = nullptr;
    ASSERT_EQ(S_OK, inner->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu)));
    const ULONG before = outer.references;
    menu->AddRef();
    EXPECT_EQ(before + 1, outer.references);
    menu->Release();
    IUnknown* identity = nullptr;
    ASSERT_EQ(S_OK, menu->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
    EXPECT_EQ(static_cast<IUnknown*>(&outer), identity);
    identity->Release();
    IDispatch* dispatch = nullptr;
    ASSERT_EQ(S_OK, menu->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)));
    UINT count = 7;
    EXPECT_EQ(S_OK, dispatch->GetTypeInfoCount(&count));
    EXPECT_EQ(0u, count);
    dispatch->Release();
    menu->Release();

    // Releasing the inner identity ends the object.
    outer.inner = nullptr;
    inner->Release();
    EXPECT_EQ(S_OK, dll->CanUnloadNow());
    EXPECT_EQ(1u, outer.references);
}
