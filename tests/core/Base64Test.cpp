// Base64 against RFC 4648's vectors, the alphabet index rule of the session key, and decoding.
#include "core/Base64.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>

namespace {

std::string Encode(const std::string& in)
{
    BYTE out[64];
    memset(out, 0x7F, sizeof out);
    uint32_t n = Base64Encode((const BYTE*)in.data(), out, (uint32_t)in.size());
    EXPECT_EQ(n, 4 * ((in.size() + 2) / 3));
    if (n > 0)
        EXPECT_EQ(out[n], 0); // terminated
    else
        EXPECT_EQ(out[0], 0x7F); // nothing written
    return n > 0 ? std::string((const char*)out, n) : std::string();
}

std::string Decode(const std::string& in)
{
    BYTE out[64];
    int32_t n = Base64Decode(in.data(), (uint32_t)in.size(), out);
    return n < 0 ? std::string("<invalid>") : std::string((const char*)out, (size_t)n);
}

} // namespace

TEST(Base64, RfcVectorsEncodeAndDecode)
{
    const std::pair<const char*, const char*> rfc[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [plain, encoded] : rfc) {
        EXPECT_EQ(Encode(plain), encoded);
        EXPECT_EQ(Decode(encoded), plain);
    }
    EXPECT_EQ(Encode(std::string("\xfb\xff\xbf", 3)), "+/+/");
}

TEST(Base64, DecodeRejectsTextOutsideTheAlphabet)
{
    EXPECT_EQ(Decode("Zm9v!"), "<invalid>");
    EXPECT_EQ(Decode("Z"), "<invalid>");
    EXPECT_EQ(Decode("Zm=v"), "<invalid>");
    EXPECT_EQ(Decode("===="), "<invalid>");
    EXPECT_EQ(Decode("Zm9"), "fo"); // padding may be left out
}

TEST(Base64, CharTakesIndexModulo64AndMagnitudeOfNegativeRemainder)
{
    EXPECT_EQ(Base64Char(0), 'A');
    EXPECT_EQ(Base64Char(64), 'A');
    EXPECT_EQ(Base64Char(-1), 'B');
    EXPECT_EQ(Base64Char(63), '/');
    EXPECT_EQ(Base64Char(62 + 64 * 1000), '+');
    EXPECT_EQ(Base64Char(INT32_MIN), 'A');
}
