#pragma once
// The shared buffer manager with a kernel semaphore of count 1 as its lock: every pool
// operation waits for the semaphore and releases it.
#include <windows.h>

#include "engine/CopyBufferManagerLock.h"

namespace Swiftlet {

class CopyBufferManagerSemaphoreLock : public CopyBufferManagerLock {
public:
    CopyBufferManagerSemaphoreLock() = default;
    ~CopyBufferManagerSemaphoreLock() override;

protected:
    bool OpenLock() override;
    void CloseLock() override;
    bool IsLockOpen() const override { return m_semaphore != nullptr; }
    void Lock() override { WaitForSingleObject(m_semaphore, INFINITE); }
    void Unlock() override { ReleaseSemaphore(m_semaphore, 1, nullptr); }

private:
    HANDLE m_semaphore = nullptr;
};

}  // namespace Swiftlet
