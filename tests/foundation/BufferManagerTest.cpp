#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <vector>

#include "foundation/BufferManager.h"
#include "foundation/VirtualAllocater.h"

namespace {

// A region carved by a BufferManager, backed by ordinary memory.
struct Region {
    explicit Region(uint64_t size, uint32_t alignment) : memory(size + 4096) {
        base = memory.data() + (4096 - reinterpret_cast<uintptr_t>(memory.data()) % 4096);
        manager.Reset(base, size, alignment);
    }
    char* At(uint64_t offset) { return base + offset; }

    std::vector<char> memory;
    char* base;
    BufferManager manager;
};

}  // namespace

TEST(VirtualAllocater, LocksAlignedRegionAndRestoresWorkingSet) {
    SIZE_T minBefore = 0, maxBefore = 0;
    ASSERT_TRUE(GetProcessWorkingSetSize(GetCurrentProcess(), &minBefore, &maxBefore));
    {
        VirtualAllocater allocater;
        char* p = static_cast<char*>(allocater.Allocate(4 << 20, 1));
        ASSERT_NE(nullptr, p);
        EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(p) % 4096);
        EXPECT_EQ(4u << 20, allocater.GetSize());
        p[0] = 1;
        p[(4 << 20) - 1] = 2;  // the whole range is committed and writable
        EXPECT_EQ(nullptr, allocater.Allocate(4096, 1)) << "a second region would leak the first";
        EXPECT_EQ(1, allocater.Release());
        EXPECT_EQ(nullptr, allocater.GetAddress());
        EXPECT_EQ(0, allocater.IsLocked());
        EXPECT_EQ(0, allocater.IsWorkingSetRaised());
        MEMORY_BASIC_INFORMATION info{};
        ASSERT_NE(0u, VirtualQuery(p, &info, sizeof(info)));
        EXPECT_EQ(static_cast<DWORD>(MEM_FREE), info.State);
    }
    SIZE_T minAfter = 0, maxAfter = 0;
    ASSERT_TRUE(GetProcessWorkingSetSize(GetCurrentProcess(), &minAfter, &maxAfter));
    EXPECT_EQ(minBefore, minAfter);
    EXPECT_EQ(maxBefore, maxAfter);
}

TEST(VirtualAllocater, FailedAllocationHoldsNothing) {
    SIZE_T minBefore = 0, maxBefore = 0;
    ASSERT_TRUE(GetProcessWorkingSetSize(GetCurrentProcess(), &minBefore, &maxBefore));
    VirtualAllocater allocater;
    // More address space than any process has.
    EXPECT_EQ(nullptr, allocater.Allocate(1ull << 62, 1));
    EXPECT_EQ(nullptr, allocater.GetAddress());
    EXPECT_EQ(0u, allocater.GetSize());
    EXPECT_EQ(0, allocater.IsLocked());
    EXPECT_EQ(0, allocater.IsWorkingSetRaised());
    SIZE_T minAfter = 0, maxAfter = 0;
    ASSERT_TRUE(GetProcessWorkingSetSize(GetCurrentProcess(), &minAfter, &maxAfter));
    EXPECT_EQ(minBefore, minAfter);
    EXPECT_EQ(maxBefore, maxAfter);
    EXPECT_EQ(1, allocater.Release());
}

TEST(BufferManager, RoundsToAlignmentButReportsRequestedLength) {
    Region r(64 * 1024, 4096);
    BufferBlock block;
    std::memset(r.base, 0x55, 4096);
    void* p = r.manager.Allocate(52, 1, 0, &block);
    EXPECT_EQ(r.At(0), p);
    EXPECT_EQ(52u, block.length);
    EXPECT_EQ(4096u, r.manager.GetUsed());
    EXPECT_EQ(0, r.At(0)[4095]) << "zero fill covers the whole block";
    EXPECT_EQ(r.At(4096), r.manager.Allocate(1, 0, 0, &block));
}

TEST(BufferManager, FirstFitByAddressReusesFreedGap) {
    Region r(16 * 4096, 4096);
    BufferBlock block;
    ASSERT_EQ(r.At(0), r.manager.Allocate(4096, 0, 0, &block));
    ASSERT_EQ(r.At(4096), r.manager.Allocate(2 * 4096, 0, 0, &block));
    ASSERT_EQ(r.At(3 * 4096), r.manager.Allocate(4096, 0, 0, &block));
    EXPECT_EQ(1, r.manager.Free(r.At(4096)));
    EXPECT_EQ(2u * 4096, r.manager.GetUsed());

    // Larger than the hole: goes after the third block.
    EXPECT_EQ(r.At(4 * 4096), r.manager.Allocate(3 * 4096, 0, 0, &block));
    // Fits: the lowest hole, and the rest of the hole stays usable.
    EXPECT_EQ(r.At(4096), r.manager.Allocate(100, 0, 0, &block));
    EXPECT_EQ(r.At(2 * 4096), r.manager.Allocate(4096, 0, 0, &block));
    EXPECT_EQ(r.At(7 * 4096), r.manager.Allocate(4096, 0, 0, &block));
    EXPECT_EQ(6u, r.manager.GetBlockCount());

    // Freeing neighbours merges them into one hole that a larger block fits.
    EXPECT_EQ(1, r.manager.Free(r.At(4096)));
    EXPECT_EQ(1, r.manager.Free(r.At(2 * 4096)));
    EXPECT_EQ(1, r.manager.Free(r.At(0)));
    EXPECT_EQ(r.At(0), r.manager.Allocate(3 * 4096, 0, 0, &block));
}

TEST(BufferManager, FreeNeedsExactStartAddress) {
    Region r(8 * 4096, 4096);
    BufferBlock block;
    r.manager.Allocate(2 * 4096, 0, 0, &block);
    EXPECT_EQ(0, r.manager.Free(r.At(4096)));
    EXPECT_EQ(0, r.manager.Free(nullptr));
    EXPECT_EQ(2u * 4096, r.manager.GetUsed());
    EXPECT_EQ(1u, r.manager.GetBlockCount());
    EXPECT_EQ(1, r.manager.Free(r.At(0)));
    EXPECT_EQ(0, r.manager.Free(r.At(0)));
    EXPECT_EQ(0u, r.manager.GetUsed());
}

TEST(BufferManager, PartialTakesLargestFreePiece) {
    Region r(10 * 512, 512);
    BufferBlock block;
    // Larger than the region: fails even with partial while nothing is handed out.
    EXPECT_EQ(nullptr, r.manager.Allocate(11 * 512, 0, 1, &block));

    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(r.At(i * 512), r.manager.Allocate(512, 0, 0, &block));
    EXPECT_EQ(nullptr, r.manager.Allocate(1, 0, 1, &block));
    // Holes of 1 block at 1, 3 blocks at 4..6, and a free end of 2 blocks at 8..9.
    for (int i : {1, 4, 5, 6, 8, 9})
        ASSERT_EQ(1, r.manager.Free(r.At(i * 512)));

    EXPECT_EQ(nullptr, r.manager.Allocate(4 * 512, 0, 0, &block));
    EXPECT_EQ(r.At(4 * 512), r.manager.Allocate(4 * 512, 0, 1, &block));
    EXPECT_EQ(3u * 512, block.length) << "the whole hole, reported at its size";
    EXPECT_EQ(7u * 512, r.manager.GetUsed());
    // Next largest is the free end (2 blocks), larger than the 1-block hole.
    EXPECT_EQ(r.At(8 * 512), r.manager.Allocate(5 * 512, 0, 1, &block));
    EXPECT_EQ(2u * 512, block.length);
    EXPECT_EQ(r.At(512), r.manager.Allocate(5 * 512, 0, 1, &block));
    EXPECT_EQ(nullptr, r.manager.Allocate(512, 0, 1, &block));
}

TEST(BufferManager, PartialPrefersInnerHoleOnTie) {
    Region r(6 * 512, 512);
    BufferBlock block;
    for (int i = 0; i < 4; ++i)
        r.manager.Allocate(512, 0, 0, &block);
    r.manager.Free(r.At(0));
    r.manager.Free(r.At(512));  // hole of 2 at the start, free end of 2
    EXPECT_EQ(r.At(0), r.manager.Allocate(3 * 512, 0, 1, &block));
    EXPECT_EQ(r.At(4 * 512), r.manager.Allocate(3 * 512, 0, 1, &block));
}

TEST(BufferManager, WithoutAlignmentBlocksAreExact) {
    Region r(1000, 0);
    BufferBlock block;
    EXPECT_EQ(r.At(0), r.manager.Allocate(7, 0, 0, &block));
    EXPECT_EQ(r.At(7), r.manager.Allocate(993, 0, 0, &block));
    EXPECT_EQ(1000u, r.manager.GetUsed());
    EXPECT_EQ(nullptr, r.manager.Allocate(1, 0, 0, &block));
}

// A long run of queue-ordered allocation and release, checked against a brute-force
// model of first fit over a byte map.
TEST(BufferManager, MatchesFirstFitModelUnderChurn) {
    const int units = 64;
    Region r(units * 512, 512);
    std::vector<int> owner(units, -1);  // block id per unit
    std::vector<std::pair<int, int>> live;  // (start unit, unit count)
    unsigned seed = 7;
    auto next = [&seed] { seed = seed * 1103515245 + 12345; return (seed >> 16) & 0x7fff; };
    BufferBlock block;
    for (int step = 0; step < 4000; ++step) {
        if (!live.empty() && (next() % 3 == 0 || live.size() > 20)) {
            size_t pick = next() % 4 == 0 ? next() % live.size() : 0;  // mostly in order
            auto [start, count] = live[pick];
            ASSERT_EQ(1, r.manager.Free(r.At(start * 512)));
            for (int u = start; u < start + count; ++u) owner[u] = -1;
            live.erase(live.begin() + pick);
            continue;
        }
        int count = 1 + next() % 6;
        int expected = -1;
        for (int s = 0; s + count <= units && expected < 0; ++s) {
            bool free = true;
            for (int u = s; u < s + count; ++u) free = free && owner[u] < 0;
            if (free) expected = s;
        }
        void* p = r.manager.Allocate(count * 512 - 3, 0, 0, &block);
        if (expected < 0) {
            ASSERT_EQ(nullptr, p);
            continue;
        }
        ASSERT_EQ(r.At(expected * 512), p) << "step " << step;
        for (int u = expected; u < expected + count; ++u) owner[u] = step;
        live.push_back({expected, count});
    }
}
