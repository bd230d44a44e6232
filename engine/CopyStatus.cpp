#include "engine/CopyStatus.h"

#include <climits>
#include <utility>

#include "engine/CopyException.h"
#include "foundation/Paths.h"

namespace Swiftlet {

namespace {

using Node = CopyItemTree::node_type;

class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& lock) : m_lock(lock) { AcquireSRWLockExclusive(&m_lock); }
    ~ExclusiveLock() { ReleaseSRWLockExclusive(&m_lock); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

private:
    SRWLOCK& m_lock;
};

// The position of a node in the pre-order walk of its tree, and the node at a position.
size_t PreOrderIndex(const CopyItemTree& tree, const Node* node) {
    size_t index = 0;
    for (auto it = tree.begin(); it != tree.end(); ++it, ++index)
        if (it.node == node) return index;
    return index;
}

CopyItemTree::iterator NodeAt(CopyItemTree& tree, size_t index) {
    auto it = tree.begin();
    for (; it != tree.end() && index > 0; ++it) --index;
    return it;
}

// The same cursor over a copy of the trees it walked.
void TranslateCursor(const CopyItemsData& from, CopyItemsData& to, CopyStatusItemInfo& info) {
    if (!info.itemCursor.node || info.treeCursor >= from.trees.size() || info.treeCursor >= to.trees.size()) {
        info.itemCursor = CopyItemTree::iterator();
        return;
    }
    const size_t index = PreOrderIndex(from.trees[info.treeCursor], info.itemCursor.node);
    info.itemCursor = NodeAt(to.trees[info.treeCursor], index);
}

}  // namespace

// ---- cursors and the status ----

CopyStatusItemInfo::CopyStatusItemInfo(const CopyStatusItemInfo& other) { *this = other; }

CopyStatusItemInfo& CopyStatusItemInfo::operator=(const CopyStatusItemInfo& other) {
    if (this == &other) return *this;
    AcquireSRWLockShared(&other.lock);
    treeCursor = other.treeCursor;
    itemCursor = other.itemCursor;
    state = other.state;
    pass = other.pass;
    itemsDone = other.itemsDone;
    bytesDone = other.bytesDone;
    weightedBytesDone = other.weightedBytesDone;
    ReleaseSRWLockShared(&other.lock);
    return *this;
}

void CopyStatusItemInfo::Clear() {
    ExclusiveLock hold(lock);
    treeCursor = 0;
    itemCursor = CopyItemTree::iterator();
    state = Idle;
    pass = SinglePass;
    itemsDone = 0;
    bytesDone = 0;
    weightedBytesDone = 0;
}

CopyStatus::CopyStatus(const CopyStatus& other)
    : option(other.option),
      foldersFirst(other.foldersFirst),
      destinationSupportsEncryption(other.destinationSupportsEncryption),
      items(other.items),
      read(other.read),
      write(other.write) {
    TranslateCursor(other.items, items, read);
    TranslateCursor(other.items, items, write);
}

CopyStatus& CopyStatus::operator=(const CopyStatus& other) {
    if (this != &other) {
        CopyStatus copy(other);
        option = copy.option;
        foldersFirst = copy.foldersFirst;
        destinationSupportsEncryption = copy.destinationSupportsEncryption;
        items = std::move(copy.items);  // nodes stay where they are: the cursors stay valid
        read = copy.read;
        write = copy.write;
    }
    return *this;
}

void CopyStatus::GetCopyTotals(unsigned long long* totalBytes, unsigned long long* weightedBytes,
                               unsigned long long* itemCount) const {
    if (totalBytes) *totalBytes = items.totalSize;
    if (weightedBytes) *weightedBytes = items.weightedSize;
    if (itemCount) *itemCount = items.folderCount + items.fileCount;
}

void CopyStatus::Reset() {
    foldersFirst = 0;
    destinationSupportsEncryption = 0;
    items.Clear();
    ResetCounters();
}

void CopyStatus::ResetCounters() {
    read.Clear();
    write.Clear();
}

void CopyStatusSetOptionOperator::Set(const CopyOption* option) {
    status->option = option;
    status->destinationSupportsEncryption = option ? SupportsEncryption(option->destination) : 0;
    status->foldersFirst = option && option->foldersFirst == 1 ? 1 : 0;
}

void CopyStatusElevateOperator::Prepare() {
    for (CopyItemTree& tree : status->items.trees) {
        for (auto it = tree.begin(); it != tree.end(); ++it)
            if (!it->HasFlags(CopyItemData::Written)) it->ClearFlags(CopyItemData::Opened | CopyItemData::Passed);
    }
    {
        ExclusiveLock hold(status->write.lock);
        status->write.state = CopyStatusItemInfo::Running;
    }
    status->read = status->write;
}

// ---- the walk ----

bool CopyStatusRWBaseOperator::PassMatches(int pass, uint32_t type) {
    if (pass == CopyStatusItemInfo::FoldersPass) return type == CopyItemData::Folder;
    if (pass == CopyStatusItemInfo::SecondPass) return type != CopyItemData::Folder;
    return true;
}

void CopyStatusRWBaseOperator::Begin() {
    CopyStatusItemInfo& info = Info();
    {
        ExclusiveLock hold(info.lock);
        info.itemsDone = 0;
        info.bytesDone = 0;
        info.weightedBytesDone = 0;
    }
    Restart();
}

void CopyStatusRWBaseOperator::Restart() {
    CopyStatusItemInfo& info = Info();
    {
        ExclusiveLock hold(info.lock);
        info.state = CopyStatusItemInfo::Running;
        info.treeCursor = 0;
        Seek();
    }
    Skip();
}

// From the cursor's tree on, the first tree with items below its base folder.
void CopyStatusRWBaseOperator::Seek() {
    CopyStatusItemInfo& info = Info();
    std::vector<CopyItemTree>& trees = status->items.trees;
    while (info.treeCursor < trees.size() &&
           (trees[info.treeCursor].empty() || !trees[info.treeCursor].begin().node->firstChild))
        ++info.treeCursor;
    if (info.treeCursor >= trees.size()) {
        info.state = CopyStatusItemInfo::Finished;
        info.itemCursor = CopyItemTree::iterator();
        return;
    }
    info.pass = status->foldersFirst == 1 ? CopyStatusItemInfo::FoldersPass : CopyStatusItemInfo::SinglePass;
    info.itemCursor = trees[info.treeCursor].begin();
}

int CopyStatusRWBaseOperator::ShouldSkip() const {
    const CopyStatusItemInfo& info = Info();
    if (info.state != CopyStatusItemInfo::Running) return 0;
    const CopyItemData& item = *info.itemCursor;
    if (item.HasFlags(DoneFlag())) return 1;
    if (!PassMatches(info.pass, item.type)) return 1;
    return PassesOver(item.type) ? 1 : 0;
}

void CopyStatusRWBaseOperator::MarkDone() {
    CopyStatusItemInfo& info = Info();
    if (info.state != CopyStatusItemInfo::Running) return;
    CopyItemData& item = *info.itemCursor;
    if (item.HasFlags(CopyItemData::Deferred | DoneFlag())) return;
    if (!PassMatches(info.pass, item.type)) return;
    item.SetFlags(DoneFlag());
    ExclusiveLock hold(info.lock);
    switch (item.type) {
        case CopyItemData::File:
        case CopyItemData::Folder:
            ++info.itemsDone;
            info.bytesDone += item.size;
            break;
        case CopyItemData::Stream:
            info.bytesDone += item.size;
            break;
        default:
            return;
    }
    if (item.type == CopyItemData::File || item.type == CopyItemData::Stream)
        info.weightedBytesDone += WeightedItemSize(item.size);
}

// Pre-order within the tree; after the last item the second pass over the same tree, or
// the next tree.
void CopyStatusRWBaseOperator::MoveNext() {
    CopyStatusItemInfo& info = Info();
    if (info.state != CopyStatusItemInfo::Running) return;
    ExclusiveLock hold(info.lock);
    CopyItemTree& tree = status->items.trees[info.treeCursor];
    ++info.itemCursor;
    if (info.itemCursor != tree.end()) return;
    if (info.pass == CopyStatusItemInfo::FoldersPass) {
        info.pass = CopyStatusItemInfo::SecondPass;
        info.itemCursor = tree.begin();
        return;
    }
    ++info.treeCursor;
    Seek();
}

void CopyStatusRWBaseOperator::Step() {
    MarkDone();
    MoveNext();
}

void CopyStatusRWBaseOperator::Skip() {
    while (ShouldSkip()) Step();
}

void CopyStatusRWBaseOperator::Advance() {
    Step();
    Skip();
}

void CopyStatusRWBaseOperator::SetFailed() {
    ExclusiveLock hold(Info().lock);
    Info().state = CopyStatusItemInfo::Failed;
}

CoreDisplayCursor CopyStatusRWBaseOperator::GetDisplayCursor() const {
    const CopyStatusItemInfo& info = Info();
    CoreDisplayCursor cursor;
    AcquireSRWLockShared(&info.lock);
    cursor.state = info.state;
    cursor.itemsDone = info.itemsDone;
    cursor.bytesDone = info.bytesDone;
    cursor.weightedBytesDone = info.weightedBytesDone;
    if (info.state == CopyStatusItemInfo::Running && info.itemCursor.node &&
        info.treeCursor < status->items.trees.size()) {
        const CopyItemTree& tree = status->items.trees[info.treeCursor];
        cursor.folder = tree.begin()->name;
        cursor.destinationFolder = tree.begin()->destName;
        cursor.sourcePath = CopyItemsData::GetSourcePath(tree, info.itemCursor);
        cursor.destinationPath = CopyItemsData::GetDestinationPath(tree, info.itemCursor);
    }
    ReleaseSRWLockShared(&info.lock);
    return cursor;
}

CopyItemTree& CopyStatusRWBaseOperator::CurrentTree() const { return status->items.trees[Info().treeCursor]; }

CString CopyStatusRWBaseOperator::GetSourcePath() const {
    return CopyItemsData::GetSourcePath(CurrentTree(), Info().itemCursor);
}

CString CopyStatusRWBaseOperator::GetDestinationPath() const {
    AcquireSRWLockShared(&Info().lock);
    CString path = CopyItemsData::GetDestinationPath(CurrentTree(), Info().itemCursor);
    ReleaseSRWLockShared(&Info().lock);
    return path;
}

void CopyStatusRWBaseOperator::SetCurrentFlags(uint32_t bits, int recursive) {
    CopyItemsData::SetItemFlags(CurrentTree(), Info().itemCursor, bits, recursive);
}

void CopyStatusRWBaseOperator::ClearCurrentFlags(uint32_t bits, int recursive) {
    CopyItemsData::ClearItemFlags(CurrentTree(), Info().itemCursor, bits, recursive);
}

// ---- deferred conflicts ----

int CopyStatusRWBaseOperator::HasDeferredConflicts() const {
    if (!status->option || status->option->batchFileConflicts != 1) return 0;
    for (const CopyItemTree& tree : status->items.trees) {
        for (auto it = tree.begin(); it != tree.end(); ++it)
            if (it->type == CopyItemData::File && it->HasFlags(CopyItemData::Deferred)) return 1;
    }
    return 0;
}

void CopyStatusRWBaseOperator::CollectDeferredConflicts(CopyExceptionOverwriteFiles& e) const {
    const std::vector<CopyItemTree>& trees = status->items.trees;
    if (!trees.empty() && !trees[0].empty()) e.destinationFolder = trees[0].begin()->destName;
    bool haveSourceFolder = false;
    for (const CopyItemTree& tree : trees) {
        for (auto it = tree.begin(); it != tree.end(); ++it) {
            if (it->type != CopyItemData::File || !it->HasFlags(CopyItemData::Deferred)) continue;
            if (!haveSourceFolder) {
                e.sourceFolder = tree.begin()->name;
                haveSourceFolder = true;
            }
            e.files.emplace_back(CopyItemsData::GetSourcePath(tree, it), CopyItemsData::GetDestinationPath(tree, it));
        }
    }
}

int CopyStatusRWBaseOperator::ApplyDeferredAnswer(int answer, const SelectionMap* selection) {
    if (answer != kAnswerSkip && answer != kAnswerOverwrite && answer != kAnswerKeepBoth &&
        answer != kAnswerSelection)
        return 0;
    for (CopyItemTree& tree : status->items.trees) {
        for (auto it = tree.begin(); it != tree.end(); ++it) {
            if (!it->HasFlags(CopyItemData::Deferred)) continue;
            if (it->type != CopyItemData::File) {
                it->ClearFlags(answer == kAnswerSkip ? CopyItemData::Deferred
                                                     : CopyItemData::Deferred | CopyItemData::Skip);
                continue;
            }
            int choice = answer;
            if (answer == kAnswerSelection) {
                choice = kAnswerSkip;
                if (selection) {
                    auto found = selection->find(CopyItemsData::GetSourcePath(tree, it));
                    if (found != selection->end() &&
                        (found->second == kAnswerOverwrite || found->second == kAnswerKeepBoth))
                        choice = found->second;
                }
            }
            if (choice == kAnswerSkip) {
                // Still skipped, no longer waiting: the walks pass it for good.
                CopyItemsData::ClearItemFlags(tree, it, CopyItemData::Deferred, 1);
                continue;
            }
            CopyItemsData::SetItemFlags(tree, it,
                                        choice == kAnswerOverwrite ? CopyItemData::Overwrite
                                                                   : CopyItemData::KeepBoth | CopyItemData::NoDestination,
                                        1);
            CopyItemsData::ClearItemFlags(tree, it, CopyItemData::Skip | CopyItemData::Deferred, 1);
        }
    }
    return 1;
}

// ---- names ----

int CopyStatusWriteOperator::MakeUniqueDestinationName() {
    CopyItemData& item = Current();
    if (!item.HasFlags(CopyItemData::KeepBoth) || !item.destName.IsEmpty() || item.type != CopyItemData::File ||
        item.name.IsEmpty())
        return 0;
    CString drive, folder, base, extension;
    SplitPath(GetDestinationPath(), &drive, &folder, &base, &extension);
    for (int n = 2; n < INT_MAX; ++n) {
        CString name;
        name.Format(L"%s (%d)%s", base.GetString(), n, extension.GetString());
        if (GetFileAttributesW(ToLongPath(drive + folder + name)) != INVALID_FILE_ATTRIBUTES) continue;
        // The reader's displayed path may run through this item (its streams): both
        // cursors' readers are kept out while the name changes.
        ExclusiveLock holdRead(status->read.lock);
        ExclusiveLock holdWrite(status->write.lock);
        item.destName = name;
        return 1;
    }
    return 0;
}

}  // namespace Swiftlet
