#include "engine/CopyItemWriter.h"

#include <ntsecapi.h>

#include <cstring>

#include "engine/CopyException.h"
#include "foundation/Paths.h"

namespace Swiftlet {

namespace {

using Record = ICopyBufferManager::FileBufferQueueData;

constexpr int kFileBasicInformation = 4;
constexpr int kFileEndOfFileInformation = 20;

using BasicInfo = ZwSetInformationFileUtility::BasicInformation;

DWORD ErrorOfStatus(LONG status) {
    ULONG error = LsaNtStatusToWinError(status);
    return error == 0 ? static_cast<DWORD>(-1) : error;
}

// Answers of a file system that never reserves an allocation size.
bool RefusesAllocation(DWORD error) {
    return error == ERROR_CALL_NOT_IMPLEMENTED || error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION;
}

uint64_t RoundUp(uint64_t value, uint32_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

int SetFilePointerTo(HANDLE handle, uint64_t offset) {
    LARGE_INTEGER distance;
    distance.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(handle, distance, nullptr, FILE_BEGIN) ? 1 : 0;
}

}  // namespace

CopyItemWriter::CopyItemWriter() = default;

DWORD CopyItemWriter::GetAttributesOf(const CString& path) { return GetFileAttributesW(ToLongPath(path)); }

BOOL CopyItemWriter::SetAttributesOf(const CString& path, DWORD attributes) {
    return SetFileAttributesW(ToLongPath(path), attributes);
}

DWORD CopyItemWriter::LiftAttributes(const CString& path, DWORD bits) {
    const DWORD attributes = GetAttributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & bits))
        return INVALID_FILE_ATTRIBUTES;
    DWORD lifted = attributes & ~bits;
    return SetAttributesOf(path, lifted ? lifted : FILE_ATTRIBUTE_NORMAL) ? attributes : INVALID_FILE_ATTRIBUTES;
}

void CopyItemWriter::SetReadOnly(const CString& path) {
    const DWORD attributes = GetAttributesOf(path);
    if (attributes != INVALID_FILE_ATTRIBUTES)
        SetAttributesOf(path, attributes | FILE_ATTRIBUTE_READONLY);
}

uint32_t CopyItemWriter::ClearStreamBaseReadOnly(const CString& destination) {
    if (!IsStreamPath(destination))
        return 0;
    return LiftAttributes(StripStreamSuffix(destination), FILE_ATTRIBUTE_READONLY) != INVALID_FILE_ATTRIBUTES ? 1 : 0;
}

CopyItemWriter::~CopyItemWriter() {
    Reset();
    m_manager = nullptr;
    if (m_overlapped.hEvent)
        CloseHandle(m_overlapped.hEvent);
}

int CopyItemWriter::Init(ICopyBufferManager* manager, int* makeEvent, const CopyOption* option) {
    if (!manager || !option)
        throw CopyException(kCopyNothingToDo);
    if (makeEvent && *makeEvent == 1 && !m_overlapped.hEvent) {
        m_overlapped.hEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (!m_overlapped.hEvent)
            throw WindowsException(GetLastError());
    }
    DLL::DynamicFunction<DLL::SetFileInformationByHandleType> setInformation(L"Kernel32.dll",
                                                                            "SetFileInformationByHandle");
    m_setFileInformationByHandle = setInformation.Get();
    m_zwSetInformationFile = ZwSetInformationFileUtility::Instance().Get();
    m_manager = manager;
    m_option = option;
    return 1;
}

int CopyItemWriter::Uninit() {
    Reset();
    m_manager = nullptr;
    if (m_overlapped.hEvent) {
        CloseHandle(m_overlapped.hEvent);
        m_overlapped.hEvent = nullptr;
    }
    return 1;
}

void CopyItemWriter::Open(const CString& destination, const CString& key, int* synchronous, int* overwrite,
                          int* notReady) {
    if (!m_manager || !m_option)
        throw CopyException(kCopyNothingToDo);
    Record record;
    if (!m_manager->PopFront(record)) {
        *notReady = 1;
        return;
    }
    if (record.key.CompareNoCase(key) != 0 || record.offset != Record::kHeaderOffset) {
        m_manager->PushFront(record);
        *notReady = 1;
        return;
    }
    *notReady = 0;

    BY_HANDLE_FILE_INFORMATION header;
    std::memcpy(&header, record.address, sizeof(header));
    const uint64_t fileSize = (static_cast<uint64_t>(header.nFileSizeHigh) << 32) | header.nFileSizeLow;
    const uint32_t alignment = m_manager->GetAlignment();
    const uint64_t allocationSize = alignment != 0 && fileSize != 0 ? RoundUp(fileSize, alignment) : fileSize;

    const int sync = synchronous && *synchronous == 1 ? 1 : 0;
    int flags = static_cast<int>((header.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY) | FILE_FLAG_SEQUENTIAL_SCAN);
    if (!sync)
        flags |= FILE_FLAG_OVERLAPPED;
    const bool unbuffered = IsBufferedExtension(destination) == 0 && alignment != 0 &&
                            fileSize >= m_option->unbufferedWriteMinSize;
    if (unbuffered)
        flags |= FILE_FLAG_NO_BUFFERING;

    int disposition = CREATE_NEW;
    DWORD replacedAttributes = INVALID_FILE_ATTRIBUTES;
    if (overwrite && *overwrite == 1) {
        // A read-only file cannot be replaced, nor a hidden or system one by a file
        // without those marks. A stream's marks are its file's, lifted below and put back
        // when the stream is done.
        if (!IsStreamPath(destination))
            replacedAttributes =
                LiftAttributes(destination, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        disposition = CREATE_ALWAYS;
    }
    const uint32_t readOnlyCleared = ClearStreamBaseReadOnly(destination);

    uint64_t size = fileSize, allocation = allocationSize;
    HANDLE handle = CreateDestination(destination, &disposition, &flags, &size, &allocation);
    if (handle == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        // The existing file stays as it was, its attributes included.
        if (replacedAttributes != INVALID_FILE_ATTRIBUTES)
            SetAttributesOf(destination, replacedAttributes);
        if (readOnlyCleared)
            SetReadOnly(StripStreamSuffix(destination));
        m_manager->PushFront(record);
        throw WindowsFileException(error, destination);
    }

    m_handle = handle;
    m_position = 0;  // reserving the size leaves the pointer at the start
    m_created = 1;
    m_destination = destination;
    m_synchronous = sync;
    m_buffered = unbuffered ? 0 : 1;
    m_written = 0;
    m_fileSize = fileSize;
    m_allocationSize = allocationSize;
    m_header = header;
    m_key = key;
    m_readOnlyCleared = readOnlyCleared;
    void* headerBlock = record.address;
    m_manager->Free(&headerBlock);
}

HANDLE CopyItemWriter::CreateDestination(const CString& path, int* disposition, int* flags, uint64_t* fileSize,
                                         uint64_t* allocationSize) {
    const CString longPath = ToLongPath(path);
    HANDLE handle = CreateFileW(longPath, GENERIC_WRITE, 0, nullptr, static_cast<DWORD>(*disposition),
                                static_cast<DWORD>(*flags), nullptr);
    if (handle == INVALID_HANDLE_VALUE || *fileSize == 0 || TakesOneWrite(*fileSize))
        return handle;

    // Reserve the whole size at once so that the file system lays it out in one piece
    // and a full disk shows now rather than halfway through. A file that goes out in a
    // single write gets both from that write, before anything else of it is written; the
    // reservation would only cost it one more call (under Wine a server round trip).
    if (m_setFileInformationByHandle) {
        if (!m_allocationUnsupported) {
            FILE_ALLOCATION_INFO allocation;
            allocation.AllocationSize.QuadPart = static_cast<LONGLONG>(*fileSize);
            if (m_setFileInformationByHandle(handle, FileAllocationInfo, &allocation, sizeof(allocation)))
                return handle;
            if (RefusesAllocation(GetLastError()))
                m_allocationUnsupported = 1;
        }
        FILE_END_OF_FILE_INFO end;
        end.EndOfFile.QuadPart = static_cast<LONGLONG>(*fileSize);
        if (m_setFileInformationByHandle(handle, FileEndOfFileInfo, &end, sizeof(end)))
            return handle;
    } else {
        const uint64_t end = (*flags & FILE_FLAG_NO_BUFFERING) ? *allocationSize : *fileSize;
        if (SetFilePointerTo(handle, end) && SetEndOfFile(handle) && SetFilePointerTo(handle, 0))
            return handle;
    }
    DWORD error = GetLastError();
    CloseHandle(handle);
    DeleteFileW(longPath);
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

void CopyItemWriter::TakeBlock(int* notReady) {
    Record record;
    if (!m_manager->PopFront(record)) {
        *notReady = 1;
        return;
    }
    if (record.key.CompareNoCase(m_key) != 0 || record.offset != static_cast<int64_t>(m_written)) {
        m_manager->PushFront(record);
        *notReady = 1;
        return;
    }
    m_block.hasBlock = 1;
    m_block.address = record.address;
    m_block.cursor = static_cast<char*>(record.address);
    m_block.length = record.length;
    m_block.remaining = record.length;
    *notReady = 0;
}

void CopyItemWriter::Write(uint32_t* bytesWritten, int* notReady) {
    *bytesWritten = 0;
    *notReady = 0;
    if (!m_block.hasBlock) {
        TakeBlock(notReady);
        if (*notReady == 1)
            return;
    }
    const uint32_t alignment = m_manager->GetAlignment();
    do {
        uint64_t n = m_block.remaining;
        if (m_option->writeBlockSize != 0 && n > m_option->writeBlockSize)
            n = m_option->writeBlockSize;
        // Unbuffered writes go in whole units; the pool block is rounded up to the same
        // unit, so the tail written past the data still lies inside the block.
        if (!m_buffered && alignment != 0)
            n = RoundUp(n, alignment);
        uint32_t length = static_cast<uint32_t>(n);
        uint32_t bytes = 0;
        if (m_synchronous == 1)
            WriteSync(&length, &bytes);
        else
            WriteOverlapped(&length, &bytes);
        *bytesWritten += bytes;
    } while (!m_pending && m_block.hasBlock);
}

void CopyItemWriter::WaitPending(uint32_t* bytes) {
    DWORD transferred = 0;
    if (!GetOverlappedResult(m_handle, &m_overlapped, &transferred, TRUE)) {
        DWORD error = GetLastError();
        m_pending = 0;
        throw WindowsFileException(error, m_destination);
    }
    *bytes = transferred;
    *bytes = Account(bytes);
}

void CopyItemWriter::WriteSync(uint32_t* length, uint32_t* bytes) {
    DWORD transferred = 0;
    if (m_position != m_written) {
        if (!SetFilePointerTo(m_handle, m_written)) {
            m_position = kPositionUnknown;
            throw WindowsFileException(GetLastError(), m_destination);
        }
        m_position = m_written;
    }
    if (!WriteFile(m_handle, m_block.cursor, *length, &transferred, nullptr)) {
        m_position = kPositionUnknown;
        throw WindowsFileException(GetLastError(), m_destination);
    }
    m_position += transferred;
    if (transferred == 0)
        // Nothing moved: treat it as the full disk it almost always is rather than loop.
        throw WindowsFileException(ERROR_DISK_FULL, m_destination);
    *bytes = transferred;
    *bytes = Account(bytes);
}

void CopyItemWriter::WriteOverlapped(uint32_t* length, uint32_t* bytes) {
    m_overlapped.Offset = static_cast<DWORD>(m_written & 0xffffffffu);
    m_overlapped.OffsetHigh = static_cast<DWORD>(m_written >> 32);
    DWORD transferred = 0;
    if (WriteFile(m_handle, m_block.cursor, *length, &transferred, &m_overlapped)) {
        *bytes = transferred;
        *bytes = Account(bytes);
        return;
    }
    DWORD error = GetLastError();
    if (error == ERROR_IO_PENDING) {
        m_pending = 1;
        *bytes = 0;
        return;
    }
    throw WindowsFileException(error, m_destination);
}

uint32_t CopyItemWriter::Account(uint32_t* bytes) {
    uint64_t counted = *bytes;
    if (m_written + counted > m_fileSize)
        counted = m_fileSize - m_written;  // the rounded-up tail is not file content
    if (counted < m_block.remaining) {
        m_block.remaining -= counted;
        m_block.cursor += counted;
    } else {
        FreeHeldBlock();
    }
    m_pending = 0;
    m_written += counted;
    return static_cast<uint32_t>(counted);
}

void CopyItemWriter::FreeHeldBlock() {
    if (m_block.hasBlock && m_manager) {
        void* address = m_block.address;
        m_manager->Free(&address);
    }
    m_block = HeldBlock{};
}

bool CopyItemWriter::TakesOneWrite(uint64_t fileSize) const {
    // One pool block holds all of it, and one write request takes that block whole.
    const uint64_t readBlock = m_option->readBlockSize;
    if (readBlock == 0 || fileSize > readBlock || fileSize > m_manager->GetSize())
        return false;
    return m_option->writeBlockSize == 0 || fileSize <= m_option->writeBlockSize;
}

bool CopyItemWriter::FixEndNeeded() const {
    return m_written == m_fileSize && !m_buffered && m_fileSize < m_allocationSize;
}

void CopyItemWriter::Finish() {
    int fixEnd = FixEndNeeded() ? 1 : 0;
    if (m_setFileInformationByHandle) {
        if (fixEnd)
            SetEndOfFileByHandle();
        SetBasicInfoByHandle();
    } else if (m_zwSetInformationFile) {
        if (fixEnd)
            SetEndOfFileNative();
        SetBasicInfoNative();
    } else {
        FinishWithoutHandleFunctions(&fixEnd);
    }
    RestoreStreamBaseReadOnly();
    // The file is complete: from here on it is the user's, never deleted by a failure.
    m_created = 0;
}

void CopyItemWriter::SetEndOfFileByHandle() {
    FILE_END_OF_FILE_INFO end;
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(m_fileSize);
    if (!m_setFileInformationByHandle(m_handle, FileEndOfFileInfo, &end, sizeof(end)))
        throw WindowsFileException(GetLastError(), m_destination);
}

void CopyItemWriter::SetBasicInfoByHandle() {
    BasicInfo info{};
    info.lastWriteTime.LowPart = m_header.ftLastWriteTime.dwLowDateTime;
    info.lastWriteTime.HighPart = static_cast<LONG>(m_header.ftLastWriteTime.dwHighDateTime);
    info.attributes = m_header.dwFileAttributes;
    if (!m_setFileInformationByHandle(m_handle, FileBasicInfo, &info, sizeof(info)))
        throw WindowsFileException(GetLastError(), m_destination);
}

void CopyItemWriter::SetEndOfFileNative() {
    ZwSetInformationFileUtility::IoStatusBlock status{};
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(m_fileSize);
    LONG result = m_zwSetInformationFile(m_handle, &status, &end, sizeof(end), kFileEndOfFileInformation);
    if (result != 0)
        throw WindowsFileException(ErrorOfStatus(result), m_destination);
}

void CopyItemWriter::SetBasicInfoNative() {
    ZwSetInformationFileUtility::IoStatusBlock status{};
    BasicInfo info{};
    info.lastWriteTime.LowPart = m_header.ftLastWriteTime.dwLowDateTime;
    info.lastWriteTime.HighPart = static_cast<LONG>(m_header.ftLastWriteTime.dwHighDateTime);
    info.attributes = m_header.dwFileAttributes;
    LONG result = m_zwSetInformationFile(m_handle, &status, &info, sizeof(info), kFileBasicInformation);
    if (result != 0)
        throw WindowsFileException(ErrorOfStatus(result), m_destination);
}

void CopyItemWriter::FinishWithoutHandleFunctions(int* fixEnd) {
    const CString longPath = ToLongPath(m_destination);
    if (*fixEnd == 1) {
        // The unbuffered handle cannot set an unaligned end: reopen through the cache.
        CloseFile();
        m_handle = CreateFileW(longPath, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                               nullptr);
        if (m_handle == INVALID_HANDLE_VALUE)
            throw WindowsFileException(GetLastError(), m_destination);
        if (!SetFilePointerTo(m_handle, m_fileSize) || !SetEndOfFile(m_handle))
            throw WindowsFileException(GetLastError(), m_destination);
    }
    if (!SetFileTime(m_handle, nullptr, nullptr, &m_header.ftLastWriteTime))
        throw WindowsFileException(GetLastError(), m_destination);
    CloseFile();
    if (!SetFileAttributesW(longPath, m_header.dwFileAttributes))
        throw WindowsFileException(GetLastError(), m_destination);
}

void CopyItemWriter::RestoreStreamBaseReadOnly() {
    if (m_readOnlyCleared) {
        SetReadOnly(StripStreamSuffix(m_destination));
        m_readOnlyCleared = 0;
    }
}

void CopyItemWriter::CloseFile() {
    if (m_handle != INVALID_HANDLE_VALUE) {
        if (m_pending) {
            // The write still reads a pool block: let it end before anything moves on.
            CancelIo(m_handle);
            DWORD transferred = 0;
            GetOverlappedResult(m_handle, &m_overlapped, &transferred, TRUE);
            m_pending = 0;
        }
        CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }
    m_position = kPositionUnknown;
}

void CopyItemWriter::Reset() {
    CloseFile();
    m_key.Empty();
    m_destination.Empty();
    m_fileSize = 0;
    m_allocationSize = 0;
    m_header = BY_HANDLE_FILE_INFORMATION{};
    m_block = HeldBlock{};
    m_pending = 0;
    m_written = 0;
    m_readOnlyCleared = 0;
    m_created = 0;
}

void CopyItemWriter::Abort() {
    CloseFile();
    if (m_created && !m_destination.IsEmpty()) {
        // An incomplete file must not stay behind looking like a copy. Scanners may
        // hold a file that was just closed for a moment: try again a few times.
        const CString longPath = ToLongPath(m_destination);
        const uint32_t attempts = (m_option ? m_option->retryCount : 0) + 1;
        for (uint32_t attempt = 0; attempt < attempts; ++attempt) {
            if (attempt > 0)
                Sleep(m_option->retryWaitMs);
            if (DeleteFileW(longPath) || GetLastError() == ERROR_FILE_NOT_FOUND)
                break;
        }
    }
    RestoreStreamBaseReadOnly();
    FreeHeldBlock();
    if (m_manager && !m_key.IsEmpty())
        m_manager->Discard(m_key);
    Reset();
}

int CopyItemWriter::IsBufferedExtension(const CString& path) {
    if (!m_option || m_option->bufferedExtensions.empty())
        return 0;
    CString file = IsStreamPath(path) ? StripStreamSuffix(path) : path;
    CString extension;
    SplitPath(file, nullptr, nullptr, nullptr, &extension);
    for (const CString& entry : m_option->bufferedExtensions) {
        if (extension.CompareNoCase(entry) == 0)
            return 1;
    }
    return 0;
}

}  // namespace Swiftlet
