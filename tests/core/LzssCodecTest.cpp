// LZSS reply bodies: the ring preset, references, truncated streams and long outputs.
#include "core/LzssCodec.h"
#include "tests/core/TestBodies.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::string Decode(CLzssCodec& codec, const std::vector<BYTE>& stream, int* result = nullptr)
{
    BYTE* out = nullptr;
    int outLength = -1;
    int rc = codec.Process(stream.data(), (UINT)stream.size(), &out, &outLength, 0);
    if (result)
        *result = rc;
    if (rc != 1 || !out)
        return "<none>";
    EXPECT_EQ(out[outLength], 0) << "decoded text is terminated";
    return std::string((const char*)out, (size_t)outLength);
}

} // namespace

TEST(LzssCodec, LiteralsAndPresetSpacesDecode)
{
    CLzssCodec codec;
    EXPECT_EQ(Decode(codec, {0xFF, 'a', 'b', 'c'}), "abc");
    // A reference to place 0 before any literal copies the preset spaces.
    EXPECT_EQ(Decode(codec, {0x00, 0x00, 0x00}), "   ");
    // Position bits above 2047 wrap: 0x800 is place 0 again; length 18 is the longest.
    EXPECT_EQ(Decode(codec, {0x00, 0x00, 0x8F}), std::string(18, ' '));
    // The eight places after the preset start as zero bytes.
    EXPECT_EQ(Decode(codec, {0x00, 0xF8, 0x70}), std::string(3, '\0'));
}

TEST(LzssCodec, ReferenceMayOverlapWhatItProduces)
{
    CLzssCodec codec;
    // 'a' lands at place 2040; a reference to 2040 of length 18 repeats it.
    std::vector<BYTE> stream = {0x01, 'a', 0xF8, 0x7F};
    EXPECT_EQ(Decode(codec, stream), std::string(19, 'a'));
    // "ab" then a reference to 2040 of length 5 gives "ababa".
    EXPECT_EQ(Decode(codec, {0x03, 'a', 'b', 0xF8, 0x72}), "abababa");
}

TEST(LzssCodec, TruncatedReferenceIsDroppedAndEmptyInputLeavesOutputsAlone)
{
    CLzssCodec codec;
    EXPECT_EQ(Decode(codec, {0x01, 'x', 0xF8}), "x");
    EXPECT_EQ(Decode(codec, {0x01}), "");
    BYTE marker = 7;
    BYTE* out = &marker;
    int outLength = 42;
    EXPECT_EQ(codec.Process((const BYTE*)"", 0, &out, &outLength, 0), 0);
    EXPECT_EQ(out, &marker);
    EXPECT_EQ(outLength, 42);
}

TEST(LzssCodec, LongOutputsCrossTheStagingAreaInOrder)
{
    std::string plain;
    for (int i = 0; plain.size() < 50000; ++i)
        plain += "row " + std::to_string(i * 7919 % 1000) + (i % 5 ? ";" : ";\n");
    auto stream = LzssTestEncode((const uint8_t*)plain.data(), plain.size());
    ASSERT_LT(stream.size(), plain.size()) << "the test encoder found references";
    CLzssCodec codec;
    EXPECT_EQ(Decode(codec, stream), plain);

    // Literals only, just past one and two staging areas.
    for (size_t size : {4095u, 4096u, 4097u, 8193u}) {
        std::vector<BYTE> literals;
        std::string expected;
        for (size_t i = 0; i < size; ++i) {
            if (i % 8 == 0)
                literals.push_back(0xFF);
            BYTE c = (BYTE)(i * 31 + 7);
            literals.push_back(c);
            expected.push_back((char)c);
        }
        EXPECT_EQ(Decode(codec, literals), expected) << size;
    }
}

TEST(LzssCodec, EachCallStartsFromAFreshRing)
{
    CLzssCodec codec;
    std::string first(300, 'q');
    auto stream = LzssTestEncode((const uint8_t*)first.data(), first.size());
    EXPECT_EQ(Decode(codec, stream), first);
    // The same reference must see spaces again, not what the previous body left in the ring.
    EXPECT_EQ(Decode(codec, {0x00, 0x00, 0x00}), "   ");
}

TEST(LzssCodec, EveryReferenceShapeMatchesAByteByByteDecoder)
{
    // A plain rendering of the format, one byte at a time, to compare against on streams of every reference
    // position and length, overlapping, wrapping and reaching into the zeroed places.
    auto reference = [](const std::vector<BYTE>& in) {
        BYTE ring[2048];
        memset(ring, ' ', 2040);
        memset(ring + 2040, 0, 8);
        std::string out;
        size_t i = 0, r = 2040;
        unsigned flags = 0;
        for (;;) {
            flags >>= 1;
            if (!(flags & 0x100)) {
                if (i >= in.size())
                    break;
                flags = in[i++] | 0xFF00;
            }
            if (flags & 1) {
                if (i >= in.size())
                    break;
                out += (char)in[i];
                ring[r] = in[i++];
                r = (r + 1) % 2048;
            } else {
                if (i + 1 >= in.size())
                    break;
                unsigned pos = in[i] | ((in[i + 1] & 0xF0) << 4), len = (in[i + 1] & 0x0F) + 3;
                i += 2;
                for (unsigned k = 0; k < len; ++k) {
                    BYTE c = ring[(pos + k) % 2048];
                    out += (char)c;
                    ring[r] = c;
                    r = (r + 1) % 2048;
                }
            }
        }
        return out;
    };
    uint32_t seed = 12345;
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 8; };
    CLzssCodec codec;
    for (int round = 0; round < 40; ++round) {
        std::vector<BYTE> stream;
        for (int group = 0; group < 400; ++group) {
            BYTE flags = (BYTE)next();
            stream.push_back(flags);
            for (int bit = 0; bit < 8; ++bit) {
                if (flags & (1 << bit)) {
                    stream.push_back((BYTE)('a' + next() % 26));
                } else {
                    stream.push_back((BYTE)next());
                    stream.push_back((BYTE)next());
                }
            }
        }
        ASSERT_EQ(Decode(codec, stream), reference(stream)) << round;
    }
}

TEST(LzssCodec, DecodingInTheBodysOwnBlockGivesWhatDecodingAsideGives)
{
    // Reading falls furthest behind writing when long references come first and literals last.
    std::string packedHead(20000, 'r');
    std::string literalTail;
    uint32_t noise = 2463534242u;
    for (int i = 0; i < 6000; ++i) {
        noise ^= noise << 13, noise ^= noise >> 17, noise ^= noise << 5;
        literalTail += (char)(noise >> 24);
    }
    const std::string bodies[] = {"x", "abcabcabcabc", packedHead + literalTail, literalTail + packedHead, literalTail};
    CLzssCodec codec;
    for (const std::string& plain : bodies) {
        auto stream = LzssTestEncode((const uint8_t*)plain.data(), plain.size());
        CByteBuffer body(0);
        body.Append(stream.data(), (UINT)stream.size());
        ASSERT_TRUE(codec.ProcessInPlace(body)) << plain.size();
        EXPECT_EQ(std::string((const char*)body.data, body.GetSize()), plain);
        ASSERT_GT(body.capacity, body.GetSize());
        EXPECT_EQ(body.data[body.GetSize()], 0) << "decoded text is terminated";
    }
    // Nothing to give (an empty output): the body stays as it came.
    CByteBuffer body(0);
    body.Append((const BYTE*)"\x01", 1);
    EXPECT_FALSE(codec.ProcessInPlace(body));
    EXPECT_EQ(body.GetSize(), 1u);
    EXPECT_EQ(body.data[0], 1);
}
