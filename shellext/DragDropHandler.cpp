#include "shellext/DragDropHandler.h"

#include <shellapi.h>

#include "ipc/RunCopyCommand.h"
#include "shellext/RunCopyServer.h"
#include "shellext/ShellExGuids.h"
#include "shellext/ShellExModule.h"
#include "shellext/resource.h"

namespace ShellEx {

// ---- identity ----------------------------------------------------------------------

ShellExDragDropHandlers::ShellExDragDropHandlers(IUnknown* outer) : m_inner(*this), m_outer(outer ? outer : &m_inner) {
    LockModule();
}

ShellExDragDropHandlers::~ShellExDragDropHandlers() { UnlockModule(); }

STDMETHODIMP ShellExDragDropHandlers::InnerUnknownImpl::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    ShellExDragDropHandlers& o = m_owner;
    if (IsEqualIID(iid, IID_IUnknown)) {
        *object = static_cast<IUnknown*>(this);
    } else if (IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kInterfaceId)) {
        *object = static_cast<IShellExDragDropHandlers*>(&o);
    } else if (IsEqualIID(iid, IID_IShellExtInit)) {
        *object = static_cast<IShellExtInit*>(&o);
    } else if (IsEqualIID(iid, IID_IContextMenu)) {
        *object = static_cast<IContextMenu*>(&o);
    } else {
        return E_NOINTERFACE;
    }
    static_cast<IUnknown*>(*object)->AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) ShellExDragDropHandlers::InnerUnknownImpl::AddRef() { return ++m_owner.m_references; }

STDMETHODIMP_(ULONG) ShellExDragDropHandlers::InnerUnknownImpl::Release() {
    const ULONG left = --m_owner.m_references;
    if (left == 0) delete &m_owner;
    return left;
}

STDMETHODIMP ShellExDragDropHandlers::QueryInterface(REFIID iid, void** object) {
    return m_outer->QueryInterface(iid, object);
}
STDMETHODIMP_(ULONG) ShellExDragDropHandlers::AddRef() { return m_outer->AddRef(); }
STDMETHODIMP_(ULONG) ShellExDragDropHandlers::Release() { return m_outer->Release(); }

// ---- IDispatch ---------------------------------------------------------------------

STDMETHODIMP ShellExDragDropHandlers::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP ShellExDragDropHandlers::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ShellExDragDropHandlers::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) {
    if (ids)
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP ShellExDragDropHandlers::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return DISP_E_MEMBERNOTFOUND;
}

// ---- IShellExtInit -----------------------------------------------------------------

STDMETHODIMP ShellExDragDropHandlers::Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY) {
    try {
        // A second call describes another drop: nothing of the first one stays.
        m_drop = DropData{};
        if (data) ReadDroppedFiles(data);
        if (folder) ReadDropFolder(folder);
    } catch (...) {
        m_drop = DropData{};
    }
    return S_OK;
}

void ShellExDragDropHandlers::ReadDroppedFiles(IDataObject* data) {
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (FAILED(data->GetData(&format, &medium))) return;
    struct MediumRelease {
        STGMEDIUM& medium;
        ~MediumRelease() { ReleaseStgMedium(&medium); }
    } release{medium};
    if (medium.tymed != TYMED_HGLOBAL || !medium.hGlobal) return;
    if (!GlobalLock(medium.hGlobal)) return;
    struct Unlock {
        HGLOBAL memory;
        ~Unlock() { GlobalUnlock(memory); }
    } unlock{medium.hGlobal};
    HDROP drop = static_cast<HDROP>(medium.hGlobal);
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0) continue;
        CString name;
        const UINT copied = DragQueryFileW(drop, i, name.GetBufferSetLength(static_cast<int>(length)), length + 1);
        name.ReleaseBuffer(static_cast<int>(copied < length ? copied : length));
        if (!name.IsEmpty()) m_drop.sources.push_back(name);
    }
}

void ShellExDragDropHandlers::ReadDropFolder(PCIDLIST_ABSOLUTE folder) {
    wchar_t path[520] = {};
    if (SHGetPathFromIDListW(folder, path) && path[0]) m_drop.destination = path;
}

// ---- IContextMenu ------------------------------------------------------------------

STDMETHODIMP ShellExDragDropHandlers::QueryContextMenu(HMENU menu, UINT position, UINT firstCommand,
                                                       UINT lastCommand, UINT flags) {
    try {
        if (flags != 0 || !menu || !ShouldOffer(m_drop, MainProgramPath()))
            return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
        const UINT added = AddDropMenuItems(menu, position, firstCommand, lastCommand, CrossesDrives(m_drop),
                                            LoadModuleString(IDS_COPY_HERE), LoadModuleString(IDS_MOVE_HERE));
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, added);
    } catch (...) {
        return E_UNEXPECTED;
    }
}

STDMETHODIMP ShellExDragDropHandlers::InvokeCommand(CMINVOKECOMMANDINFO* info) {
    if (!info || HIWORD(reinterpret_cast<ULONG_PTR>(info->lpVerb)) != 0) return E_INVALIDARG;
    const UINT offset = LOWORD(reinterpret_cast<ULONG_PTR>(info->lpVerb));
    if (offset > 1) return S_OK;
    try {
        HandOver(offset == 0 ? Swiftlet::RunCopyCommand::kCopy : Swiftlet::RunCopyCommand::kMove);
    } catch (...) {
        // The hand-over fails quietly; Explorer is told the command ran.
    }
    return S_OK;
}

STDMETHODIMP ShellExDragDropHandlers::GetCommandString(UINT_PTR, UINT, UINT*, CHAR*, UINT) { return E_NOTIMPL; }

void ShellExDragDropHandlers::HandOver(int32_t flags) {
    // The menu was offered for this drop; what it held may have changed since.
    const CString program = MainProgramPath();
    if (!ShouldOffer(m_drop, program)) return;
    RunCopyServer server(RunCopyServer::PipeNameOfThisThread(), kPipeChunkSize, &program, &m_drop.sources,
                         &m_drop.destination, &flags);
    server.Run();
}

}  // namespace ShellEx
