// Blowfish packets: sizes, header fields, argument checks and tamper detection.
#include "core/CipherFilter.h"
#include "core/CompressFilter.h"
#include "core/Crc32.h"
#include "core/PacketCipher.h"
#include "core/ReplyDecoder.h"
#include "tests/core/TestBodies.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const char KEY[] = "Ab3+x/Qz9LmN0pRs";

std::vector<BYTE> Encrypt(const std::string& plain, const char* key = KEY)
{
    std::vector<BYTE> packet((size_t)PacketSize((int)plain.size()));
    int n = EncryptPacket(key, (const BYTE*)plain.data(), (int)plain.size(), packet.data());
    EXPECT_EQ(n, (int)packet.size());
    return packet;
}

int LittleEndian(const std::vector<BYTE>& p, size_t at)
{
    return (int)(p[at] | (p[at + 1] << 8) | (p[at + 2] << 16) | ((unsigned)p[at + 3] << 24));
}

} // namespace

TEST(PacketCipher, SixteenAndSeventeenBytesGiveTwentyFourAndThirtyTwo)
{
    std::string sixteen(16, 'a'), seventeen = "0123456789abcdefg";
    auto a = Encrypt(sixteen), b = Encrypt(seventeen);
    EXPECT_EQ(a.size(), 24u);
    EXPECT_EQ(b.size(), 32u);
    EXPECT_EQ(LittleEndian(a, 0), 16);
    EXPECT_EQ(LittleEndian(b, 0), 17);
    EXPECT_EQ((uint32_t)LittleEndian(b, 4), Crc32((const BYTE*)seventeen.data(), 17));
    std::vector<BYTE> out(b.size());
    ASSERT_EQ(DecryptPacket(KEY, b.data(), (int)b.size(), out.data()), 17);
    EXPECT_EQ(std::string((const char*)out.data(), 17), seventeen);
}

TEST(PacketCipher, ArgumentsAreCheckedBeforeUse)
{
    std::string plain(20, 'p');
    BYTE out[64];
    EXPECT_EQ(EncryptPacket("12345", (const BYTE*)plain.data(), 20, out), -1);
    EXPECT_EQ(EncryptPacket(nullptr, (const BYTE*)plain.data(), 20, out), -1);
    EXPECT_EQ(EncryptPacket(KEY, (const BYTE*)plain.data(), 15, out), -2);
    EXPECT_EQ(EncryptPacket(KEY, nullptr, 20, out), -2);
    auto packet = Encrypt(plain);
    EXPECT_EQ(DecryptPacket("12345", packet.data(), (int)packet.size(), out), -1);
    EXPECT_EQ(DecryptPacket(KEY, packet.data(), 15, out), -2);
    // A length beyond the packet, negative, or reaching into an unciphered tail.
    auto bad = packet;
    bad[0] = 0xFF;
    bad[3] = 0x7F;
    EXPECT_EQ(DecryptPacket(KEY, bad.data(), (int)bad.size(), out), -3);
    bad[3] = 0xFF;
    EXPECT_EQ(DecryptPacket(KEY, bad.data(), (int)bad.size(), out), -3);
    bad = packet;
    bad.push_back(0);
    bad[0] = (BYTE)(bad.size() - 8);
    EXPECT_EQ(DecryptPacket(KEY, bad.data(), (int)bad.size(), out), -3);
}

TEST(PacketCipher, TamperedChecksumOrWrongKeyGivesMinusFourAndWritesNothing)
{
    auto packet = Encrypt("a body long enough to cipher");
    packet[5] ^= 0x01;
    std::vector<BYTE> out(packet.size(), 0xEE);
    EXPECT_EQ(DecryptPacket(KEY, packet.data(), (int)packet.size(), out.data()), -4);
    EXPECT_EQ(out, std::vector<BYTE>(packet.size(), 0xEE));
    packet[5] ^= 0x01;
    EXPECT_EQ(DecryptPacket("another-key", packet.data(), (int)packet.size(), out.data()), -4);
    packet[12] ^= 0x80;
    EXPECT_EQ(DecryptPacket(KEY, packet.data(), (int)packet.size(), out.data()), -4);
}

TEST(ReplyDecoder, CipheredThenLzssPackedBodyIsDecipheredFirst)
{
    std::string plain;
    for (int i = 0; i < 400; ++i)
        plain += "code=60000" + std::to_string(i % 10) + "&";
    auto packed = LzssTestEncode((const uint8_t*)plain.data(), plain.size());
    auto packet = Encrypt(std::string(packed.begin(), packed.end()));
    CCipherFilter cipher;
    CCompressFilter compress;
    CReplyDecoder decoder;
    decoder.SetCipherFilter(&cipher);
    decoder.SetCompressFilter(&compress);
    decoder.SetCipherType(36);
    decoder.SetCompressType(17);
    decoder.SetKey(KEY);
    decoder.SetInput(packet.data(), (int)packet.size());
    int length = 0;
    const BYTE* out = decoder.Finish(1, &length);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(std::string((const char*)out, (size_t)length), plain);
}

TEST(ReplyDecoder, BodyThatFailsToDecipherStopsBeforeUnpacking)
{
    std::string plain(100, 'w');
    auto zlib = ZlibTestBody(plain, (uint32_t)plain.size());
    auto packet = Encrypt(std::string(zlib.begin(), zlib.end()));
    CCipherFilter cipher;
    CCompressFilter compress;
    CReplyDecoder decoder;
    decoder.SetCipherFilter(&cipher);
    decoder.SetCompressFilter(&compress);
    decoder.SetCipherType(36);
    decoder.SetCompressType(18);
    decoder.SetKey("wrong-key-text");
    decoder.SetInput(packet.data(), (int)packet.size());
    int length = 0;
    const BYTE* out = decoder.Finish(1, &length);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(std::vector<BYTE>(out, out + length), packet);
}
