// MD5 against the RFC 1321 test suite, fed whole and in pieces.
#include "core/Md5.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>

namespace {

std::string HexDigest(const std::string& text, size_t piece)
{
    MD5Context context;
    MD5Init(&context);
    for (size_t i = 0; i < text.size(); i += piece)
        MD5Update(&context, (const BYTE*)text.data() + i, (uint32_t)std::min(piece, text.size() - i));
    BYTE digest[16];
    MD5Final(&context, digest);
    char hex[33];
    for (int i = 0; i < 16; ++i)
        snprintf(hex + 2 * i, 3, "%02x", digest[i]);
    return hex;
}

} // namespace

TEST(Md5, RfcSuiteWholeAndInPieces)
{
    const std::pair<const char*, const char*> suite[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [text, digest] : suite) {
        EXPECT_EQ(HexDigest(text, 1000), digest) << '"' << text << '"';
        EXPECT_EQ(HexDigest(text, 1), digest) << '"' << text << '"';
        EXPECT_EQ(HexDigest(text, 63), digest) << '"' << text << '"';
    }
}

TEST(Md5, PaddingBoundariesAt55And56And64Bytes)
{
    // Lengths where the length field just fits, just spills into a second block, and fills a block.
    EXPECT_EQ(HexDigest(std::string(55, 'a'), 7), "ef1772b6dff9a122358552954ad0df65");
    EXPECT_EQ(HexDigest(std::string(56, 'a'), 7), "3b0c8ac703f828b04c6c197006d17218");
    EXPECT_EQ(HexDigest(std::string(64, 'a'), 7), "014842d480b571495a4a0363793f7367");
}
