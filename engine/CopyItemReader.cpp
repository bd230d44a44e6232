#include "engine/CopyItemReader.h"

#include <cstring>

#include "engine/CopyException.h"
#include "foundation/Paths.h"

namespace Swiftlet {

namespace {

constexpr DWORD kSequentialScan = FILE_FLAG_SEQUENTIAL_SCAN;

WIN32_FILE_ATTRIBUTE_DATA AttributeDataOf(const BY_HANDLE_FILE_INFORMATION& info) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    data.dwFileAttributes = info.dwFileAttributes;
    data.ftCreationTime = info.ftCreationTime;
    data.ftLastAccessTime = info.ftLastAccessTime;
    data.ftLastWriteTime = info.ftLastWriteTime;
    data.nFileSizeHigh = info.nFileSizeHigh;
    data.nFileSizeLow = info.nFileSizeLow;
    return data;
}

}  // namespace

CopyItemReader::CopyItemReader() = default;

CopyItemReader::~CopyItemReader() {
    Uninit();
}

int CopyItemReader::Init(ICopyBufferManager* manager, int* makeEvent, uint64_t* blockSize) {
    if (!manager)
        throw CopyException(kCopyNothingToDo);
    if (makeEvent && *makeEvent == 1 && !m_overlapped.hEvent) {
        m_overlapped.hEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (!m_overlapped.hEvent)
            throw WindowsException(GetLastError());
    }
    m_manager = manager;
    m_blockSize = blockSize ? *blockSize : 0;
    return 1;
}

int CopyItemReader::Uninit() {
    Close();
    m_manager = nullptr;
    if (m_overlapped.hEvent) {
        CloseHandle(m_overlapped.hEvent);
        m_overlapped.hEvent = nullptr;
    }
    return 1;
}

void CopyItemReader::FreeBlock(void* address) {
    if (m_manager && address)
        m_manager->Free(&address);
}

void CopyItemReader::Open(const CString& path, const CString& name, int* synchronous,
                          int* checkEncrypted, int* noBuffer) {
    if (!m_manager)
        throw CopyException(kCopyNothingToDo);
    Block header;
    uint64_t headerSize = ICopyBufferManager::FileBufferQueueData::kHeaderLength;
    int zeroFill = 0, partial = 0;
    if (!m_manager->Allocate(&headerSize, &zeroFill, &partial, &header)) {
        *noBuffer = 1;
        return;
    }
    *noBuffer = 0;

    const int sync = synchronous && *synchronous == 1 ? 1 : 0;
    DWORD flags = kSequentialScan;
    if (!sync)
        flags |= FILE_FLAG_OVERLAPPED;
    if (m_manager->GetAlignment() != 0)
        flags |= FILE_FLAG_NO_BUFFERING;

    HANDLE handle = CreateFileW(ToLongPath(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        FreeBlock(header.address);
        throw WindowsFileException(error, path);
    }
    auto* info = static_cast<BY_HANDLE_FILE_INFORMATION*>(header.address);
    if (!QueryHeader(handle, path, info)) {
        DWORD error = GetLastError();
        CloseHandle(handle);
        FreeBlock(header.address);
        throw WindowsFileException(error, path);
    }
    if (checkEncrypted && *checkEncrypted == 1 && (info->dwFileAttributes & FILE_ATTRIBUTE_ENCRYPTED)) {
        WIN32_FILE_ATTRIBUTE_DATA data = AttributeDataOf(*info);
        CloseHandle(handle);
        FreeBlock(header.address);
        throw CopyExceptionEncrypted(path, data);
    }

    m_manager->PushBack(ICopyBufferManager::FileBufferQueueData(
        name, ICopyBufferManager::FileBufferQueueData::kHeaderOffset, header.address,
        ICopyBufferManager::FileBufferQueueData::kHeaderLength));
    m_name = name;
    m_handle = handle;
    m_path = path;
    m_synchronous = sync;
    m_offset = 0;
    m_position = 0;
    m_fileSize = (static_cast<uint64_t>(info->nFileSizeHigh) << 32) | info->nFileSizeLow;
}

bool CopyItemReader::QueryHeader(HANDLE handle, const CString& path, BY_HANDLE_FILE_INFORMATION* info) {
    const CString root = GetVolumeRoot(path);
    if (!m_serialRoot.IsEmpty() && root.CompareNoCase(m_serialRoot) == 0 && GetFileInformationOfFile(handle, info)) {
        info->dwVolumeSerialNumber = m_serial;
        return true;
    }
    if (!GetFileInformationByHandle(handle, info))
        return false;
    m_serialRoot = root;
    m_serial = info->dwVolumeSerialNumber;
    return true;
}

void CopyItemReader::ReadNext(uint32_t* bytesQueued, int* noBuffer) {
    *bytesQueued = 0;
    Block block;
    AllocateBlock(&block, noBuffer);
    if (*noBuffer == 1)
        return;
    if (m_synchronous == 1)
        ReadSync(&block, bytesQueued);
    else
        ReadOverlapped(&block, bytesQueued);
}

void CopyItemReader::WaitPending(uint32_t* bytes) {
    DWORD transferred = 0;
    if (!GetOverlappedResult(m_handle, &m_overlapped, &transferred, TRUE)) {
        DWORD error = GetLastError();
        Block block = m_pendingBlock;
        m_pending = 0;
        m_pendingBlock = Block{};
        FreeBlock(block.address);
        throw WindowsFileException(error, m_name);
    }
    *bytes = transferred;
    Block block = m_pendingBlock;
    QueueBlock(&block, bytes);
}

void CopyItemReader::Close() {
    if (m_handle != INVALID_HANDLE_VALUE) {
        if (m_pending) {
            // The read still targets a pool block: let it end before the block goes back.
            CancelIo(m_handle);
            DWORD transferred = 0;
            GetOverlappedResult(m_handle, &m_overlapped, &transferred, TRUE);
            FreeBlock(m_pendingBlock.address);
            m_pending = 0;
            m_pendingBlock = Block{};
        }
        CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }
    m_path.Empty();
    m_name.Empty();
    m_synchronous = 0;
    m_fileSize = 0;
    m_offset = 0;
    m_position = kPositionUnknown;
}

void CopyItemReader::Abort() {
    if (m_manager && !m_path.IsEmpty()) {
        m_manager->Discard(m_path);
        if (m_name.CompareNoCase(m_path) != 0)
            m_manager->Discard(m_name);
    }
    Close();
}

void CopyItemReader::AllocateBlock(Block* out, int* noBuffer) {
    uint64_t n = m_offset < m_fileSize ? m_fileSize - m_offset : 0;
    if (n > m_blockSize)
        n = m_blockSize;
    // A request larger than the whole pool could never be met.
    if (n > m_manager->GetSize())
        n = m_manager->GetSize();
    const uint32_t alignment = m_manager->GetAlignment();
    if (n != 0 && alignment != 0)
        n = (n + alignment - 1) / alignment * alignment;
    int zeroFill = 0, partial = 0;
    *noBuffer = m_manager->Allocate(&n, &zeroFill, &partial, out) ? 0 : 1;
}

void CopyItemReader::ReadSync(Block* block, uint32_t* bytes) {
    DWORD transferred = 0;
    DWORD error = ERROR_SUCCESS;
    if (m_position != m_offset) {
        LONG high = static_cast<LONG>(m_offset >> 32);
        SetLastError(ERROR_SUCCESS);
        DWORD low = SetFilePointer(m_handle, static_cast<LONG>(m_offset & 0xffffffffu), &high, FILE_BEGIN);
        if (low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS)
            error = GetLastError();
        else
            m_position = m_offset;
    }
    if (error == ERROR_SUCCESS &&
        !ReadFile(m_handle, block->address, static_cast<DWORD>(block->length), &transferred, nullptr))
        error = GetLastError();
    else if (error == ERROR_SUCCESS && transferred == 0)
        // The file ended before the size it had when it was opened: no progress is
        // possible, and the copy must not pass for complete.
        error = ERROR_HANDLE_EOF;
    if (error != ERROR_SUCCESS) {
        m_position = kPositionUnknown;
        FreeBlock(block->address);
        throw WindowsFileException(error, m_name);
    }
    m_position += transferred;
    *bytes = transferred;
    QueueBlock(block, bytes);
}

void CopyItemReader::ReadOverlapped(Block* block, uint32_t* bytes) {
    m_overlapped.Offset = static_cast<DWORD>(m_offset & 0xffffffffu);
    m_overlapped.OffsetHigh = static_cast<DWORD>(m_offset >> 32);
    DWORD transferred = 0;
    if (ReadFile(m_handle, block->address, static_cast<DWORD>(block->length), &transferred, &m_overlapped)) {
        *bytes = transferred;
        QueueBlock(block, bytes);
        return;
    }
    DWORD error = GetLastError();
    if (error == ERROR_IO_PENDING) {
        m_pending = 1;
        m_pendingBlock = *block;
        *bytes = 0;
        return;
    }
    FreeBlock(block->address);
    throw WindowsFileException(error, m_name);
}

void CopyItemReader::QueueBlock(Block* block, uint32_t* bytes) {
    // A file that grew since it was opened is copied at the size it had then.
    if (m_offset + *bytes > m_fileSize)
        *bytes = static_cast<uint32_t>(m_fileSize - m_offset);
    m_manager->PushBack(ICopyBufferManager::FileBufferQueueData(
        m_path, static_cast<int64_t>(m_offset), block->address, *bytes));
    m_pending = 0;
    m_pendingBlock = Block{};
    m_offset += *bytes;
}

}  // namespace Swiftlet
