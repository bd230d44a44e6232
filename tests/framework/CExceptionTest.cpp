#include <gtest/gtest.h>

#include "framework/CException.h"

TEST(CExceptionTest, FileExceptionCarriesSystemErrorAndPath) {
    try {
        CFileException::ThrowOsError(ERROR_SHARING_VIOLATION, L"C:\\a\\b.txt");
        FAIL();
    } catch (CException& e) {
        ASSERT_TRUE(e.IsKindOf(RUNTIME_CLASS(CFileException)));
        CFileException& f = static_cast<CFileException&>(e);
        EXPECT_EQ(f.m_cause, CFileException::sharingViolation);
        EXPECT_EQ(f.m_lOsError, ERROR_SHARING_VIOLATION);
        EXPECT_EQ(f.m_strFileName, L"C:\\a\\b.txt");
        CString text = e.GetErrorMessage();
        EXPECT_NE(text.Find(L"C:\\a\\b.txt"), -1);
        EXPECT_GT(text.Find(L"C:\\a\\b.txt"), 0);  // system text comes first
    }
    EXPECT_NO_THROW(CFileException::ThrowOsError(NO_ERROR));
    EXPECT_EQ(CFileException::OsErrorToException(ERROR_FILE_NOT_FOUND), CFileException::fileNotFound);
    EXPECT_EQ(CFileException::OsErrorToException(ERROR_DISK_FULL), CFileException::diskFull);
    EXPECT_EQ(CFileException::OsErrorToException(12345), CFileException::genericException);
}

TEST(CExceptionTest, ErrorMessageIsCutToTheCallersBuffer) {
    CFileException e(CFileException::fileNotFound, ERROR_FILE_NOT_FOUND, L"Z:\\x");
    wchar_t small[5];
    UINT help = 7;
    EXPECT_TRUE(e.GetErrorMessage(small, 5, &help));
    EXPECT_EQ(wcslen(small), 4u);
    EXPECT_EQ(help, 0u);
    EXPECT_FALSE(e.GetErrorMessage(small, 0));
}

TEST(CExceptionTest, ResourceExceptionIsThrownByValue) {
    try {
        AfxThrowResourceException();
    } catch (CException& e) {
        EXPECT_TRUE(e.IsKindOf(RUNTIME_CLASS(CResourceException)));
        EXPECT_FALSE(e.IsKindOf(RUNTIME_CLASS(CFileException)));
        EXPECT_FALSE(e.GetErrorMessage().IsEmpty());
    }
}
