#include "shellext/ClassFactory.h"

#include <new>

#include "shellext/DragDropHandler.h"
#include "shellext/ShellExGuids.h"
#include "shellext/ShellExModule.h"

namespace ShellEx {

namespace {

// Guards the first creation of the factory.
INIT_ONCE g_factoryOnce = INIT_ONCE_STATIC_INIT;
ShellExDragDropHandlersFactory* g_factory = nullptr;

BOOL CALLBACK MakeFactory(INIT_ONCE*, void*, void**) {
    g_factory = new (std::nothrow) ShellExDragDropHandlersFactory();
    return g_factory != nullptr;
}

}  // namespace

STDMETHODIMP ShellExDragDropHandlersFactory::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
}

// The factory lives as long as the module.
STDMETHODIMP_(ULONG) ShellExDragDropHandlersFactory::AddRef() { return 2; }
STDMETHODIMP_(ULONG) ShellExDragDropHandlersFactory::Release() { return 1; }

STDMETHODIMP ShellExDragDropHandlersFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer && !IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    ShellExDragDropHandlers* created = new (std::nothrow) ShellExDragDropHandlers(outer);
    if (!created) return E_OUTOFMEMORY;
    IUnknown* inner = created->InnerUnknown();
    // The reference taken here keeps the object alive while it is asked; releasing it
    // destroys the object when the interface was refused.
    inner->AddRef();
    const HRESULT hr = inner->QueryInterface(iid, object);
    inner->Release();
    return hr;
}

STDMETHODIMP ShellExDragDropHandlersFactory::LockServer(BOOL lock) {
    if (lock) LockModule();
    else UnlockModule();
    return S_OK;
}

HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!ModuleInstance()) return E_UNEXPECTED;
    if (!IsEqualCLSID(clsid, kClassId)) return CLASS_E_CLASSNOTAVAILABLE;
    if (!InitOnceExecuteOnce(&g_factoryOnce, &MakeFactory, nullptr, nullptr) || !g_factory) return E_OUTOFMEMORY;
    return g_factory->QueryInterface(iid, object);
}

HRESULT CanUnloadNow() { return ModuleLockCount() == 0 ? S_OK : S_FALSE; }

void ReleaseClassObjects() {
    delete g_factory;
    g_factory = nullptr;
}

}  // namespace ShellEx
