#include "framework/CString.h"

#include <gtest/gtest.h>

TEST(CStringFormat, WideAndNarrowTextAndNumbers) {
    CString s;
    s.Format(L"%s|%S|%d|%I64d|%c|%C|%.1f|%.2f|%%", L"日本", "ab", -42, 1LL << 40, L'字', 'z', 4.76, 0.975);
    EXPECT_STREQ(L"日本|ab|-42|1099511627776|字|z|4.8|0.97|%", s.GetString());
}

TEST(CStringFormat, WidthPrecisionAndHex) {
    EXPECT_STREQ(L"  7|007|ff|FF|ab   |a", FormatString(L"%3d|%03d|%x|%X|%-5s|%.1s", 7, 7, 255, 255, L"ab", L"ab").GetString());
}

TEST(CStringLoad, StringTableTextIsExact) {
    CString s;
    ASSERT_TRUE(s.LoadString(3100));
    EXPECT_STREQ(L"コピー", s.GetString());
    EXPECT_FALSE(s.LoadString(1));
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CStringEdit, BufferAndSearch) {
    CString s(L"C:\\a\\b.txt");
    EXPECT_EQ(4, s.ReverseFind(L'\\'));
    EXPECT_STREQ(L"b.txt", s.Mid(5).GetString());
    EXPECT_STREQ(L"", s.Mid(50).GetString());
    EXPECT_EQ(0, s.CompareNoCase(L"c:\\A\\B.TXT"));
    wchar_t* p = s.GetBuffer(300);
    wcscpy(p, L"xyz");
    s.ReleaseBuffer();
    EXPECT_EQ(3, s.GetLength());
}
