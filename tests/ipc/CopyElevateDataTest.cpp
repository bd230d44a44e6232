#include "ipc/CopyElevateData.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/CopyException.h"
#include "tests/support/PipeTestSupport.h"

using namespace Swiftlet;
using namespace Swiftlet::ElevateData;
using PipeTest::Bytes;

namespace {

// Builds a message field by field, the way the tests write the expected bytes by hand.
class Wire {
public:
    Wire& I32(int32_t v) { return Raw(&v, 4); }
    Wire& U64(uint64_t v) { return Raw(&v, 8); }
    Wire& Text(const wchar_t* text) {
        const size_t bytes = wcslen(text) * 2;
        U64(bytes);
        return Raw(text, bytes);
    }
    Wire& Raw(const void* data, size_t size) {
        const BYTE* p = static_cast<const BYTE*>(data);
        bytes.insert(bytes.end(), p, p + size);
        return *this;
    }
    Bytes bytes;
};

template <class T>
Bytes Encoded(void (*encode)(CDataConverter&, const T&), const T& value) {
    CDataConverter out;
    encode(out, value);
    return out.Bytes();
}

// A tree of one source folder with a file and a stream below it, and a second tree.
CopyStatus SampleStatus() {
    CopyStatus status;
    status.foldersFirst = 1;
    status.destinationSupportsEncryption = 0;
    CopyItemsData& items = status.items;
    items.trees.emplace_back();
    CopyItemTree& first = items.trees.back();
    auto root = first.set_head(CopyItemData(L"C:\\src", 0, CopyItemData::BaseFolder));
    auto dir = first.append_child(root, CopyItemData(L"dir", 0, CopyItemData::Folder, CopyItemData::Written));
    auto file = first.append_child(dir, CopyItemData(L"a.txt", 5, CopyItemData::File, CopyItemData::Passed));
    file->destName = L"a (2).txt";
    first.append_child(file, CopyItemData(L":s:$DATA", 3, CopyItemData::Stream));
    first.append_child(dir, CopyItemData(L"b.txt", 7, CopyItemData::File, CopyItemData::Skip));
    items.trees.emplace_back();
    CopyItemTree& second = items.trees.back();
    auto root2 = second.set_head(CopyItemData(L"D:\\", 0, CopyItemData::BaseFolder));
    second.append_child(root2, CopyItemData(L"x.bin", 9, CopyItemData::File));
    items.totalSize = 24;
    items.weightedSize = 21;
    items.largestSize = 9;
    items.itemCount = 6;
    items.folderCount = 1;
    items.fileCount = 3;
    items.streamCount = 1;
    items.removeFolderCount = 0;
    items.deleteCount = 0;
    status.write.treeCursor = 0;
    status.write.itemCursor = file;  // pre-order position 2
    status.write.state = CopyStatusItemInfo::Failed;
    status.write.pass = CopyStatusItemInfo::SecondPass;
    status.write.itemsDone = 1;
    status.write.bytesDone = 0;
    status.write.weightedBytesDone = 0;
    status.read.treeCursor = 2;  // past the last tree
    status.read.state = CopyStatusItemInfo::Finished;
    status.read.pass = CopyStatusItemInfo::SinglePass;
    status.read.itemsDone = 3;
    return status;
}

std::vector<CString> Describe(const CopyStatus& status) {
    std::vector<CString> lines;
    for (const CopyItemTree& tree : status.items.trees) {
        for (auto it = tree.begin(); it != tree.end(); ++it) {
            CString line;
            line.Format(L"%d %s %llu %u %x %s", it.node->depth, it->name.GetString(),
                        static_cast<unsigned long long>(it->size), it->type, it->GetFlags(),
                        it->destName.GetString());
            lines.push_back(line);
        }
    }
    return lines;
}

bool DecodesStatus(const Bytes& bytes, CopyStatus& status) {
    CDataParser in(bytes.data(), bytes.size());
    return DecodeStatus(in, status) && in.Remaining() == 0;
}

bool DecodesSnapshot(const Bytes& bytes, CoreDisplayStatus& snapshot) {
    CDataParser in(bytes.data(), bytes.size());
    return DecodeSnapshot(in, snapshot) && in.Remaining() == 0;
}

std::unique_ptr<Exception> RoundTrip(const Exception* e) {
    CDataConverter out;
    EncodeException(out, e);
    CDataParser in(out.Data(), out.Size());
    std::unique_ptr<Exception> back;
    EXPECT_TRUE(DecodeException(in, back));
    EXPECT_EQ(0u, in.Remaining());
    return back;
}

WIN32_FILE_ATTRIBUTE_DATA Attributes(DWORD attributes, DWORD sizeLow) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    data.dwFileAttributes = attributes;
    data.ftLastWriteTime.dwLowDateTime = 0x12345678;
    data.nFileSizeLow = sizeLow;
    return data;
}

}  // namespace

TEST(CopyElevateData, JobCarriesEveryFieldIncludingAllBitsThresholdsAndNoExtensions) {
    CopyOption o;
    o.algorithm = 2;
    o.sources = {L"C:\\a", L"Z:\\日本語\\b"};
    o.destination = L"D:\\dest";
    o.bufferSize = 64ull << 20;
    o.readBlockSize = 16ull << 20;
    o.reserved1 = 1;
    o.writeBlockSize = 8ull << 20;
    o.unbufferedWriteMinSize = ~0ull;
    o.reserved2 = 2;
    o.reserved3 = 3;
    o.reserved4 = 4;
    o.reserved5 = 5;
    o.foldersFirst = 1;
    o.readerWakeMinFree = ~0ull;
    o.writerWakeMinUsed = ~0ull;
    o.move = 1;
    o.retryCount = 10;
    o.retryWaitMs = 100;
    o.askFolderConflicts = 0;
    o.batchFileConflicts = 1;
    const Bytes bytes = Encoded(&EncodeJob, o);

    Wire expected;
    expected.I32(2).U64(2).Text(L"C:\\a").Text(L"Z:\\日本語\\b").Text(L"D:\\dest");
    expected.U64(64ull << 20).U64(16ull << 20).U64(1).U64(8ull << 20).U64(~0ull).U64(2);
    expected.I32(3).I32(4).I32(5).I32(1).U64(~0ull).U64(~0ull);
    expected.I32(1).I32(10).I32(100).I32(0).I32(1).U64(0);
    EXPECT_EQ(expected.bytes, bytes);

    CopyOption back;
    CDataParser in(bytes.data(), bytes.size());
    ASSERT_TRUE(DecodeJob(in, back));
    EXPECT_EQ(0u, in.Remaining());
    EXPECT_EQ(bytes, Encoded(&EncodeJob, back));
    EXPECT_EQ(~0ull, back.readerWakeMinFree);
    EXPECT_TRUE(back.bufferedExtensions.empty());
}

TEST(CopyElevateData, StatusOfOneRootAndACursorPastTheEndIsWrittenAsTheBytesSay) {
    CopyStatus status;
    status.items.trees.emplace_back();
    status.items.trees.back().set_head(CopyItemData(L"C:\\", 0, CopyItemData::BaseFolder));
    status.read.treeCursor = 1;  // past the only tree
    status.read.state = CopyStatusItemInfo::Finished;
    status.write.treeCursor = 0;
    status.write.itemCursor = status.items.trees[0].begin();
    status.write.state = CopyStatusItemInfo::Running;
    status.write.pass = CopyStatusItemInfo::SinglePass;
    status.write.bytesDone = 7;

    Wire expected;
    expected.I32(0).I32(0).U64(1);                        // settings, one tree
    expected.U64(1).U64(0).U64(~0ull);                    // one node: index 0, parent -1
    expected.Text(L"C:\\").U64(0).I32(1).I32(0).Text(L"");  // the base folder
    for (int i = 0; i < 9; ++i) expected.U64(0);          // counters
    expected.U64(~0ull).U64(~0ull).I32(2).I32(3).U64(0).U64(0).U64(0);  // read: past the end
    expected.U64(0).U64(0).I32(1).I32(3).U64(0).U64(7).U64(0);          // write: the root
    const Bytes bytes = Encoded(&EncodeStatus, status);
    EXPECT_EQ(expected.bytes, bytes);

    CopyStatus back;
    ASSERT_TRUE(DecodesStatus(bytes, back));
    EXPECT_EQ(1u, back.read.treeCursor);
    EXPECT_EQ(nullptr, back.read.itemCursor.node);
    EXPECT_EQ(back.items.trees[0].begin(), back.write.itemCursor);
    EXPECT_EQ(7u, back.write.bytesDone);
}

TEST(CopyElevateData, StatusTreesFlagsNamesAndCursorsSurviveTheTrip) {
    const CopyStatus status = SampleStatus();
    const Bytes bytes = Encoded(&EncodeStatus, status);
    CopyStatus back;
    ASSERT_TRUE(DecodesStatus(bytes, back));
    EXPECT_EQ(Describe(status), Describe(back));
    EXPECT_EQ(bytes, Encoded(&EncodeStatus, back));
    EXPECT_EQ(L"a.txt", back.write.itemCursor->name);
    EXPECT_EQ(CopyStatusItemInfo::Failed, back.write.state);
    EXPECT_EQ(CopyStatusItemInfo::SecondPass, back.write.pass);
    EXPECT_EQ(3u, back.read.itemsDone);
    EXPECT_EQ(1, back.foldersFirst);
    EXPECT_EQ(6u, back.items.itemCount);
}

TEST(CopyElevateData, RunningCursorPastTheLastTreeArrivesFinished) {
    CopyStatus status = SampleStatus();
    status.read.state = CopyStatusItemInfo::Running;
    CopyStatus back;
    ASSERT_TRUE(DecodesStatus(Encoded(&EncodeStatus, status), back));
    EXPECT_EQ(CopyStatusItemInfo::Finished, back.read.state);
}

TEST(CopyElevateData, StatusWhoseTreeOrderDoesNotHoldIsRefused) {
    // Node 2 hangs on node 0 although node 1 came between: as a pre-order it is node 1's
    // sibling, which is fine; a node that names a later node, itself, or leaves the path
    // is not.
    auto tree = [](std::initializer_list<std::pair<uint64_t, int64_t>> nodes) {
        Wire w;
        w.I32(0).I32(0).U64(1).U64(nodes.size());
        for (const auto& node : nodes) {
            w.U64(node.first).U64(static_cast<uint64_t>(node.second));
            w.Text(L"n").U64(0).I32(3).I32(0).Text(L"");
        }
        for (int i = 0; i < 9; ++i) w.U64(0);
        for (int i = 0; i < 2; ++i) w.U64(~0ull).U64(~0ull).I32(2).I32(3).U64(0).U64(0).U64(0);
        return w.bytes;
    };
    CopyStatus back;
    EXPECT_TRUE(DecodesStatus(tree({{0, -1}, {1, 0}, {2, 0}}), back));
    EXPECT_TRUE(DecodesStatus(tree({{0, -1}, {1, 0}, {2, 1}, {3, 0}}), back));
    EXPECT_FALSE(DecodesStatus(tree({{0, -1}, {1, 0}, {2, 1}, {3, 2}, {4, 1}, {5, 3}}), back));  // 3 left the path
    EXPECT_FALSE(DecodesStatus(tree({{0, -1}, {1, 2}}), back));   // a parent that comes later
    EXPECT_FALSE(DecodesStatus(tree({{0, -1}, {1, 1}}), back));   // its own parent
    EXPECT_FALSE(DecodesStatus(tree({{0, -1}, {1, -1}}), back));  // a second root
    EXPECT_FALSE(DecodesStatus(tree({{0, 0}}), back));            // a root with a parent
    EXPECT_FALSE(DecodesStatus(tree({{1, -1}}), back));           // an index out of turn
}

TEST(CopyElevateData, CursorsOutsideTheTreesAreRefused) {
    const Bytes good = Encoded(&EncodeStatus, SampleStatus());
    // The write cursor's tree and node index open its 48 bytes at the end.
    auto withWriteCursor = [&](int64_t tree, int64_t node) {
        Bytes b = good;
        std::memcpy(b.data() + b.size() - 48, &tree, 8);
        std::memcpy(b.data() + b.size() - 40, &node, 8);
        return b;
    };
    CopyStatus back;
    EXPECT_TRUE(DecodesStatus(withWriteCursor(1, 1), back));
    EXPECT_FALSE(DecodesStatus(withWriteCursor(2, 0), back));   // no third tree
    EXPECT_FALSE(DecodesStatus(withWriteCursor(1, 2), back));   // the second tree has two nodes
    EXPECT_FALSE(DecodesStatus(withWriteCursor(-1, 0), back));  // past the end, yet a node
    EXPECT_FALSE(DecodesStatus(withWriteCursor(0, -1), back));
}

TEST(CopyElevateData, RetryQuestionCarriesItsInnerErrorOnlyWhenItHasOne) {
    const WIN32_FILE_ATTRIBUTE_DATA data = Attributes(FILE_ATTRIBUTE_ARCHIVE, 100);
    CopyExceptionRetryFile bare(nullptr, L"C:\\x", data, 1, 0);
    Wire expected;
    expected.I32(kRetryFile).U64(0).I32(0).I32(kCopyRetryFile).Text(L"C:\\x").Raw(&data, 36);
    expected.I32(1).I32(0).I32(0);
    CDataConverter out;
    EncodeException(out, &bare);
    EXPECT_EQ(expected.bytes, out.Bytes());

    WindowsFileException inner(ERROR_ACCESS_DENIED, L"C:\\x");
    CopyExceptionRetryFile full(inner);
    CDataConverter outFull;
    EncodeException(outFull, &full);
    Wire tail;  // after the flags: inner kind 3, its base part, error and path
    tail.I32(kWindowsFileException).U64(0).I32(0).I32(ERROR_ACCESS_DENIED).Text(L"C:\\x");
    ASSERT_GE(outFull.Size(), tail.bytes.size());
    EXPECT_TRUE(std::equal(tail.bytes.begin(), tail.bytes.end(), outFull.Bytes().end() - tail.bytes.size()));

    std::unique_ptr<Exception> back = RoundTrip(&full);
    const auto* retry = dynamic_cast<const CopyExceptionRetryFile*>(back.get());
    ASSERT_NE(nullptr, retry);
    EXPECT_EQ(1, retry->ownsError);
    ASSERT_NE(nullptr, retry->error);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), retry->error->error);
    EXPECT_EQ(L"C:\\x", retry->error->path);
    EXPECT_EQ(full.isElevated, retry->isElevated);
    back = RoundTrip(&bare);
    retry = dynamic_cast<const CopyExceptionRetryFile*>(back.get());
    ASSERT_NE(nullptr, retry);
    EXPECT_EQ(nullptr, retry->error);
    EXPECT_EQ(100u, retry->data.nFileSizeLow);
}

TEST(CopyElevateData, EveryKindArrivesAsItsOwnClassWithItsFields) {
    const WIN32_FILE_ATTRIBUTE_DATA folder = Attributes(FILE_ATTRIBUTE_DIRECTORY, 0);
    const WIN32_FILE_ATTRIBUTE_DATA file = Attributes(FILE_ATTRIBUTE_NORMAL, 42);
    EXPECT_EQ(nullptr, RoundTrip(nullptr));

    Exception plain("boom", 3);
    auto back = RoundTrip(&plain);
    ASSERT_NE(nullptr, back);
    EXPECT_EQ(kPlainException, ClassifyException(back.get()));
    EXPECT_EQ("boom", back->message);
    EXPECT_EQ(3, back->code);

    WindowsException windows(ERROR_DISK_FULL);
    back = RoundTrip(&windows);
    ASSERT_EQ(kWindowsException, ClassifyException(back.get()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_DISK_FULL), AsWindowsException(back.get())->error);

    WindowsFileException windowsFile(ERROR_SHARING_VIOLATION, L"C:\\f");
    back = RoundTrip(&windowsFile);
    ASSERT_EQ(kWindowsFileException, ClassifyException(back.get()));
    EXPECT_EQ(L"C:\\f", AsWindowsFileException(back.get())->path);

    CopyException cancelled(kCopyCancelled);
    back = RoundTrip(&cancelled);
    ASSERT_EQ(kCopyException, ClassifyException(back.get()));
    EXPECT_EQ(kCopyCancelled, AsCopyException(back.get())->type);

    CopyExceptionEncrypted encrypted(L"C:\\e", folder);
    back = RoundTrip(&encrypted);
    ASSERT_EQ(kEncrypted, ClassifyException(back.get()));
    EXPECT_EQ(L"C:\\e", static_cast<CopyExceptionEncrypted*>(back.get())->path);

    CopyExceptionNotFreeSpace space(5000000);
    back = RoundTrip(&space);
    ASSERT_EQ(kNotFreeSpace, ClassifyException(back.get()));
    EXPECT_EQ(5000000u, static_cast<CopyExceptionNotFreeSpace*>(back.get())->missing);

    CopyExceptionOverwrite overwrite(L"C:\\s", file, L"D:\\d", folder);
    back = RoundTrip(&overwrite);
    ASSERT_EQ(kOverwrite, ClassifyException(back.get()));
    const auto* o = static_cast<CopyExceptionOverwrite*>(back.get());
    EXPECT_EQ(L"C:\\s", o->sourcePath);
    EXPECT_EQ(42u, o->sourceData.nFileSizeLow);
    EXPECT_EQ(L"D:\\d", o->destinationPath);
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY), o->destinationData.dwFileAttributes);

    CopyExceptionOverwriteFiles files;
    files.sourceFolder = L"C:\\src";
    files.destinationFolder = L"D:\\dst";
    files.files = {{L"C:\\src\\a", L"D:\\dst\\a"}, {L"C:\\src\\b", L"D:\\dst\\b"}};
    back = RoundTrip(&files);
    ASSERT_EQ(kOverwriteFiles, ClassifyException(back.get()));
    const auto* f = static_cast<CopyExceptionOverwriteFiles*>(back.get());
    EXPECT_EQ(L"C:\\src", f->sourceFolder);
    EXPECT_EQ(files.files, f->files);
}

TEST(CopyElevateData, TypeThatDoesNotMatchItsClassIsRefused) {
    // The panel picks the view, and the class it reads, by the type: a plain copy error
    // claiming to be a batch of conflicts would be read as one.
    auto decodes = [](int32_t kind, int32_t type) {
        Wire w;
        w.I32(kind).U64(0).I32(0).I32(type);
        CDataParser in(w.bytes.data(), w.bytes.size());
        std::unique_ptr<Exception> e;
        return DecodeException(in, e);
    };
    EXPECT_TRUE(decodes(kCopyException, kCopyCancelled));
    for (int type : {kCopyNotFreeSpace, kCopyEncrypted, kCopyOverwrite, kCopyRetryFile, kCopyOverwriteFiles})
        EXPECT_FALSE(decodes(kCopyException, type)) << type;
    EXPECT_FALSE(decodes(kNotFreeSpace, kCopyOverwriteFiles));
    EXPECT_FALSE(decodes(10, 0));  // no such kind
}

TEST(CopyElevateData, SnapshotRoundTripOwnsItsException) {
    CoreDisplayStatus s;
    s.totalElapsedMs = 1;
    s.copyElapsedMs = 2;
    s.bytes.total = 3;
    s.bytes.read = 4;
    s.bytes.written = 5;
    s.items.total = 6;
    s.readPath = L"C:\\r";
    s.writeDestinationPath = L"D:\\w";
    s.lastWrite = CoreDisplayStatusLapTime(7, 8);
    s.writeLaps = {CoreDisplayStatusLapTime(9, 10), CoreDisplayStatusLapTime(11, 12)};
    CopyException e(kCopyCancelled);
    s.exception = &e;
    CDataConverter out;
    EncodeSnapshot(out, s);
    s.exception = nullptr;

    CoreDisplayStatus back;
    ASSERT_TRUE(DecodesSnapshot(out.Bytes(), back));
    EXPECT_EQ(5u, back.bytes.written);
    EXPECT_EQ(L"D:\\w", back.writeDestinationPath);
    EXPECT_EQ(8u, back.lastWrite.bytes);
    ASSERT_EQ(2u, back.writeLaps.size());
    EXPECT_EQ(11u, back.writeLaps[1].milliseconds);
    ASSERT_NE(nullptr, AsCopyException(back.exception));
    EXPECT_EQ(1, back.ownsException);
}

TEST(CopyElevateData, SelectionUsesFourByteCounts) {
    SelectionMap selection;
    selection[L"C:\\b"] = 7;
    selection[L"C:\\A"] = 5;
    CDataConverter out;
    EncodeSelection(out, selection);
    Wire expected;
    expected.I32(2).I32(8).Raw(L"C:\\A", 8).I32(5).I32(8).Raw(L"C:\\b", 8).I32(7);
    EXPECT_EQ(expected.bytes, out.Bytes());
    SelectionMap back;
    CDataParser in(out.Data(), out.Size());
    ASSERT_TRUE(DecodeSelection(in, back));
    EXPECT_EQ(5, back[L"c:\\a"]);
    EXPECT_EQ(7, back[L"C:\\B"]);
}

TEST(CopyElevateData, EveryCutShortMessageIsRefused) {
    CoreDisplayStatus s;
    s.readFolder = L"C:\\src";
    s.readTotals = {CoreDisplayStatusLapTime(1, 2)};
    CopyExceptionOverwrite e(L"C:\\s", Attributes(0, 1), L"D:\\d", Attributes(0, 2));
    s.exception = &e;
    CDataConverter snapshot;
    EncodeSnapshot(snapshot, s);
    s.exception = nullptr;
    const Bytes status = Encoded(&EncodeStatus, SampleStatus());
    CopyOption option;
    option.sources = {L"C:\\a"};
    option.bufferedExtensions = {L".txt"};
    const Bytes job = Encoded(&EncodeJob, option);
    for (size_t n = 0; n < snapshot.Size(); ++n) {
        CoreDisplayStatus back;
        EXPECT_FALSE(DecodesSnapshot(Bytes(snapshot.Bytes().begin(), snapshot.Bytes().begin() + n), back)) << n;
    }
    for (size_t n = 0; n < status.size(); ++n) {
        CopyStatus back;
        EXPECT_FALSE(DecodesStatus(Bytes(status.begin(), status.begin() + n), back)) << n;
    }
    for (size_t n = 0; n < job.size(); ++n) {
        CopyOption back;
        CDataParser in(job.data(), n);
        EXPECT_FALSE(DecodeJob(in, back)) << n;
    }
}

TEST(CopyElevateData, CountsAndLengthsPastTheMessageAllocateNothingLarge) {
    const uint64_t before = PipeTest::PeakCommittedBytes();
    for (uint64_t huge : {~0ull, 1ull << 62, 1ull << 40, 100000ull}) {
        CopyStatus status;
        EXPECT_FALSE(DecodesStatus(Wire().I32(0).I32(0).U64(huge).bytes, status));           // trees
        EXPECT_FALSE(DecodesStatus(Wire().I32(0).I32(0).U64(1).U64(huge).bytes, status));    // nodes
        EXPECT_FALSE(DecodesStatus(Wire().I32(0).I32(0).U64(1).U64(1).U64(0).U64(~0ull).U64(huge).bytes, status));
        CoreDisplayStatus snapshot;
        Wire laps;
        laps.U64(0).U64(0);
        for (int i = 0; i < 9; ++i) laps.U64(0);
        for (int i = 0; i < 6; ++i) laps.U64(0);
        for (int i = 0; i < 4; ++i) laps.U64(0);
        laps.U64(huge);
        EXPECT_FALSE(DecodesSnapshot(laps.bytes, snapshot));
        std::unique_ptr<Exception> e;
        Bytes message = Wire().I32(kPlainException).U64(huge).I32(0).bytes;
        CDataParser in(message.data(), message.size());
        EXPECT_FALSE(DecodeException(in, e));
        message = Wire().I32(kOverwriteFiles).U64(0).I32(0).I32(kCopyOverwriteFiles).U64(0).U64(0).U64(huge).bytes;
        CDataParser files(message.data(), message.size());
        EXPECT_FALSE(DecodeException(files, e));
        CopyOption option;
        message = Wire().I32(2).U64(huge).bytes;
        CDataParser job(message.data(), message.size());
        EXPECT_FALSE(DecodeJob(job, option));
    }
    SelectionMap selection;
    const Bytes many = Wire().I32(0x7FFFFFFF).bytes;
    CDataParser in(many.data(), many.size());
    EXPECT_FALSE(DecodeSelection(in, selection));
    const Bytes negative = Wire().I32(-1).bytes;
    CDataParser minus(negative.data(), negative.size());
    EXPECT_FALSE(DecodeSelection(minus, selection));
    EXPECT_LT(PipeTest::PeakCommittedBytes() - before, 16u << 20);
}
