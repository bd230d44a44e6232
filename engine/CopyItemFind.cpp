#include "engine/CopyItemFind.h"

#include <shlwapi.h>

#include "engine/CopyException.h"
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
    return path.Left(2) == L"\\\\" && path.Left(3) != L"\\\\?" && PathIsUNCServerShareW(path);
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
        m_current = CopyItemData(m_path, m_find.GetLength(),
                                 m_find.IsDirectory() ? CopyItemData::Folder : CopyItemData::File);
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
    m_current = CopyItemData(m_find.GetFilePath(), m_find.GetLength(),
                             m_find.IsDirectory() ? CopyItemData::Folder : CopyItemData::File);
    m_hasCurrent = 1;
}

void FindCopyItemCoreSubFolder2::ApplyRemovalRule() {
    if (m_hasCurrent || m_move != 1 || m_removalEmitted || IsVolumeRootPath(m_folder)) return;
    m_current = CopyItemData(m_folder, 0, CopyItemData::RemoveSourceFolder);
    m_hasCurrent = 1;
    m_removalEmitted = 1;
}

int FindCopyItemCoreSubFolder2::Next(CopyItemData& out) {
    out = m_current;
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

void FindCopyItem::Push(IFindCopyItemCore* core) {
    std::unique_ptr<IFindCopyItemCore> owned(core);
    m_stack.push_back(core);
    owned.release();
}

void FindCopyItem::Pop() {
    delete m_stack.back();
    m_stack.pop_back();
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
        Push(new FindCopyItemCoreRoot2(source, move));
        if (!m_stack.back()->Begin()) Pop();
        bool more = !m_stack.empty();
        while (more) {
            CopyItemData item;
            int m = m_stack.back()->Next(item);
            if (!m) Pop();
            if (item.type == CopyItemData::Folder) {
                Push(new FindCopyItemCoreSubFolder2(item.name, move));
                if (m_stack.back()->Begin()) m = 1;
                else Pop();
            }
            if (streams == 1 && item.type == CopyItemData::File) {
                Push(new FindCopyItemCoreNTFSDataStream2(item.name, streamSource));
                if (m_stack.back()->Begin()) {
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
