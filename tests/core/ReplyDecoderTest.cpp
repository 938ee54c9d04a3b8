// The reply body pipeline: which stages run for which header types, and what a failing stage leaves.
#include "core/CompressFilter.h"
#include "core/ReplyDecoder.h"
#include "tests/core/TestBodies.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <zlib.h>

namespace {

std::string Decoded(const std::vector<BYTE>& body, int cipherType, int compressType, int decode = 1)
{
    CCompressFilter compress;
    CReplyDecoder decoder;
    decoder.SetCompressFilter(&compress);
    decoder.SetCipherType(cipherType);
    decoder.SetCompressType(compressType);
    decoder.SetInput(body.data(), (int)body.size());
    int length = -1;
    const BYTE* out = decoder.Finish(decode, &length);
    if (!out)
        return "<none>";
    return std::string((const char*)out, (size_t)length);
}

std::string Text(const std::vector<BYTE>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

TEST(ReplyDecoder, CompressionTypesPickTheirUnpacker)
{
    std::string plain = "field=value;" + std::string(500, 'z');
    auto lzss = LzssTestEncode((const uint8_t*)plain.data(), plain.size());
    EXPECT_EQ(Decoded(lzss, 0, 17), plain);
    EXPECT_EQ(Decoded(ZlibTestBody(plain, (DWORD)plain.size()), 0, 18), plain);
    // No cipher stage attached: a cipher type alone changes nothing.
    EXPECT_EQ(Decoded(ZlibTestBody(plain, (DWORD)plain.size()), 36, 18), plain);
}

TEST(ReplyDecoder, UnknownOrUnsetTypesAndFailedUnpackingLeaveTheBodyAsItCame)
{
    std::string plain = "plain body bytes";
    std::vector<BYTE> raw(plain.begin(), plain.end());
    EXPECT_EQ(Decoded(raw, -1, -1), plain);
    EXPECT_EQ(Decoded(raw, 0, 0), plain);
    EXPECT_EQ(Decoded(raw, 0, 99), plain);
    auto mismatch = ZlibTestBody(plain, (DWORD)plain.size() + 10);
    EXPECT_EQ(Decoded(mismatch, 0, 18), Text(mismatch));
    // Decode flag 0 hands the input back untouched.
    auto zlib = ZlibTestBody(plain, (DWORD)plain.size());
    EXPECT_EQ(Decoded(zlib, 0, 18, 0), Text(zlib));
    EXPECT_EQ(Decoded({}, 0, 18), "<none>");
}

TEST(ReplyDecoder, InputAccumulatesAcrossCalls)
{
    std::string plain(3000, 'k');
    auto zlib = ZlibTestBody(plain, (DWORD)plain.size());
    CCompressFilter compress;
    CReplyDecoder decoder;
    decoder.SetCompressFilter(&compress);
    decoder.SetCompressType(18);
    decoder.SetInput(zlib.data(), 5);
    decoder.SetInput(nullptr, 10);
    decoder.SetInput(zlib.data() + 5, 0);
    decoder.SetInput(zlib.data() + 5, (int)zlib.size() - 5);
    int length = 0;
    const BYTE* out = decoder.Finish(1, &length);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(std::string((const char*)out, (size_t)length), plain);
}
