#pragma once
// The buffer manager the reader and writer threads share: every operation that reads or
// changes the queue or the block list runs under a semaphore of count 1. The getters
// of sizes answer snapshots without waiting.
#include <windows.h>

#include "engine/CopyBufferManager.h"

namespace Swiftlet {

class CopyBufferManagerSemaphoreLock : public ICopyBufferManager {
public:
    CopyBufferManagerSemaphoreLock();
    ~CopyBufferManagerSemaphoreLock() override;

    int Create(uint64_t* size, uint32_t* alignment) override;
    int Release() override;
    void* Allocate(uint64_t* size, int* zeroFill, int* allowPartial, Block* out) override;
    int Free(void** address) override;
    void PushBack(const FileBufferQueueData& data) override;
    int PopFront(FileBufferQueueData& out) override;
    void PushFront(const FileBufferQueueData& data) override;
    void Discard(const wchar_t* key) override;
    uint32_t GetAlignment() override;
    uint64_t GetSize() override;
    uint64_t GetUsed() override;
    uint64_t GetPeakUsed() override;
    uint64_t GetFree() override;
    uint64_t GetQueueLength() override;
    uint64_t GetBlockCount() override;

private:
    // Holds the semaphore for a scope; without a semaphore (before Create) it does not
    // wait and the inner manager has no pool to hand out.
    class Hold {
    public:
        explicit Hold(HANDLE semaphore) : m_semaphore(semaphore) {
            if (m_semaphore)
                WaitForSingleObject(m_semaphore, INFINITE);
        }
        ~Hold() {
            if (m_semaphore)
                ReleaseSemaphore(m_semaphore, 1, nullptr);
        }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        HANDLE m_semaphore;
    };

    CopyBufferManager* m_inner;
    HANDLE m_semaphore = nullptr;
};

}  // namespace Swiftlet
