#include "foundation/FindEx.h"

#include <gtest/gtest.h>

#include <map>

#include "foundation/Paths.h"
#include "tests/support/TestFiles.h"

namespace {

struct Seen {
    CString path;
    unsigned long long length = 0;
    int directory = 0, readOnly = 0, hidden = 0, dots = 0;
};

// Every entry of a search, the last one included (it stays current after the final 0).
std::map<std::wstring, Seen> Collect(IFindEx& find) {
    std::map<std::wstring, Seen> seen;
    int more = 1;
    while (more) {
        more = find.FindNextFile();
        Seen s;
        s.path = find.GetFilePath();
        s.length = find.GetLength();
        s.directory = find.IsDirectory();
        s.readOnly = find.IsReadOnly();
        s.hidden = find.IsHidden();
        s.dots = find.IsDots();
        seen[find.GetFileName().str()] = s;
    }
    return seen;
}

}  // namespace

TEST(FindEx, WalksAFolderWithOneEntryOfReadAhead) {
    TestFiles::TempDir dir(L"find");
    ASSERT_TRUE(TestFiles::WriteBytes(dir / L"abc.txt", "12345"));
    ASSERT_TRUE(TestFiles::WriteBytes(dir / L"hidden", ""));
    ASSERT_TRUE(TestFiles::WriteBytes(dir / L"readonly", "x"));
    ASSERT_TRUE(TestFiles::MakeFolders(dir / L"sub"));
    SetFileAttributesW(dir / L"hidden", FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(dir / L"readonly", FILE_ATTRIBUTE_READONLY);

    CFindEx find;
    ASSERT_EQ(1, find.FindFile(dir / L"*"));
    // Nothing is current until the first FindNextFile.
    EXPECT_EQ(CString(), find.GetFileName());
    std::map<std::wstring, Seen> seen = Collect(find);

    ASSERT_EQ(6u, seen.size());
    EXPECT_EQ(1, seen[L"."].dots);
    EXPECT_EQ(1, seen[L".."].dots);
    EXPECT_EQ(dir / L"abc.txt", seen[L"abc.txt"].path);
    EXPECT_EQ(5u, seen[L"abc.txt"].length);
    EXPECT_EQ(0, seen[L"abc.txt"].directory);
    EXPECT_EQ(0, seen[L"abc.txt"].dots);
    EXPECT_EQ(1, seen[L"hidden"].hidden);
    EXPECT_EQ(0, seen[L"hidden"].readOnly);
    EXPECT_EQ(1, seen[L"readonly"].readOnly);
    EXPECT_EQ(1, seen[L"sub"].directory);
    EXPECT_EQ(0, seen[L"sub"].dots);

    // After the end the last entry stays current and further calls change nothing.
    const CString last = find.GetFileName();
    EXPECT_EQ(0, find.FindNextFile());
    EXPECT_EQ(last, find.GetFileName());

    find.Close();
    EXPECT_EQ(CString(), find.GetFileName());
    EXPECT_EQ(CString(), find.GetFilePath());
    EXPECT_EQ(0u, find.GetLength());
    EXPECT_EQ(0, find.IsDirectory());
    EXPECT_EQ(0, find.FindNextFile());
    SetFileAttributesW(dir / L"readonly", FILE_ATTRIBUTE_NORMAL);
}

TEST(FindEx, SingleFileIsCurrentAfterTheFirstStep) {
    TestFiles::TempDir dir(L"find1");
    ASSERT_TRUE(TestFiles::WriteBytes(dir / L"only.bin", std::string(70000, 'z')));
    CFindEx find;
    ASSERT_EQ(1, find.FindFile(dir / L"only.bin"));
    EXPECT_EQ(0, find.FindNextFile());
    EXPECT_EQ(CString(L"only.bin"), find.GetFileName());
    EXPECT_EQ(dir / L"only.bin", find.GetFilePath());
    EXPECT_EQ(70000u, find.GetLength());
    EXPECT_EQ(1, find.IsArchived() + find.IsNormal());
}

TEST(FindEx, FailedSearchesReportTheSystemError) {
    TestFiles::TempDir dir(L"find2");
    CFindEx find;
    EXPECT_EQ(0, find.FindFile(dir / L"missing\\*"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
    EXPECT_EQ(0, find.FindNextFile());
    EXPECT_EQ(CString(), find.GetFilePath());

    EXPECT_EQ(0, find.FindFile(dir / L"nothing*"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());

    EXPECT_EQ(0, find.FindFile(L""));
    EXPECT_EQ(static_cast<DWORD>(ERROR_BAD_ARGUMENTS), GetLastError());
}

TEST(FindEx, SearchesFoldersPastMaxPath) {
    TestFiles::TempDir dir(L"find3");
    CString deep = dir.Path();
    while (deep.GetLength() <= MAX_PATH + 20) {
        deep += L"\\0123456789abcdefghij";
        ASSERT_TRUE(CreateDirectoryW(ToLongPath(deep), nullptr));
    }
    HANDLE file = CreateFileW(ToLongPath(deep + L"\\f.txt"), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);

    CFindEx find;
    ASSERT_EQ(1, find.FindFile(deep + L"\\*.txt"));
    find.FindNextFile();
    EXPECT_EQ(deep + L"\\f.txt", find.GetFilePath());
    find.Close();
    DeleteFileW(ToLongPath(deep + L"\\f.txt"));
    for (CString p = deep; p.GetLength() > dir.Path().GetLength(); p = GetParentFolder(p))
        RemoveDirectoryW(ToLongPath(p));
}
