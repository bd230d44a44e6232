#include <gtest/gtest.h>

#include "engine/CopyException.h"
#include "tests/support/TestFiles.h"

using namespace Swiftlet;

namespace {

// Counts how many inner exceptions are alive, to see who deletes them.
class CountedFileException : public WindowsFileException {
public:
    CountedFileException(DWORD error, const CString& path) : WindowsFileException(error, path) { ++alive; }
    CountedFileException(const CountedFileException& other) : WindowsFileException(other) { ++alive; }
    ~CountedFileException() override { --alive; }
    static int alive;
};
int CountedFileException::alive = 0;

WIN32_FILE_ATTRIBUTE_DATA AttributesOf(const CString& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    EXPECT_TRUE(GetFileAttributesExW(path, GetFileExInfoStandard, &data));
    return data;
}

}  // namespace

TEST(CopyException, SubclassesCarryTheirTypeAndNoMessage) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    data.nFileSizeLow = 7;
    const CopyExceptionNotFreeSpace space(4ull << 30);
    const CopyExceptionEncrypted encrypted(L"C:\\a", data);
    const CopyExceptionOverwrite overwrite(L"C:\\s", data, L"D:\\d", data);
    const CopyExceptionOverwriteFiles files;
    const CopyException* all[] = {&space, &encrypted, &overwrite, &files};
    const int types[] = {10, 12, 13, 15};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(types[i], all[i]->type);
        EXPECT_TRUE(all[i]->message.empty());
        EXPECT_EQ(0, all[i]->code);
        EXPECT_EQ(all[i], AsCopyException(all[i]));
    }
    EXPECT_EQ(4ull << 30, space.missing);
    EXPECT_TRUE(files.files.empty());

    // Copies keep every field.
    const CopyExceptionOverwrite copy(overwrite);
    EXPECT_EQ(CString(L"D:\\d"), copy.destinationPath);
    EXPECT_EQ(7u, copy.sourceData.nFileSizeLow);

    const WindowsFileException windows(5, L"C:\\x");
    EXPECT_EQ(nullptr, AsCopyException(&windows));
    EXPECT_EQ(nullptr, AsCopyException(nullptr));
}

TEST(CopyException, CaughtByReferenceAsItsBase) {
    try {
        throw CopyExceptionNotFreeSpace(123);
    } catch (const CopyException& e) {
        EXPECT_EQ(10, e.type);
        EXPECT_EQ(123u, static_cast<const CopyExceptionNotFreeSpace&>(e).missing);
    }
}

TEST(CopyExceptionRetryFile, ShowsTheFileOfAStreamOrItsFolderWhenGone) {
    TestFiles::TempDir dir(L"retry");
    const CString file = dir / L"file.txt";
    ASSERT_TRUE(TestFiles::WriteBytes(file, "12345"));

    WindowsFileException onStream(ERROR_ACCESS_DENIED, file + L":s:$DATA");
    onStream.message = "inner";
    onStream.code = 9;
    const CopyExceptionRetryFile stream(onStream);
    EXPECT_EQ(14, stream.type);
    EXPECT_EQ("inner", stream.message);
    EXPECT_EQ(9, stream.code);
    EXPECT_EQ(&onStream, stream.error);
    EXPECT_EQ(0, stream.ownsError);
    EXPECT_EQ(file, stream.path);
    EXPECT_EQ(1, stream.dataValid);
    EXPECT_EQ(5u, stream.data.nFileSizeLow);
    EXPECT_EQ(0u, stream.data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);

    const WindowsFileException onGone(ERROR_FILE_NOT_FOUND, dir / L"gone.txt:s:$DATA");
    const CopyExceptionRetryFile gone(onGone);
    EXPECT_EQ(dir.Path(), gone.path);
    EXPECT_EQ(1, gone.dataValid);
    EXPECT_NE(0u, gone.data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(AttributesOf(dir.Path()).ftCreationTime.dwLowDateTime, gone.data.ftCreationTime.dwLowDateTime);

    // Neither the item nor its folder exists: nothing is shown of either.
    const WindowsFileException deep(ERROR_PATH_NOT_FOUND, dir / L"no\\such\\file");
    const CopyExceptionRetryFile nothing(deep);
    EXPECT_EQ(dir / L"no\\such", nothing.path);
    EXPECT_EQ(0, nothing.dataValid);
}

TEST(CopyExceptionRetryFile, DriveRootsAreNotInspected) {
    const WindowsFileException onRoot(ERROR_NOT_READY, L"Z:\\");
    const CopyExceptionRetryFile root(onRoot);
    EXPECT_EQ(CString(L"Z:\\"), root.path);
    EXPECT_EQ(0, root.dataValid);
    EXPECT_EQ(0u, root.data.dwFileAttributes);

    // A vanished item right under a root shows the root, still without data.
    const WindowsFileException underRoot(ERROR_FILE_NOT_FOUND, L"Z:\\swiftlet-no-such-item-7f3a");
    const CopyExceptionRetryFile parentRoot(underRoot);
    EXPECT_EQ(CString(L"Z:\\"), parentRoot.path);
    EXPECT_EQ(0, parentRoot.dataValid);

    EXPECT_TRUE(IsDriveRootPath(L"\\\\?\\c:\\"));
    EXPECT_FALSE(IsDriveRootPath(L"C:"));
    EXPECT_FALSE(IsDriveRootPath(L"C:\\a"));
    EXPECT_FALSE(IsDriveRootPath(L"\\\\srv\\"));
}

TEST(CopyExceptionRetryFile, ElevationFollowsTheTokenAndOlderSystemsCountAsElevated) {
    EXPECT_EQ(1, IsProcessElevated(5));

    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    ASSERT_TRUE(GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size));
    CloseHandle(token);
    const int expected = elevation.TokenIsElevated ? 1 : 0;
    EXPECT_EQ(expected, IsProcessElevated(6));

    const WindowsFileException e(ERROR_ACCESS_DENIED, L"Z:\\");
    EXPECT_EQ(expected, CopyExceptionRetryFile(e).isElevated);
}

TEST(CopyExceptionRetryFile, OwnedInnerExceptionIsDeletedOncePerOwner) {
    CountedFileException::alive = 0;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    data.nFileSizeLow = 3;
    CopyExceptionRetryFile* survivor = nullptr;
    {
        auto* inner = new CountedFileException(ERROR_SHARING_VIOLATION, L"C:\\f");
        inner->code = 4;
        CopyExceptionRetryFile owner(inner, L"C:\\", data, 1, 0);
        EXPECT_EQ(1, owner.ownsError);
        EXPECT_EQ(4, owner.code);
        EXPECT_EQ(1, CountedFileException::alive);

        // A copy owns its own inner exception; neither deletes the other's.
        survivor = new CopyExceptionRetryFile(owner);
        EXPECT_EQ(1, survivor->ownsError);
        EXPECT_NE(owner.error, survivor->error);

        CopyExceptionRetryFile assigned(nullptr, L"x", data, 0, 1);
        EXPECT_EQ(0, assigned.ownsError);
        assigned = owner;
        EXPECT_EQ(1, assigned.ownsError);
        EXPECT_NE(owner.error, assigned.error);
        assigned = assigned;
        EXPECT_EQ(1, assigned.ownsError);
        EXPECT_EQ(CString(L"C:\\f"), assigned.error->path);
    }
    EXPECT_EQ(0, CountedFileException::alive);
    EXPECT_EQ(DWORD{ERROR_SHARING_VIOLATION}, survivor->error->error);
    EXPECT_EQ(CString(L"C:\\f"), survivor->error->path);
    EXPECT_EQ(3u, survivor->data.nFileSizeLow);
    delete survivor;

    // A describing (non-owning) object never deletes what it points at.
    {
        CountedFileException outer(ERROR_ACCESS_DENIED, L"Z:\\");
        {
            CopyExceptionRetryFile view(outer);
            CopyExceptionRetryFile copy(view);
            EXPECT_EQ(&outer, copy.error);
            EXPECT_EQ(0, copy.ownsError);
        }
        EXPECT_EQ(1, CountedFileException::alive);
    }
    EXPECT_EQ(0, CountedFileException::alive);
}
