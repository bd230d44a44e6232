#include "engine/CopyItemFind.h"

#include "engine/CopyException.h"
#include "foundation/Links.h"
#include "foundation/Paths.h"
#include "framework/CException.h"

namespace Swiftlet {

namespace {

const wchar_t kLongPrefix[] = L"\\\\?\\";

CString WithoutLongPrefix(const CString& path) {
    return path.Left(4) == kLongPrefix ? path.Mid(4) : path;
}

// Drive roots and UNC shares: searching for them finds nothing, and removing them after
// a move is neither possible nor wanted.
bool IsVolumeRootPath(const CString& path) {
    if (IsDriveRootPath(path)) return true;
    // Only plain UNC paths: the long-path form of a drive path is no share.
    return path.Left(2) == L"\\\\" && path.Left(3) != L"\\\\?" && IsUncServerShare(path);
}

// Windows lists a link to a file with the link's own size; the copy holds what the link
// leads to.
unsigned long long EntryLength(const CFindEx& find, const CString& path) {
    if (find.IsReparsePoint() && !find.IsDirectory()) {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (GetFileAttributesExW(ToLongPath(path), GetFileExInfoStandard, &data))
            return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    return find.GetLength();
}

}  // namespace

// ---- the source itself ----

int FindCopyItemCoreRoot2::Begin() {
    m_path = FindCopyItem::NormalizeSource(m_source);
    if (GetFileAttributesW(ToLongPath(m_path)) == INVALID_FILE_ATTRIBUTES) {
        const LONG error = static_cast<LONG>(GetLastError());
        AfxThrowFileException(CFileException::OsErrorToException(error), error, m_path);
    }
    m_isVolumeRoot = IsVolumeRootPath(m_path) ? 1 : 0;
    if (m_isVolumeRoot) {
        m_current = CopyItemData(m_path, 0, CopyItemData::Folder);
    } else {
        if (!m_find.FindFile(m_path)) return 0;
        m_hasMore = m_find.FindNextFile();
        m_current = CopyItemData(m_path, EntryLength(m_find, m_path),
                                 m_find.IsDirectory() ? CopyItemData::Folder : CopyItemData::File);
        m_attributes = m_find.GetAttributes();
        m_reparseTag = m_find.GetReparseTag();
    }
    return 1;
}

int FindCopyItemCoreRoot2::Next(CopyItemData& out) {
    out = m_current;
    if (m_current.type == CopyItemData::File && m_move == 1) {
        m_current = CopyItemData(m_path, 0, CopyItemData::DeleteSource);
        return 1;
    }
    m_current = CopyItemData();
    return 0;
}

// ---- the content of a folder ----

int FindCopyItemCoreSubFolder2::Begin() {
    CString pattern = m_folder;
    if (pattern.IsEmpty() || pattern[pattern.GetLength() - 1] != L'\\') pattern += L'\\';
    pattern += L'*';
    // A folder that cannot be searched keeps its own item and contributes nothing, not
    // even its removal: its content would be lost otherwise.
    if (!m_find.FindFile(pattern)) return 0;
    Advance();
    ApplyRemovalRule();
    return m_hasCurrent;
}

void FindCopyItemCoreSubFolder2::Advance() {
    int more = m_find.FindNextFile();
    while (m_find.IsDots() && more) more = m_find.FindNextFile();
    m_hasMoreEntries = more;
    if (m_find.IsDots() || m_find.GetFileName().IsEmpty()) {
        m_current = CopyItemData();
        m_hasCurrent = 0;
        return;
    }
    const CString path = m_find.GetFilePath();
    m_current = CopyItemData(path, EntryLength(m_find, path),
                             m_find.IsDirectory() ? CopyItemData::Folder : CopyItemData::File);
    m_attributes = m_find.GetAttributes();
    m_reparseTag = m_find.GetReparseTag();
    m_hasCurrent = 1;
}

void FindCopyItemCoreSubFolder2::ApplyRemovalRule() {
    if (m_hasCurrent || m_removeSelf != 1 || m_removalEmitted || IsVolumeRootPath(m_folder)) return;
    m_current = CopyItemData(m_folder, 0, CopyItemData::RemoveSourceFolder);
    m_attributes = 0;
    m_reparseTag = 0;
    m_hasCurrent = 1;
    m_removalEmitted = 1;
}

int FindCopyItemCoreSubFolder2::Next(CopyItemData& out) {
    out = m_current;
    m_lastAttributes = m_attributes;
    m_lastReparseTag = m_reparseTag;
    if (m_current.type == CopyItemData::File && m_move == 1) {
        m_current = CopyItemData(m_current.name, 0, CopyItemData::DeleteSource);
        return 1;
    }
    m_current = CopyItemData();
    m_hasCurrent = 0;
    if (m_hasMoreEntries) Advance();
    ApplyRemovalRule();
    return m_hasCurrent;
}

// ---- the named streams of a file ----

int SystemStreamEnumerator::Enumerate(const CString& path, NTFSDataStream::StreamList& list) {
    return NTFSDataStream::EnumerateStreams(path, list);
}

void FindCopyItemCoreNTFSDataStream2::SkipUnnamed() {
    // Only named streams (":name:$DATA") become items: the unnamed one is the file's
    // content, and a record without the colon form could not be opened as file:name.
    while (m_position < m_streams.size() &&
           (NTFSDataStream::IsUnnamedDataStream(m_streams[m_position].name) ||
            m_streams[m_position].name.IsEmpty() || m_streams[m_position].name[0] != L':'))
        ++m_position;
}

int FindCopyItemCoreNTFSDataStream2::Begin() {
    m_streams.clear();
    m_enumerator.Enumerate(ToLongPath(m_path), m_streams);
    m_position = 0;
    SkipUnnamed();
    return m_position < m_streams.size() ? 1 : 0;
}

int FindCopyItemCoreNTFSDataStream2::Next(CopyItemData& out) {
    SkipUnnamed();
    if (m_position >= m_streams.size()) return 0;
    const NTFSDataStream::StreamData& record = m_streams[m_position++];
    out = CopyItemData(m_path + record.name, record.size, CopyItemData::Stream);
    // Answer whether another named stream follows, so that no call finds nothing.
    SkipUnnamed();
    return m_position < m_streams.size() ? 1 : 0;
}

// ---- the walk ----

FindCopyItem::FindCopyItem(IFindCopyItemObserver* observer, IStreamEnumerator* streams)
    : m_observer(observer), m_streams(streams) {}

FindCopyItem::~FindCopyItem() { Clear(); }

void FindCopyItem::Push(IFindCopyItemCore* core, const CString& realPath, PathChain path, int throughLink) {
    std::unique_ptr<IFindCopyItemCore> owned(core);
    m_stack.push_back(Level{core, realPath, std::move(path), throughLink});
    owned.release();
}

void FindCopyItem::Pop() {
    delete m_stack.back().core;
    m_stack.pop_back();
}

FindCopyItem::FolderFacts FindCopyItem::InspectFolder(const CString& path, const CString& parentRealPath,
                                                      DWORD attributes, DWORD reparseTag) {
    FolderFacts facts;
    facts.isLink = Links::IsLinkReparsePoint(attributes, reparseTag);
    const CString expected =
        parentRealPath.IsEmpty() ? CString() : Links::JoinPath(parentRealPath, GetFileNamePart(path));
    // A folder the listing shows without a reparse mark is no link, and lies where its
    // name says below its parent's real place. Asking the system for its final path would
    // cost an open, a name query and a close for every folder of the tree.
    const bool unmarkedFolder =
        (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    if (!expected.IsEmpty() && unmarkedFolder) {
        facts.realPath = expected;
        return facts;
    }
    facts.realPath = Links::GetRealPath(path);
    if (parentRealPath.IsEmpty()) return facts;
    // Where the system does not mark a link, the folder it leads to still differs from
    // the one the walk expects to find under that name.
    if (facts.realPath.IsEmpty()) {
        if (!facts.isLink) facts.realPath = expected;
    } else if (!facts.isLink && !Links::IsSamePath(facts.realPath, expected)) {
        facts.isLink = 1;
    }
    return facts;
}

int FindCopyItem::LeadsBackOnPath(const CString& realPath, const PathChain& path) {
    for (const PathNode* node = path.get(); node; node = node->parent.get()) {
        if (Links::IsSameOrAncestor(realPath, node->realPath)) return 1;
    }
    return 0;
}

void FindCopyItem::Clear() {
    while (!m_stack.empty()) Pop();
}

CString FindCopyItem::NormalizeSource(const CString& source) {
    CString full = GetFullPath(source);
    if (full.IsEmpty()) full = source;
    CString path = WithoutLongPrefix(GetLongPath(ToLongPath(full)));
    if (path.IsEmpty()) path = WithoutLongPrefix(full);
    if (!IsDriveRootPath(path)) path = StripTrailingBackslash(path);
    return path;
}

CString FindCopyItem::SourceBaseFolder(const CString& source) {
    return GetParentFolder(NormalizeSource(source));
}

void FindCopyItem::Run(const CString& source, int streams, int move, CopyItemsData& items) {
    Clear();
    IStreamEnumerator& streamSource = m_streams ? *m_streams : m_systemStreams;
    try {
        // The source's own folder is where the user found it: a link above the source is
        // the way the user chose, not a link in the sources.
        const CString path = NormalizeSource(source);
        const CString parentRealPath = IsVolumeRootPath(path) ? CString() : Links::GetRealPath(GetParentFolder(path));
        Push(new FindCopyItemCoreRoot2(source, move), parentRealPath);
        if (!m_stack.back().core->Begin()) Pop();
        bool more = !m_stack.empty();
        while (more) {
            CopyItemData item;
            const Level& top = m_stack.back();
            int m = top.core->Next(item);
            const DWORD attributes = top.core->LastAttributes();
            const DWORD reparseTag = top.core->LastReparseTag();
            const CString parentReal = top.realPath;
            const PathChain parentPath = top.path;
            const int parentThroughLink = top.throughLink;
            if (!m) Pop();
            if (item.type == CopyItemData::Folder) {
                const FolderFacts facts = InspectFolder(item.name, parentReal, attributes, reparseTag);
                // A link whose end cannot be told may be a loop as well: left out too.
                if ((facts.isLink && facts.realPath.IsEmpty()) ||
                    (!facts.realPath.IsEmpty() && LeadsBackOnPath(facts.realPath, parentPath))) {
                    more = m || !m_stack.empty();
                    continue;
                }
                const int throughLink = parentThroughLink || facts.isLink ? 1 : 0;
                const int contentMove = move == 1 && !throughLink ? 1 : 0;
                const int removeSelf = move == 1 && !parentThroughLink ? 1 : 0;
                PathChain chain = std::make_shared<const PathNode>(PathNode{facts.realPath, parentPath});
                Push(new FindCopyItemCoreSubFolder2(item.name, contentMove, removeSelf), facts.realPath,
                     std::move(chain), throughLink);
                if (m_stack.back().core->Begin()) m = 1;
                else Pop();
            }
            if (streams == 1 && item.type == CopyItemData::File) {
                Push(new FindCopyItemCoreNTFSDataStream2(item.name, streamSource));
                if (m_stack.back().core->Begin()) {
                    more = true;
                } else {
                    Pop();
                    more = m || !m_stack.empty();
                }
            } else {
                more = m || !m_stack.empty();
            }
            if (item.type == 0) continue;
            items.AddItem(item);
            if (m_observer) m_observer->ItemAdded(items);
        }
    } catch (...) {
        Clear();
        throw;
    }
    Clear();
}

}  // namespace Swiftlet
