#include "engine/CopyBufferManagerSemaphoreLock.h"

namespace Swiftlet {

CopyBufferManagerSemaphoreLock::~CopyBufferManagerSemaphoreLock() {
    CloseLock();
}

bool CopyBufferManagerSemaphoreLock::OpenLock() {
    m_semaphore = CreateSemaphoreW(nullptr, 1, 1, nullptr);
    return m_semaphore != nullptr;
}

void CopyBufferManagerSemaphoreLock::CloseLock() {
    if (m_semaphore) {
        CloseHandle(m_semaphore);
        m_semaphore = nullptr;
    }
}

}  // namespace Swiftlet
