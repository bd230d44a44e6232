#include <gtest/gtest.h>

#include <windows.h>

#include "control/CoreEvent.h"
#include "engine/CopyAlgorithm.h"
#include "tests/support/CopyJob.h"
#include "tests/support/CoreEventScript.h"
#include "tests/support/TestFiles.h"

using namespace Swiftlet;
using TestFiles::JobOption;
using TestFiles::SameFile;

namespace {

constexpr uint64_t KiB = 1024;
constexpr uint64_t MiB = 1024 * KiB;
constexpr uint64_t kConfigured = 64 * MiB;
constexpr uint64_t kBlock = 16 * MiB;

CopyItemsData Items(std::initializer_list<std::pair<uint64_t, uint32_t>> sizesAndTypes) {
    CopyItemsData items;
    items.AddRoot(L"C:\\src");
    int n = 0;
    for (const auto& [size, type] : sizesAndTypes) {
        CString name;
        name.Format(type == CopyItemData::Folder ? L"C:\\src\\d%d" : L"C:\\src\\f%d", n++);
        items.AddItem(CopyItemData(name, size, type));
    }
    return items;
}

}  // namespace

// What the reader may queue at once decides the pool: small jobs get a small pool in whole
// 64 KiB units, a multiple of the alignment, never below what the found items need and
// never above the configured size.
TEST(CopyPoolSize, SmallJobsGetWhatTheirItemsNeedLargeOnesTheConfiguredPool) {
    const uint32_t File = CopyItemData::File, Folder = CopyItemData::Folder;
    EXPECT_EQ(64 * KiB, CopyAlgorithmMultiThread::PoolSizeFor(Items({}), kConfigured, 4096, kBlock));
    EXPECT_EQ(64 * KiB, CopyAlgorithmMultiThread::PoolSizeFor(Items({{0, Folder}}), kConfigured, 4096, kBlock));
    EXPECT_EQ(64 * KiB, CopyAlgorithmMultiThread::PoolSizeFor(Items({{4 * KiB, File}}), kConfigured, 4096, kBlock));
    // 10 files of 5 KiB: a 4 KiB record and two 4 KiB sectors each, and a sector of slack.
    const CopyItemsData ten = Items({{5 * KiB, File}, {5 * KiB, File}, {5 * KiB, File}, {5 * KiB, File},
                                     {5 * KiB, File}, {5 * KiB, File}, {5 * KiB, File}, {5 * KiB, File},
                                     {5 * KiB, File}, {5 * KiB, File}});
    const uint64_t tenPool = CopyAlgorithmMultiThread::PoolSizeFor(ten, kConfigured, 4096, kBlock);
    EXPECT_GE(tenPool, 10 * (4 + 8) * KiB);
    EXPECT_EQ(0u, tenPool % (64 * KiB));
    EXPECT_LT(tenPool, 1 * MiB);
    // A file as large as the pool, or many that add up to it, take the configured size.
    EXPECT_EQ(kConfigured, CopyAlgorithmMultiThread::PoolSizeFor(Items({{kConfigured, File}}), kConfigured, 4096, kBlock));
    EXPECT_EQ(kConfigured,
              CopyAlgorithmMultiThread::PoolSizeFor(Items({{40 * MiB, File}, {30 * MiB, File}}), kConfigured, 4096, kBlock));
    EXPECT_EQ(kConfigured, CopyAlgorithmMultiThread::PoolSizeFor(Items({{~0ull, File}}), kConfigured, 4096, kBlock));
    // An alignment that does not divide 64 KiB: the pool is a multiple of it instead.
    const uint64_t odd = CopyAlgorithmMultiThread::PoolSizeFor(Items({{100 * KiB, File}}), kConfigured, 3 * 512, kBlock);
    EXPECT_EQ(0u, odd % (3 * 512));
    EXPECT_GE(odd, 100 * KiB);
    // Buffered I/O (no alignment) still counts every record and block.
    EXPECT_GE(CopyAlgorithmMultiThread::PoolSizeFor(Items({{3 * MiB, File}}), kConfigured, 0, kBlock), 3 * MiB);
}

// A small job copies through its small pool with unbuffered I/O, and a file that grew after
// the find step (larger now than the whole pool) still arrives whole, in turns.
TEST(CopyPoolSize, ASmallPoolCopiesEverythingEvenAFileThatGrewAfterTheFindStep) {
    TestFiles::TempDir c(L"pool");
    ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\a.bin", 1, 1));
    ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\b.bin", 5000, 2));
    ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\grows.bin", 4096, 3));
    ASSERT_TRUE(TestFiles::WritePattern(c / L"grown.bin", 3 * MiB + 123, 4));
    ASSERT_TRUE(TestFiles::MakeFolders(c / L"dst"));
    CopyOption option = JobOption({c / L"src"}, c / L"dst");

    CoreEventScriptHandler handler;
    handler.onEvent = [&](const CoreEventRecord& record) {
        // The sizes are taken; the pool and the reader come next.
        if (record.code == kEventCopyBegin) {
            EXPECT_TRUE(CopyFileW(c / L"grown.bin", c / L"src\\grows.bin", FALSE));
        }
    };
    CoreEvent events;
    events.Attach(&handler);
    CopyAlgorithmMultiThread algorithm(option, &events);
    EXPECT_EQ(1, algorithm.Run());
    for (const CoreEventRecord& record : handler.Records())
        EXPECT_NE(kEventError, record.code) << "type " << record.copyType << " error " << record.error;
    EXPECT_LT(algorithm.GetPoolSize(), 1 * MiB);
    EXPECT_LE(algorithm.GetPoolPeakUsed(), algorithm.GetPoolSize());
    EXPECT_TRUE(SameFile(c / L"src\\a.bin", c / L"dst\\src\\a.bin"));
    EXPECT_TRUE(SameFile(c / L"src\\b.bin", c / L"dst\\src\\b.bin"));
    EXPECT_TRUE(SameFile(c / L"grown.bin", c / L"dst\\src\\grows.bin"));
}
