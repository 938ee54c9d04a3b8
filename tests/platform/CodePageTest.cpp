// Conversions between UTF-16 and code page 936 as the client's texts and replies need them.
#include "platform/win/CodePage.h"
#include "platform/win/LastError.h"
#include "platform/win/WideText.h"

#include <gtest/gtest.h>
#include <string>

TEST(CodePage, GbkRoundTripsChineseAndAscii)
{
    const char gbk[] = "\xd6\xd0\xce\xc4 abc"; // 中文 abc
    WCHAR wide[16] = {};
    int n = MultiByteToWideChar(CP_ACP, 0, gbk, -1, wide, 16);
    ASSERT_EQ(n, 7); // 6 characters and the terminator
    EXPECT_EQ(std::u16string(wide), u"中文 abc");

    char back[16] = {};
    n = WideCharToMultiByte(CP_ACP, 0, wide, -1, back, 16, nullptr, nullptr);
    ASSERT_EQ(n, 9);
    EXPECT_STREQ(back, gbk);
}

TEST(CodePage, SizeQueryAndShortBuffer)
{
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 3, nullptr, 0), 3);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"中", -1, nullptr, 0, nullptr, nullptr), 3);
    char small[2];
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"中", -1, small, 2, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
}

TEST(CodePage, UnmappableAndInvalidInputBecomeDefaultCharacters)
{
    BOOL usedDefault = FALSE;
    char out[16] = {};
    // U+20AC is in CP936 (0x80); U+0E01 (Thai) is not, nor is an emoji's surrogate pair.
    int n = WideCharToMultiByte(CP_ACP, 0, u"a\u0E01b\U0001F600c", -1, out, 16, nullptr, &usedDefault);
    EXPECT_EQ(n, 6);
    EXPECT_STREQ(out, "a?b?c");
    EXPECT_TRUE(usedDefault);

    WCHAR wide[8] = {};
    // 0xFF is never a valid lead byte; a lead byte at the very end has no trail.
    n = MultiByteToWideChar(CP_ACP, 0,
                            "a\xff"
                            "b\xd6",
                            4, wide, 8);
    EXPECT_EQ(n, 4);
    EXPECT_EQ(std::u16string(wide, 4), u"a?b?");
}

TEST(WideText, ParsesDecimalLikeTheRuntime)
{
    EXPECT_EQ(_wtoi(u"  -42abc"), -42);
    EXPECT_EQ(_wtoi(u"+7"), 7);
    EXPECT_EQ(_wtoi(u""), 0);
    EXPECT_EQ(_wtoi(u"x1"), 0);
    EXPECT_EQ(_wtoi(u"99999999999"), 2147483647);
    EXPECT_EQ(_wtoi(u"-99999999999"), -2147483647 - 1);
}

TEST(WideText, ComparesAndSearches)
{
    EXPECT_EQ(_wcsicmp(u"Code", u"cODE"), 0);
    EXPECT_LT(_wcsicmp(u"abc", u"abd"), 0);
    EXPECT_EQ(_wcsnicmp(u"StkCode", u"stkcodeX", 7), 0);
    EXPECT_EQ(wcscmp(u"中", u"中"), 0);
    const WCHAR* text = u"stkcode=1&code=2";
    EXPECT_EQ(wcsstr(text, u"code=") - text, 3);
    EXPECT_EQ(wcsrchr(text, u'=') - text, 14);
    EXPECT_EQ(wcschr(text, u'#'), nullptr);
    WCHAR buf[12];
    EXPECT_EQ(std::u16string(_itow(-305, buf, 10)), u"-305");
}
