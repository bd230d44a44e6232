#pragma once
// The writing half of the copy pipeline: for one file or stream at a time it takes the
// reader's header record from the queue, creates the destination with the source's
// attributes and its full size reserved, writes the queued blocks in order, returns each
// block to the pool, and finally fixes the end of file, the last-write time and the
// attributes. It never waits: when the record it needs is not at the front of the queue
// it says so and the caller waits for the reader.
#include <windows.h>

#include <cstdint>

#include "engine/CopyBufferManager.h"
#include "engine/CopyOption.h"
#include "foundation/DynamicFunction.h"
#include "foundation/noncopyable.h"
#include "framework/CString.h"

namespace Swiftlet {

class CopyItemWriter : private noncopyable {
public:
    CopyItemWriter();
    virtual ~CopyItemWriter();

    // Throws CopyException type 1 when manager or option is null; with *makeEvent 1 makes
    // the event of overlapped writes (WindowsException on failure).
    virtual int Init(ICopyBufferManager* manager, int* makeEvent, const CopyOption* option);
    virtual int Uninit();
    // Creates destination from the header record of key. *notReady 1: that record is not
    // at the front of the queue yet. With *overwrite 0 an existing destination fails
    // with ERROR_FILE_EXISTS. Failures throw WindowsFileException and leave the header
    // record at the front for another attempt.
    virtual void Open(const CString& destination, const CString& key, int* synchronous, int* overwrite,
                      int* notReady);
    // Writes the current block completely; *bytesWritten counts file bytes accounted.
    virtual void Write(uint32_t* bytesWritten, int* notReady);
    virtual void WaitPending(uint32_t* bytes);
    // After every byte is written: end of file, last-write time and attributes.
    virtual void Finish();
    virtual void Reset();
    // Gives the item up: the incomplete destination is deleted, its blocks returned.
    virtual void Abort();
    virtual int IsBufferedExtension(const CString& path);
    virtual HANDLE CreateDestination(const CString& path, int* disposition, int* flags, uint64_t* fileSize,
                                     uint64_t* allocationSize);
    virtual void TakeBlock(int* notReady);
    virtual void WriteSync(uint32_t* length, uint32_t* bytes);
    virtual void WriteOverlapped(uint32_t* length, uint32_t* bytes);
    virtual uint32_t Account(uint32_t* bytes);
    virtual void CloseFile();
    virtual void SetEndOfFileByHandle();
    virtual void SetBasicInfoByHandle();
    virtual void SetEndOfFileNative();
    virtual void SetBasicInfoNative();
    virtual void FinishWithoutHandleFunctions(int* fixEnd);

    const CString& GetKey() const { return m_key; }
    const CString& GetDestination() const { return m_destination; }
    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    uint64_t GetFileSize() const { return m_fileSize; }
    uint64_t GetAllocationSize() const { return m_allocationSize; }
    uint64_t GetWritten() const { return m_written; }
    bool IsBuffered() const { return m_buffered != 0; }
    bool IsPending() const { return m_pending != 0; }

protected:
    // The finishing functions the system offers, bound by Init; null where the system
    // lacks them (a test may clear them to drive the older paths).
    DLL::SetFileInformationByHandleType m_setFileInformationByHandle = nullptr;
    ZwSetInformationFileUtility::ZwSetInformationFileType m_zwSetInformationFile = nullptr;

    // The attribute calls of the writer on paths (GetFileAttributesW and
    // SetFileAttributesW on the long form). A test plays through them a file system whose
    // named streams share their file's attributes, which Wine's drives lack.
    virtual DWORD GetAttributesOf(const CString& path);
    virtual BOOL SetAttributesOf(const CString& path, DWORD attributes);

private:
    static constexpr uint64_t kPositionUnknown = ~0ull;

    struct HeldBlock {
        uint32_t hasBlock = 0;
        void* address = nullptr;
        uint64_t length = 0;
        char* cursor = nullptr;
        uint64_t remaining = 0;
    };

    void FreeHeldBlock();
    // Lifts bits of path's attributes; answers the attributes it had when it lifted some,
    // else INVALID_FILE_ATTRIBUTES.
    DWORD LiftAttributes(const CString& path, DWORD bits);
    void SetReadOnly(const CString& path);
    // A stream cannot be created in a read-only file: lifts the attribute of a stream's
    // base file; 1 when it did.
    uint32_t ClearStreamBaseReadOnly(const CString& destination);
    void RestoreStreamBaseReadOnly();
    bool FixEndNeeded() const;
    // 1 when the whole file arrives in one block of the pool and leaves in one write.
    bool TakesOneWrite(uint64_t fileSize) const;

    ICopyBufferManager* m_manager = nullptr;
    const CopyOption* m_option = nullptr;
    CString m_key;
    CString m_destination;
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    uint64_t m_fileSize = 0;
    uint64_t m_allocationSize = 0;
    BY_HANDLE_FILE_INFORMATION m_header{};
    uint32_t m_readOnlyCleared = 0;
    HeldBlock m_block;
    uint32_t m_synchronous = 0;
    uint32_t m_buffered = 0;
    OVERLAPPED m_overlapped{};
    uint32_t m_pending = 0;
    uint64_t m_written = 0;
    // The destination was created by this writer and is not finished yet: a failure
    // deletes it even when its handle was already closed.
    uint32_t m_created = 0;
    // Where the file pointer stands after the last synchronous write: the next write
    // moves it only when it is elsewhere.
    uint64_t m_position = kPositionUnknown;
    // The destination's file system said it cannot reserve an allocation size at all
    // (not for one file: for any): the end of file is set at once for the rest of the job.
    uint32_t m_allocationUnsupported = 0;
};

}  // namespace Swiftlet
