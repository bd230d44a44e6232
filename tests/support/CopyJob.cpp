#include "tests/support/CopyJob.h"


#include <algorithm>
#include <atomic>
#include <string>

#include "control/CopyCore.h"
#include "engine/CreateCopyOptionCmdLine.h"
#include "foundation/Paths.h"
#include "tests/support/TestFiles.h"

namespace TestFiles {

UnixTempDir::UnixTempDir() {
    static std::atomic<unsigned> counter{0};
    CreateDirectoryW(L"Z:\\tmp", nullptr);
    for (;;) {
        m_path.Format(L"Z:\\tmp\\swiftlet-z-%u-%u-%u", GetCurrentProcessId(), GetTickCount(), counter++);
        if (CreateDirectoryW(m_path, nullptr) || GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
}

UnixTempDir::~UnixTempDir() {
    DeleteTree(m_path);
}

Swiftlet::CopyOption JobOption(const std::vector<CString>& sources, const CString& destination, int move) {
    Swiftlet::CopyOption option;
    Swiftlet::CreateCopyOptionCmdLine::SetFixedValues(option, sources, destination, move);
    // Every write unbuffered, so that tests drive the aligned path; short retry pauses.
    option.unbufferedWriteMinSize = 0;
    option.foldersFirst = 1;
    option.retryCount = 3;
    option.retryWaitMs = 10;
    return option;
}

int RunJob(const Swiftlet::CopyOption& option, Swiftlet::CoreEventScriptHandler& handler) {
    Swiftlet::CopyCore core;
    core.option = option;
    core.handler = &handler;
    core.Run();
    for (const Swiftlet::CoreEventRecord& record : handler.Records())
        if (record.code == 2002)
            return 0;
    return 1;
}

std::vector<Swiftlet::CoreEventRecord> Questions(const Swiftlet::CoreEventScriptHandler& handler) {
    std::vector<Swiftlet::CoreEventRecord> out;
    for (const Swiftlet::CoreEventRecord& record : handler.Records())
        if (record.code == Swiftlet::kEventQuestion)
            out.push_back(record);
    return out;
}

int ErrorType(const Swiftlet::CoreEventScriptHandler& handler) {
    for (const Swiftlet::CoreEventRecord& record : handler.Records())
        if (record.code == Swiftlet::kEventError)
            return record.copyType;
    return 0;
}

bool SameFile(const CString& a, const CString& b) {
    std::string x, y;
    return ReadBytes(a, x) && ReadBytes(b, y) && x == y;
}

namespace {

void Collect(const CString& root, const CString& relative, std::vector<CString>& out) {
    WIN32_FIND_DATAW data;
    CString folder = relative.IsEmpty() ? root : root + L"\\" + relative;
    HANDLE find = FindFirstFileW(folder + L"\\*", &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        CString name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        CString child = relative.IsEmpty() ? name : relative + L"\\" + name;
        const DWORD folderLink = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
        if ((data.dwFileAttributes & folderLink) == folderLink) {
            out.push_back(child + L"@");  // a link to a folder: never followed
        } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out.push_back(child + L"\\");
            Collect(root, child, out);
        } else {
            out.push_back(child);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

}  // namespace

std::vector<CString> ListTree(const CString& folder) {
    std::vector<CString> out;
    Collect(folder, CString(), out);
    std::sort(out.begin(), out.end());
    return out;
}

bool SameTree(const CString& a, const CString& b, CString* difference) {
    std::vector<CString> left = ListTree(a), right = ListTree(b);
    if (left != right) {
        if (difference)
            difference->Format(L"%d entries against %d", static_cast<int>(left.size()),
                               static_cast<int>(right.size()));
        return false;
    }
    for (const CString& entry : left) {
        if (entry[entry.GetLength() - 1] == L'\\' || entry[entry.GetLength() - 1] == L'@')
            continue;
        if (!SameFile(a + L"\\" + entry, b + L"\\" + entry)) {
            if (difference)
                *difference = entry;
            return false;
        }
    }
    return true;
}

}  // namespace TestFiles
