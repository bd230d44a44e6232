#pragma once
// Depth-first enumeration of one source into the last tree of a CopyItemsData. A stack
// of enumeration cores replaces recursion, so folder depth never touches the C++ stack:
// the core on top yields the next item; a folder pushes a core for its content, a file
// (when streams are wanted) a core for its named streams.
#include <deque>
#include <memory>

#include "engine/CopyItemData.h"
#include "foundation/FindEx.h"
#include "foundation/NTFSDataStream.h"

namespace Swiftlet {

class IFindCopyItemCore {
public:
    virtual ~IFindCopyItemCore() = default;
    // 1 when the core has a current item.
    virtual int Begin() = 0;
    // Copies the current item into out, moves on; 1 when a current item remains.
    virtual int Next(CopyItemData& out) = 0;
};

// The source itself: a file or folder, or a volume root (never searched for).
class FindCopyItemCoreRoot2 : public IFindCopyItemCore {
public:
    FindCopyItemCoreRoot2(const CString& source, int move) : m_source(source), m_move(move) {}
    // Throws CFileException with the system error and the path when the source cannot be
    // read.
    int Begin() override;
    int Next(CopyItemData& out) override;

private:
    CString m_source;
    CString m_path;
    int m_hasMore = 0;
    CopyItemData m_current;
    CFindEx m_find;
    int m_move;
    int m_isVolumeRoot = 0;
};

// The entries of one folder, then (for a move) the removal of the folder.
class FindCopyItemCoreSubFolder2 : public IFindCopyItemCore {
public:
    FindCopyItemCoreSubFolder2(const CString& folder, int move) : m_folder(folder), m_move(move) {}
    int Begin() override;
    int Next(CopyItemData& out) override;

private:
    void Advance();
    void ApplyRemovalRule();

    CString m_folder;
    int m_hasMoreEntries = 0;
    int m_hasCurrent = 0;
    CopyItemData m_current;
    CFindEx m_find;
    int m_move;
    int m_removalEmitted = 0;
};

// Where stream records of a file come from: the system, or records fed by a test on a
// machine whose volumes hold no named streams.
class IStreamEnumerator {
public:
    virtual ~IStreamEnumerator() = default;
    virtual int Enumerate(const CString& path, NTFSDataStream::StreamList& list) = 0;
};

class SystemStreamEnumerator : public IStreamEnumerator {
public:
    int Enumerate(const CString& path, NTFSDataStream::StreamList& list) override;
};

// The named data streams of one file; the unnamed data stream is the file's content.
class FindCopyItemCoreNTFSDataStream2 : public IFindCopyItemCore {
public:
    FindCopyItemCoreNTFSDataStream2(const CString& path, IStreamEnumerator& enumerator)
        : m_path(path), m_enumerator(enumerator) {}
    int Begin() override;
    int Next(CopyItemData& out) override;

private:
    void SkipUnnamed();

    CString m_path;
    NTFSDataStream::StreamList m_streams;
    size_t m_position = 0;
    IStreamEnumerator& m_enumerator;
};

// Told after every item added; it may throw to stop the enumeration (cancel).
class IFindCopyItemObserver {
public:
    virtual ~IFindCopyItemObserver() = default;
    virtual void ItemAdded(const CopyItemsData& items) = 0;
};

class FindCopyItem {
public:
    // Both may be null: no progress reports, the system's stream enumeration.
    explicit FindCopyItem(IFindCopyItemObserver* observer = nullptr, IStreamEnumerator* streams = nullptr);
    FindCopyItem(const FindCopyItem&) = delete;
    FindCopyItem& operator=(const FindCopyItem&) = delete;
    virtual ~FindCopyItem();

    // Enumerates source into the last tree of items, whose base folder the caller has
    // added (see SourceBaseFolder). streams: 1 to add named data streams; move: 1 to add
    // the deletion and removal items.
    void Run(const CString& source, int streams, int move, CopyItemsData& items);

    // The full, long form of a source path as the enumeration names it; the source
    // itself when that cannot be determined (it may not exist).
    static CString NormalizeSource(const CString& source);
    // The base folder for a source's tree: the parent folder of its normalised form.
    static CString SourceBaseFolder(const CString& source);

private:
    void Push(IFindCopyItemCore* core);
    void Pop();
    void Clear();

    std::deque<IFindCopyItemCore*> m_stack;
    IFindCopyItemObserver* m_observer;
    IStreamEnumerator* m_streams;
    SystemStreamEnumerator m_systemStreams;
};

}  // namespace Swiftlet
