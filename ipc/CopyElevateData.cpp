#include "ipc/CopyElevateData.h"

#include <unordered_map>
#include <vector>

namespace Swiftlet {
namespace ElevateData {

namespace {

// The least room each value takes on the wire: a count larger than what is left divided
// by this cannot be honest, and is refused before anything is reserved for it.
constexpr uint64_t kMinNode = 8 + 8 + kMinLongString + 8 + 4 + 4 + kMinLongString;
// Every tree has at least its root, the folder that holds the source.
constexpr uint64_t kMinTree = 8 + kMinNode;
constexpr uint64_t kLapSize = 16;
constexpr uint64_t kMinSelectionEntry = 4 + 4;

void AppendLongList(CDataConverter& out, const std::vector<CString>& list) {
    out.AppendUInt64(list.size());
    for (const CString& s : list) AppendLongString(out, s);
}

bool ReadLongList(CDataParser& in, std::vector<CString>& list) {
    uint64_t count = 0;
    if (!ReadCount(in, kMinLongString, count)) return false;
    std::vector<CString> result;
    result.reserve(static_cast<size_t>(count));
    for (uint64_t i = 0; i < count; ++i) {
        CString s;
        if (!ReadLongString(in, s)) return false;
        result.push_back(s);
    }
    list = std::move(result);
    return true;
}

void AppendLaps(CDataConverter& out, const LapVector& laps) {
    out.AppendUInt64(laps.size());
    for (const CoreDisplayStatusLapTime& lap : laps) {
        out.AppendUInt64(lap.milliseconds);
        out.AppendUInt64(lap.bytes);
    }
}

bool ReadLap(CDataParser& in, CoreDisplayStatusLapTime& lap) {
    uint64_t ms = 0, bytes = 0;
    if (!in.ReadUInt64(ms) || !in.ReadUInt64(bytes)) return false;
    lap = CoreDisplayStatusLapTime(ms, bytes);
    return true;
}

bool ReadLaps(CDataParser& in, LapVector& laps) {
    uint64_t count = 0;
    if (!ReadCount(in, kLapSize, count)) return false;
    LapVector result;
    result.reserve(static_cast<size_t>(count));
    for (uint64_t i = 0; i < count; ++i) {
        CoreDisplayStatusLapTime lap;
        if (!ReadLap(in, lap)) return false;
        result.push_back(lap);
    }
    laps = std::move(result);
    return true;
}

void AppendTriple(CDataConverter& out, const ReadWriteData& data) {
    out.AppendUInt64(data.total);
    out.AppendUInt64(data.read);
    out.AppendUInt64(data.written);
}

bool ReadTriple(CDataParser& in, ReadWriteData& data) {
    uint64_t total = 0, read = 0, written = 0;
    if (!in.ReadUInt64(total) || !in.ReadUInt64(read) || !in.ReadUInt64(written)) return false;
    data.total = total;
    data.read = read;
    data.written = written;
    return true;
}

// ---- the status record ----

using Node = CopyItemTree::node_type;

void AppendItem(CDataConverter& out, const CopyItemData& item) {
    AppendLongString(out, item.name);
    out.AppendUInt64(item.size);
    out.AppendInt32(static_cast<int32_t>(item.type));
    out.AppendInt32(static_cast<int32_t>(item.GetFlags()));
    AppendLongString(out, item.destName);
}

bool ReadItem(CDataParser& in, CopyItemData& item) {
    uint64_t size = 0;
    if (!ReadLongString(in, item.name) || !in.ReadUInt64(size) || !ReadUInt32(in, item.type) ||
        !ReadUInt32(in, item.flags) || !ReadLongString(in, item.destName))
        return false;
    item.size = size;
    return true;
}

void AppendTree(CDataConverter& out, const CopyItemTree& tree) {
    std::unordered_map<const Node*, uint64_t> index;
    uint64_t count = 0;
    for (auto it = tree.begin(); it != tree.end(); ++it) index[it.node] = count++;
    out.AppendUInt64(count);
    uint64_t position = 0;
    for (auto it = tree.begin(); it != tree.end(); ++it, ++position) {
        out.AppendUInt64(position);
        const Node* parent = it.node->parent;
        out.AppendUInt64(parent ? index[parent] : static_cast<uint64_t>(-1));
        AppendItem(out, *it);
    }
}

// The nodes arrive in pre-order, so a node's parent is the node before it or one of that
// node's ancestors: the path from the root to the last node is all a node may hang on.
// Anything else (a parent that comes later, a second root, an index out of turn) would
// build a tree whose walk differs from the sender's, and is refused.
bool ReadTree(CDataParser& in, CopyItemTree& tree) {
    uint64_t count = 0;
    if (!ReadCount(in, kMinNode, count) || count == 0) return false;
    std::vector<std::pair<uint64_t, CopyItemTree::iterator>> path;
    for (uint64_t i = 0; i < count; ++i) {
        uint64_t position = 0;
        int64_t parent = 0;
        CopyItemData item;
        if (!in.ReadUInt64(position) || !in.ReadBytes(&parent, sizeof parent) || !ReadItem(in, item)) return false;
        if (position != i) return false;
        if (i == 0) {
            if (parent != -1) return false;
            path.emplace_back(0, tree.set_head(item));
            continue;
        }
        if (parent < 0) return false;
        while (!path.empty() && path.back().first != static_cast<uint64_t>(parent)) path.pop_back();
        if (path.empty()) return false;
        CopyItemTree::iterator node = tree.append_child(path.back().second, item);
        path.emplace_back(i, node);
    }
    return true;
}

uint64_t PreOrderPosition(const CopyItemTree& tree, const Node* node) {
    uint64_t position = 0;
    for (auto it = tree.begin(); it != tree.end(); ++it, ++position)
        if (it.node == node) return position;
    return static_cast<uint64_t>(-1);
}

void AppendCursor(CDataConverter& out, const CopyStatus& status, const CopyStatusItemInfo& info) {
    CopyStatusItemInfo cursor(info);  // a consistent copy, taken under the cursor's lock
    int64_t treeIndex = -1;
    int64_t nodeIndex = -1;
    if (cursor.treeCursor < status.items.trees.size() && cursor.itemCursor.node) {
        const uint64_t position = PreOrderPosition(status.items.trees[cursor.treeCursor], cursor.itemCursor.node);
        if (position != static_cast<uint64_t>(-1)) {
            treeIndex = static_cast<int64_t>(cursor.treeCursor);
            nodeIndex = static_cast<int64_t>(position);
        }
    }
    out.AppendBytes(&treeIndex, sizeof treeIndex);
    out.AppendBytes(&nodeIndex, sizeof nodeIndex);
    out.AppendInt32(cursor.state);
    out.AppendInt32(cursor.pass);
    out.AppendUInt64(cursor.itemsDone);
    out.AppendUInt64(cursor.bytesDone);
    out.AppendUInt64(cursor.weightedBytesDone);
}

bool ReadCursor(CDataParser& in, CopyStatus& status, CopyStatusItemInfo& info) {
    int64_t treeIndex = 0, nodeIndex = 0;
    int state = 0, pass = 0;
    uint64_t items = 0, bytes = 0, weighted = 0;
    if (!in.ReadBytes(&treeIndex, sizeof treeIndex) || !in.ReadBytes(&nodeIndex, sizeof nodeIndex) ||
        !ReadInt(in, state) || !ReadInt(in, pass) || !in.ReadUInt64(items) || !in.ReadUInt64(bytes) ||
        !in.ReadUInt64(weighted))
        return false;
    if (state < CopyStatusItemInfo::Idle || state > CopyStatusItemInfo::Failed) return false;
    if (pass < CopyStatusItemInfo::FoldersPass || pass > CopyStatusItemInfo::SinglePass) return false;
    std::vector<CopyItemTree>& trees = status.items.trees;
    if (treeIndex == -1) {
        if (nodeIndex != -1) return false;
        info.treeCursor = trees.size();
        info.itemCursor = CopyItemTree::iterator();
        // Past the last tree there is nothing left to walk.
        if (state == CopyStatusItemInfo::Running) state = CopyStatusItemInfo::Finished;
    } else {
        if (treeIndex < 0 || static_cast<uint64_t>(treeIndex) >= trees.size() || nodeIndex < 0) return false;
        CopyItemTree& tree = trees[static_cast<size_t>(treeIndex)];
        auto it = tree.begin();
        for (int64_t n = nodeIndex; it != tree.end() && n > 0; --n) ++it;
        if (it == tree.end()) return false;
        info.treeCursor = static_cast<size_t>(treeIndex);
        info.itemCursor = it;
    }
    info.state = state;
    info.pass = pass;
    info.itemsDone = items;
    info.bytesDone = bytes;
    info.weightedBytesDone = weighted;
    return true;
}

}  // namespace

bool ReadCount(CDataParser& in, uint64_t minSize, uint64_t& count) {
    return in.ReadUInt64(count) && count <= in.Remaining() / minSize;
}

bool ReadInt(CDataParser& in, int& value) {
    int32_t v = 0;
    if (!in.ReadInt32(v)) return false;
    value = v;
    return true;
}

bool ReadUInt32(CDataParser& in, uint32_t& value) {
    int32_t v = 0;
    if (!in.ReadInt32(v)) return false;
    value = static_cast<uint32_t>(v);
    return true;
}

static_assert(sizeof(WIN32_FILE_ATTRIBUTE_DATA) == 36, "the attribute block is 36 bytes");

void AppendAttributes(CDataConverter& out, const WIN32_FILE_ATTRIBUTE_DATA& data) {
    out.AppendBytes(&data, sizeof data);
}

bool ReadAttributes(CDataParser& in, WIN32_FILE_ATTRIBUTE_DATA& data) {
    return in.ReadBytes(&data, sizeof data);
}

void AppendLongString(CDataConverter& out, const CString& text) {
    const uint64_t bytes = static_cast<uint64_t>(text.GetLength()) * 2;
    out.AppendUInt64(bytes);
    out.AppendBytes(text.GetString(), static_cast<size_t>(bytes));
}

bool ReadLongString(CDataParser& in, CString& text) {
    uint64_t bytes = 0;
    if (!in.ReadUInt64(bytes) || (bytes & 1) || bytes > in.Remaining()) return false;
    std::wstring units(static_cast<size_t>(bytes / 2), L'\0');
    if (!in.ReadBytes(units.data(), static_cast<size_t>(bytes))) return false;
    text = CString(units);
    return true;
}

void AppendNarrowString(CDataConverter& out, const std::string& text) {
    out.AppendUInt64(text.size());
    out.AppendBytes(text.data(), text.size());
}

bool ReadNarrowString(CDataParser& in, std::string& text) {
    uint64_t bytes = 0;
    if (!in.ReadUInt64(bytes) || bytes > in.Remaining()) return false;
    std::string result(static_cast<size_t>(bytes), '\0');
    if (!in.ReadBytes(result.data(), static_cast<size_t>(bytes))) return false;
    text = std::move(result);
    return true;
}

// ---- job ----

void EncodeJob(CDataConverter& out, const CopyOption& o) {
    out.AppendInt32(static_cast<int32_t>(o.algorithm));
    AppendLongList(out, o.sources);
    AppendLongString(out, o.destination);
    for (uint64_t v : {o.bufferSize, o.readBlockSize, o.reserved1, o.writeBlockSize, o.unbufferedWriteMinSize,
                       o.reserved2})
        out.AppendUInt64(v);
    for (uint32_t v : {o.reserved3, o.reserved4, o.reserved5, o.foldersFirst}) out.AppendInt32(static_cast<int32_t>(v));
    out.AppendUInt64(o.readerWakeMinFree);
    out.AppendUInt64(o.writerWakeMinUsed);
    for (uint32_t v : {o.move, o.retryCount, o.retryWaitMs, o.askFolderConflicts, o.batchFileConflicts})
        out.AppendInt32(static_cast<int32_t>(v));
    AppendLongList(out, o.bufferedExtensions);
}

bool DecodeJob(CDataParser& in, CopyOption& o) {
    CopyOption r;
    if (!ReadUInt32(in, r.algorithm) || !ReadLongList(in, r.sources) || !ReadLongString(in, r.destination)) return false;
    for (uint64_t* v : {&r.bufferSize, &r.readBlockSize, &r.reserved1, &r.writeBlockSize, &r.unbufferedWriteMinSize,
                        &r.reserved2})
        if (!in.ReadUInt64(*v)) return false;
    for (uint32_t* v : {&r.reserved3, &r.reserved4, &r.reserved5, &r.foldersFirst})
        if (!ReadUInt32(in, *v)) return false;
    if (!in.ReadUInt64(r.readerWakeMinFree) || !in.ReadUInt64(r.writerWakeMinUsed)) return false;
    for (uint32_t* v : {&r.move, &r.retryCount, &r.retryWaitMs, &r.askFolderConflicts, &r.batchFileConflicts})
        if (!ReadUInt32(in, *v)) return false;
    if (!ReadLongList(in, r.bufferedExtensions)) return false;
    o = r;
    return true;
}

// ---- status ----

void EncodeStatus(CDataConverter& out, const CopyStatus& status) {
    out.AppendInt32(status.foldersFirst);
    out.AppendInt32(status.destinationSupportsEncryption);
    const CopyItemsData& items = status.items;
    out.AppendUInt64(items.trees.size());
    for (const CopyItemTree& tree : items.trees) AppendTree(out, tree);
    for (uint64_t v : {items.totalSize, items.weightedSize, items.largestSize, items.itemCount, items.folderCount,
                       items.fileCount, items.streamCount, items.removeFolderCount, items.deleteCount})
        out.AppendUInt64(v);
    AppendCursor(out, status, status.read);
    AppendCursor(out, status, status.write);
}

bool DecodeStatus(CDataParser& in, CopyStatus& status) {
    status.Reset();
    status.option = nullptr;
    int foldersFirst = 0, encryption = 0;
    uint64_t treeCount = 0;
    if (!ReadInt(in, foldersFirst) || !ReadInt(in, encryption) || !ReadCount(in, kMinTree, treeCount)) return false;
    status.foldersFirst = foldersFirst;
    status.destinationSupportsEncryption = encryption;
    CopyItemsData& items = status.items;
    // Grown tree by tree: nothing is made for a tree whose bytes have not been read.
    for (uint64_t i = 0; i < treeCount; ++i) {
        items.trees.emplace_back();
        if (!ReadTree(in, items.trees.back())) return false;
    }
    for (uint64_t* v : {&items.totalSize, &items.weightedSize, &items.largestSize, &items.itemCount,
                        &items.folderCount, &items.fileCount, &items.streamCount, &items.removeFolderCount,
                        &items.deleteCount})
        if (!in.ReadUInt64(*v)) return false;
    return ReadCursor(in, status, status.read) && ReadCursor(in, status, status.write);
}

// ---- snapshot ----

void EncodeSnapshot(CDataConverter& out, const CoreDisplayStatus& s) {
    out.AppendUInt64(s.totalElapsedMs);
    out.AppendUInt64(s.copyElapsedMs);
    AppendTriple(out, s.bytes);
    AppendTriple(out, s.weightedBytes);
    AppendTriple(out, s.items);
    for (const CString* text : {&s.readFolder, &s.readPath, &s.writeFolder, &s.writeSourcePath,
                                &s.writeDestinationFolder, &s.writeDestinationPath})
        AppendLongString(out, *text);
    for (const CoreDisplayStatusLapTime* lap : {&s.lastRead, &s.lastWrite}) {
        out.AppendUInt64(lap->milliseconds);
        out.AppendUInt64(lap->bytes);
    }
    for (const LapVector* laps : {&s.readLaps, &s.writeLaps, &s.readTotals, &s.writeTotals}) AppendLaps(out, *laps);
    EncodeException(out, s.exception);
}

bool DecodeSnapshot(CDataParser& in, CoreDisplayStatus& s) {
    s.ReleaseException();
    uint64_t total = 0, copy = 0;
    if (!in.ReadUInt64(total) || !in.ReadUInt64(copy)) return false;
    s.totalElapsedMs = total;
    s.copyElapsedMs = copy;
    if (!ReadTriple(in, s.bytes) || !ReadTriple(in, s.weightedBytes) || !ReadTriple(in, s.items)) return false;
    for (CString* text : {&s.readFolder, &s.readPath, &s.writeFolder, &s.writeSourcePath, &s.writeDestinationFolder,
                          &s.writeDestinationPath})
        if (!ReadLongString(in, *text)) return false;
    if (!ReadLap(in, s.lastRead) || !ReadLap(in, s.lastWrite)) return false;
    for (LapVector* laps : {&s.readLaps, &s.writeLaps, &s.readTotals, &s.writeTotals})
        if (!ReadLaps(in, *laps)) return false;
    std::unique_ptr<Exception> e;
    if (!DecodeException(in, e)) return false;
    s.exception = e.release();
    s.ownsException = s.exception ? 1 : 0;
    return true;
}

// ---- selection ----

void EncodeSelection(CDataConverter& out, const SelectionMap& selection) {
    out.AppendInt32(static_cast<int32_t>(selection.size()));
    for (const auto& entry : selection) {
        out.AppendInt32(entry.first.GetLength() * 2);
        out.AppendBytes(entry.first.GetString(), static_cast<size_t>(entry.first.GetLength()) * 2);
        out.AppendInt32(entry.second);
    }
}

bool DecodeSelection(CDataParser& in, SelectionMap& selection) {
    int32_t count = 0;
    if (!in.ReadInt32(count) || count < 0 || static_cast<uint64_t>(count) > in.Remaining() / kMinSelectionEntry)
        return false;
    SelectionMap result;
    for (int32_t i = 0; i < count; ++i) {
        CString path;
        int choice = 0;
        if (!in.ReadString(path) || !ReadInt(in, choice)) return false;
        result[path] = choice;
    }
    selection = std::move(result);
    return true;
}

}  // namespace ElevateData
}  // namespace Swiftlet
