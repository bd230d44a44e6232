#pragma once
// The class factory of ShellExDragDropHandlers. One lives for the whole time the module
// is loaded; it is not counted as an object (only LockServer counts), so that the
// module can be unloaded while Explorer keeps the factory.
#include <windows.h>

namespace ShellEx {

class ShellExDragDropHandlersFactory : public IClassFactory {
public:
    virtual ~ShellExDragDropHandlersFactory() = default;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // With an outer object only IID_IUnknown may be asked for (CLASS_E_NOAGGREGATION
    // otherwise); alone, the new object is asked for the interface.
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    STDMETHODIMP LockServer(BOOL lock) override;
};

// DllGetClassObject: the factory of our class, made on first request.
HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object);
// DllCanUnloadNow: S_OK when no object exists and no lock is held.
HRESULT CanUnloadNow();
// Called from DllMain when the module leaves the process.
void ReleaseClassObjects();

}  // namespace ShellEx
