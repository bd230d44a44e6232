#include <gtest/gtest.h>

#include "foundation/Exception.h"
#include "foundation/OSVersion.h"

TEST(SystemErrorMessage, TextHasNoTrailingLineBreak) {
    const CString text = GetSystemErrorMessage(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(text.IsEmpty());
    const wchar_t last = text.GetAt(text.GetLength() - 1);
    EXPECT_NE(L'\n', last);
    EXPECT_NE(L'\r', last);

    // The same text the system gives, only the ending differs.
    wchar_t raw[1024] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_ACCESS_DENIED,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), raw, 1024, nullptr);
    CString expected(raw);
    expected.TrimRight(L'\n');
    expected.TrimRight(L'\r');
    expected.TrimRight(L'\n');
    EXPECT_EQ(expected, text);
}

TEST(SystemErrorMessage, UnknownCodeGivesEmptyText) {
    EXPECT_TRUE(GetSystemErrorMessage(0x2F00FF01).IsEmpty());
}

TEST(ExceptionFamily, CopiesKeepEveryFieldAndTypeTestsNeverThrow) {
    WindowsFileException original(ERROR_SHARING_VIOLATION, L"D:\\dir\\file.txt");
    original.message = "m";
    original.code = 3;
    try {
        throw original;
    } catch (const Exception& caught) {
        const WindowsFileException* file = AsWindowsFileException(&caught);
        ASSERT_NE(nullptr, file);
        EXPECT_EQ(ERROR_SHARING_VIOLATION, file->error);
        EXPECT_EQ(CString(L"D:\\dir\\file.txt"), file->path);
        EXPECT_EQ("m", file->message);
        EXPECT_EQ(3, file->code);
        EXPECT_NE(&original, file);
        EXPECT_EQ(CString(L"D:\\dir\\file.txt"), GetExceptionPath(&caught));
    }

    WindowsException windows(ERROR_DISK_FULL);
    EXPECT_EQ(&windows, AsWindowsException(&windows));
    EXPECT_EQ(nullptr, AsWindowsFileException(&windows));
    EXPECT_TRUE(GetExceptionPath(&windows).IsEmpty());

    Exception plain;
    EXPECT_EQ(nullptr, AsWindowsException(&plain));
    EXPECT_EQ(nullptr, AsWindowsException(nullptr));
    EXPECT_EQ(nullptr, AsWindowsFileException(nullptr));
    EXPECT_TRUE(GetExceptionPath(nullptr).IsEmpty());
}

TEST(COSVersionTest, ExtendedVersionAndNativeSystemInfoAreRead) {
    COSVersion version;
    EXPECT_EQ(sizeof(OSVERSIONINFOEXW), version.osvi.dwOSVersionInfoSize);
    EXPECT_TRUE(version.HasExtendedInfo());
    EXPECT_GE(version.osvi.dwMajorVersion, 5u);
    EXPECT_EQ(VER_PLATFORM_WIN32_NT, version.osvi.dwPlatformId);
    // A 64-bit program is never under WOW64.
    EXPECT_FALSE(version.isWow64);
    EXPECT_EQ(PROCESSOR_ARCHITECTURE_AMD64, version.systemInfo.wProcessorArchitecture);
    EXPECT_GT(version.systemInfo.dwNumberOfProcessors, 0u);
    EXPECT_EQ(version.osvi.dwMajorVersion >= 6, version.IsVistaOrLater());
}
