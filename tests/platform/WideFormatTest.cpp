// Bounded printf-style formatting with the phone runtime's meaning of %s/%S and integer sizes.
#include "platform/win/WideFormat.h"

#include "platform/win/WideText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

std::u16string W(const char16_t* s)
{
    return std::u16string(s);
}

} // namespace

TEST(WideFormat, WideFormatTakesWideTextForLowerSAndEightBitForUpperS)
{
    WCHAR buf[64];
    ASSERT_EQ(_snwprintf(buf, 64, u"%s|%S|%ls|%hs", u"宽", "\xd6\xd0\xce\xc4", u"w", "n"), 8);
    EXPECT_EQ(W(buf), u"宽|中文|w|n");

    char narrow[64];
    ASSERT_EQ(_snprintf(narrow, 64, "%s|%S", "ab", u"中"), 5);
    EXPECT_STREQ(narrow, "ab|\xd6\xd0");
}

TEST(WideFormat, IntegersUseThePhoneSizes)
{
    WCHAR buf[128];
    long long big = 1234567890123LL;
    LONG negative = -42;
    swprintf(buf, 128, u"%d %u %x %X %ld %I64d %lld %5d|%-4d|%05d|%+d|%.3d", -7, 4000000000u, 255, 255, negative, big,
             -big, 12, 3, -12, 5, 7);
    EXPECT_EQ(W(buf), u"-7 4000000000 ff FF -42 1234567890123 -1234567890123    12|3   |-0012|+5|007");
    swprintf(buf, 128, u"%d %u", INT32_MIN, UINT32_MAX);
    EXPECT_EQ(W(buf), u"-2147483648 4294967295");
    swprintf(buf, 128, u"%hd %I64u %#x %*d", 70000, UINT64_MAX, 26, 4, 9);
    EXPECT_EQ(W(buf), u"4464 18446744073709551615 0x1a    9");
}

TEST(WideFormat, FloatsCharactersAndPercent)
{
    WCHAR buf[64];
    swprintf(buf, 64, u"%f %.2f %8.3f %c%C %% %.1s", 1.5, 3.14159, -2.0, u'中', 'A', u"xyz");
    EXPECT_EQ(W(buf), u"1.500000 3.14   -2.000 中A % x");
}

TEST(WideFormat, NullTextPrintsAsNull)
{
    WCHAR buf[32];
    swprintf(buf, 32, u"[%s][%S]", static_cast<const WCHAR*>(nullptr), static_cast<const char*>(nullptr));
    EXPECT_EQ(W(buf), u"[(null)][(null)]");
}

TEST(WideFormat, OutputNeverPassesCountAndIsAlwaysTerminated)
{
    WCHAR buf[12];
    for (auto& c : buf) {
        c = u'#';
    }
    EXPECT_EQ(_snwprintf(buf, 8, u"%s-%d", u"abcdef", 12345), -1);
    EXPECT_EQ(W(buf), u"abcdef-");
    EXPECT_EQ(buf[8], u'#');

    // Exactly filling: the terminator needs the last place, so the text is cut and reported.
    EXPECT_EQ(_snwprintf(buf, 4, u"abcd"), -1);
    EXPECT_EQ(W(buf), u"abc");
    EXPECT_EQ(_snwprintf(buf, 5, u"abcd"), 4);

    char narrow[6] = "#####";
    EXPECT_EQ(_snprintf(narrow, 3, "%d", 123456), -1);
    EXPECT_STREQ(narrow, "12");
    EXPECT_EQ(narrow[3], '#');

    EXPECT_EQ(_snwprintf(buf, 0, u"x"), -1); // no room at all: nothing written
}

TEST(WideFormat, MeasuringGivesTheFullLength)
{
    EXPECT_EQ(_scwprintf(u"%s=%d", u"key", 1234), 8);
    EXPECT_EQ(_scprintf("%S", u"中文"), 4);
    EXPECT_EQ(_scwprintf(u"%3000d", 1), 3000);
}

TEST(WideFormat, FormatThatWouldStoreThroughAPointerWritesNothing)
{
    WCHAR buf[16];
    int target = 77;
    swprintf(buf, 16, u"ab%ncd", &target);
    EXPECT_EQ(W(buf), u"abcd");
    EXPECT_EQ(target, 77);
}
