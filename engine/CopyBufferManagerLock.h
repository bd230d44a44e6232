#pragma once
// The buffer manager the reader and writer threads share: every operation that reads or
// changes the queue or the block list runs under one exclusive lock, made by Create and
// gone after Release; the getters of sizes answer snapshots without it. The lock itself
// is the derived class's: a kernel semaphore of count 1, or a slim reader/writer lock
// taken exclusively, which costs no system call while the other thread does not hold it.
#include <windows.h>

#include "engine/CopyBufferManager.h"

namespace Swiftlet {

class CopyBufferManagerLock : public ICopyBufferManager {
public:
    ~CopyBufferManagerLock() override;

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

protected:
    CopyBufferManagerLock();

    // The lock: OpenLock makes it (false, with the system's error, when it cannot),
    // CloseLock destroys it. Without an open lock the operations do not wait and the
    // inner manager has no pool to hand out.
    virtual bool OpenLock() = 0;
    virtual void CloseLock() = 0;
    virtual bool IsLockOpen() const = 0;
    virtual void Lock() = 0;
    virtual void Unlock() = 0;

private:
    class Hold {
    public:
        explicit Hold(CopyBufferManagerLock& manager) : m_manager(manager.IsLockOpen() ? &manager : nullptr) {
            if (m_manager)
                m_manager->Lock();
        }
        ~Hold() {
            if (m_manager)
                m_manager->Unlock();
        }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        CopyBufferManagerLock* m_manager;
    };

    CopyBufferManager* m_inner;
};

// The form the copy algorithm uses: the two threads take turns on the pool hundreds of
// times per file, and an uncontended slim lock stays inside the process.
class CopyBufferManagerSlimLock : public CopyBufferManagerLock {
public:
    CopyBufferManagerSlimLock() = default;
    ~CopyBufferManagerSlimLock() override;

protected:
    bool OpenLock() override;
    void CloseLock() override { m_open = false; }
    bool IsLockOpen() const override { return m_open; }
    void Lock() override { AcquireSRWLockExclusive(&m_lock); }
    void Unlock() override { ReleaseSRWLockExclusive(&m_lock); }

private:
    SRWLOCK m_lock = SRWLOCK_INIT;
    bool m_open = false;
};

}  // namespace Swiftlet
