#include "foundation/NTFSDataStream.h"

#include <cstddef>

#include "foundation/DynamicFunction.h"
#include "framework/Resource.h"

namespace NTFSDataStream {

namespace {

// Backup header: id, attributes, 64-bit size, name size; the name follows.
const DWORD kHeaderBytes = static_cast<DWORD>(offsetof(WIN32_STREAM_ID, cStreamName));
// A stream name is at most 255 characters plus ":" and ":$DATA"; anything far larger
// is a damaged header, not a name to allocate for.
const DWORD kMaxNameBytes = 1024 * sizeof(wchar_t);

class SystemFindStreamSource : public IFindStreamSource {
public:
    explicit SystemFindStreamSource(const CString& path) : m_path(path) {}

    int First(WIN32_FIND_STREAM_DATA& data, DWORD& error) override {
        m_handle.reset(DLL::GetStreamFunctions().findFirst(m_path.GetString(), FindStreamInfoStandard, &data, 0));
        if (m_handle) return 1;
        error = GetLastError();
        return 0;
    }
    int Next(WIN32_FIND_STREAM_DATA& data, DWORD& error) override {
        if (DLL::GetStreamFunctions().findNext(m_handle.get(), &data)) return 1;
        error = GetLastError();
        return 0;
    }

private:
    CString m_path;
    UniqueFindHandle m_handle;
};

class SystemBackupStreamSource : public IBackupStreamSource {
public:
    explicit SystemBackupStreamSource(const CString& path)
        : m_file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {}
    ~SystemBackupStreamSource() override {
        if (m_file == INVALID_HANDLE_VALUE) return;
        if (m_context) {
            DWORD read = 0;
            BackupRead(m_file, nullptr, 0, &read, TRUE, FALSE, &m_context);
        }
        CloseHandle(m_file);
    }
    SystemBackupStreamSource(const SystemBackupStreamSource&) = delete;
    SystemBackupStreamSource& operator=(const SystemBackupStreamSource&) = delete;

    bool IsOpen() const { return m_file != INVALID_HANDLE_VALUE; }

    int Read(void* buffer, DWORD size, DWORD& read) override {
        read = 0;
        return BackupRead(m_file, static_cast<BYTE*>(buffer), size, &read, FALSE, FALSE, &m_context) ? 1 : 0;
    }
    int Seek(unsigned long long bytes) override {
        DWORD low = 0, high = 0;
        return BackupSeek(m_file, static_cast<DWORD>(bytes), static_cast<DWORD>(bytes >> 32), &low, &high,
                          &m_context)
                   ? 1
                   : 0;
    }

private:
    HANDLE m_file;
    LPVOID m_context = nullptr;
};

CString RecordName(const WIN32_FIND_STREAM_DATA& data) {
    const size_t capacity = sizeof(data.cStreamName) / sizeof(data.cStreamName[0]);
    return CString(data.cStreamName, static_cast<int>(wcsnlen(data.cStreamName, capacity)));
}

}  // namespace

int IsUnnamedDataStream(const CString& name) { return name.CompareNoCase(L"::$DATA") == 0 ? 1 : 0; }

int WalkFindStreams(IFindStreamSource& source, StreamList& list) {
    list.clear();
    WIN32_FIND_STREAM_DATA data = {};
    DWORD error = 0;
    if (source.First(data, error)) {
        do {
            list.emplace_back(RecordName(data), static_cast<unsigned long long>(data.StreamSize.QuadPart));
            data = WIN32_FIND_STREAM_DATA{};
        } while (source.Next(data, error));
    }
    SetLastError(error);
    return error == ERROR_HANDLE_EOF ? 1 : 0;
}

int WalkBackupStreams(IBackupStreamSource& source, StreamList& list) {
    list.clear();
    for (;;) {
        WIN32_STREAM_ID header = {};
        DWORD read = 0;
        // A short header is a damaged or ended stream: stop rather than read garbage.
        if (!source.Read(&header, kHeaderBytes, read) || read != kHeaderBytes) break;
        const unsigned long long bodySize = static_cast<unsigned long long>(header.Size.QuadPart);
        if (header.dwStreamNameSize > 0) {
            if (header.dwStreamNameSize > kMaxNameBytes) break;
            std::vector<wchar_t> name(header.dwStreamNameSize / sizeof(wchar_t) + 1, L'\0');
            if (!source.Read(name.data(), header.dwStreamNameSize, read) || read != header.dwStreamNameSize) break;
            list.emplace_back(CString(name.data()), bodySize);
        } else if (header.dwStreamId == BACKUP_DATA) {
            list.emplace_back(CString(L"::$DATA"), bodySize);
        }
        if (bodySize > 0 && !source.Seek(bodySize)) break;
    }
    return list.empty() ? 0 : 1;
}

void BindStreamFunctions() { DLL::GetStreamFunctions(); }

int StreamFunctionsAvailable() { return DLL::GetStreamFunctions().IsAvailable() ? 1 : 0; }

int EnumerateStreams(CString path, StreamList& list) {
    BindStreamFunctions();
    return StreamFunctionsAvailable() ? EnumerateStreamsFindStream(path, list) : EnumerateStreamsBackup(path, list);
}

int EnumerateStreamsFindStream(CString path, StreamList& list) {
    list.clear();
    BindStreamFunctions();
    if (!StreamFunctionsAvailable()) return 0;
    SystemFindStreamSource source(path);
    return WalkFindStreams(source, list);
}

int EnumerateStreamsBackup(CString path, StreamList& list) {
    list.clear();
    SystemBackupStreamSource source(path);
    if (!source.IsOpen()) return 0;
    return WalkBackupStreams(source, list);
}

}  // namespace NTFSDataStream
