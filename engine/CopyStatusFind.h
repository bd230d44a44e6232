#pragma once
// The find step of a job: enumerates every source into the copy status's item trees,
// reporting its progress and honouring pause and cancel after every item, then gives each
// source the name it gets at the destination.
#include <windows.h>

#include <vector>

#include "engine/CopyEvents.h"
#include "engine/CopyItemFind.h"
#include "engine/CopyStatus.h"

namespace Swiftlet {

class CopyStatusFindOperator : public CopyStatusOperator, private IFindCopyItemObserver {
public:
    // event may be null (nothing reported); cancelEvent (auto-reset) and runEvent
    // (auto-reset, signalled while the job may run) may be null. streams may be null: the
    // system enumerates named streams.
    CopyStatusFindOperator(CopyStatus* status, ICopyEvents* event, HANDLE cancelEvent, HANDLE runEvent,
                           IStreamEnumerator* streams = nullptr);
    // The same with the engine's own events, which the step hands over and signals through.
    CopyStatusFindOperator(CopyStatus* status, ICopyEvents* event, CountedEvent& cancelEvent, CountedEvent& runEvent,
                           IStreamEnumerator* streams = nullptr);
    ~CopyStatusFindOperator() override = default;

    // Fills status->items from the sources, in order. Throws CopyException type 5 when
    // cancelled and type 4 when nothing was found (a source that cannot be read, a tree
    // without items); the items are then empty.
    void Find(const std::vector<CString>& sources, const CString& destination, int move);

    // The name a source gets in the destination folder: its own name, a free
    // "name - コピー (n).ext" when it is copied into its own folder, and for a drive root
    // the drive's display name (or "Drive(D)").
    static CString RootDestinationName(const CString& source, size_t treeCount, const CString& destinationFolder);
    // The first free one of base+ext, base - コピー+ext, base - コピー (n)+ext in folder.
    static CString UniqueCopyName(const CString& folder, const CString& base, const CString& extension);
    // The name an item of a recycle bin had before it was deleted, as the shell tells it;
    // empty for anything else.
    static CString RecycledOriginalName(const CString& source);
    // The name a source keeps at a destination other than its own folder: its own name,
    // or for an item of the recycle bin the name it had before it was deleted.
    static CString SourceItemName(const CString& source);

    ICopyEvents* event;
    CoreEventFindStatus findStatus;  // its address is what the user interface reads
    HANDLE cancelEvent;
    HANDLE runEvent;
    CountedEvent* cancelSignal = nullptr;  // behind cancelEvent, when given
    CountedEvent* runSignal = nullptr;

private:
    void ItemAdded(const CopyItemsData& items) override;
    void CheckCancel();
    void CheckPause();
    // Signals an event again after the check took it, through its object when known.
    void SignalAgain(HANDLE event, CountedEvent* object);
    void Enumerate(const std::vector<CString>& sources, const CString& destination, int move);
    void AssignDestinationNames(const CString& destination);

    IStreamEnumerator* m_streams;
    bool m_checked = false;   // the first item is always checked
    DWORD m_lastCheck = 0;    // GetTickCount of the last pause and cancel check
};

}  // namespace Swiftlet
