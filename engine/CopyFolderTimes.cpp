#include "engine/CopyFolderTimes.h"

#include <algorithm>

#include "foundation/Paths.h"

namespace Swiftlet {

void CopyFolderTimes::Add(const Node* folder, const CString& destination, const FILETIME& lastWrite) {
    Folder& entry = m_folders[folder];
    entry.destination = destination;
    entry.lastWrite = lastWrite;
    entry.pending = true;
}

void CopyFolderTimes::Reached(const Node* item) {
    if (m_folders.empty())
        return;
    std::vector<const Node*> above;
    for (const Node* node = item ? item->parent : nullptr; node; node = node->parent) {
        if (m_folders.count(node))
            above.push_back(node);
    }
    std::reverse(above.begin(), above.end());
    // Both lists run from the outermost folder down, so what they share is a common start.
    size_t shared = 0;
    while (shared < above.size() && shared < m_above.size() && above[shared] == m_above[shared])
        ++shared;
    for (size_t i = m_above.size(); i > shared; --i)
        Finish(m_folders[m_above[i - 1]]);
    for (const Node* node : above)
        m_folders[node].pending = true;
    m_above.swap(above);
}

void CopyFolderTimes::FinishAll() {
    for (auto& entry : m_folders)
        Finish(entry.second);
    m_above.clear();
}

void CopyFolderTimes::Clear() {
    m_folders.clear();
    m_above.clear();
}

void CopyFolderTimes::Finish(Folder& folder) {
    if (!folder.pending)
        return;
    folder.pending = false;
    // As at creation, a time that cannot be set does not fail the copy.
    SetFolderLastWriteTime(ToLongPath(folder.destination), folder.lastWrite);
}

}  // namespace Swiftlet
