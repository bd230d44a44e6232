#include "engine/CopyItemData.h"

#include <atomic>
#include <functional>
#include <stdexcept>
#include <utility>

namespace Swiftlet {

namespace {

using Node = CopyItemTree::node_type;

bool IsSeparatorTerminated(std::wstring_view s) { return !s.empty() && s.back() == L'\\'; }

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    if (prefix.size() > text.size()) return false;
    if (prefix.empty()) return true;
    return CompareStringOrdinal(text.data(), static_cast<int>(prefix.size()), prefix.data(),
                                static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

// The node after n in pre-order, staying inside the subtree of top; null at its end.
Node* NextInSubtree(Node* n, const Node* top) {
    if (n->firstChild) return n->firstChild;
    while (n != top && !n->nextSibling) n = n->parent;
    return n == top ? nullptr : n->nextSibling;
}

template <class Change>
void ChangeFlags(const CopyItemTree::iterator_base& position, int recursive, Change change) {
    Node* top = position.node;
    if (!top) return;
    change(top->data);
    if (recursive != 1) return;
    for (Node* n = top->firstChild; n; n = NextInSubtree(n, top)) change(n->data);
}

CString BuildPath(const CopyItemTree::iterator_base& position, bool destination) {
    // Components from the node up to the root; joined from the root down.
    std::vector<const Node*> chain;
    for (const Node* n = position.node; n; n = n->parent) chain.push_back(n);
    std::wstring suffix;
    for (const Node* n : chain) {
        const CString& component =
            destination && !n->data.destName.IsEmpty() ? n->data.destName : n->data.name;
        if (component.IsEmpty()) continue;
        std::wstring piece = component.str();
        const uint32_t type = n->data.type;
        const bool folderLike = type == CopyItemData::BaseFolder || type == CopyItemData::Folder ||
                                type == CopyItemData::RemoveSourceFolder;
        // A stream follows its file directly; everything else is separated by a backslash.
        if (!suffix.empty() && folderLike && !IsSeparatorTerminated(piece)) piece += L'\\';
        suffix.insert(0, piece);
    }
    return CString(suffix);
}

}  // namespace

CopyItemData::CopyItemData(const CopyItemData& other)
    : name(other.name), size(other.size), type(other.type), flags(other.GetFlags()), destName(other.destName) {}

CopyItemData& CopyItemData::operator=(const CopyItemData& other) {
    if (this != &other) {
        name = other.name;
        size = other.size;
        type = other.type;
        flags = other.GetFlags();
        destName = other.destName;
    }
    return *this;
}

uint32_t CopyItemData::GetFlags() const {
    return std::atomic_ref<uint32_t>(const_cast<uint32_t&>(flags)).load();
}

void CopyItemData::SetFlags(uint32_t bits) { std::atomic_ref<uint32_t>(flags).fetch_or(bits); }

void CopyItemData::ClearFlags(uint32_t bits) { std::atomic_ref<uint32_t>(flags).fetch_and(~bits); }

size_t CopyItemsData::ChildKeyHash::operator()(const ChildKey& key) const {
    const size_t h = std::hash<std::wstring_view>()(key.name);
    return h ^ (std::hash<const void*>()(key.parent) + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2));
}

CopyItemsData::CopyItemsData(const CopyItemsData& other) : trees(other.trees), m_indexValid(false) {
    CopyCounters(other);
}

CopyItemsData& CopyItemsData::operator=(const CopyItemsData& other) {
    if (this != &other) {
        trees = other.trees;
        CopyCounters(other);
        m_children.clear();
        m_indexValid = false;
    }
    return *this;
}

CopyItemsData::CopyItemsData(CopyItemsData&& other) noexcept
    : trees(std::move(other.trees)), m_indexValid(false) {
    CopyCounters(other);
    other.Clear();
}

CopyItemsData& CopyItemsData::operator=(CopyItemsData&& other) noexcept {
    if (this != &other) {
        trees = std::move(other.trees);
        CopyCounters(other);
        m_children.clear();
        m_indexValid = false;
        other.Clear();
    }
    return *this;
}

void CopyItemsData::CopyCounters(const CopyItemsData& other) {
    totalSize = other.totalSize;
    weightedSize = other.weightedSize;
    largestSize = other.largestSize;
    itemCount = other.itemCount;
    folderCount = other.folderCount;
    fileCount = other.fileCount;
    streamCount = other.streamCount;
    removeFolderCount = other.removeFolderCount;
    deleteCount = other.deleteCount;
}

void CopyItemsData::Clear() {
    trees.clear();
    m_children.clear();
    m_indexValid = true;
    CopyCounters(CopyItemsData());
}

void CopyItemsData::AddRoot(const CString& folder) {
    trees.emplace_back();
    trees.back().set_head(CopyItemData(folder, 0, CopyItemData::BaseFolder));
    m_children.clear();
    m_indexValid = true;
}

void CopyItemsData::IndexChild(Node* child) {
    if (child->data.name.IsEmpty()) return;
    // The first sibling of a name wins, as a walk of the children in order would find.
    m_children.emplace(ChildKey{child->parent, std::wstring_view(child->data.name.str())}, child);
}

void CopyItemsData::RebuildIndex() {
    m_children.clear();
    m_indexValid = true;
    if (trees.empty() || trees.back().empty()) return;
    Node* root = trees.back().begin().node;
    for (Node* n = root->firstChild; n; n = NextInSubtree(n, root)) IndexChild(n);
}

Node* CopyItemsData::FindMatchingChild(const Node* parent, std::wstring_view rel, std::wstring_view& rest) const {
    // A child matches when rel begins with its name and the name ends there at a
    // separator: a backslash ending the name, the end of rel, a backslash (a deeper
    // item) or a colon (a stream of a file). So "ab" is no match for "abc\x". Names hold
    // no backslash but at their end (a drive root "D:\"), so the candidates lie up to the
    // first backslash of rel.
    const size_t firstBackslash = rel.find(L'\\');
    const size_t limit = firstBackslash == std::wstring_view::npos ? rel.size() : firstBackslash;
    for (size_t p = 1; p <= limit; ++p) {
        if (p < rel.size() && rel[p] != L':' && rel[p] != L'\\') continue;
        auto found = m_children.find(ChildKey{parent, rel.substr(0, p)});
        if (found == m_children.end()) continue;
        if (p == rel.size()) rest = std::wstring_view();
        else if (rel[p] == L'\\') rest = rel.substr(p + 1);
        else rest = rel.substr(p);  // the stream part keeps its colon
        return found->second;
    }
    if (limit < rel.size()) {
        auto found = m_children.find(ChildKey{parent, rel.substr(0, limit + 1)});
        if (found != m_children.end()) {
            rest = rel.substr(limit + 1);
            return found->second;
        }
    }
    return nullptr;
}

void CopyItemsData::AddItem(const CopyItemData& item) {
    if (trees.empty() || trees.back().empty()) throw std::invalid_argument("no tree to add the item to");
    if (!m_indexValid) RebuildIndex();
    CopyItemTree& tree = trees.back();
    Node* node = tree.begin().node;

    // Relative to the base folder. An item that does not lie below it would get a
    // meaningless name and be copied to a wrong place: refuse it.
    const std::wstring_view root(node->data.name.str());
    std::wstring_view rel(item.name.str());
    if (!StartsWithNoCase(rel, root) ||
        (!root.empty() && !IsSeparatorTerminated(root) && rel.size() > root.size() && rel[root.size()] != L'\\'))
        throw std::invalid_argument("item outside its base folder");
    rel.remove_prefix(root.size());
    if (!rel.empty() && rel.front() == L'\\') rel.remove_prefix(1);

    for (;;) {
        std::wstring_view rest;
        Node* child = FindMatchingChild(node, rel, rest);
        if (!child) break;
        node = child;
        rel = rest;
    }

    CopyItemData placed(item);
    placed.name = CString(rel.data(), static_cast<int>(rel.size()));
    IndexChild(tree.append_child(CopyItemTree::iterator(node), placed).node);

    ++itemCount;
    switch (item.type) {
        case CopyItemData::File: ++fileCount; break;
        case CopyItemData::Folder: ++folderCount; break;
        case CopyItemData::Stream: ++streamCount; break;
        case CopyItemData::DeleteSource: ++deleteCount; break;
        case CopyItemData::RemoveSourceFolder: ++removeFolderCount; break;
        default: break;
    }
    totalSize += item.size;
    if (item.type == CopyItemData::File || item.type == CopyItemData::Stream) weightedSize += WeightedItemSize(item.size);
    if (item.size > largestSize) largestSize = item.size;
}

CString CopyItemsData::GetSourcePath(const CopyItemTree&, const CopyItemTree::iterator_base& node) {
    return BuildPath(node, false);
}

CString CopyItemsData::GetDestinationPath(const CopyItemTree&, const CopyItemTree::iterator_base& node) {
    return BuildPath(node, true);
}

void CopyItemsData::SetItemFlags(CopyItemTree&, const CopyItemTree::iterator_base& node, uint32_t bits,
                                 int recursive) {
    ChangeFlags(node, recursive, [bits](CopyItemData& data) { data.SetFlags(bits); });
}

void CopyItemsData::ClearItemFlags(CopyItemTree&, const CopyItemTree::iterator_base& node, uint32_t bits,
                                   int recursive) {
    ChangeFlags(node, recursive, [bits](CopyItemData& data) { data.ClearFlags(bits); });
}

}  // namespace Swiftlet
