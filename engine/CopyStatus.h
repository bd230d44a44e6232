#pragma once
// The shared state of one running copy job: the item trees the enumeration built, one
// cursor for the reader thread and one for the writer thread, and what each side has
// finished. The algorithm works on it only through the small operator objects below.
#include <windows.h>

#include <cstdint>

#include "engine/CopyEvents.h"
#include "engine/CopyItemData.h"
#include "engine/CopyOption.h"

namespace Swiftlet {

// One side's walk over the item trees.
class CopyStatusItemInfo {
public:
    enum State { Idle = 0, Running = 1, Finished = 2, Failed = 3 };
    enum Pass { FoldersPass = 1, SecondPass = 2, SinglePass = 3 };

    CopyStatusItemInfo() = default;
    CopyStatusItemInfo(const CopyStatusItemInfo& other);
    CopyStatusItemInfo& operator=(const CopyStatusItemInfo& other);
    virtual ~CopyStatusItemInfo() = default;

    // Cursor and counters back to nothing walked.
    void Clear();

    size_t treeCursor = 0;              // the tree being walked
    CopyItemTree::iterator itemCursor;  // the current node of that tree
    int state = Idle;
    int pass = SinglePass;
    uint64_t itemsDone = 0;          // files and folders finished
    uint64_t bytesDone = 0;          // sizes of files, folders and streams finished
    uint64_t weightedBytesDone = 0;  // files and streams, an empty one as 512 bytes

    // Held exclusively by the walking thread while it moves the cursor or renames the
    // current item, shared by whoever reads the cursor from another thread (the event
    // channel shows both sides' positions whichever side raised the event).
    mutable SRWLOCK lock = SRWLOCK_INIT;
};

class CopyStatus : public ICoreCopyTotals {
public:
    CopyStatus() = default;
    // A copy has its own trees, and cursors at the same positions in them.
    CopyStatus(const CopyStatus& other);
    CopyStatus& operator=(const CopyStatus& other);
    ~CopyStatus() override = default;

    // Total size, weighted size, and folders plus files of the enumeration.
    void GetCopyTotals(unsigned long long* totalBytes, unsigned long long* weightedBytes,
                       unsigned long long* itemCount) const override;

    // Both settings 0, no items, both cursors and their counters cleared.
    void Reset();
    // Both cursors and their counters cleared; settings and items kept.
    void ResetCounters();

    const CopyOption* option = nullptr;  // the job's record, owned by the algorithm
    int foldersFirst = 0;                // 1: every tree is walked twice, folders first
    int destinationSupportsEncryption = 0;
    CopyItemsData items;
    CopyStatusItemInfo read;
    CopyStatusItemInfo write;
};

class CopyStatusOperator {
public:
    explicit CopyStatusOperator(CopyStatus* status) : status(status) {}
    virtual ~CopyStatusOperator() = default;

    CopyStatus* status;
};

// Takes the settings of the job before enumeration.
class CopyStatusSetOptionOperator : public CopyStatusOperator {
public:
    using CopyStatusOperator::CopyStatusOperator;
    // option must outlive the status's use of it.
    void Set(const CopyOption* option);
};

// Readies the status for the elevated process that continues the job: everything not
// yet written is read again there, and both walks start where the writer stood.
class CopyStatusElevateOperator : public CopyStatusOperator {
public:
    using CopyStatusOperator::CopyStatusOperator;
    void Prepare();
};

// The walk of one side. The reader and the writer differ only in the flag they own and
// in the kinds of item they pass over.
class CopyStatusRWBaseOperator : public CopyStatusOperator, public ICoreProgressCursor {
public:
    using CopyStatusOperator::CopyStatusOperator;

    // What the event channel shows of this side; safe from any thread.
    int GetCursorState() const override { return Info().state; }
    CoreDisplayCursor GetDisplayCursor() const override;

    // Counters zeroed, state running, first tree, first item to act on.
    void Begin();
    // The same, keeping the counters: after a decision released deferred items.
    void Restart();
    // Moves past every item this side does not act on.
    void Skip();
    // Marks the current item done, moves on in pre-order and past what this side does
    // not act on. At the end of the last tree the state becomes finished.
    void Advance();
    // 1 when this side does not act on the current item.
    int ShouldSkip() const;
    // Sets this side's flag on the current item and counts it, unless it is deferred,
    // already done, or not of the current pass.
    void MarkDone();

    int IsRunning() const { return Info().state == CopyStatusItemInfo::Running ? 1 : 0; }
    int GetState() const { return Info().state; }
    // Ends the walk as failed (the thread ended with an exception).
    void SetFailed();

    // The current item; valid only while the walk runs.
    CopyItemTree& CurrentTree() const;
    CopyItemTree::iterator CurrentNode() const { return Info().itemCursor; }
    CopyItemData& Current() const { return *Info().itemCursor; }
    CString GetSourcePath() const;
    CString GetDestinationPath() const;
    // Sets or clears flags on the current item (and everything below it when recursive).
    void SetCurrentFlags(uint32_t bits, int recursive);
    void ClearCurrentFlags(uint32_t bits, int recursive);

    // Deferred file conflicts, decided together at the end.
    int HasDeferredConflicts() const;
    void CollectDeferredConflicts(CopyExceptionOverwriteFiles& e) const;
    // Applies the answer to the many-conflicts question to every item: 2 leaves the
    // deferred files skipped, 5 overwrites them, 7 keeps both, 8 takes each file's choice
    // from selection (by full source path; 5 or 7, anything else skips). Other deferred
    // items are released (answer 2: only no longer deferred). 0 for another answer, which
    // changes nothing.
    int ApplyDeferredAnswer(int answer, const SelectionMap* selection);

    // Whether the pass matches an item: folders in the first pass, the rest in the second.
    static bool PassMatches(int pass, uint32_t type);

protected:
    virtual CopyStatusItemInfo& Info() const = 0;
    virtual uint32_t DoneFlag() const = 0;
    // 1 for the kinds this side never acts on.
    virtual bool PassesOver(uint32_t type) const = 0;

private:
    void Seek();
    void MoveNext();
    void Step();
};

class CopyStatusReadOperator : public CopyStatusRWBaseOperator {
public:
    using CopyStatusRWBaseOperator::CopyStatusRWBaseOperator;

protected:
    CopyStatusItemInfo& Info() const override { return status->read; }
    uint32_t DoneFlag() const override { return CopyItemData::Passed; }
    // The reader leaves folders' bases, deletions and removals to the writer.
    bool PassesOver(uint32_t type) const override {
        return type == CopyItemData::BaseFolder || type == CopyItemData::DeleteSource ||
               type == CopyItemData::RemoveSourceFolder;
    }
};

class CopyStatusWriteOperator : public CopyStatusRWBaseOperator {
public:
    using CopyStatusRWBaseOperator::CopyStatusRWBaseOperator;

    // For a keep-both file without a destination name yet: the first free "name (n).ext"
    // from n = 2 becomes its destination name. 1 when a name was chosen.
    int MakeUniqueDestinationName();

protected:
    CopyStatusItemInfo& Info() const override { return status->write; }
    uint32_t DoneFlag() const override { return CopyItemData::Written; }
    bool PassesOver(uint32_t type) const override { return type == CopyItemData::BaseFolder; }
};

}  // namespace Swiftlet
