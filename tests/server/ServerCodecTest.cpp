// The server's codecs against independent known values and against the client's decoders.
#include "ServerTestClient.h"

#include "core/Crc32.h"
#include "platform/device/ServerCipher.h"
#include "server/BodyCodec.h"
#include "server/DataSetWriter.h"
#include "server/PacketCodec.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::string ClientLzssDecode(CLzssCodec& codec, const std::string& packed)
{
    BYTE* out = nullptr;
    int n = 0;
    if (!codec.Process(reinterpret_cast<const BYTE*>(packed.data()), static_cast<UINT>(packed.size()), &out, &n, 0))
        return std::string();
    return std::string(reinterpret_cast<const char*>(out), static_cast<size_t>(n));
}

std::string Bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s += static_cast<char>(v);
    return s;
}

std::string SampleText(size_t length, unsigned seed)
{
    std::mt19937 rng(seed);
    static const char* words[] = {"zjcj", "600010", " ", "东海银行", "\0\0\0", "cjsl", "99", "\x7f\xff"};
    std::string s;
    while (s.size() < length)
        s += words[rng() % 8];
    s.resize(length);
    return s;
}

} // namespace

TEST(LzssEncoder, ThreeLiteralsMakeOneFlagByteAndTheBytes)
{
    EXPECT_EQ(LzssEncode("abc"), Bytes({0x07, 'a', 'b', 'c'}));
    EXPECT_EQ(LzssEncode(""), "");
}

TEST(LzssEncoder, HandMadeStreamsDecodeAsTheRingLayoutSays)
{
    // A reference to position 0, length 3, before any literal: three spaces from the pre-filled ring.
    EXPECT_EQ(LzssDecode(Bytes({0x00, 0x00, 0x00})), "   ");
    // Literals "ab", then a reference to 2040 (where writing began) of length 4: overlapping copy "abab".
    EXPECT_EQ(LzssDecode(Bytes({0x03, 'a', 'b', 0xF8, 0x71})), "ababab");
    // A stream that stops inside a reference drops the reference.
    EXPECT_EQ(LzssDecode(Bytes({0x01, 'x', 0x00})), "x");
}

TEST(LzssEncoder, RoundTripsThroughTheClientDecoderForManyShapes)
{
    CLzssCodec codec; // one codec for every body: no dependence on what an earlier body left in its ring
    std::vector<std::string> inputs = {"a",
                                       std::string(18, ' '),
                                       std::string(19, ' '),
                                       std::string(5000, 'x'),
                                       SampleText(100, 1),
                                       SampleText(4097, 2),
                                       SampleText(20000, 3)};
    std::mt19937 rng(9);
    std::string random(6000, '\0');
    for (char& c : random)
        c = static_cast<char>(rng());
    inputs.push_back(random);
    for (const std::string& in : inputs) {
        std::string packed = LzssEncode(in);
        EXPECT_EQ(ClientLzssDecode(codec, packed), in) << "length " << in.size();
        EXPECT_EQ(LzssDecode(packed), in);
    }
}

TEST(LzssEncoder, RepetitiveBodiesShrink)
{
    std::string body = SampleText(20000, 4);
    EXPECT_LT(LzssEncode(body).size(), body.size() / 2);
    // Incompressible data grows by at most one flag byte per eight bytes.
    std::mt19937 rng(5);
    std::string noise(8000, '\0');
    for (char& c : noise)
        c = static_cast<char>(rng());
    EXPECT_LE(LzssEncode(noise).size(), noise.size() + noise.size() / 8 + 1);
}

TEST(ZlibBody, CarriesTheUnpackedSizeAndUnpacksWithTheClientBuffer)
{
    // Bodies below and above every window size the packer picks, at the fastest and the default level.
    for (size_t length : {100, 3000, 40000, 70000})
        for (int level : {1, -1}) {
            std::string body = SampleText(length, 6);
            std::string packed = ZlibPack(body, level);
            ASSERT_GT(packed.size(), 4u);
            uint32_t size = static_cast<uint32_t>(length);
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(&size), 4), packed.substr(0, 4)); // little-endian
            CZlibBuffer zlib;
            BYTE* out = nullptr;
            int n = 0;
            zlib.Unpack(reinterpret_cast<const BYTE*>(packed.data()), static_cast<int>(packed.size()), &out, &n, 0);
            ASSERT_NE(out, nullptr) << length << " at level " << level;
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(out), static_cast<size_t>(n)), body);
            std::string back;
            EXPECT_TRUE(ZlibUnpack(packed, back));
            EXPECT_EQ(back, body);
            packed[10] ^= 0x55;
            EXPECT_FALSE(ZlibUnpack(packed, back));
        }
}

TEST(PacketCodec, BlowfishMatchesPublishedVectorsInTheFirstBlock)
{
    // CBC with a zero vector leaves the first block as plain ECB.
    std::string zeroKey(8, '\0'), onesKey(8, '\xFF');
    unsigned char plain[8] = {}, out[8];
    ASSERT_TRUE(ServerBlowfishCbc(zeroKey, plain, out, 8, true));
    EXPECT_EQ(HexLower(out, 8), "4ef997456198dd78");
    unsigned char ones[8];
    std::memset(ones, 0xFF, 8);
    ASSERT_TRUE(ServerBlowfishCbc(onesKey, ones, out, 8, true));
    EXPECT_EQ(HexLower(out, 8), "51866fd5b85ecb8a");
}

TEST(PacketCodec, HeaderHoldsLengthAndCrcAndSizeRoundsUpToBlocks)
{
    std::string fox = "The quick brown fox jumps over the lazy dog";
    std::string packet = SealPacket("AbCdEfGh01234567", fox);
    ASSERT_EQ(packet.size(), 56u); // 8 x floor((43 + 15) / 8)
    EXPECT_EQ(packet.substr(0, 8), Bytes({43, 0, 0, 0, 0x39, 0xA3, 0x4F, 0x41}));
    EXPECT_EQ(SealPacket("AbCdEfGh01234567", std::string(16, 'x')).size(), 24u);
    EXPECT_EQ(SealPacket("AbCdEfGh01234567", std::string(17, 'x')).size(), 32u);
    EXPECT_TRUE(SealPacket("short", fox).empty());
    EXPECT_TRUE(SealPacket("AbCdEfGh01234567", "fifteen bytes..").empty());
}

TEST(PacketCodec, ServerAndClientCiphersOpenEachOthersPackets)
{
    const std::string key = "Zz09+/AbCdEfGhIj";
    std::string plain = SampleText(777, 7);
    std::string sealed = SealPacket(key, plain);
    std::vector<BYTE> out(sealed.size());
    ASSERT_EQ(DecryptPacket(key.c_str(), reinterpret_cast<const BYTE*>(sealed.data()), static_cast<int>(sealed.size()),
                            out.data()),
              777);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.data()), 777), plain);

    std::vector<BYTE> packet(plain.size() + 32);
    int n = EncryptPacket(key.c_str(), reinterpret_cast<const BYTE*>(plain.data()), static_cast<int>(plain.size()),
                          packet.data());
    ASSERT_GT(n, 0);
    std::string opened;
    EXPECT_EQ(
        OpenPacket(key, std::string(reinterpret_cast<const char*>(packet.data()), static_cast<size_t>(n)), opened),
        777);
    EXPECT_EQ(opened, plain);
}

TEST(PacketCodec, DamagedPacketsAreRefused)
{
    const std::string key = "AbCdEfGh01234567";
    std::string sealed = SealPacket(key, std::string(40, 'q'));
    std::string plain;
    std::string badCrc = sealed;
    badCrc[5] ^= 1;
    EXPECT_EQ(OpenPacket(key, badCrc, plain), -4);
    EXPECT_TRUE(plain.empty());
    std::string badLength = sealed;
    badLength[0] = 100;
    EXPECT_EQ(OpenPacket(key, badLength, plain), -3);
    EXPECT_EQ(OpenPacket(key, sealed.substr(0, 15), plain), -2);
    EXPECT_EQ(OpenPacket("12345", sealed, plain), -1);
    EXPECT_EQ(OpenPacket("AbCdEfGh01234568", sealed, plain), -4);
}

TEST(ServerText, Base64AndMd5AgreeWithPublishedValues)
{
    std::vector<unsigned char> out;
    ASSERT_TRUE(Base64Decode("TWFu", out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "Man");
    ASSERT_TRUE(Base64Decode("TWE=", out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "Ma");
    ASSERT_TRUE(Base64Decode("TQ==", out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "M");
    EXPECT_FALSE(Base64Decode("TQ=a", out));
    EXPECT_FALSE(Base64Decode("TWF", out));
    EXPECT_FALSE(Base64Decode("T*Fu", out));
    EXPECT_EQ(Base64EncodeText(reinterpret_cast<const unsigned char*>("Ma"), 2), "TWE=");
    EXPECT_EQ(ServerMd5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(ServerMd5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(DataSetWriter, WritesTheBinaryFormByteForByte)
{
    CDataSetWriter set("t");
    set.AddField("n", FIELD_INT);
    set.AddField("s", FIELD_TEXT, "AB");
    set.AddRow();
    set.SetInt(0, 0x01020304);
    set.SetText(1, "hi");
    std::string bytes = set.ToBytes();
    ASSERT_EQ(bytes.size(), 28u + 120u + 12u + 3u);
    EXPECT_EQ(bytes.substr(0, 16), std::string("t") + std::string(15, '\0'));
    EXPECT_EQ(bytes.substr(16, 4), Bytes({2, 0, 0, 0}));
    // First descriptor: name, type 4, size 4, offset 0, empty caption.
    EXPECT_EQ(bytes.substr(20, 16), std::string("n") + std::string(15, '\0'));
    EXPECT_EQ(bytes.substr(36, 12), Bytes({4, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0}));
    // Second: type 9, size 8, offset 4, caption "AB".
    EXPECT_EQ(bytes.substr(96, 12), Bytes({9, 0, 0, 0, 8, 0, 0, 0, 4, 0, 0, 0}));
    EXPECT_EQ(bytes.substr(108, 3), std::string("AB\0", 3));
    // One row: the int, then the text reference {offset 0, length 3 with the terminator}.
    EXPECT_EQ(bytes.substr(140, 4), Bytes({1, 0, 0, 0}));
    EXPECT_EQ(bytes.substr(144, 12), Bytes({4, 3, 2, 1, 0, 0, 0, 0, 3, 0, 0, 0}));
    EXPECT_EQ(bytes.substr(156, 7), Bytes({3, 0, 0, 0, 'h', 'i', 0}));
}

TEST(DataSetWriter, QuoteNumbersPackAsTheClientDecodesThem)
{
    EXPECT_EQ(PackQuote(308.6, 1), 12345);
    EXPECT_EQ(PackQuote(-0.002, 3), -5);
    EXPECT_EQ(PackQuote(10000, 0), 40000);
    EXPECT_EQ(PackQuote(12.34, 2), 4938);
    EXPECT_EQ(PackQuoteWithUnit(123456), 493);     // 12.3 万
    EXPECT_EQ(PackQuoteWithUnit(250000000), 1002); // 2.50 亿
    EXPECT_EQ(PackQuoteWithUnit(99999), 399996);   // plain
}
