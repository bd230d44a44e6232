#pragma once
// The last-write times of the folders a job creates. Every entry made in a folder changes
// its last-write time, so a created folder that is to hold content gets its source's
// time only once the writer has left that content behind: when it goes on with an item
// outside the folder, or when its walk ends.
#include <windows.h>

#include <unordered_map>
#include <vector>

#include "engine/CopyItemData.h"
#include "framework/CString.h"

namespace Swiftlet {

class CopyFolderTimes {
public:
    using Node = CopyItemTree::node_type;

    // A folder created at destination, to be given lastWrite once its content is in.
    void Add(const Node* folder, const CString& destination, const FILETIME& lastWrite);
    // The writer goes on with item (in the walk that writes content, not the folders-only
    // one): the folders above the item it went on with before but not above this one are
    // complete and get their time. A folder above this item that was already given its
    // time (content released later, after a decision at the end) gets it again later.
    void Reached(const Node* item);
    // Every folder not given its time yet gets it: the writer's walk has ended.
    void FinishAll();
    // Forgets every folder without touching it.
    void Clear();

private:
    struct Folder {
        CString destination;
        FILETIME lastWrite{};
        bool pending = true;
    };

    void Finish(Folder& folder);

    std::unordered_map<const Node*, Folder> m_folders;
    // The created folders above the item the writer went on with last, outermost first.
    std::vector<const Node*> m_above;
};

}  // namespace Swiftlet
