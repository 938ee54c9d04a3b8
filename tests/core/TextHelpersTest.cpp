// Conversion, parameter texts, versions, hexadecimal, byte reads and file helpers.
#include "core/TextHelpers.h"

#include "platform/win/FileIo.h"
#include "platform/win/WideText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string TakeText(char* text)
{
    std::string s = text != nullptr ? text : "<null>";
    free(text);
    return s;
}

} // namespace

TEST(TextHelpers, ConversionRoundTripsChineseAndCountsTheTerminator)
{
    WCHAR* wide = nullptr;
    ASSERT_EQ(AnsiToWide("\xb9\xc9\xc6\xb1"
                         "A",
                         &wide),
              4); // "股票A"
    EXPECT_EQ(std::u16string(wide), u"股票A");
    char* narrow = nullptr;
    ASSERT_EQ(WideToAnsi(wide, &narrow), 6);
    EXPECT_STREQ(narrow, "\xb9\xc9\xc6\xb1"
                         "A");
    free(wide);
    free(narrow);

    EXPECT_EQ(AnsiToWide(nullptr, &wide), 0);
    EXPECT_EQ(wide, nullptr);
    EXPECT_EQ(WideToAnsi(u"\U0001F600x", &narrow), 3); // no mapping: the default character
    EXPECT_STREQ(narrow, "?x");
    free(narrow);
}

TEST(TextHelpers, GetParamValueFindsTheFirstPatternAnywhere)
{
    EXPECT_EQ(TakeText(GetParamValue("a=1&b=22 more text", "b")), "22");
    EXPECT_EQ(TakeText(GetParamValue("A=1", "a")), "1");
    EXPECT_EQ(TakeText(GetParamValue("stkcode=12&code=1", "code")), "12"); // inside the longer key, on purpose
    EXPECT_EQ(TakeText(GetParamValue("a=1&b=", "b")), "");
    EXPECT_EQ(TakeText(GetParamValue("a=1", "b")), "<null>");
    EXPECT_EQ(TakeText(GetParamValue("ab", "ab")), "<null>"); // the key without "=" is no pattern
    EXPECT_EQ(TakeText(GetParamValue(nullptr, "a")), "<null>");
    EXPECT_EQ(TakeText(GetParamValue("a=1", nullptr)), "<null>");
}

TEST(TextHelpers, LongKeysNeverOverflowThePattern)
{
    std::string key(300, 'k');
    std::string text = "x=1&" + key + "=long&y=2";
    EXPECT_EQ(TakeText(GetParamValue(text.c_str(), key.c_str())), "long");
    EXPECT_EQ(TakeText(SetParamValue(text.c_str(), key.c_str(), "v")), "x=1&" + key + "=v&y=2");
}

TEST(TextHelpers, SetParamValueReplacesOrAppends)
{
    EXPECT_EQ(TakeText(SetParamValue("a=1&b=2", "b", "9")), "a=1&b=9");
    EXPECT_EQ(TakeText(SetParamValue("a=1", "c", "3")), "a=1&c=3");
    EXPECT_EQ(TakeText(SetParamValue("code=1&date=2 x", "CODE", "600000.01")), "code=600000.01&date=2 x");
    EXPECT_EQ(TakeText(SetParamValue("a=1&b=2", "a", "")), "a=&b=2");
    EXPECT_EQ(TakeText(SetParamValue("a=1", "a", nullptr)), "a=");
}

TEST(TextHelpers, CaseInsensitiveSearchAndCompare)
{
    EXPECT_EQ(StrEqualNoCase("Back", "back"), 0);
    EXPECT_EQ(StrEqualNoCase("back", "backward"), 1);
    EXPECT_EQ(StrEqualNoCase(nullptr, nullptr), 1);
    EXPECT_EQ(StrNCmpNoCase("ABCx", "abcy", 3), 0);
    EXPECT_EQ(StrNCmpNoCase("ABCx", "abcy", 4), 1);

    const char unterminated[4] = {'x', 'K', 'E', 'Y'};
    EXPECT_EQ(StrStrNoCase(unterminated, 4, "key"), unterminated + 1);
    EXPECT_EQ(StrStrNoCase(unterminated, 3, "key"), nullptr); // does not occur in full within n
    EXPECT_EQ(StrStrNoCase("ab", 2, "abc"), nullptr);
}

TEST(TextHelpers, NumberChecks)
{
    EXPECT_EQ(IsDecimalNumber(""), 1);
    EXPECT_EQ(IsDecimalNumber("12.5"), 1);
    EXPECT_EQ(IsDecimalNumber("1.2.3"), 0);
    EXPECT_EQ(IsDecimalNumber("-1"), 0);
    EXPECT_EQ(IsDecimalNumber(nullptr), 0);
    EXPECT_EQ(IsDigitString(""), 1);
    EXPECT_EQ(IsDigitString("0123"), 1);
    EXPECT_EQ(IsDigitString("1.0"), 0);
    EXPECT_EQ(IsDigitString(nullptr), 0);
}

TEST(TextHelpers, CompareVersionSetsABitPerLowerComponent)
{
    EXPECT_EQ(CompareVersion("3.2.1.0", "3.2.2.0"), 4u);
    EXPECT_EQ(CompareVersion("3.1", "3.2"), 2u);
    EXPECT_EQ(CompareVersion("4.0.1", "3.9.5"), 4u);
    EXPECT_EQ(CompareVersion("3.2", "3.2.0.0.1"), 16u);
    EXPECT_EQ(CompareVersion("3.2.1", "3.2.1"), 0u);
    EXPECT_EQ(CompareVersion("2.9", "3.1"), 1u);       // higher second component does not count after a lower first
    EXPECT_EQ(CompareVersion("3.3.0", "3.2.9"), 4u);   // newer in the second component clears bits 0 and 1 only
    EXPECT_EQ(CompareVersion(" 3.2.2", "3.2.2 "), 0u); // stray spaces do not read as component 0
    EXPECT_EQ(CompareVersion("3.2.2", nullptr), 0u);   // a missing server version never asks for an update
}

TEST(TextHelpers, HexAndLittleEndian)
{
    const BYTE bytes[2] = {0x0A, 0xFF};
    char out[5] = "####";
    HexEncode(bytes, 2, out, 0);
    EXPECT_STREQ(out, "0aff");
    HexEncode(bytes, 2, out, 1);
    EXPECT_STREQ(out, "0AFF");

    const BYTE raw[9] = {0xFF, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x88};
    EXPECT_EQ(ReadLE16(raw + 1), 0x0201u);
    EXPECT_EQ(ReadLE32(raw + 1), 0x04030201u);
    EXPECT_EQ(ReadLE64(raw + 1), 0x8807060504030201ull);
    EXPECT_EQ(ReadLE32(nullptr), 0u);

    BYTE dst[3] = {9, 9, 9};
    EXPECT_EQ(CopyBytes(dst, raw, 0), dst);
    EXPECT_EQ(dst[0], 9);
    CopyBytes(dst, raw, 3);
    EXPECT_EQ(dst[2], 0x02);
}

class TextHelpersFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::string(MORWICK_BINARY_DIR) + "/text-helpers-home/";
        std::string cmd = "mkdir -p " + dir;
        ASSERT_EQ(system(cmd.c_str()), 0);
        setenv("MORWICK_HOME", dir.c_str(), 1);
    }
    void TearDown() override { unsetenv("MORWICK_HOME"); }
    std::u16string WidePath(const char* name)
    {
        return std::u16string(dir.begin(), dir.end()) + std::u16string(name, name + strlen(name));
    }
    std::string dir;
};

TEST_F(TextHelpersFiles, ReadWholeFilePadsToWholeBlocksWithZeros)
{
    std::u16string path = WidePath("nine.bin");
    ASSERT_TRUE(WriteFileAtomically(path.c_str(), "123456789", 9));
    BYTE* data = nullptr;
    ASSERT_EQ(ReadWholeFile(path.c_str(), &data), 9);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(memcmp(data, "123456789", 9), 0);
    for (int i = 9; i < 24; ++i) {
        EXPECT_EQ(data[i], 0) << i; // ASan reports any read past the 24 bytes allocated
    }
    free(data);

    UINT size = 0;
    EXPECT_EQ(GetFileSize(path.c_str(), &size), 1);
    EXPECT_EQ(size, 9u);
    std::u16string missing = WidePath("missing.bin");
    EXPECT_EQ(ReadWholeFile(missing.c_str(), &data), -1);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(GetFileSize(missing.c_str(), &size), 0);
}

TEST_F(TextHelpersFiles, ModuleDirPathIsBoundedByTheCallersBuffer)
{
    WCHAR out[260];
    ASSERT_TRUE(GetModuleDirPath(u"DefParam.dat", out, 260));
    EXPECT_EQ(std::u16string(out), WidePath("DefParam.dat"));
    WCHAR small[8] = u"xxxxxxx";
    EXPECT_FALSE(GetModuleDirPath(u"DefParam.dat", small, 8));
    EXPECT_EQ(small[0], 0);
    EXPECT_EQ(small[7], 0);
}
