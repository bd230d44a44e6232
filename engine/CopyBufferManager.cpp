#include "engine/CopyBufferManager.h"

namespace Swiftlet {

CopyBufferManager::CopyBufferManager() : m_queue(&m_queuePool) {}

CopyBufferManager::~CopyBufferManager() {
    Release();
}

int CopyBufferManager::Create(uint64_t* size, uint32_t* alignment) {
    if (!size || !alignment || m_allocater.GetAddress())
        return 0;
    void* base = m_allocater.Allocate(*size, 1);
    if (!base)
        return 0;
    m_buffers.Reset(base, *size, *alignment);
    m_peakUsed = 0;
    return 1;
}

int CopyBufferManager::Release() {
    // The records go with the pool; their blocks need not be returned one by one.
    m_queue.clear();
    m_buffers.Reset(nullptr, 0, 0);
    m_peakUsed = 0;
    return m_allocater.Release();
}

void* CopyBufferManager::Allocate(uint64_t* size, int* zeroFill, int* allowPartial, Block* out) {
    if (!size)
        return nullptr;
    void* address = m_buffers.Allocate(*size, zeroFill ? *zeroFill : 0,
                                       allowPartial && *allowPartial == 1 ? 1 : 0, out);
    if (address && m_buffers.GetUsed() > m_peakUsed)
        m_peakUsed = m_buffers.GetUsed();
    return address;
}

int CopyBufferManager::Free(void** address) {
    return address ? m_buffers.Free(*address) : 0;
}

void CopyBufferManager::PushBack(const FileBufferQueueData& data) {
    m_queue.push_back(data);
}

int CopyBufferManager::PopFront(FileBufferQueueData& out) {
    if (m_queue.empty())
        return 0;
    out = std::move(m_queue.front());
    m_queue.pop_front();
    return 1;
}

void CopyBufferManager::PushFront(const FileBufferQueueData& data) {
    m_queue.push_front(data);
}

void CopyBufferManager::Discard(const wchar_t* key) {
    if (!key)
        return;
    auto kept = m_queue.begin();
    for (auto record = m_queue.begin(); record != m_queue.end(); ++record) {
        if (record->key.CompareNoCase(key) == 0) {
            m_buffers.Free(record->address);
        } else {
            if (kept != record)
                *kept = std::move(*record);
            ++kept;
        }
    }
    m_queue.erase(kept, m_queue.end());
}

uint32_t CopyBufferManager::GetAlignment() {
    return m_buffers.GetAlignment();
}

uint64_t CopyBufferManager::GetSize() {
    return m_buffers.GetSize();
}

uint64_t CopyBufferManager::GetUsed() {
    return m_buffers.GetUsed();
}

uint64_t CopyBufferManager::GetPeakUsed() {
    return m_peakUsed;
}

uint64_t CopyBufferManager::GetFree() {
    return m_buffers.GetSize() - m_buffers.GetUsed();
}

uint64_t CopyBufferManager::GetQueueLength() {
    return m_queue.size();
}

uint64_t CopyBufferManager::GetBlockCount() {
    return m_buffers.GetBlockCount();
}

}  // namespace Swiftlet
