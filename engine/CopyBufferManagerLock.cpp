#include "engine/CopyBufferManagerLock.h"

namespace Swiftlet {

CopyBufferManagerLock::CopyBufferManagerLock() : m_inner(new CopyBufferManager) {}

// The derived class has closed its lock by now; the inner manager releases the pool.
CopyBufferManagerLock::~CopyBufferManagerLock() {
    delete m_inner;
}

int CopyBufferManagerLock::Create(uint64_t* size, uint32_t* alignment) {
    if (IsLockOpen())
        return 0;  // a pool already exists
    if (!OpenLock())
        return 0;
    int created;
    {
        Hold hold(*this);
        created = m_inner->Create(size, alignment);
    }
    if (created != 1) {
        DWORD error = GetLastError();
        CloseLock();
        SetLastError(error);
        return 0;
    }
    return 1;
}

int CopyBufferManagerLock::Release() {
    int released;
    {
        Hold hold(*this);
        released = m_inner->Release();
    }
    if (IsLockOpen())
        CloseLock();
    return released;
}

void* CopyBufferManagerLock::Allocate(uint64_t* size, int* zeroFill, int* allowPartial, Block* out) {
    Hold hold(*this);
    return m_inner->Allocate(size, zeroFill, allowPartial, out);
}

int CopyBufferManagerLock::Free(void** address) {
    Hold hold(*this);
    return m_inner->Free(address);
}

void CopyBufferManagerLock::PushBack(const FileBufferQueueData& data) {
    Hold hold(*this);
    m_inner->PushBack(data);
}

int CopyBufferManagerLock::PopFront(FileBufferQueueData& out) {
    Hold hold(*this);
    return m_inner->PopFront(out);
}

void CopyBufferManagerLock::PushFront(const FileBufferQueueData& data) {
    Hold hold(*this);
    m_inner->PushFront(data);
}

void CopyBufferManagerLock::Discard(const wchar_t* key) {
    Hold hold(*this);
    m_inner->Discard(key);
}

uint32_t CopyBufferManagerLock::GetAlignment() {
    return m_inner->GetAlignment();
}

uint64_t CopyBufferManagerLock::GetSize() {
    return m_inner->GetSize();
}

uint64_t CopyBufferManagerLock::GetUsed() {
    return m_inner->GetUsed();
}

uint64_t CopyBufferManagerLock::GetPeakUsed() {
    return m_inner->GetPeakUsed();
}

uint64_t CopyBufferManagerLock::GetFree() {
    return m_inner->GetFree();
}

uint64_t CopyBufferManagerLock::GetQueueLength() {
    Hold hold(*this);
    return m_inner->GetQueueLength();
}

uint64_t CopyBufferManagerLock::GetBlockCount() {
    Hold hold(*this);
    return m_inner->GetBlockCount();
}

CopyBufferManagerSlimLock::~CopyBufferManagerSlimLock() {
    CloseLock();
}

bool CopyBufferManagerSlimLock::OpenLock() {
    InitializeSRWLock(&m_lock);
    m_open = true;
    return true;
}

}  // namespace Swiftlet
