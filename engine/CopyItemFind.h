#pragma once
// Depth-first enumeration of one source into the last tree of a CopyItemsData. A stack
// of enumeration cores replaces recursion, so folder depth never touches the C++ stack:
// the core on top yields the next item; a folder pushes a core for its content, a file
// (when streams are wanted) a core for its named streams.
//
// Links (junctions, symbolic links, mount points) are followed: the copy holds what they
// lead to. What lies behind a link is never the source's own, so a move gets no deletion
// or removal item for it; only the link itself is removed once everything behind it was
// copied. A link that leads back to a folder on its own path (a loop) is left out.
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
    // Attributes and reparse tag of the file or folder Next gave out last, as the folder
    // listing told them; 0 for items that are no entries of a listing.
    virtual DWORD LastAttributes() const { return 0; }
    virtual DWORD LastReparseTag() const { return 0; }
};

// The source itself: a file or folder, or a volume root (never searched for).
class FindCopyItemCoreRoot2 : public IFindCopyItemCore {
public:
    FindCopyItemCoreRoot2(const CString& source, int move) : m_source(source), m_move(move) {}
    // Throws CFileException with the system error and the path when the source cannot be
    // read.
    int Begin() override;
    int Next(CopyItemData& out) override;
    DWORD LastAttributes() const override { return m_attributes; }
    DWORD LastReparseTag() const override { return m_reparseTag; }

private:
    CString m_source;
    CString m_path;
    int m_hasMore = 0;
    CopyItemData m_current;
    CFindEx m_find;
    int m_move;
    int m_isVolumeRoot = 0;
    DWORD m_attributes = 0;
    DWORD m_reparseTag = 0;
};

// The entries of one folder, then (for a move) the removal of the folder.
class FindCopyItemCoreSubFolder2 : public IFindCopyItemCore {
public:
    FindCopyItemCoreSubFolder2(const CString& folder, int move)
        : m_folder(folder), m_move(move), m_removeSelf(move) {}
    // move: the files found get deletion items; removeSelf: the folder gets its removal
    // item. A link in a move has the second without the first.
    FindCopyItemCoreSubFolder2(const CString& folder, int move, int removeSelf)
        : m_folder(folder), m_move(move), m_removeSelf(removeSelf) {}
    int Begin() override;
    int Next(CopyItemData& out) override;
    DWORD LastAttributes() const override { return m_lastAttributes; }
    DWORD LastReparseTag() const override { return m_lastReparseTag; }

private:
    void Advance();
    void ApplyRemovalRule();

    CString m_folder;
    int m_hasMoreEntries = 0;
    int m_hasCurrent = 0;
    CopyItemData m_current;
    DWORD m_attributes = 0;
    DWORD m_reparseTag = 0;
    DWORD m_lastAttributes = 0;
    DWORD m_lastReparseTag = 0;
    CFindEx m_find;
    int m_move;
    int m_removeSelf;
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
    // The folders from the source down to the one being listed, by their final paths.
    // A core whose listing has ended leaves the stack before its last folder is listed,
    // so the chain, not the stack, is the walk's path.
    struct PathNode {
        CString realPath;
        std::shared_ptr<const PathNode> parent;
    };
    using PathChain = std::shared_ptr<const PathNode>;

    // One core on the stack with what the walk knows of the folder it lists.
    struct Level {
        IFindCopyItemCore* core;
        CString realPath;   // final path of the folder whose entries the core yields
        PathChain path;     // that folder and its ancestors on the walk's path
        int throughLink;    // 1 when the folder lies behind a link
    };

    // What the walk learns of a folder before it lists it.
    struct FolderFacts {
        CString realPath;  // empty when unknown
        int isLink = 0;
    };
    static FolderFacts InspectFolder(const CString& path, const CString& parentRealPath, DWORD attributes,
                                     DWORD reparseTag);
    // 1 when realPath is a folder on the walk's path or one of its ancestors: listing it
    // would walk the same folders again without end.
    static int LeadsBackOnPath(const CString& realPath, const PathChain& path);

    void Push(IFindCopyItemCore* core, const CString& realPath = CString(), PathChain path = PathChain(),
              int throughLink = 0);
    void Pop();
    void Clear();

    std::deque<Level> m_stack;
    IFindCopyItemObserver* m_observer;
    IStreamEnumerator* m_streams;
    SystemStreamEnumerator m_systemStreams;
};

}  // namespace Swiftlet
