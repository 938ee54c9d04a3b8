// Blowfish against the published ECB test set and against an independent implementation, plus the modes.
#include "core/BlowFish.h"
#include "platform/device/ReferenceCipher.h"

#include <gtest/gtest.h>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<BYTE> Hex(const char* hex)
{
    std::vector<BYTE> out;
    for (size_t i = 0; hex[i] && hex[i + 1]; i += 2)
        out.push_back((BYTE)std::stoi(std::string(hex + i, 2), nullptr, 16));
    return out;
}

struct Vector {
    const char* key;
    const char* plain;
    const char* cipher;
};

// The standard Blowfish test set for 8-byte keys.
const Vector ECB_VECTORS[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
    {"07A1133E4A0B2686", "0248D43806F67172", "1730E5778BEA1DA4"},
    {"3849674C2602319E", "51454B582DDF440A", "A25E7856CF2651EB"},
    {"04B915BA43FEB5B6", "42FD443059577FA2", "353882B109CE8F1A"},
    {"0113B970FD34F2CE", "059B5E0851CF143A", "48F4D0884C379918"},
    {"0170F175468FB5E6", "0756D8E0774761D2", "432193B78951FC98"},
    {"43297FAD38E373FE", "762514B829BF486A", "13F04154D69D1AE5"},
    {"07A7137045DA2A16", "3BDD119049372802", "2EEDDA93FFD39C79"},
    {"04689104C2FD3B2F", "26955F6835AF609A", "D887E0393C2DA6E3"},
    {"37D06BB516CB7546", "164D5E404F275232", "5F99D04F5B163969"},
    {"1F08260D1AC2465E", "6B056E18759F5CCA", "4A057A3B24D3977B"},
    {"584023641ABA6176", "004BD6EF09176062", "452031C1E4FADA8E"},
    {"025816164629B007", "480D39006EE762F2", "7555AE39F59B87BD"},
    {"49793EBC79B3258F", "437540C8698F3CFA", "53C55F9CB49FC019"},
    {"4FB05E1515AB73A7", "072D43A077075292", "7A8E7BFA937E89A3"},
    {"49E95D6D4CA229BF", "02FE55778117F12A", "CF9C5D7A4986ADB5"},
    {"018310DC409B26D6", "1D9D5C5018F728C2", "D1ABB290658BC778"},
    {"1C587F1C13924FEF", "305532286D6F295A", "55CB3774D13EF201"},
    {"0101010101010101", "0123456789ABCDEF", "FA34EC4847B268B2"},
    {"1F1F1F1F0E0E0E0E", "0123456789ABCDEF", "A790795108EA3CAE"},
    {"E0FEE0FEF1FEF1FE", "0123456789ABCDEF", "C39E072D9FAC631D"},
    {"0000000000000000", "FFFFFFFFFFFFFFFF", "014933E0CDAFF6E4"},
    {"FFFFFFFFFFFFFFFF", "0000000000000000", "F21E9A77B71C49BC"},
    {"0123456789ABCDEF", "0000000000000000", "245946885754369A"},
    {"FEDCBA9876543210", "FFFFFFFFFFFFFFFF", "6B5C5A9C5D9E0A5A"},
};

std::vector<BYTE> RandomBytes(std::mt19937& rng, size_t n)
{
    std::vector<BYTE> out(n);
    for (auto& b : out)
        b = (BYTE)rng();
    return out;
}

} // namespace

TEST(BlowFish, PublishedEcbVectorsEncipherAndDecipher)
{
    for (const Vector& v : ECB_VECTORS) {
        std::vector<BYTE> key = Hex(v.key), plain = Hex(v.plain), cipher = Hex(v.cipher);
        CBlowFish bf((const char*)key.data(), (uint32_t)key.size(), nullptr);
        BYTE out[8];
        bf.Encrypt(plain.data(), out, 8, CBlowFish::MODE_ECB);
        EXPECT_EQ(0, memcmp(out, cipher.data(), 8)) << "key " << v.key;
        bf.Decrypt(cipher.data(), out, 8, CBlowFish::MODE_ECB);
        EXPECT_EQ(0, memcmp(out, plain.data(), 8)) << "key " << v.key;
    }
}

TEST(BlowFish, BlockHalvesAreBigEndian)
{
    // The first published vector once more, through the block function.
    CBlowFish bf("\0\0\0\0\0\0\0\0", 8, nullptr);
    uint32_t l = 0, r = 0;
    bf.EncryptBlock(&l, &r);
    EXPECT_EQ(l, 0x4EF99745u);
    EXPECT_EQ(r, 0x6198DD78u);
    bf.DecryptBlock(&l, &r);
    EXPECT_EQ(l, 0u);
    EXPECT_EQ(r, 0u);
}

TEST(BlowFish, CbcChainsEqualBlocksAndRoundTripsInPlace)
{
    BYTE plain[16];
    memset(plain, 'A', sizeof plain);
    CBlowFish bf("0123456789abcdef", 16, nullptr);
    BYTE cipher[16];
    bf.Encrypt(plain, cipher, 16, CBlowFish::MODE_CBC);
    EXPECT_NE(0, memcmp(cipher, cipher + 8, 8));

    // Each call starts from the stored vector again, so two calls give the same text.
    BYTE again[16];
    bf.Encrypt(plain, again, 16, CBlowFish::MODE_CBC);
    EXPECT_EQ(0, memcmp(cipher, again, 16));

    bf.Decrypt(cipher, cipher, 16, CBlowFish::MODE_CBC);
    EXPECT_EQ(0, memcmp(cipher, plain, 16));
}

TEST(BlowFish, CfbRoundTripsWithVector)
{
    const BYTE iv[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const char text[] = "CFB mode with 64-bit feedback, four blocks.";
    BYTE cipher[32], back[32];
    CBlowFish bf("key", 3, iv);
    bf.Encrypt((const BYTE*)text, cipher, 32, CBlowFish::MODE_CFB);
    EXPECT_NE(0, memcmp(cipher, text, 32));
    bf.Decrypt(cipher, back, 32, CBlowFish::MODE_CFB);
    EXPECT_EQ(0, memcmp(back, text, 32));
}

TEST(BlowFish, TrailingPartialBlockIsNeitherReadNorWritten)
{
    BYTE in[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    BYTE out[12];
    memset(out, 0xEE, sizeof out);
    CBlowFish bf("k", 1, nullptr);
    bf.Encrypt(in, out, 12, CBlowFish::MODE_CBC);
    EXPECT_EQ(out[8], 0xEE);
    EXPECT_EQ(out[11], 0xEE);
    bf.Encrypt(in, out, 0, CBlowFish::MODE_CBC);
    bf.Encrypt(in, out, 7, CBlowFish::MODE_ECB);
    EXPECT_EQ(out[8], 0xEE);
}

TEST(BlowFish, KeysLongerThan56BytesAreCut)
{
    std::string longKey(72, 'x');
    longKey[60] = 'y'; // beyond the cut: must not matter
    CBlowFish a(longKey.data(), 72, nullptr);
    CBlowFish b(longKey.data(), 56, nullptr);
    BYTE in[8] = {}, outA[8], outB[8];
    a.Encrypt(in, outA, 8, 0);
    b.Encrypt(in, outB, 8, 0);
    EXPECT_EQ(0, memcmp(outA, outB, 8));
}

TEST(BlowFish, MatchesIndependentImplementationOnRandomKeysAndData)
{
    std::mt19937 rng(20261207);
    for (int round = 0; round < 60; ++round) {
        size_t keyLength = 1 + rng() % 56;
        std::vector<BYTE> key = RandomBytes(rng, keyLength);
        std::vector<BYTE> iv = RandomBytes(rng, 8);
        std::vector<BYTE> data = RandomBytes(rng, 8 * (1 + rng() % 64));
        int mode = round % 3;
        CBlowFish ours((const char*)key.data(), (uint32_t)keyLength, iv.data());
        ReferenceBlowfish reference(key.data(), (int)keyLength);

        std::vector<BYTE> a(data.size()), b(data.size());
        ours.Encrypt(data.data(), a.data(), (uint32_t)data.size(), mode);
        reference.Encrypt(data.data(), b.data(), data.size(), mode, iv.data());
        ASSERT_EQ(a, b) << "mode " << mode << " key length " << keyLength;

        ours.Decrypt(a.data(), a.data(), (uint32_t)a.size(), mode);
        reference.Decrypt(b.data(), b.data(), b.size(), mode, iv.data());
        ASSERT_EQ(a, data);
        ASSERT_EQ(b, data);
    }
}

TEST(BlowFish, DecipheringMatchesReferenceAtAnyLengthInPlaceOrNot)
{
    // Deciphering takes several blocks at a time: whole groups, a group and a rest, and tails shorter than a block
    // (neither read nor written) must all come out as the reference's, in place and into another buffer.
    const uint32_t lengths[] = {0, 5, 8, 15, 16, 24, 40, 47, 48, 56, 95, 96, 104, 8 * 100 + 3, 8 * 131};
    std::mt19937 rng(7);
    std::vector<BYTE> key = RandomBytes(rng, 16), iv = RandomBytes(rng, 8);
    CBlowFish ours((const char*)key.data(), 16, iv.data());
    ReferenceBlowfish reference(key.data(), 16);
    for (int mode : {CBlowFish::MODE_ECB, CBlowFish::MODE_CBC, CBlowFish::MODE_CFB})
        for (uint32_t length : lengths)
            for (bool inPlace : {false, true}) {
                std::vector<BYTE> cipher = RandomBytes(rng, length);
                std::vector<BYTE> expected = cipher;
                uint32_t whole = length / 8 * 8;
                reference.Decrypt(cipher.data(), expected.data(), whole, mode, iv.data());
                std::vector<BYTE> out = inPlace ? cipher : std::vector<BYTE>(length, 0xEE);
                ours.Decrypt(inPlace ? out.data() : cipher.data(), out.data(), length, mode);
                if (!inPlace)
                    std::fill(expected.begin() + whole, expected.end(), 0xEE);
                EXPECT_EQ(out, expected) << "mode " << mode << " length " << length << (inPlace ? " in place" : "");
            }
}
