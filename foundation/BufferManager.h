#pragma once
// Hands out blocks of one memory region and takes them back: first fit by address,
// block sizes rounded up to the I/O alignment, and, on request, the largest free piece
// when nothing large enough is free. Blocks never overlap. Not thread-safe.
#include <cstdint>
#include <map>
#include <memory_resource>

#include "foundation/noncopyable.h"

// A block handed out: where it starts and how many of its bytes the caller asked for.
struct BufferBlock {
    void* address = nullptr;
    uint64_t length = 0;
};

class BufferManager : private noncopyable {
public:
    BufferManager();
    virtual ~BufferManager();

    // Manages [base, base + size) from now on, with nothing handed out. alignment 0: no
    // rounding. Reset(nullptr, 0, 0) forgets the region.
    void Reset(void* base, uint64_t size, uint32_t alignment);

    // A block of at least size bytes (rounded up to the alignment), or with allowPartial
    // the largest free piece when no free piece holds it. out->length is the smaller of
    // the block's length and size. Null when there is no room; nothing changes then.
    void* Allocate(uint64_t size, int zeroFill, int allowPartial, BufferBlock* out);
    // 1 when a block starting exactly at address was handed out; it is taken back.
    int Free(void* address);

    void* GetBase() const { return m_base; }
    uint64_t GetSize() const { return m_size; }
    uint32_t GetAlignment() const { return m_alignment; }
    uint64_t GetUsed() const { return m_used; }
    uint64_t GetBlockCount() const { return m_blocks.size(); }

private:
    using Extents = std::pmr::map<char*, uint64_t>;

    // Free end of the region after the last block.
    char* TailStart() const;
    void Insert(char* address, uint64_t length);

    char* m_base = nullptr;
    uint64_t m_size = 0;
    uint32_t m_alignment = 0;
    uint64_t m_used = 0;
    // Node storage is recycled, so a steady stream of blocks allocates nothing.
    std::pmr::unsynchronized_pool_resource m_pool;
    // Handed-out blocks by address, and the free gaps between them (the free end after
    // the last block is not a gap). Keeping the gaps makes first fit cost the number of
    // gaps rather than the number of blocks; a reader and writer that allocate and free
    // in queue order keep one or two gaps.
    Extents m_blocks;
    Extents m_gaps;
};
