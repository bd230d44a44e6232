#include "engine/CopyStatusFind.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <climits>

#include "engine/CopyException.h"
#include "foundation/DynamicFunction.h"
#include "foundation/Paths.h"
#include "framework/CException.h"

namespace Swiftlet {

namespace {

const wchar_t kCopySuffix[] = L" - コピー";
const DWORD kItemNameOneDrive = 0x80031001;  // SIGDN_PARENTRELATIVEEDITING
const DWORD kItemNameSeveral = 0;            // SIGDN_NORMALDISPLAY
const DWORD kShellNameOneDrive = SHGDN_INFOLDER | SHGDN_FOREDITING;
const DWORD kShellNameSeveral = SHGDN_NORMAL;
// Pause and cancel are looked at after an item when this much time has passed since the
// last look. Each look costs three kernel calls, which under a slow kernel (Wine) make up
// most of the time of a large enumeration; no user can tell 20 ms from immediate.
const DWORD kCheckIntervalMs = 20;

// The shell's name lookups need COM on this thread; an apartment someone else opened is
// used as it is.
class ComScope {
public:
    ComScope() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(m_hr)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT m_hr;
};

CString ParentOrSelf(const CString& path) {
    const CString parent = GetParentFolder(path);
    return parent.IsEmpty() ? path : parent;
}

CString WithoutTrailingBackslash(const CString& path) {
    return IsDriveRootPath(path) ? path : StripTrailingBackslash(path);
}

CString InFolder(const CString& folder, const CString& name) {
    if (!folder.IsEmpty() && folder[folder.GetLength() - 1] == L'\\') return folder + name;
    return folder + L"\\" + name;
}

CString Sanitized(CString name) {
    SanitizeFileName(name);
    return name;
}

// The name an item of the recycle bin had before it was deleted.
CString RecycledItemName(const CString& path) {
    static const UShell::SHGetFileInfoW getFileInfo;
    if (!getFileInfo.IsAvailable()) return CString();
    SHFILEINFOW info = {};
    if (!getFileInfo(path.GetString(), 0, &info, static_cast<UINT>(sizeof(info)), SHGFI_DISPLAYNAME))
        return CString();
    info.szDisplayName[MAX_PATH - 1] = L'\0';
    return Sanitized(CString(info.szDisplayName));
}

}  // namespace

CopyStatusFindOperator::CopyStatusFindOperator(CopyStatus* status, ICopyEvents* event, HANDLE cancelEvent,
                                               HANDLE runEvent, IStreamEnumerator* streams)
    : CopyStatusOperator(status), event(event), cancelEvent(cancelEvent), runEvent(runEvent), m_streams(streams) {}

CopyStatusFindOperator::CopyStatusFindOperator(CopyStatus* status, ICopyEvents* event, CountedEvent& cancelEvent,
                                               CountedEvent& runEvent, IStreamEnumerator* streams)
    : CopyStatusOperator(status),
      event(event),
      cancelEvent(cancelEvent.Handle()),
      runEvent(runEvent.Handle()),
      cancelSignal(&cancelEvent),
      runSignal(&runEvent),
      m_streams(streams) {}

void CopyStatusFindOperator::SignalAgain(HANDLE handle, CountedEvent* object) {
    if (object)
        object->Set();
    else
        SetEvent(handle);
}

void CopyStatusFindOperator::Find(const std::vector<CString>& sources, const CString& destination, int move) {
    findStatus.SetFrom(sources.empty() ? CString() : ParentOrSelf(sources[0]));
    findStatus.SetTo(destination);
    findStatus.bytesFound = 0;
    findStatus.itemsFound = 0;
    m_checked = false;
    if (event && cancelSignal && runSignal)
        event->OnFindBegin(*cancelSignal, *runSignal, &findStatus);
    else if (event)
        event->OnFindBegin(cancelEvent, runEvent, &findStatus);
    try {
        Enumerate(sources, destination, move);
        AssignDestinationNames(destination);
    } catch (...) {
        status->items.Clear();
        // The user interface holds the address of the display record until the end of
        // the find step is reported; this operator may not outlive the exception.
        if (event) event->OnFindEnd();
        throw;
    }
    if (event) event->OnFindEnd();
}

void CopyStatusFindOperator::Enumerate(const std::vector<CString>& sources, const CString& destination, int move) {
    CopyItemsData& items = status->items;
    items.Clear();
    items.trees.reserve(sources.size());
    try {
        FindCopyItem find(this, m_streams);
        for (const CString& source : sources) {
            const CString from = ParentOrSelf(source);
            if (from != findStatus.GetFrom()) findStatus.SetFrom(from);
            const CString path = WithoutTrailingBackslash(source);
            items.AddRoot(FindCopyItem::SourceBaseFolder(path));
            const int streams = SupportsNamedStreams(path) == 1 && SupportsNamedStreams(destination) == 1 ? 1 : 0;
            find.Run(path, streams, move, items);
        }
    } catch (CopyException&) {
        items.Clear();
        throw;
    } catch (...) {
        // A source that cannot be read, or anything else that stopped the walk: the job
        // finds nothing rather than a part of what the user chose.
        items.Clear();
    }
    if (items.trees.empty()) throw CopyException(kCopyNothingFound);
}

void CopyStatusFindOperator::ItemAdded(const CopyItemsData& items) {
    if (!m_checked || GetTickCount() - m_lastCheck >= kCheckIntervalMs) {
        m_checked = true;
        CheckCancel();
        CheckPause();
        m_lastCheck = GetTickCount();
    }
    findStatus.bytesFound = items.totalSize;
    findStatus.itemsFound = items.folderCount + items.fileCount;
}

void CopyStatusFindOperator::CheckCancel() {
    if (!cancelEvent) return;
    const DWORD result = WaitForSingleObject(cancelEvent, 0);
    if (result != WAIT_OBJECT_0 && result != WAIT_ABANDONED) return;
    // Auto-reset: signal it again so that the other threads of the job see it too.
    SignalAgain(cancelEvent, cancelSignal);
    throw CopyException(kCopyCancelled);
}

void CopyStatusFindOperator::CheckPause() {
    if (!runEvent) return;
    if (WaitForSingleObject(runEvent, 0) != WAIT_OBJECT_0) {
        if (event) event->OnFindPaused();
        HANDLE handles[2] = {runEvent, cancelEvent};
        const DWORD count = cancelEvent ? 2 : 1;
        const DWORD result = WaitForMultipleObjects(count, handles, FALSE, INFINITE);
        if (result == WAIT_OBJECT_0) {
            if (event) event->OnFindResumed();
        } else if (result == WAIT_OBJECT_0 + 1) {
            SignalAgain(cancelEvent, cancelSignal);
            throw CopyException(kCopyCancelled);
        } else {
            throw CopyException(kCopyCancelled);
        }
    }
    // The run event is auto-reset and the check took its signal: give it back.
    SignalAgain(runEvent, runSignal);
}

void CopyStatusFindOperator::AssignDestinationNames(const CString& destination) {
    std::vector<CopyItemTree>& trees = status->items.trees;
    for (CopyItemTree& tree : trees) {
        CopyItemTree::iterator root = tree.begin();
        if (root == tree.end() || !root.node->firstChild) throw CopyException(kCopyNothingFound);
        root->destName = destination;
        CopyItemTree::iterator source(root.node->firstChild);
        const CString path = CopyItemsData::GetSourcePath(tree, source);
        if (path.IsEmpty()) throw CopyException(kCopyNothingFound);

        const CString name = RootDestinationName(path, trees.size(), destination);
        if (!name.IsEmpty() && name.CompareNoCase(source->name) != 0) source->destName = name;

        const CString original = RecycledOriginalName(path);
        if (!original.IsEmpty()) source->destName = original;
    }
}

CString CopyStatusFindOperator::RecycledOriginalName(const CString& source) {
    // Opening COM costs more than the rest of a small job's find step: only for an item
    // that may lie in a recycle bin.
    const bool inBin = IsInRecycleBinFolder(source) == 1;
    if (!inBin && MayHaveRecycleBinAncestor(source) != 1) return CString();
    ComScope com;
    if (!inBin && HasRecycleBinAncestor(source) != 1) return CString();
    return RecycledItemName(source);
}

CString CopyStatusFindOperator::SourceItemName(const CString& source) {
    const CString original = RecycledOriginalName(source);
    return original.IsEmpty() ? GetFileNamePart(source) : original;
}

CString CopyStatusFindOperator::RootDestinationName(const CString& source, size_t treeCount,
                                                    const CString& destinationFolder) {
    const bool driveRoot = IsDriveRootPath(source);
    CString base, extension;
    if (driveRoot) {
        ComScope com;
        base = Sanitized(GetShellItemDisplayName(source, treeCount == 1 ? kItemNameOneDrive : kItemNameSeveral));
        if (base.IsEmpty())
            base = Sanitized(GetShellDisplayName(source, treeCount == 1 ? kShellNameOneDrive : kShellNameSeveral));
        if (base.IsEmpty()) base.Format(L"Drive(%c)", source[0]);
    } else {
        SplitPath(source, nullptr, nullptr, &base, &extension);
    }
    const CString parent = driveRoot ? source : GetParentFolder(source);
    if (destinationFolder.CompareNoCase(parent) == 0) return UniqueCopyName(destinationFolder, base, extension);
    return base + extension;
}

CString CopyStatusFindOperator::UniqueCopyName(const CString& folder, const CString& base, const CString& extension) {
    const CString first = base + extension;
    const DWORD held = GetFileAttributesW(ToLongPath(InFolder(folder, first)));
    if (held == INVALID_FILE_ATTRIBUTES) return first;
    // "dir.old - コピー" for a folder, "a - コピー.txt" for a file.
    const bool folderHoldsIt = (held & FILE_ATTRIBUTE_DIRECTORY) != 0;
    for (int n = 1; n < INT_MAX; ++n) {
        CString suffix = kCopySuffix;
        if (n >= 2) suffix.AppendFormat(L" (%d)", n);
        const CString candidate = folderHoldsIt ? base + extension + suffix : base + suffix + extension;
        if (GetFileAttributesW(ToLongPath(InFolder(folder, candidate))) == INVALID_FILE_ATTRIBUTES) return candidate;
    }
    return first;
}

}  // namespace Swiftlet
