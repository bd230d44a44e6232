#include "foundation/Links.h"

#include <gtest/gtest.h>

#include "tests/support/TestFiles.h"

TEST(Links, AncestorsEndAtASeparator) {
    EXPECT_EQ(1, Links::IsSameOrAncestor(L"\\\\?\\Z:\\a", L"\\\\?\\z:\\A"));
    EXPECT_EQ(1, Links::IsSameOrAncestor(L"\\\\?\\Z:\\a\\", L"\\\\?\\Z:\\a"));
    EXPECT_EQ(1, Links::IsSameOrAncestor(L"\\\\?\\Z:\\a", L"\\\\?\\Z:\\a\\b\\c"));
    EXPECT_EQ(1, Links::IsSameOrAncestor(L"\\\\?\\Z:\\", L"\\\\?\\Z:\\a"));
    EXPECT_EQ(0, Links::IsSameOrAncestor(L"\\\\?\\Z:\\a", L"\\\\?\\Z:\\ab"));
    EXPECT_EQ(0, Links::IsSameOrAncestor(L"\\\\?\\Z:\\a\\b", L"\\\\?\\Z:\\a"));
    EXPECT_EQ(0, Links::IsSameOrAncestor(L"", L"\\\\?\\Z:\\a"));
    EXPECT_EQ(CString(L"\\\\?\\Z:\\x"), Links::JoinPath(L"\\\\?\\Z:\\", L"x"));
    EXPECT_EQ(CString(L"\\\\?\\Z:\\a\\x"), Links::JoinPath(L"\\\\?\\Z:\\a", L"x"));
}

TEST(Links, OnlyNameSurrogatesAndUntaggedReparsePointsAreLinks) {
    const DWORD folderLink = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    EXPECT_EQ(1, Links::IsLinkReparsePoint(folderLink, IO_REPARSE_TAG_MOUNT_POINT));  // junction, mount point
    EXPECT_EQ(1, Links::IsLinkReparsePoint(FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_SYMLINK));
    EXPECT_EQ(1, Links::IsLinkReparsePoint(folderLink, 0));  // Wine tells no kind
    EXPECT_EQ(0, Links::IsLinkReparsePoint(FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_DEDUP));
    EXPECT_EQ(0, Links::IsLinkReparsePoint(FILE_ATTRIBUTE_DIRECTORY, IO_REPARSE_TAG_SYMLINK));
    EXPECT_EQ(0, Links::IsLinkReparsePoint(INVALID_FILE_ATTRIBUTES, 0));
}

TEST(Links, RealPathOfAFolderLinkIsWhereItLeads) {
    TestFiles::TempDir dir(L"links");
    ASSERT_TRUE(TestFiles::MakeFolders(dir / L"target\\inner"));
    TestFiles::LinkMaker links;
    ASSERT_TRUE(links.Make(dir / L"link", L"target", true));
    const CString target = Links::GetRealPath(dir / L"target");
    ASSERT_FALSE(target.IsEmpty());
    EXPECT_EQ(1, Links::IsSamePath(target, Links::GetRealPath(dir / L"link")));
    EXPECT_EQ(1, Links::IsSamePath(Links::JoinPath(target, L"inner"), Links::GetRealPath(dir / L"link\\inner")));
    EXPECT_EQ(CString(), Links::GetRealPath(dir / L"missing"));
}
