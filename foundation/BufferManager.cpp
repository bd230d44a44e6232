#include "foundation/BufferManager.h"

#include <cstring>

BufferManager::BufferManager() : m_blocks(&m_pool), m_gaps(&m_pool) {}

BufferManager::~BufferManager() = default;

void BufferManager::Reset(void* base, uint64_t size, uint32_t alignment) {
    m_blocks.clear();
    m_gaps.clear();
    m_base = static_cast<char*>(base);
    m_size = base ? size : 0;
    m_alignment = base ? alignment : 0;
    m_used = 0;
}

char* BufferManager::TailStart() const {
    if (m_blocks.empty())
        return m_base;
    auto last = std::prev(m_blocks.end());
    return last->first + last->second;
}

void BufferManager::Insert(char* address, uint64_t length) {
    m_blocks.emplace(address, length);
    m_used += length;
}

void* BufferManager::Allocate(uint64_t size, int zeroFill, int allowPartial, BufferBlock* out) {
    if (!m_base || size == 0)
        return nullptr;
    uint64_t n = size;
    if (m_alignment != 0)
        n = (size + m_alignment - 1) / m_alignment * m_alignment;

    char* address = nullptr;
    uint64_t length = 0;

    // First fit: the lowest gap that holds n, else the free end.
    auto largest = m_gaps.end();
    for (auto gap = m_gaps.begin(); gap != m_gaps.end(); ++gap) {
        if (gap->second >= n) {
            address = gap->first;
            length = n;
            uint64_t rest = gap->second - n;
            m_gaps.erase(gap);
            if (rest != 0)
                m_gaps.emplace(address + n, rest);
            break;
        }
        if (largest == m_gaps.end() || gap->second > largest->second)
            largest = gap;
    }
    char* tail = TailStart();
    uint64_t tailLength = static_cast<uint64_t>(m_base + m_size - tail);
    if (!address && tailLength >= n) {
        address = tail;
        length = n;
    }
    if (!address) {
        if (allowPartial != 1)
            return nullptr;
        // The largest free piece; the free end only competes once something is handed
        // out, and only wins when strictly larger.
        if (largest != m_gaps.end()) {
            address = largest->first;
            length = largest->second;
        }
        if (!m_blocks.empty() && tailLength > length) {
            address = tail;
            length = tailLength;
        } else if (largest != m_gaps.end()) {
            m_gaps.erase(largest);
        }
        if (!address || length == 0)
            return nullptr;
    }

    Insert(address, length);
    if (zeroFill == 1)
        std::memset(address, 0, static_cast<size_t>(length));
    if (out) {
        out->address = address;
        out->length = length < size ? length : size;
    }
    return address;
}

int BufferManager::Free(void* address) {
    auto block = m_blocks.find(static_cast<char*>(address));
    if (block == m_blocks.end())
        return 0;
    char* start = m_base;
    if (block != m_blocks.begin()) {
        auto previous = std::prev(block);
        start = previous->first + previous->second;
    }
    char* end = block->first + block->second;
    m_used -= block->second;
    // The block and the gaps on either side become one free piece.
    m_gaps.erase(start);
    m_gaps.erase(end);
    auto next = m_blocks.erase(block);
    if (next != m_blocks.end())
        m_gaps.emplace(start, static_cast<uint64_t>(next->first - start));
    return 1;
}
