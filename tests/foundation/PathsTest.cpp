#include "foundation/Paths.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "tests/support/TestFiles.h"

namespace {

// A letter no drive uses here.
wchar_t UnusedDriveLetter() {
    const DWORD used = GetLogicalDrives();
    for (wchar_t letter = L'Y'; letter > L'C'; --letter) {
        if (!(used & (1u << (letter - L'A')))) return letter;
    }
    return 0;
}

FILETIME MakeTime(WORD hour, WORD minute, WORD second, WORD millisecond) {
    SYSTEMTIME system = {};
    system.wYear = 2020;
    system.wMonth = 5;
    system.wDay = 17;
    system.wHour = hour;
    system.wMinute = minute;
    system.wSecond = second;
    system.wMilliseconds = millisecond;
    FILETIME time = {};
    SystemTimeToFileTime(&system, &time);
    return time;
}

// A folder path longer than MAX_PATH below base, created through the long-path form.
CString MakeDeepFolder(const CString& base) {
    CString path = base;
    while (path.GetLength() <= MAX_PATH + 20) {
        path += L"\\0123456789abcdefghij";
        CreateDirectoryW(ToLongPath(path), nullptr);
    }
    return path;
}

class ComScope {
public:
    ComScope() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(m_hr)) CoUninitialize();
    }

private:
    HRESULT m_hr;
};

}  // namespace

TEST(Paths, LongPathFormPrefixesLocalPathsOnly) {
    EXPECT_EQ(CString(L"\\\\?\\C:\\x"), ToLongPath(L"C:\\x"));
    EXPECT_EQ(CString(L"\\\\?\\C:\\x"), ToLongPath(L"\\\\?\\C:\\x"));
    EXPECT_EQ(CString(L"\\\\srv\\share\\x"), ToLongPath(L"\\\\srv\\share\\x"));
}

TEST(Paths, ParentFoldersWalkUpToTheEmptyString) {
    EXPECT_EQ(CString(L"C:\\a"), GetParentFolder(L"C:\\a\\b"));
    EXPECT_EQ(CString(L"C:\\a"), GetParentFolder(L"C:\\a\\b\\"));
    EXPECT_EQ(CString(L"C:\\"), GetParentFolder(L"C:\\a"));
    EXPECT_EQ(CString(), GetParentFolder(L"C:\\"));
    EXPECT_EQ(CString(), GetParentFolder(L"C:"));
    EXPECT_EQ(CString(), GetParentFolder(L"D:\\"));
    EXPECT_EQ(CString(L"\\\\server\\share"), GetParentFolder(L"\\\\server\\share\\dir"));

    // Every walk ends, whatever it starts from.
    for (const wchar_t* start : {L"C:\\a\\b\\c", L"\\\\server\\share\\dir\\x", L"rel\\x", L"\\x\\y", L"C:/a/b", L"/x", L"C:x"}) {
        CString p = start;
        int steps = 0;
        while (!p.IsEmpty() && steps < 20) {
            p = GetParentFolder(p);
            ++steps;
        }
        EXPECT_TRUE(p.IsEmpty()) << start;
    }
}

TEST(Paths, SplitsNamesExtensionsAndStreams) {
    CString drive, folder, name, extension;
    SplitPath(L"C:\\d.x\\file.tar.gz", &drive, &folder, &name, &extension);
    EXPECT_EQ(CString(L"C:"), drive);
    EXPECT_EQ(CString(L"\\d.x\\"), folder);
    EXPECT_EQ(CString(L"file.tar"), name);
    EXPECT_EQ(CString(L".gz"), extension);
    EXPECT_EQ(CString(L"f"), GetFileNamePart(L"C:\\d.x\\f"));
    EXPECT_EQ(CString(L"C:\\"), DriveRoot(L'C'));

    EXPECT_EQ(1, IsStreamPath(L"C:\\d\\f.txt:s:$DATA"));
    EXPECT_EQ(0, IsStreamPath(L"C:\\d.x\\f"));
    EXPECT_EQ(0, IsStreamPath(L"C:\\"));
    EXPECT_EQ(CString(L"C:\\d\\f.txt"), StripStreamSuffix(L"C:\\d\\f.txt:s:$DATA"));
    EXPECT_EQ(CString(L"C:\\d\\f.txt"), StripStreamSuffix(L"C:\\d\\f.txt"));
}

TEST(Paths, VolumeRootsOfLocalAndUncPaths) {
    EXPECT_EQ(CString(L"C:\\"), GetVolumeRoot(L"C:\\x\\y"));
    EXPECT_EQ(CString(L"C:\\"), GetVolumeRoot(L"\\\\?\\C:\\x"));
    EXPECT_EQ(CString(L"\\\\srv\\share\\"), GetVolumeRoot(L"\\\\srv\\share\\a\\b"));
    EXPECT_EQ(CString(L"\\\\srv\\share\\"), GetVolumeRoot(L"\\\\srv\\share"));
    EXPECT_EQ(CString(L"\\\\srv\\"), GetVolumeRoot(L"\\\\srv\\"));
    EXPECT_EQ(CString(), GetVolumeRoot(L""));
}

// The engine's two root questions answered without the shell's path library, so that a
// job never maps it (and through it the window system): drive paths in both forms,
// shares, and volumes named by name.
TEST(Paths, SameRootOfDriveAndUncPaths) {
    EXPECT_TRUE(IsOnSameRoot(L"C:\\a\\b", L"c:\\x"));
    EXPECT_TRUE(IsOnSameRoot(L"\\\\?\\C:\\a", L"\\\\?\\c:\\"));
    EXPECT_TRUE(IsOnSameRoot(L"\\\\?\\C:\\a", L"C:\\b"));
    EXPECT_FALSE(IsOnSameRoot(L"\\\\?\\C:\\a", L"\\\\?\\D:\\a"));
    EXPECT_TRUE(IsOnSameRoot(L"\\\\srv\\share\\a", L"\\\\SRV\\Share\\b\\c"));
    EXPECT_TRUE(IsOnSameRoot(L"\\\\srv\\share", L"\\\\?\\UNC\\srv\\share\\d"));
    EXPECT_FALSE(IsOnSameRoot(L"\\\\srv\\share\\a", L"\\\\srv\\other\\a"));
    EXPECT_FALSE(IsOnSameRoot(L"\\\\srv\\share\\a", L"\\\\host\\share\\a"));
    EXPECT_FALSE(IsOnSameRoot(L"\\\\srv\\share\\a", L"\\\\?\\C:\\srv\\share\\a"));
    EXPECT_TRUE(IsOnSameRoot(L"\\\\?\\Volume{1}\\a", L"\\\\?\\volume{1}\\b"));
    EXPECT_FALSE(IsOnSameRoot(L"\\\\?\\Volume{1}\\a", L"\\\\?\\Volume{2}\\a"));
    EXPECT_FALSE(IsOnSameRoot(L"\\\\?\\Volume{1}\\a", L"\\\\?\\V:\\a"));
    EXPECT_FALSE(IsOnSameRoot(L"", L""));
}

TEST(Paths, UncServerShareIsTheShellsRule) {
    const wchar_t* const paths[] = {L"\\\\srv\\share", L"\\\\srv\\share\\", L"\\\\srv\\share\\dir", L"\\\\srv",
                                    L"\\\\srv\\", L"\\\\", L"\\srv\\share", L"C:\\a", L"", L"\\\\?\\UNC\\srv\\share",
                                    L"\\\\\\share"};
    for (const wchar_t* path : paths)
        EXPECT_EQ(PathIsUNCServerShareW(path) != FALSE, IsUncServerShare(path)) << NarrowString(path, CP_UTF8);
    EXPECT_TRUE(IsUncServerShare(L"\\\\srv\\share"));
    EXPECT_FALSE(IsUncServerShare(L"\\\\srv\\share\\dir"));
}

TEST(Paths, FullAndLongFormsOfRealPaths) {
    TestFiles::TempDir dir(L"paths");
    ASSERT_TRUE(TestFiles::WriteBytes(dir / L"a long file name.txt", "x"));
    EXPECT_EQ(dir / L"a long file name.txt", GetFullPath(dir / L"sub\\..\\a long file name.txt"));
    EXPECT_EQ(dir / L"a long file name.txt", GetLongPath(dir / L"a long file name.txt"));
    EXPECT_EQ(CString(), GetLongPath(dir / L"missing"));
    EXPECT_EQ(CString(), GetFullPath(L""));

    // Paths past MAX_PATH keep every character.
    const CString deep = MakeDeepFolder(dir.Path());
    ASSERT_GT(deep.GetLength(), MAX_PATH);
    EXPECT_EQ(deep + L"\\f", GetFullPath(deep + L"\\x\\..\\f"));
    EXPECT_EQ(ToLongPath(deep), GetLongPath(ToLongPath(deep)));

    const CString module = GetModulePath();
    EXPECT_EQ(0, GetFileNamePart(module).CompareNoCase(L"test_foundation.exe"));
}

TEST(Paths, SectorSizeOfExistingAndMissingPaths) {
    TestFiles::TempDir dir(L"sector");
    const DWORD sector = GetSectorSize(dir.Path());
    EXPECT_GE(sector, 512u);
    // A path that does not exist yet takes its nearest existing folder's volume.
    EXPECT_EQ(sector, GetSectorSize(dir / L"not\\yet\\there"));
    EXPECT_EQ(sector, GetSectorSize(ToLongPath(dir / L"not\\yet")));

    const wchar_t missing = UnusedDriveLetter();
    ASSERT_NE(0, missing);
    const CString elsewhere = DriveRoot(missing) + L"folder\\file";
    EXPECT_EQ(0u, GetSectorSize(elsewhere));

    // One source without a sector size means buffered I/O.
    unsigned long long buffer = 64ull << 20;
    EXPECT_EQ(0u, GetIoAlignment(dir.Path(), {dir.Path(), elsewhere}, buffer));
    EXPECT_EQ(64ull << 20, buffer);
    EXPECT_EQ(0u, GetIoAlignment(elsewhere, {dir.Path()}, buffer));

    EXPECT_EQ(sector, GetIoAlignment(dir.Path(), {dir.Path()}, buffer));
    EXPECT_EQ(64ull << 20, buffer);
    unsigned long long odd = 1000000;
    EXPECT_EQ(sector, GetIoAlignment(dir.Path(), {}, odd));
    EXPECT_EQ(0u, odd % sector);
    EXPECT_GT(odd + sector, 1000000u);
    unsigned long long tiny = sector - 1;
    EXPECT_EQ(0u, GetIoAlignment(dir.Path(), {}, tiny));
    EXPECT_EQ(sector - 1ull, tiny);
}

TEST(Paths, AlignmentIsTheLeastCommonMultipleOfSectorSizes) {
    EXPECT_EQ(4096u, CombineAlignment(512, 4096));
    EXPECT_EQ(4096u, CombineAlignment(4096, 512));
    EXPECT_EQ(512u, CombineAlignment(512, 512));
    EXPECT_EQ(0u, CombineAlignment(512, 0));
    EXPECT_EQ(0u, CombineAlignment(0, 4096));
    EXPECT_EQ(6144u, CombineAlignment(2048, 3072));
    // Sizes whose common multiple does not fit 32 bits give buffered I/O.
    EXPECT_EQ(0u, CombineAlignment(0x80000000u, 3));
}

TEST(Paths, FileSystemQueriesOfAMissingDriveFail) {
    const wchar_t missing = UnusedDriveLetter();
    ASSERT_NE(0, missing);
    const CString path = DriveRoot(missing) + L"x";
    CString name = L"stale";
    EXPECT_EQ(0, GetFileSystemName(path, name));
    EXPECT_TRUE(name.IsEmpty());
    EXPECT_EQ(0, IsFileSystem(path, L"NTFS"));
    EXPECT_EQ(0, IsFatVolume(path));
    EXPECT_EQ(0, SupportsEncryption(path));
    EXPECT_EQ(0, SupportsNamedStreams(path));
    EXPECT_EQ(CString(), GetRecycleBinFolder(missing));

    TestFiles::TempDir dir(L"fs");
    ASSERT_EQ(1, GetFileSystemName(dir.Path(), name));
    EXPECT_FALSE(name.IsEmpty());
    CString lower = name;
    lower.MakeLower();
    EXPECT_EQ(1, IsFileSystem(dir.Path(), lower));
}

TEST(Paths, RecycleBinFolderOfAFixedDrive) {
    const CString windows = GetModulePath();
    ASSERT_FALSE(windows.IsEmpty());
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const wchar_t letter = system[0];
    ASSERT_EQ(static_cast<UINT>(DRIVE_FIXED), GetDriveTypeW(DriveRoot(letter)));
    const CString bin = GetRecycleBinFolder(letter);
    EXPECT_EQ(DriveRoot(letter) + L"$RECYCLE.BIN", bin);

    EXPECT_EQ(1, IsInRecycleBinFolder(bin + L"\\S-1-5-21\\$R0001.txt"));
    CString lower = bin + L"\\x";
    lower.MakeLower();
    EXPECT_EQ(1, IsInRecycleBinFolder(lower));
    EXPECT_EQ(0, IsInRecycleBinFolder(bin));
    EXPECT_EQ(0, IsInRecycleBinFolder(bin + L"X\\file"));
    EXPECT_EQ(0, IsInRecycleBinFolder(DriveRoot(letter) + L"data\\file"));
    EXPECT_EQ(0, IsInRecycleBinFolder(L""));
}

TEST(Paths, ShellNamesOfOrdinaryFolders) {
    ComScope com;
    TestFiles::TempDir dir(L"shell");
    ASSERT_TRUE(TestFiles::MakeFolders(dir / L"inner"));
    EXPECT_EQ(0, HasRecycleBinAncestor(dir / L"inner"));
    EXPECT_EQ(CString(L"inner"), GetShellDisplayName(dir / L"inner", SHGDN_INFOLDER | SHGDN_FOREDITING));
    EXPECT_EQ(CString(), GetShellDisplayName(dir / L"missing\\deeper", SHGDN_NORMAL));
    EXPECT_EQ(CString(), GetShellItemDisplayName(dir / L"missing\\deeper", 0));
}

// Only a folder marked system or read-only can be a recycle bin: one so marked above an
// item sends the question to the shell, plain folders do not.
TEST(Paths, OnlyMarkedFoldersAboveAnItemMayBeARecycleBin) {
    ComScope com;
    TestFiles::TempDir dir(L"shellclass");
    ASSERT_TRUE(TestFiles::MakeFolders(dir / L"plain\\inner"));
    const int above = MayHaveRecycleBinAncestor(dir / L"plain");  // the folders above the test's own
    EXPECT_EQ(above, MayHaveRecycleBinAncestor(dir / L"plain\\inner\\file.txt"));
    // (Wine keeps no read-only mark on a folder a superuser can write to: system only.)
    ASSERT_TRUE(SetFileAttributesW(dir / L"plain", FILE_ATTRIBUTE_SYSTEM));
    EXPECT_EQ(1, MayHaveRecycleBinAncestor(dir / L"plain\\inner\\file.txt"));
    // The shell is asked and knows it is no bin.
    EXPECT_EQ(0, HasRecycleBinAncestor(dir / L"plain\\inner\\file.txt"));
    ASSERT_TRUE(SetFileAttributesW(dir / L"plain", FILE_ATTRIBUTE_NORMAL));
}

TEST(Paths, SanitizedNamesLoseWildcardsSeparatorsAndTrailingDots) {
    CString name = L"a*b?c/d\\e:f. . ";
    EXPECT_EQ(1, SanitizeFileName(name));
    EXPECT_EQ(CString(L"abcdef"), name);

    CString japanese = L"ごみ箱の項目.txt";
    EXPECT_EQ(1, SanitizeFileName(japanese));
    EXPECT_EQ(CString(L"ごみ箱の項目.txt"), japanese);

    CString nothing = L"*?. .";
    EXPECT_EQ(0, SanitizeFileName(nothing));
    EXPECT_TRUE(nothing.IsEmpty());
}

TEST(Paths, FileTimesCompareOnTwoSecondSteps) {
    EXPECT_EQ(0, CompareFileTimeRounded(MakeTime(10, 0, 0, 500), MakeTime(10, 0, 1, 900)));
    EXPECT_EQ(-1, CompareFileTimeRounded(MakeTime(10, 0, 1, 900), MakeTime(10, 0, 2, 100)));
    EXPECT_EQ(1, CompareFileTimeRounded(MakeTime(10, 0, 2, 100), MakeTime(10, 0, 1, 900)));
    // A time on a two-second step stays where it is.
    EXPECT_EQ(0, CompareFileTimeRounded(MakeTime(10, 0, 2, 0), MakeTime(10, 0, 1, 1)));
    EXPECT_EQ(-1, CompareFileTimeRounded(MakeTime(10, 0, 2, 0), MakeTime(10, 0, 2, 1)));
    FILETIME last = {0xFFFFFFFFu, 0xFFFFFFFFu};
    EXPECT_EQ(0, CompareFileTimeRounded(last, last));
}

TEST(Paths, FormattedFileTimeShowsDateAndMinutes) {
    const CString text = FormatFileTime(MakeTime(10, 0, 0, 0));
    EXPECT_NE(-1, text.Find(L"2020")) << text.GetString();
    EXPECT_NE(-1, text.Find(L' '));
    FILETIME invalid = {0xFFFFFFFFu, 0xFFFFFFFFu};
    EXPECT_EQ(CString(), FormatFileTime(invalid));
}

TEST(Paths, FolderCreatedLikeItsSource) {
    TestFiles::TempDir dir(L"like");
    const CString source = dir / L"src";
    const CString destination = dir / L"dst";
    ASSERT_TRUE(CreateDirectoryW(source, nullptr));
    ASSERT_TRUE(SetFileAttributesW(source, FILE_ATTRIBUTE_HIDDEN));
    HANDLE folder = CreateFileW(source, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, folder);
    const FILETIME written = MakeTime(8, 30, 0, 0);
    ASSERT_TRUE(SetFileTime(folder, nullptr, nullptr, &written));
    CloseHandle(folder);

    ASSERT_EQ(1, CreateFolderLike(source, destination));
    EXPECT_TRUE(GetFileAttributesW(destination) & FILE_ATTRIBUTE_HIDDEN);
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ASSERT_TRUE(GetFileAttributesExW(destination, GetFileExInfoStandard, &data));
    EXPECT_EQ(0, CompareFileTime(&written, &data.ftLastWriteTime));

    // An existing folder is not created again, and the caller learns why.
    EXPECT_EQ(0, CreateFolderLike(source, destination));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    SetFileAttributesW(source, FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesW(destination, FILE_ATTRIBUTE_NORMAL);
}
