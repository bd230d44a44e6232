#include "engine/CopyBufferManagerSemaphoreLock.h"

namespace Swiftlet {

CopyBufferManagerSemaphoreLock::CopyBufferManagerSemaphoreLock() : m_inner(new CopyBufferManager) {}

CopyBufferManagerSemaphoreLock::~CopyBufferManagerSemaphoreLock() {
    delete m_inner;
    if (m_semaphore)
        CloseHandle(m_semaphore);
}

int CopyBufferManagerSemaphoreLock::Create(uint64_t* size, uint32_t* alignment) {
    if (m_semaphore)
        return 0;  // a pool already exists
    m_semaphore = CreateSemaphoreW(nullptr, 1, 1, nullptr);
    if (!m_semaphore)
        return 0;
    int created;
    {
        Hold hold(m_semaphore);
        created = m_inner->Create(size, alignment);
    }
    if (created != 1) {
        DWORD error = GetLastError();
        CloseHandle(m_semaphore);
        m_semaphore = nullptr;
        SetLastError(error);
        return 0;
    }
    return 1;
}

int CopyBufferManagerSemaphoreLock::Release() {
    int released;
    {
        Hold hold(m_semaphore);
        released = m_inner->Release();
    }
    if (m_semaphore) {
        CloseHandle(m_semaphore);
        m_semaphore = nullptr;
    }
    return released;
}

void* CopyBufferManagerSemaphoreLock::Allocate(uint64_t* size, int* zeroFill, int* allowPartial,
                                                Block* out) {
    Hold hold(m_semaphore);
    return m_inner->Allocate(size, zeroFill, allowPartial, out);
}

int CopyBufferManagerSemaphoreLock::Free(void** address) {
    Hold hold(m_semaphore);
    return m_inner->Free(address);
}

void CopyBufferManagerSemaphoreLock::PushBack(const FileBufferQueueData& data) {
    Hold hold(m_semaphore);
    m_inner->PushBack(data);
}

int CopyBufferManagerSemaphoreLock::PopFront(FileBufferQueueData& out) {
    Hold hold(m_semaphore);
    return m_inner->PopFront(out);
}

void CopyBufferManagerSemaphoreLock::PushFront(const FileBufferQueueData& data) {
    Hold hold(m_semaphore);
    m_inner->PushFront(data);
}

void CopyBufferManagerSemaphoreLock::Discard(const wchar_t* key) {
    Hold hold(m_semaphore);
    m_inner->Discard(key);
}

uint32_t CopyBufferManagerSemaphoreLock::GetAlignment() {
    return m_inner->GetAlignment();
}

uint64_t CopyBufferManagerSemaphoreLock::GetSize() {
    return m_inner->GetSize();
}

uint64_t CopyBufferManagerSemaphoreLock::GetUsed() {
    return m_inner->GetUsed();
}

uint64_t CopyBufferManagerSemaphoreLock::GetPeakUsed() {
    return m_inner->GetPeakUsed();
}

uint64_t CopyBufferManagerSemaphoreLock::GetFree() {
    return m_inner->GetFree();
}

uint64_t CopyBufferManagerSemaphoreLock::GetQueueLength() {
    Hold hold(m_semaphore);
    return m_inner->GetQueueLength();
}

uint64_t CopyBufferManagerSemaphoreLock::GetBlockCount() {
    Hold hold(m_semaphore);
    return m_inner->GetBlockCount();
}

}  // namespace Swiftlet
