#pragma once
// The COM class ShellExDragDropHandlers: one object per drop, made by Explorer through
// the class factory, given the dropped items (IShellExtInit), asked for its menu items
// and, when the user picks one, told to run it (IContextMenu). No exception leaves a
// method of it: each one answers with an HRESULT.
#include <windows.h>
#include <shlobj.h>

#include <atomic>

#include "shellext/DropMenu.h"

namespace ShellEx {

// The class's own dispatch interface; it has no methods of its own.
struct IShellExDragDropHandlers : public IDispatch {};

class ShellExDragDropHandlers : public IShellExDragDropHandlers, public IShellExtInit, public IContextMenu {
public:
    // outer: the controlling object when aggregated, else null. The object starts with
    // no reference; the module counts it while it lives.
    explicit ShellExDragDropHandlers(IUnknown* outer);
    virtual ~ShellExDragDropHandlers();
    ShellExDragDropHandlers(const ShellExDragDropHandlers&) = delete;
    ShellExDragDropHandlers& operator=(const ShellExDragDropHandlers&) = delete;

    // The identity that the class factory hands out: the object's own IUnknown when it
    // stands alone, the inner one that an aggregating object holds otherwise.
    IUnknown* InnerUnknown() { return &m_inner; }

    // IUnknown, delegated to the controlling object.
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch: no members to call.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

    // IShellExtInit
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY progId) override;

    // IContextMenu
    STDMETHODIMP QueryContextMenu(HMENU menu, UINT position, UINT firstCommand, UINT lastCommand, UINT flags) override;
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
    STDMETHODIMP GetCommandString(UINT_PTR command, UINT type, UINT* reserved, CHAR* name, UINT size) override;

    const DropData& Drop() const { return m_drop; }

private:
    class InnerUnknownImpl : public IUnknown {
    public:
        explicit InnerUnknownImpl(ShellExDragDropHandlers& owner) : m_owner(owner) {}
        STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;

    private:
        ShellExDragDropHandlers& m_owner;
    };

    void ReadDroppedFiles(IDataObject* data);
    void ReadDropFolder(PCIDLIST_ABSOLUTE folder);
    // Starts the program and hands it the drop; quiet on every failure.
    void HandOver(int32_t flags);

    std::atomic<ULONG> m_references{0};
    InnerUnknownImpl m_inner;
    IUnknown* m_outer;
    DropData m_drop;
};

}  // namespace ShellEx
