// The client's wide and narrow string classes.
#include "core/AString.h"
#include "core/GrowArray.h"
#include "core/WString.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string S(const CWString& s)
{
    return std::u16string(s.GetText(), s.GetLength());
}

template <typename S, typename C, typename T> concept FormatsWith = requires(S s, const C* format, T t)
{
    s.Format(format, t);
};

} // namespace

// A string object passed through "..." would be printed from its insides: it must not compile.
static_assert(!FormatsWith<CWString, WCHAR, CWString>);
static_assert(!FormatsWith<CWString, WCHAR, CAString>);
static_assert(!FormatsWith<CAString, char, CAString>);
static_assert(FormatsWith<CWString, WCHAR, const WCHAR*> && FormatsWith<CWString, WCHAR, float>);
static_assert(FormatsWith<CAString, char, const char*> && FormatsWith<CAString, char, long long>);

TEST(WString, ReplaceRefusesWhenTheNewTextHoldsTheOld)
{
    CWString s(u"aaa");
    EXPECT_EQ(s.Replace(u"a", u"ab"), 0);
    EXPECT_EQ(S(s), u"aaa");
    EXPECT_EQ(s.Replace(u"a", u"b"), 3);
    EXPECT_EQ(S(s), u"bbb");

    CWString t(u"x--y--z");
    EXPECT_EQ(t.Replace(u"--", u"-"), 2); // continues after each inserted text
    EXPECT_EQ(S(t), u"x-y-z");
    EXPECT_EQ(t.Replace(u"", u"q"), 0);
}

TEST(WString, SubstringsClampToTheText)
{
    CWString s(u"abcdef");
    EXPECT_EQ(S(s.Mid(6)), u"");
    EXPECT_EQ(S(s.Mid(60, 2)), u"");
    EXPECT_EQ(S(s.Mid(2, 2)), u"cd");
    EXPECT_EQ(S(s.Mid(2, -1)), u"cdef");
    EXPECT_EQ(S(s.Mid(4, 10)), u"ef");
    EXPECT_EQ(S(s.Left(2)), u"ab");
    EXPECT_EQ(S(s.Left(20)), u"abcdef");
    EXPECT_EQ(S(s.Right(2)), u"ef");
    EXPECT_EQ(S(s.Right(20)), u"abcdef");
    EXPECT_EQ(s.GetAt(5), u'f');
    EXPECT_EQ(s.GetAt(6), 0);
    EXPECT_EQ(s.GetAt(-1), 0);
}

TEST(WString, AppendingToAStringWithoutBufferAssigns)
{
    CWString s;
    EXPECT_EQ(s.GetData(), nullptr);
    s.Append(u'x');
    EXPECT_EQ(s.GetLength(), 1u);
    EXPECT_EQ(S(s), u"x");
    s.Append("\xd6\xd0"); // 8-bit text is converted
    s.Append(u"yz");
    EXPECT_EQ(S(s), u"x中yz");
    s.Append(s.GetData()); // its own text, while the buffer may move
    EXPECT_EQ(S(s), u"x中yzx中yz");
    EXPECT_EQ(S(s.Concat(u"!")), u"x中yzx中yz!");
}

TEST(WString, GrowthFollowsTheSixteenUnitRule)
{
    CWString s(u"");
    EXPECT_EQ(s.GetCapacity(), 16u);
    s.Assign(u"0123456789abcdef"); // 16 units need 17 places
    EXPECT_EQ(s.GetCapacity(), 32u);
    s.Assign(u"a");
    EXPECT_EQ(s.GetCapacity(), 32u);      // never shrinks
    EXPECT_FALSE(s.Reserve(0xFFFFFFFFu)); // no room of that size, whatever n + 1 wraps to
    CAString a("x");
    EXPECT_FALSE(a.Reserve(0xFFFFFFFFu));
    EXPECT_STREQ(a.GetText(), "x");
}

TEST(WString, EqualsNoCaseTreatsMissingBuffersAsThePartSays)
{
    CWString none;
    CWString empty(u"");
    CWString word(u"Back");
    EXPECT_TRUE(none.EqualsNoCase(static_cast<const WCHAR*>(nullptr)));
    EXPECT_TRUE(none.EqualsNoCase(u""));
    EXPECT_FALSE(empty.EqualsNoCase(static_cast<const WCHAR*>(nullptr)));
    EXPECT_TRUE(word.EqualsNoCase(u"bACK"));
    EXPECT_TRUE(none.EqualsNoCase(empty));
    EXPECT_FALSE(empty.EqualsNoCase(none));
    EXPECT_TRUE(word.EqualsNoCase(CWString(u"back")));
}

TEST(WString, ReleaseBufferKeepsItsTerminatorInsideTheBuffer)
{
    CWString s;
    WCHAR* p = s.GetBuffer(4);
    ASSERT_NE(p, nullptr);
    UINT capacity = s.GetCapacity();
    for (UINT i = 0; i < capacity; ++i) {
        p[i] = u'z'; // the caller filled every place, terminator included
    }
    s.ReleaseBuffer(-1);
    EXPECT_EQ(s.GetLength(), capacity - 1);
    s.ReleaseBuffer(int(capacity) + 100);
    EXPECT_EQ(s.GetLength(), capacity - 1);
    EXPECT_EQ(p[capacity - 1], 0);
    s.ReleaseBuffer(2);
    EXPECT_EQ(S(s), u"zz");
}

TEST(WString, FormatKeepsLongTextsWhole)
{
    CWString s;
    EXPECT_EQ(s.Format(u"%s=%d&%S", u"code", 600000, "\xb9\xc9"), 13);
    EXPECT_EQ(S(s), u"code=600000&股");
    std::u16string longText(5000, u'q');
    EXPECT_EQ(s.Format(u"[%s]", longText.c_str()), 5002);
    EXPECT_EQ(S(s), u"[" + longText + u"]");
}

TEST(WString, FormatMayTakeTheStringsOwnTextAsArgument)
{
    // Growing for the longer result must not free the text still being read.
    CWString s(u"abcdefghijklmnopqrstuvwxyz0123456789");
    EXPECT_EQ(s.Format(u"%s-%s", s.GetText(), s.GetText()), 73);
    EXPECT_EQ(S(s), u"abcdefghijklmnopqrstuvwxyz0123456789-abcdefghijklmnopqrstuvwxyz0123456789");
    CWString t(u"title");
    EXPECT_EQ(t.Format(u"%s %s", u"\u4e70\u5165", t.GetText()), 8); // no growth: still read before writing
    EXPECT_EQ(S(t), u"\u4e70\u5165 title");

    CAString a("abcdefghijklmnopqrstuvwxyz0123456789");
    EXPECT_EQ(a.Format("%s-%s", a.GetText(), a.GetText()), 73);
    EXPECT_STREQ(a.GetText(), "abcdefghijklmnopqrstuvwxyz0123456789-abcdefghijklmnopqrstuvwxyz0123456789");
    CAString b("code=1");
    EXPECT_EQ(b.Format("x&%s", b.GetText()), 8);
    EXPECT_STREQ(b.GetText(), "x&code=1");
}

TEST(WString, FindTrimUpperAndContains)
{
    CWString s(u"  ab cAb  ");
    EXPECT_EQ(s.Find(u"ab"), 2);
    EXPECT_EQ(s.Find(u"ab", 3), -1);
    EXPECT_EQ(s.Find(u'A', -5), 6);
    EXPECT_EQ(s.Find(u"b", 100), -1);
    s.TrimLeft();
    s.TrimRight();
    EXPECT_EQ(S(s), u"ab cAb");
    EXPECT_TRUE(s.Contains(u"CAB", FALSE));
    EXPECT_FALSE(s.Contains(u"CAB", TRUE));
    EXPECT_FALSE(s.Contains(nullptr, FALSE));
    CWString other(u"xyz");
    EXPECT_FALSE(other.Contains(u"AB", FALSE)); // the cached haystack is not reused for a different text
    EXPECT_TRUE(s.Contains(u"AB", FALSE));
    s.MakeUpper();
    EXPECT_EQ(S(s), u"AB CAB");
}

TEST(AString, ConversionEqualityAndFormat)
{
    CAString a(u"股票");
    EXPECT_STREQ(a.GetText(), "\xb9\xc9\xc6\xb1");
    EXPECT_EQ(a.GetLength(), 4u);
    CAString b("Code");
    EXPECT_TRUE(b.EqualsNoCase("cODE"));
    EXPECT_TRUE(b.NotEqualsNoCase("codes"));
    EXPECT_TRUE(b.Equals(CAString("CODE")));
    CAString none;
    EXPECT_TRUE(none.EqualsNoCase(nullptr));
    EXPECT_FALSE(b.EqualsNoCase(nullptr));
    EXPECT_TRUE(none.Equals(CAString("")));

    CAString f;
    EXPECT_EQ(f.Format("%s:%I64d:%S:%.2f", "x", 1234567890123LL, u"中", 2.5), 23);
    EXPECT_STREQ(f.GetText(), "x:1234567890123:\xd6\xd0:2.50");
    std::string big(3000, 'b');
    EXPECT_EQ(f.Format("%s", big.c_str()), 3000);

    b.Append('!');
    b.Append(u"中");
    EXPECT_STREQ(b.GetText(), "Code!\xd6\xd0");
    EXPECT_EQ(b.Find("e!"), 3);
    EXPECT_EQ(b.Find("C", 1), -1);
    EXPECT_EQ(b.GetAt(100), 0);
}

TEST(AString, DirectWritingStaysInsideTheBuffer)
{
    CAString a;
    char* p = a.GetBuffer(3);
    ASSERT_NE(p, nullptr);
    for (UINT i = 0; i < a.GetCapacity(); ++i) {
        p[i] = 'x';
    }
    a.ReleaseBuffer();
    EXPECT_EQ(a.GetLength(), a.GetCapacity() - 1);
    EXPECT_EQ(p[a.GetCapacity() - 1], 0);
}

TEST(AString, ArraysOfStringsKeepTheirTextsWhenTheyGrow)
{
    GrowArray<CAString> list(2);
    for (int i = 0; i < 40; ++i) {
        CAString item;
        item.Format("item-%d-with-a-long-enough-text", i);
        ASSERT_NE(list.Append(&item, 1), nullptr);
    }
    EXPECT_STREQ(list.At(0)->GetText(), "item-0-with-a-long-enough-text");
    EXPECT_STREQ(list.At(39)->GetText(), "item-39-with-a-long-enough-text");
}
