#include "foundation/NTFSDataStream.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/Paths.h"
#include "tests/support/TestFiles.h"

using NTFSDataStream::StreamList;

namespace {

// Plays FindFirstStreamW/FindNextStreamW: hands out records, then fails with endError.
class ScriptedFindStreams : public NTFSDataStream::IFindStreamSource {
public:
    ScriptedFindStreams(std::vector<std::pair<std::wstring, long long>> records, DWORD endError)
        : m_records(std::move(records)), m_endError(endError) {}
    int First(WIN32_FIND_STREAM_DATA& data, DWORD& error) override { return Next(data, error); }
    int Next(WIN32_FIND_STREAM_DATA& data, DWORD& error) override {
        if (m_next >= m_records.size()) {
            error = m_endError;
            return 0;
        }
        wcscpy_s(data.cStreamName, m_records[m_next].first.c_str());
        data.StreamSize.QuadPart = m_records[m_next].second;
        ++m_next;
        return 1;
    }

private:
    std::vector<std::pair<std::wstring, long long>> m_records;
    size_t m_next = 0;
    DWORD m_endError;
};

// Plays BackupRead/BackupSeek over a prepared byte image of a file's backup stream.
class BackupImage : public NTFSDataStream::IBackupStreamSource {
public:
    void AddStream(DWORD id, const std::wstring& name, const std::string& body) {
        WIN32_STREAM_ID header = {};
        header.dwStreamId = id;
        header.Size.QuadPart = static_cast<LONGLONG>(body.size());
        header.dwStreamNameSize = static_cast<DWORD>(name.size() * sizeof(wchar_t));
        const size_t headerBytes = offsetof(WIN32_STREAM_ID, cStreamName);
        m_bytes.append(reinterpret_cast<const char*>(&header), headerBytes);
        m_bytes.append(reinterpret_cast<const char*>(name.data()), name.size() * sizeof(wchar_t));
        m_bytes.append(body);
    }
    void AddRaw(const std::string& bytes) { m_bytes += bytes; }

    int Read(void* buffer, DWORD size, DWORD& read) override {
        read = static_cast<DWORD>(std::min<size_t>(size, m_bytes.size() - m_offset));
        std::memcpy(buffer, m_bytes.data() + m_offset, read);
        m_offset += read;
        return 1;
    }
    int Seek(unsigned long long bytes) override {
        if (m_offset + bytes > m_bytes.size()) return 0;
        m_offset += static_cast<size_t>(bytes);
        ++seeks;
        return 1;
    }

    int seeks = 0;

private:
    std::string m_bytes;
    size_t m_offset = 0;
};

}  // namespace

TEST(NTFSDataStream, StreamFunctionWalkEndsWellOnlyAtHandleEof) {
    StreamList list = {NTFSDataStream::StreamData(L"stale", 1)};
    ScriptedFindStreams streams({{L"::$DATA", 10}, {L":Zone.Identifier:$DATA", 26}}, ERROR_HANDLE_EOF);
    EXPECT_EQ(1, NTFSDataStream::WalkFindStreams(streams, list));
    ASSERT_EQ(2u, list.size());
    EXPECT_EQ(CString(L"::$DATA"), list[0].name);
    EXPECT_EQ(10u, list[0].size);
    EXPECT_EQ(CString(L":Zone.Identifier:$DATA"), list[1].name);
    EXPECT_EQ(26u, list[1].size);

    // A volume without streams fails the first call with ERROR_HANDLE_EOF: a good, empty walk.
    ScriptedFindStreams none({}, ERROR_HANDLE_EOF);
    EXPECT_EQ(1, NTFSDataStream::WalkFindStreams(none, list));
    EXPECT_TRUE(list.empty());

    ScriptedFindStreams broken({{L"::$DATA", 3}}, ERROR_ACCESS_DENIED);
    EXPECT_EQ(0, NTFSDataStream::WalkFindStreams(broken, list));
    EXPECT_EQ(1u, list.size());
}

TEST(NTFSDataStream, BackupWalkNamesDataAndNamedStreams) {
    BackupImage image;
    image.AddStream(BACKUP_DATA, L"", "hello");
    image.AddStream(BACKUP_SECURITY_DATA, L"", "sd");  // no record: not a data stream
    image.AddStream(BACKUP_ALTERNATE_DATA, L":s:$DATA", "abc");
    image.AddStream(BACKUP_ALTERNATE_DATA, L":empty:$DATA", "");
    StreamList list;
    EXPECT_EQ(1, NTFSDataStream::WalkBackupStreams(image, list));
    ASSERT_EQ(3u, list.size());
    EXPECT_EQ(CString(L"::$DATA"), list[0].name);
    EXPECT_EQ(5u, list[0].size);
    EXPECT_EQ(CString(L":s:$DATA"), list[1].name);
    EXPECT_EQ(3u, list[1].size);
    EXPECT_EQ(CString(L":empty:$DATA"), list[2].name);
    EXPECT_EQ(0u, list[2].size);
    EXPECT_EQ(3, image.seeks);  // bodies are skipped, never read
}

TEST(NTFSDataStream, BackupWalkStopsAtDamagedHeaders) {
    BackupImage truncated;
    truncated.AddStream(BACKUP_DATA, L"", "1234");
    truncated.AddRaw("\x04\x00\x00");  // a header cut short
    StreamList list;
    EXPECT_EQ(1, NTFSDataStream::WalkBackupStreams(truncated, list));
    EXPECT_EQ(1u, list.size());

    // A name size no stream name can have is not allocated for.
    BackupImage huge;
    WIN32_STREAM_ID header = {};
    header.dwStreamId = BACKUP_ALTERNATE_DATA;
    header.dwStreamNameSize = 0x7FFFFFF0;
    huge.AddRaw(std::string(reinterpret_cast<const char*>(&header), offsetof(WIN32_STREAM_ID, cStreamName)));
    EXPECT_EQ(0, NTFSDataStream::WalkBackupStreams(huge, list));
    EXPECT_TRUE(list.empty());

    // A body shorter than its header claims ends the walk.
    BackupImage shortBody;
    header.dwStreamId = BACKUP_DATA;
    header.dwStreamNameSize = 0;
    header.Size.QuadPart = 100;
    shortBody.AddRaw(std::string(reinterpret_cast<const char*>(&header), offsetof(WIN32_STREAM_ID, cStreamName)));
    EXPECT_EQ(1, NTFSDataStream::WalkBackupStreams(shortBody, list));
    EXPECT_EQ(1u, list.size());
}

TEST(NTFSDataStream, RealFileEnumeratesWithoutNamedStreamsHere) {
    TestFiles::TempDir dir(L"streams");
    const CString file = dir / L"plain.txt";
    ASSERT_TRUE(TestFiles::WriteBytes(file, "12345"));
    StreamList list;
    const int result = NTFSDataStream::EnumerateStreams(ToLongPath(file), list);
    // Whatever form ran, no named stream is invented and the content is the only data.
    for (const NTFSDataStream::StreamData& s : list) {
        EXPECT_EQ(1, NTFSDataStream::IsUnnamedDataStream(s.name)) << s.name.GetString();
        EXPECT_EQ(5u, s.size);
    }
    EXPECT_EQ(1, result);

    // The backup walk of a real file finds its content where the system implements
    // backup reads; never a named stream for a plain file.
    StreamList backup;
    NTFSDataStream::EnumerateStreamsBackup(ToLongPath(file), backup);
    for (const NTFSDataStream::StreamData& s : backup) EXPECT_EQ(1, NTFSDataStream::IsUnnamedDataStream(s.name));

    EXPECT_EQ(0, NTFSDataStream::EnumerateStreamsBackup(ToLongPath(dir / L"missing"), list));
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(1, NTFSDataStream::IsUnnamedDataStream(L"::$data"));
    EXPECT_EQ(0, NTFSDataStream::IsUnnamedDataStream(L":s:$DATA"));
}
