// The public-key side of the log-in: "pubkey.bin" loading and OAEP enciphering that the private key reverses.
#include "platform/device/Rsa.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <fstream>

namespace {

void WriteFile(const std::string& path, const std::vector<BYTE>& bytes)
{
    std::ofstream(path, std::ios::binary).write((const char*)bytes.data(), (std::streamsize)bytes.size());
}

} // namespace

TEST(Rsa, SessionKeyEnciphersToFreshBlocksThatPrivateKeyReverses)
{
    TempFolder folder;
    std::vector<BYTE> publicKey, privateKey;
    ASSERT_TRUE(GenerateRsaKeyPairForTest(&publicKey, &privateKey));
    WriteFile(folder.File("pubkey.bin"), publicKey);

    CRSA rsa;
    BYTE out[256];
    DWORD outLength = 0;
    EXPECT_FALSE(rsa.Encrypt((const BYTE*)"x", 1, out, &outLength)); // no key yet
    ASSERT_TRUE(rsa.LoadPublicKey(folder.File("pubkey.bin").c_str()));

    const char key[] = "AbCdEfGh0123+/xy";
    ASSERT_TRUE(rsa.Encrypt((const BYTE*)key, 16, out, &outLength));
    EXPECT_EQ(outLength, 256u);
    std::vector<BYTE> plain;
    ASSERT_TRUE(DecryptRsaForTest(privateKey, out, outLength, &plain));
    EXPECT_EQ(std::string(plain.begin(), plain.end()), key);

    BYTE again[256];
    ASSERT_TRUE(rsa.Encrypt((const BYTE*)key, 16, again, &outLength));
    EXPECT_NE(0, memcmp(out, again, 256)); // randomised padding

    std::string tooLong(191, 'a');
    EXPECT_FALSE(rsa.Encrypt((const BYTE*)tooLong.data(), 191, out, &outLength));
}

TEST(Rsa, MissingOrDamagedKeyFileFailsToLoad)
{
    TempFolder folder;
    CRSA rsa;
    EXPECT_FALSE(rsa.LoadPublicKey(folder.File("pubkey.bin").c_str()));
    EXPECT_FALSE(rsa.LoadPublicKey(nullptr));
    WriteFile(folder.File("pubkey.bin"), {0x30, 0x82, 0x01, 0x22, 0x30});
    EXPECT_FALSE(rsa.LoadPublicKey(folder.File("pubkey.bin").c_str()));
    WriteFile(folder.File("pubkey.bin"), {});
    EXPECT_FALSE(rsa.LoadPublicKey(folder.File("pubkey.bin").c_str()));
}
