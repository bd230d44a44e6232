#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/CopyBufferManagerSemaphoreLock.h"
#include "engine/CopyException.h"
#include "engine/CopyItemReader.h"
#include "engine/CopyItemWriter.h"
#include "foundation/Paths.h"
#include "tests/support/TestFiles.h"

using namespace Swiftlet;
using Record = ICopyBufferManager::FileBufferQueueData;

namespace {

constexpr uint64_t MiB = 1024 * 1024;

CopyOption DefaultOption() {
    CopyOption option;
    option.bufferSize = 64 * MiB;
    option.readBlockSize = 16 * MiB;
    option.writeBlockSize = 16 * MiB;
    option.unbufferedWriteMinSize = 0;
    option.retryCount = 2;
    option.retryWaitMs = 10;
    option.bufferedExtensions.push_back(L".exe");
    return option;
}

// One pool, one reader and one writer, driven alternately on this thread the way the
// two worker threads take turns.
class Pipe {
public:
    explicit Pipe(uint32_t alignment, CopyOption option = DefaultOption(), uint64_t poolSize = 64 * MiB)
        : option(option) {
        uint64_t size = poolSize;
        EXPECT_EQ(1, manager.Create(&size, &alignment));
        int noEvent = 0;
        uint64_t block = option.readBlockSize;
        reader.Init(&manager, &noEvent, &block);
        writer.Init(&manager, &noEvent, &this->option);
    }

    // Copies source to destination; records what the reader queued.
    void Copy(const CString& source, const CString& destination, int overwrite = 0) {
        int sync = 1, check = 0, noBuffer = 1;
        reader.Open(source, source, &sync, &check, &noBuffer);
        ASSERT_EQ(0, noBuffer);
        int notReady = 1;
        writer.Open(destination, source, &sync, &overwrite, &notReady);
        ASSERT_EQ(0, notReady);
        while (writer.GetWritten() < writer.GetFileSize()) {
            while (reader.GetOffset() < reader.GetFileSize()) {
                uint32_t queued = 0;
                reader.ReadNext(&queued, &noBuffer);
                if (noBuffer)
                    break;
                queuedLengths.push_back(queued);
            }
            uint32_t written = 0;
            writer.Write(&written, &notReady);
        }
        reader.Close();
        writer.Finish();
        writer.Reset();
    }

    CopyOption option;
    CopyBufferManagerSemaphoreLock manager;
    CopyItemReader reader;
    CopyItemWriter writer;
    std::vector<uint32_t> queuedLengths;
};

void ExpectSameContent(const CString& a, const CString& b) {
    std::string x, y;
    ASSERT_TRUE(TestFiles::ReadBytes(a, x));
    ASSERT_TRUE(TestFiles::ReadBytes(b, y));
    ASSERT_EQ(x.size(), y.size());
    EXPECT_TRUE(x == y) << "content differs";
}

// Without SetFileInformationByHandle, or without both finishing functions.
class OlderSystemWriter : public CopyItemWriter {
public:
    OlderSystemWriter(bool withNative) : m_withNative(withNative) {}
    int Init(ICopyBufferManager* manager, int* makeEvent, const CopyOption* option) override {
        int result = CopyItemWriter::Init(manager, makeEvent, option);
        m_setFileInformationByHandle = nullptr;
        if (!m_withNative)
            m_zwSetInformationFile = nullptr;
        return result;
    }

private:
    bool m_withNative;
};

// A small pool with its reader, for a writer the test brings; an item fits one block.
struct SmallPool {
    SmallPool() {
        uint64_t size = 4 * MiB;
        uint32_t alignment = 512;
        EXPECT_EQ(1, manager.Create(&size, &alignment));
        int noEvent = 0;
        uint64_t block = 16 * MiB;
        reader.Init(&manager, &noEvent, &block);
    }
    // Reads the item at from and writes it to to through writer, in one block.
    void CopyOne(CopyItemWriter& writer, const CString& from, const CString& to, int overwrite, bool finish = true) {
        int sync = 1, check = 0, noBuffer = 0, notReady = 0;
        reader.Open(from, from, &sync, &check, &noBuffer);
        uint32_t bytes = 0;
        reader.ReadNext(&bytes, &noBuffer);
        reader.Close();
        writer.Open(to, from, &sync, &overwrite, &notReady);
        ASSERT_EQ(0, notReady);
        writer.Write(&bytes, &notReady);
        if (!finish) return;
        writer.Finish();
        writer.Reset();
    }

    CopyBufferManagerSemaphoreLock manager;
    CopyItemReader reader;
};

// A file system whose named streams carry their file's attributes, as NTFS has it. On
// Wine's drives "file:s" is a file of its own, so the writer's attribute calls on a
// stream go to its file here.
class SharedStreamAttributesWriter : public CopyItemWriter {
protected:
    DWORD GetAttributesOf(const CString& path) override { return CopyItemWriter::GetAttributesOf(FileOf(path)); }
    BOOL SetAttributesOf(const CString& path, DWORD attributes) override {
        return CopyItemWriter::SetAttributesOf(FileOf(path), attributes);
    }

private:
    static CString FileOf(const CString& path) { return IsStreamPath(path) ? StripStreamSuffix(path) : path; }
};

}  // namespace

// Sizes around the sector and the block size, unbuffered with both alignments and
// through the cache.
TEST(CopyItemPipe, ContentArrivesByteIdenticalAroundAlignmentAndBlockSize) {
    TestFiles::TempDir dir(L"pipe");
    const uint64_t sizes[] = {0, 1, 511, 512, 513, 1000, 4096, 16 * MiB - 1, 16 * MiB, 16 * MiB + 1};
    for (uint32_t alignment : {512u, 4096u, 0u}) {
        Pipe pipe(alignment);
        for (uint64_t size : sizes) {
            CString name;
            name.Format(L"f%u_%llu", alignment, size);
            CString source = dir / (name + L".src"), destination = dir / (name + L".dst");
            ASSERT_TRUE(TestFiles::WritePattern(source, size, static_cast<unsigned>(size + alignment)));
            pipe.Copy(source, destination);
            ExpectSameContent(source, destination);
            EXPECT_EQ(0u, pipe.manager.GetUsed()) << "every block went back to the pool";
            EXPECT_EQ(0u, pipe.manager.GetQueueLength());
        }
    }
}

// The full size is reserved when the destination is created for a file that leaves in
// several writes (by write requests or by pool blocks); one that leaves in a single write
// takes its size from that write. Either way the copy ends at the source's size.
TEST(CopyItemPipe, SizeIsReservedAtCreationForFilesOfSeveralWrites) {
    TestFiles::TempDir dir(L"reserve");
    struct Case {
        uint64_t readBlock, writeBlock, size;
        bool reserved;
    } const cases[] = {
        {8192, 4096, 1, false},    {8192, 4096, 4096, false}, {8192, 4096, 4097, true},
        {8192, 4096, 8192, true},  {8192, 0, 8192, false},    {8192, 0, 8193, true},
        {2048, 4096, 2048, false}, {2048, 4096, 3000, true},  {65536, 65536, 40000, true},
    };
    int n = 0;
    for (uint32_t alignment : {512u, 0u}) {
        for (const Case& c : cases) {
            CopyOption option = DefaultOption();
            option.readBlockSize = c.readBlock;
            option.writeBlockSize = c.writeBlock;
            // The last case: a file larger than the whole pool.
            Pipe pipe(alignment, option, 32 * 1024);
            CString source, destination;
            source.Format(L"%s\\s%d", dir.Path().GetString(), n);
            destination.Format(L"%s\\d%d", dir.Path().GetString(), n++);
            ASSERT_TRUE(TestFiles::WritePattern(source, c.size, static_cast<unsigned>(n)));
            int sync = 1, check = 0, noBuffer = 1, overwrite = 0, notReady = 1;
            pipe.reader.Open(source, source, &sync, &check, &noBuffer);
            ASSERT_EQ(0, noBuffer);
            pipe.writer.Open(destination, source, &sync, &overwrite, &notReady);
            ASSERT_EQ(0, notReady);
            WIN32_FILE_ATTRIBUTE_DATA data{};
            ASSERT_TRUE(GetFileAttributesExW(destination, GetFileExInfoStandard, &data));
            EXPECT_EQ(c.reserved ? c.size : 0u, data.nFileSizeLow)
                << "size " << c.size << ", read block " << c.readBlock << ", write block " << c.writeBlock
                << ", alignment " << alignment;
            while (pipe.writer.GetWritten() < pipe.writer.GetFileSize()) {
                uint32_t bytes = 0;
                while (pipe.reader.GetOffset() < pipe.reader.GetFileSize()) {
                    pipe.reader.ReadNext(&bytes, &noBuffer);
                    if (noBuffer)
                        break;
                }
                pipe.writer.Write(&bytes, &notReady);
            }
            pipe.reader.Close();
            pipe.writer.Finish();
            pipe.writer.Reset();
            ExpectSameContent(source, destination);
        }
    }
}

TEST(CopyItemPipe, LargeFileIsQueuedInBlocksOfSixteenMiB) {
    TestFiles::TempDir dir(L"pipe");
    CString source = dir / L"big", destination = dir / L"big.copy";
    ASSERT_TRUE(TestFiles::WritePattern(source, 40 * MiB, 9));
    Pipe pipe(512);
    pipe.Copy(source, destination);
    EXPECT_EQ((std::vector<uint32_t>{16 * MiB, 16 * MiB, 8 * MiB}), pipe.queuedLengths);
    ExpectSameContent(source, destination);
}

TEST(CopyItemReader, QueuesHeaderThenRoundedBlockWithBytesRead) {
    TestFiles::TempDir dir(L"reader");
    CString source = dir / L"a.txt";
    ASSERT_TRUE(TestFiles::WritePattern(source, 1000));
    Pipe pipe(4096);
    int sync = 1, check = 0, noBuffer = 1;
    pipe.reader.Open(source, source, &sync, &check, &noBuffer);
    uint32_t queued = 0;
    pipe.reader.ReadNext(&queued, &noBuffer);
    EXPECT_EQ(1000u, queued);
    EXPECT_EQ(2u * 4096, pipe.manager.GetUsed());  // header and data, one unit each

    Record header, data;
    ASSERT_EQ(1, pipe.manager.PopFront(header));
    EXPECT_EQ(-1, header.offset);
    EXPECT_EQ(52u, header.length);
    EXPECT_EQ(source, header.key);
    EXPECT_EQ(1000u, static_cast<BY_HANDLE_FILE_INFORMATION*>(header.address)->nFileSizeLow);
    ASSERT_EQ(1, pipe.manager.PopFront(data));
    EXPECT_EQ(0, data.offset);
    EXPECT_EQ(1000u, data.length);
    pipe.manager.PushFront(data);
    pipe.manager.PushFront(header);

    pipe.reader.Abort();
    EXPECT_EQ(0u, pipe.manager.GetQueueLength());
    EXPECT_EQ(0u, pipe.manager.GetUsed());
    EXPECT_FALSE(pipe.reader.IsOpen());
}

TEST(CopyItemReader, FullPoolOpensNothing) {
    TestFiles::TempDir dir(L"reader");
    CString source = dir / L"a.txt";
    ASSERT_TRUE(TestFiles::WritePattern(source, 100));
    Pipe pipe(512, DefaultOption(), 512);
    ICopyBufferManager::Block all;
    uint64_t size = 512;
    int zero = 0, partial = 0;
    ASSERT_NE(nullptr, pipe.manager.Allocate(&size, &zero, &partial, &all));
    int sync = 1, check = 0, noBuffer = 0;
    pipe.reader.Open(source, source, &sync, &check, &noBuffer);
    EXPECT_EQ(1, noBuffer);
    EXPECT_FALSE(pipe.reader.IsOpen());
    EXPECT_EQ(0u, pipe.manager.GetQueueLength());
}

TEST(CopyItemReader, SourceHeldWithoutReadSharingFailsWithSharingViolation) {
    TestFiles::TempDir dir(L"reader");
    CString source = dir / L"held.txt";
    ASSERT_TRUE(TestFiles::WritePattern(source, 100));
    HANDLE held = CreateFileW(source, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    Pipe pipe(512);
    int sync = 1, check = 0, noBuffer = 0;
    try {
        pipe.reader.Open(source, source, &sync, &check, &noBuffer);
        ADD_FAILURE() << "opened a file held without read sharing";
    } catch (const WindowsFileException& e) {
        EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), e.error);
        EXPECT_EQ(source, e.path);
    }
    EXPECT_EQ(0u, pipe.manager.GetUsed()) << "the header block went back";
    CloseHandle(held);
    pipe.reader.Open(source, source, &sync, &check, &noBuffer);
    EXPECT_TRUE(pipe.reader.IsOpen());
}

TEST(CopyItemWriter, ExistingDestinationNeedsOverwriteAndKeepsHeaderQueued) {
    TestFiles::TempDir dir(L"writer");
    CString source = dir / L"s.txt", destination = dir / L"d.txt";
    ASSERT_TRUE(TestFiles::WritePattern(source, 3000, 1));
    ASSERT_TRUE(TestFiles::WriteBytes(destination, "old"));
    SetFileAttributesW(destination, FILE_ATTRIBUTE_READONLY);
    Pipe pipe(512);
    int sync = 1, check = 0, noBuffer = 0, overwrite = 0, notReady = 0;
    pipe.reader.Open(source, source, &sync, &check, &noBuffer);
    try {
        pipe.writer.Open(destination, source, &sync, &overwrite, &notReady);
        ADD_FAILURE() << "replaced a file without consent";
    } catch (const WindowsFileException& e) {
        EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_EXISTS), e.error);
    }
    std::string bytes;
    ASSERT_TRUE(TestFiles::ReadBytes(destination, bytes));
    EXPECT_EQ("old", bytes);
    Record front;
    ASSERT_EQ(1, pipe.manager.PopFront(front));
    EXPECT_EQ(-1, front.offset) << "the header waits for the next attempt";
    pipe.manager.PushFront(front);

    overwrite = 1;
    pipe.writer.Open(destination, source, &sync, &overwrite, &notReady);
    ASSERT_EQ(0, notReady);
    pipe.reader.Close();
    pipe.writer.Abort();
    EXPECT_FALSE(TestFiles::Exists(destination)) << "an aborted overwrite leaves no half file";
}

TEST(CopyItemWriter, WaitsForRecordOfItsOwnKey) {
    TestFiles::TempDir dir(L"writer");
    CString a = dir / L"a", b = dir / L"b";
    ASSERT_TRUE(TestFiles::WritePattern(a, 10));
    Pipe pipe(512);
    int sync = 1, check = 0, noBuffer = 0, overwrite = 0, notReady = 0;
    pipe.writer.Open(dir / L"x", a, &sync, &overwrite, &notReady);
    EXPECT_EQ(1, notReady) << "empty queue";
    pipe.reader.Open(a, a, &sync, &check, &noBuffer);
    pipe.writer.Open(dir / L"x", b, &sync, &overwrite, &notReady);
    EXPECT_EQ(1, notReady) << "header of another item";
    EXPECT_EQ(1u, pipe.manager.GetQueueLength());
    EXPECT_FALSE(TestFiles::Exists(dir / L"x"));
}

TEST(CopyItemWriter, UnbufferedTailIsWrittenWholeAndCutAtFinish) {
    TestFiles::TempDir dir(L"writer");
    CString source = dir / L"s", destination = dir / L"d";
    ASSERT_TRUE(TestFiles::WritePattern(source, 1000, 3));
    Pipe pipe(512);
    int sync = 1, check = 0, noBuffer = 0, overwrite = 0, notReady = 0;
    pipe.reader.Open(source, source, &sync, &check, &noBuffer);
    uint32_t queued = 0;
    pipe.reader.ReadNext(&queued, &noBuffer);
    pipe.writer.Open(destination, source, &sync, &overwrite, &notReady);
    EXPECT_FALSE(pipe.writer.IsBuffered());
    EXPECT_EQ(1024u, pipe.writer.GetAllocationSize());
    uint32_t written = 0;
    pipe.writer.Write(&written, &notReady);
    EXPECT_EQ(1000u, written);
    EXPECT_EQ(1000u, pipe.writer.GetWritten());
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(destination, GetFileExInfoStandard, &data));
    EXPECT_EQ(1024u, data.nFileSizeLow) << "a whole unit went out";
    pipe.writer.Finish();
    pipe.writer.Reset();
    ExpectSameContent(source, destination);
}

TEST(CopyItemWriter, BufferedExtensionsAndLargeThresholdWriteThroughCache) {
    TestFiles::TempDir dir(L"writer");
    CString exe = dir / L"program.EXE", dat = dir / L"data.bin";
    ASSERT_TRUE(TestFiles::WritePattern(exe, 5000));
    ASSERT_TRUE(TestFiles::WritePattern(dat, 5000));
    Pipe pipe(512);
    int sync = 1, check = 0, noBuffer = 0, overwrite = 0, notReady = 0;
    pipe.reader.Open(exe, exe, &sync, &check, &noBuffer);
    pipe.writer.Open(dir / L"copy.exe", exe, &sync, &overwrite, &notReady);
    EXPECT_TRUE(pipe.writer.IsBuffered());
    pipe.writer.Abort();
    pipe.reader.Abort();

    pipe.option.unbufferedWriteMinSize = ~0ull;  // never
    pipe.reader.Open(dat, dat, &sync, &check, &noBuffer);
    pipe.writer.Open(dir / L"copy.bin", dat, &sync, &overwrite, &notReady);
    EXPECT_TRUE(pipe.writer.IsBuffered());
    pipe.writer.Abort();
    EXPECT_FALSE(TestFiles::Exists(dir / L"copy.bin"));
}

// Attributes and the last-write time arrive through each of the three finishing paths;
// a read-only source is finished read-only.
TEST(CopyItemWriter, AttributesAndLastWriteTimeArriveOnEveryFinishingPath) {
    TestFiles::TempDir dir(L"writer");
    CString source = dir / L"s.dat";
    ASSERT_TRUE(TestFiles::WritePattern(source, 1000, 5));
    HANDLE h = CreateFileW(source, FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    FILETIME when{0x12345600, 0x01d00000};
    ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &when));
    CloseHandle(h);
    const DWORD attributes =
        FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    ASSERT_TRUE(SetFileAttributesW(source, attributes));

    for (int path = 0; path < 3; ++path) {
        CString destination;
        destination.Format(L"%s\\d%d.dat", dir.Path().GetString(), path);
        CopyOption option = DefaultOption();
        SmallPool pool;
        OlderSystemWriter older(path == 1);
        CopyItemWriter current;
        CopyItemWriter& writer = path == 0 ? current : older;
        int noEvent = 0;
        writer.Init(&pool.manager, &noEvent, &option);
        pool.CopyOne(writer, source, destination, 0);

        WIN32_FILE_ATTRIBUTE_DATA data{};
        ASSERT_TRUE(GetFileAttributesExW(destination, GetFileExInfoStandard, &data)) << path;
        EXPECT_EQ(attributes, data.dwFileAttributes & attributes) << path;
        EXPECT_EQ(1000u, data.nFileSizeLow) << path;
        EXPECT_EQ(0, CompareFileTime(&when, &data.ftLastWriteTime)) << path;
        SetFileAttributesW(destination, FILE_ATTRIBUTE_NORMAL);
        ExpectSameContent(source, destination);
    }
    SetFileAttributesW(source, FILE_ATTRIBUTE_NORMAL);
}

TEST(CopyItemPipe, BlockSizeBeyondThePoolIsCutToThePool) {
    TestFiles::TempDir dir(L"pipe");
    CString source = dir / L"s", destination = dir / L"d";
    ASSERT_TRUE(TestFiles::WritePattern(source, 200000, 11));
    Pipe pipe(512, DefaultOption(), 64 * 1024);
    pipe.Copy(source, destination);
    ExpectSameContent(source, destination);
    for (uint32_t length : pipe.queuedLengths)
        EXPECT_LE(length, 64u * 1024);
}

// The overlapped forms: reads and writes that may complete later are waited for.
TEST(CopyItemPipe, OverlappedReadsAndWritesCopyTheSameBytes) {
    TestFiles::TempDir dir(L"overlapped");
    CString source = dir / L"s", destination = dir / L"d";
    ASSERT_TRUE(TestFiles::WritePattern(source, 5 * MiB + 123, 13));
    CopyOption option = DefaultOption();
    option.readBlockSize = MiB;
    option.writeBlockSize = 256 * 1024;
    CopyBufferManagerSemaphoreLock manager;
    uint64_t size = 4 * MiB;
    uint32_t alignment = 512;
    ASSERT_EQ(1, manager.Create(&size, &alignment));
    CopyItemReader reader;
    CopyItemWriter writer;
    int makeEvent = 1;
    uint64_t block = option.readBlockSize;
    reader.Init(&manager, &makeEvent, &block);
    writer.Init(&manager, &makeEvent, &option);

    int overlapped = 0, check = 0, noBuffer = 0, overwrite = 0, notReady = 0;
    reader.Open(source, source, &overlapped, &check, &noBuffer);
    writer.Open(destination, source, &overlapped, &overwrite, &notReady);
    ASSERT_EQ(0, notReady);
    while (writer.GetWritten() < writer.GetFileSize()) {
        while (reader.GetOffset() < reader.GetFileSize()) {
            uint32_t bytes = 0;
            reader.ReadNext(&bytes, &noBuffer);
            if (noBuffer)
                break;
            if (reader.IsPending())
                reader.WaitPending(&bytes);
        }
        uint32_t bytes = 0;
        writer.Write(&bytes, &notReady);
        while (writer.IsPending()) {
            writer.WaitPending(&bytes);
            if (writer.GetWritten() < writer.GetFileSize())
                writer.Write(&bytes, &notReady);
        }
    }
    reader.Close();
    writer.Finish();
    writer.Reset();
    ExpectSameContent(source, destination);
    EXPECT_EQ(0u, manager.GetUsed());
}

// "Overwrite all" over a read-only file with a named stream: the file and then its stream
// are replaced, and the copy ends read-only as its source is, also when the stream fails.
TEST(CopyItemWriter, OverwrittenReadOnlyFileWithStreamStaysReadOnly) {
    TestFiles::TempDir dir(L"writer");
    const CString source = dir / L"s.dat", destination = dir / L"d.dat";
    ASSERT_TRUE(TestFiles::WritePattern(source, 3000, 1));
    ASSERT_TRUE(TestFiles::WritePattern(source + L":s", 700, 2));
    ASSERT_TRUE(TestFiles::WriteBytes(destination, "old"));
    ASSERT_TRUE(TestFiles::WriteBytes(destination + L":s", "old stream"));
    for (const CString& path : {source, source + L":s", destination})
        ASSERT_TRUE(SetFileAttributesW(path, FILE_ATTRIBUTE_READONLY));

    for (bool streamFails : {false, true}) {
        CopyOption option = DefaultOption();
        SmallPool pool;
        SharedStreamAttributesWriter writer;
        int noEvent = 0;
        writer.Init(&pool.manager, &noEvent, &option);
        pool.CopyOne(writer, source, destination, 1);
        pool.CopyOne(writer, source + L":s", destination + L":s", 1, !streamFails);
        if (streamFails)
            writer.Abort();
        const DWORD attributes = GetFileAttributesW(destination);
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes) << streamFails;
        EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY) << streamFails;
        ExpectSameContent(source, destination);
        SetFileAttributesW(destination, FILE_ATTRIBUTE_NORMAL);
        SetFileAttributesW(destination + L":s", FILE_ATTRIBUTE_NORMAL);
    }
    for (const CString& path : {source, source + L":s"})
        SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
}

// The header record is the file's BY_HANDLE_FILE_INFORMATION, field for field, also when
// the reader goes from one volume to another and back (the serial number is asked once
// per volume, the rest of the file itself).
TEST(CopyItemReader, HeaderIsTheFilesOwnInformationOnEveryVolume) {
    TestFiles::TempDir c(L"hdr");
    TestFiles::UnixTempDir z;
    const CString files[] = {c / L"a.bin", z / L"b.bin", c / L"c.bin", z / L"d.bin"};
    unsigned seed = 1;
    for (const CString& file : files) {
        ASSERT_TRUE(TestFiles::WritePattern(file, 1000 * seed, seed));
        ++seed;
    }
    ASSERT_TRUE(SetFileAttributesW(ToLongPath(files[2]), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    Pipe pipe(512);
    for (const CString& file : files) {
        int sync = 1, check = 0, noBuffer = 1;
        pipe.reader.Open(file, file, &sync, &check, &noBuffer);
        ASSERT_EQ(0, noBuffer);
        Record header;
        ASSERT_EQ(1, pipe.manager.PopFront(header));
        BY_HANDLE_FILE_INFORMATION queued;
        std::memcpy(&queued, header.address, sizeof(queued));
        pipe.manager.Free(&header.address);
        pipe.reader.Close();

        HANDLE handle = CreateFileW(ToLongPath(file), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, handle);
        BY_HANDLE_FILE_INFORMATION expected;
        ASSERT_TRUE(GetFileInformationByHandle(handle, &expected));
        CloseHandle(handle);
        EXPECT_EQ(0, std::memcmp(&expected, &queued, sizeof(queued))) << NarrowString(file, CP_UTF8);
        EXPECT_EQ(expected.dwVolumeSerialNumber, queued.dwVolumeSerialNumber);
        EXPECT_EQ(expected.nFileSizeLow, queued.nFileSizeLow);
        EXPECT_EQ(expected.dwFileAttributes, queued.dwFileAttributes);
    }
    SetFileAttributesW(ToLongPath(files[2]), FILE_ATTRIBUTE_NORMAL);
}
