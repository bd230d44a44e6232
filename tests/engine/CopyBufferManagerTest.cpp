#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <thread>

#include "engine/CopyBufferManagerSemaphoreLock.h"

using namespace Swiftlet;
using Record = ICopyBufferManager::FileBufferQueueData;

namespace {

void* Take(ICopyBufferManager& m, uint64_t size, ICopyBufferManager::Block* out) {
    int zero = 0, partial = 0;
    return m.Allocate(&size, &zero, &partial, out);
}

}  // namespace

TEST(CopyBufferManager, CreateOnceThenReleaseAllowsCreateAgain) {
    CopyBufferManagerSemaphoreLock m;
    uint64_t size = 1 << 20;
    uint32_t alignment = 512;
    ASSERT_EQ(1, m.Create(&size, &alignment));
    EXPECT_EQ(0, m.Create(&size, &alignment));
    EXPECT_EQ(512u, m.GetAlignment());
    EXPECT_EQ(1u << 20, m.GetSize());
    ICopyBufferManager::Block block;
    ASSERT_NE(nullptr, Take(m, 100, &block)) << "the first pool still works under its lock";
    m.PushBack(Record(L"a", -1, block.address, 52));
    EXPECT_EQ(1, m.Release());
    EXPECT_EQ(0u, m.GetSize());
    EXPECT_EQ(0u, m.GetQueueLength());
    EXPECT_EQ(0u, m.GetPeakUsed());
    ASSERT_EQ(1, m.Create(&size, &alignment));
    EXPECT_EQ(0u, m.GetUsed());
}

TEST(CopyBufferManager, BlockLengthIsBytesAskedWhileUsedIsRounded) {
    CopyBufferManagerSemaphoreLock m;
    uint64_t size = 1 << 20;
    uint32_t alignment = 512;
    ASSERT_EQ(1, m.Create(&size, &alignment));
    ICopyBufferManager::Block block;
    ASSERT_NE(nullptr, Take(m, 1000, &block));
    EXPECT_EQ(1000u, block.length);
    EXPECT_EQ(1024u, m.GetUsed());
    EXPECT_EQ((1u << 20) - 1024, m.GetFree());
    void* first = block.address;
    ASSERT_NE(nullptr, Take(m, 4096, &block));
    EXPECT_EQ(1024u + 4096, m.GetPeakUsed());
    EXPECT_EQ(1, m.Free(&first));
    EXPECT_EQ(1024u + 4096, m.GetPeakUsed()) << "the peak stays";
    EXPECT_EQ(4096u, m.GetUsed());
}

TEST(CopyBufferManager, RecordOfAnotherItemPushedBackIsPoppedAgain) {
    CopyBufferManagerSemaphoreLock m;
    uint64_t size = 1 << 20;
    uint32_t alignment = 512;
    ASSERT_EQ(1, m.Create(&size, &alignment));
    ICopyBufferManager::Block a, b;
    Take(m, 52, &a);
    Take(m, 4096, &b);
    m.PushBack(Record(L"C:\\x\\a", -1, a.address, 52));
    m.PushBack(Record(L"C:\\x\\a", 0, b.address, 4096));

    Record front;
    ASSERT_EQ(1, m.PopFront(front));
    EXPECT_EQ(-1, front.offset);
    m.PushFront(front);  // not what the writer waits for
    Record again;
    ASSERT_EQ(1, m.PopFront(again));
    EXPECT_EQ(front.key, again.key);
    EXPECT_EQ(front.offset, again.offset);
    EXPECT_EQ(front.address, again.address);
    ASSERT_EQ(1, m.PopFront(again));
    EXPECT_EQ(0, again.offset);
    EXPECT_EQ(0, m.PopFront(again));
}

TEST(CopyBufferManager, DiscardDropsOneItemAndReturnsItsBlocks) {
    CopyBufferManagerSemaphoreLock m;
    uint64_t size = 1 << 20;
    uint32_t alignment = 512;
    ASSERT_EQ(1, m.Create(&size, &alignment));
    ICopyBufferManager::Block block;
    const wchar_t* keys[] = {L"C:\\d\\A.txt", L"C:\\d\\b.txt", L"c:\\D\\a.TXT", L"C:\\d\\b.txt"};
    int64_t offset = 0;
    for (const wchar_t* key : keys) {
        ASSERT_NE(nullptr, Take(m, 1000, &block));
        m.PushBack(Record(key, offset, block.address, block.length));
        offset += 1000;
    }
    EXPECT_EQ(4u * 1024, m.GetUsed());
    m.Discard(L"C:\\D\\a.txt");
    EXPECT_EQ(2u, m.GetQueueLength());
    EXPECT_EQ(2u, m.GetBlockCount());
    EXPECT_EQ(2u * 1024, m.GetUsed());
    Record r;
    ASSERT_EQ(1, m.PopFront(r));
    EXPECT_EQ(1000, r.offset);  // order of the others kept
    ASSERT_EQ(1, m.PopFront(r));
    EXPECT_EQ(3000, r.offset);
}

// A reader thread fills blocks and queues them; this thread takes them in queue order,
// checks their content and returns them. The pool holds only a few blocks, so both
// sides keep waiting for each other.
TEST(CopyBufferManager, ProducerAndConsumerThreadsKeepOrderAndContent) {
    CopyBufferManagerSemaphoreLock m;
    uint64_t size = 8 * 4096;
    uint32_t alignment = 4096;
    ASSERT_EQ(1, m.Create(&size, &alignment));
    const int count = 3000;

    std::thread producer([&m] {
        for (int i = 0; i < count; ++i) {
            ICopyBufferManager::Block block;
            uint64_t length = 1 + (i * 7919) % (3 * 4096);
            while (!Take(m, length, &block))
                SwitchToThread();
            std::memset(block.address, i & 0xff, static_cast<size_t>(block.length));
            m.PushBack(Record(L"k", i, block.address, block.length));
        }
    });
    int expected = 0;
    while (expected < count) {
        Record r;
        if (!m.PopFront(r)) {
            SwitchToThread();
            continue;
        }
        ASSERT_EQ(expected, r.offset);
        ASSERT_EQ(1u + (expected * 7919) % (3 * 4096), r.length);
        const unsigned char* p = static_cast<const unsigned char*>(r.address);
        ASSERT_EQ(expected & 0xff, p[0]);
        ASSERT_EQ(expected & 0xff, p[r.length - 1]);
        ASSERT_EQ(1, m.Free(&r.address));
        ++expected;
    }
    producer.join();
    EXPECT_EQ(0u, m.GetUsed());
    EXPECT_EQ(0u, m.GetQueueLength());
    EXPECT_LE(m.GetPeakUsed(), size);
}
