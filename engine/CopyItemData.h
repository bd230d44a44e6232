#pragma once
// The copy item tree: one tree per source, whose root is the folder that holds the source
// and whose nodes are the source, everything below it, its named data streams and, for a
// move, the deletions that follow the copies. The reader and the writer walk it in
// pre-order: a folder before its content, a file before its streams, the streams before
// the file's deletion, a folder's content before the folder's removal.
#include <windows.h>

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "foundation/tree.h"
#include "framework/CString.h"

namespace Swiftlet {

class CopyItemData {
public:
    enum ItemType : uint32_t {
        BaseFolder = 1,          // root of a tree: the folder that holds the source
        File = 2,
        Folder = 3,
        Stream = 4,              // named data stream ":name:$DATA" under its file
        DeleteSource = 5,        // move: delete the parent file once it is copied
        RemoveSourceFolder = 6,  // move: remove the parent folder once it is empty
    };
    enum ItemFlag : uint32_t {
        Opened = 0x1,           // the reader has opened the source and queued its header
        Passed = 0x2,           // the reader's walk has passed the item
        Written = 0x20,         // the writer's walk has passed the item
        Skip = 0x100,           // leave the item alone
        Overwrite = 0x200,      // replace the existing file, merge into the existing folder
        Decrypt = 0x400,        // the user accepted a copy without encryption
        KeepBoth = 0x800,       // copy under a new, free name
        NoDestination = 0x1000, // the destination does not exist: no conflict check
        Deferred = 0x2000,      // a conflict set aside for the decision at the end
    };

    CopyItemData() = default;
    CopyItemData(const CString& name, uint64_t size, uint32_t type, uint32_t flags = 0)
        : name(name), size(size), type(type), flags(flags) {}
    CopyItemData(const CopyItemData& other);
    CopyItemData& operator=(const CopyItemData& other);
    virtual ~CopyItemData() = default;

    // Flags are changed by the reader, the writer and the decision handling at the same
    // time: every change is one atomic read-modify-write of the flags word.
    uint32_t GetFlags() const;
    bool HasFlags(uint32_t bits) const { return (GetFlags() & bits) != 0; }
    void SetFlags(uint32_t bits);
    void ClearFlags(uint32_t bits);

    // While enumerating the full path; in the tree the part relative to the parent node
    // (for a root, the full path of the folder that holds the source).
    CString name;
    uint64_t size = 0;   // bytes; 0 for folders and deletions
    uint32_t type = 0;   // ItemType
    uint32_t flags = 0;  // ItemFlag bits; use the accessors once threads share the tree
    // Replaces name in destination paths; empty = same name. For a root: the destination
    // folder.
    CString destName;
};

using CopyItemTree = tree<CopyItemData>;

class CopyItemsData {
public:
    CopyItemsData() = default;
    // Copies and moves take the trees and counters; the placement index is rebuilt when
    // the copy gets items of its own.
    CopyItemsData(const CopyItemsData& other);
    CopyItemsData& operator=(const CopyItemsData& other);
    CopyItemsData(CopyItemsData&& other) noexcept;
    CopyItemsData& operator=(CopyItemsData&& other) noexcept;
    virtual ~CopyItemsData() = default;

    // A new tree whose root is the base folder; the counters do not change.
    void AddRoot(const CString& folder);
    // Places an item (name = its full path) in the last tree, below the node whose path
    // is the longest prefix of it, and counts it. Throws std::invalid_argument when there
    // is no tree or the item does not lie below the last tree's base folder.
    void AddItem(const CopyItemData& item);
    // Back to no trees and zero counters.
    void Clear();

    // The full source path of a node; for a deletion item the path of its parent.
    static CString GetSourcePath(const CopyItemTree& tree, const CopyItemTree::iterator_base& node);
    // The same with every destination name in place of the name, from the root's
    // destination folder down.
    static CString GetDestinationPath(const CopyItemTree& tree, const CopyItemTree::iterator_base& node);
    // Sets (or clears) bits on the node and, when recursive is 1, on everything below it.
    static void SetItemFlags(CopyItemTree& tree, const CopyItemTree::iterator_base& node, uint32_t bits,
                             int recursive);
    static void ClearItemFlags(CopyItemTree& tree, const CopyItemTree::iterator_base& node, uint32_t bits,
                               int recursive);

    std::vector<CopyItemTree> trees;
    uint64_t totalSize = 0;
    uint64_t weightedSize = 0;  // files and streams; an empty one counts as 512 bytes
    uint64_t largestSize = 0;
    uint64_t itemCount = 0;
    uint64_t folderCount = 0;
    uint64_t fileCount = 0;
    uint64_t streamCount = 0;
    uint64_t removeFolderCount = 0;
    uint64_t deleteCount = 0;

private:
    using Node = CopyItemTree::node_type;
    // Children of the last tree by (parent, name), so that placing an item costs the
    // depth of its path and not the number of its siblings: folders with many thousands
    // of files are common. The names are views of the nodes' own names, which are never
    // changed once placed.
    struct ChildKey {
        const Node* parent;
        std::wstring_view name;
        bool operator==(const ChildKey& other) const { return parent == other.parent && name == other.name; }
    };
    struct ChildKeyHash {
        size_t operator()(const ChildKey& key) const;
    };

    void CopyCounters(const CopyItemsData& other);
    void IndexChild(Node* child);
    void RebuildIndex();
    // The child of parent that the relative path continues into, and the rest of the
    // path below it; null when there is none.
    Node* FindMatchingChild(const Node* parent, std::wstring_view rel, std::wstring_view& rest) const;

    std::unordered_map<ChildKey, Node*, ChildKeyHash> m_children;
    bool m_indexValid = true;
};

// Progress accounting counts an empty file or stream as this many bytes, so that many
// empty files still move the progress bar.
const uint64_t kEmptyItemWeight = 512;

inline uint64_t WeightedItemSize(uint64_t size) { return size == 0 ? kEmptyItemWeight : size; }

}  // namespace Swiftlet
