// zlib reply bodies: the size field must match the stream and is capped before allocation.
#include "core/ZlibBuffer.h"
#include "tests/core/TestBodies.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

TEST(ZlibBuffer, UnpacksABodyWhoseSizeFieldMatches)
{
    std::string plain(100000, 'x');
    for (size_t i = 0; i < plain.size(); i += 7)
        plain[i] = (char)('a' + i % 26);
    auto body = ZlibTestBody(plain, (DWORD)plain.size());
    CZlibBuffer zlib;
    BYTE* out = nullptr;
    int outLength = 0;
    zlib.Unpack(body.data(), (int)body.size(), &out, &outLength, 0);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(std::string((const char*)out, (size_t)outLength), plain);
}

TEST(ZlibBuffer, SizeMismatchTruncationAndHugeSizeAreRejected)
{
    CZlibBuffer zlib;
    BYTE* out = (BYTE*)1;
    int outLength = 5;
    std::string plain = "hello, hello, hello";
    auto longer = ZlibTestBody(plain, (DWORD)plain.size() + 1); // stream unpacks to fewer bytes than announced
    zlib.Unpack(longer.data(), (int)longer.size(), &out, &outLength, 0);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(outLength, 0);

    auto shorter = ZlibTestBody(plain, (DWORD)plain.size() - 1);
    zlib.Unpack(shorter.data(), (int)shorter.size(), &out, &outLength, 0);
    EXPECT_EQ(out, nullptr);

    auto cut = ZlibTestBody(plain, (DWORD)plain.size());
    zlib.Unpack(cut.data(), (int)cut.size() - 3, &out, &outLength, 0);
    EXPECT_EQ(out, nullptr);

    // 4 GB announced: refused without trying to allocate it.
    auto huge = ZlibTestBody(plain, 0xFFFFFFFFu);
    zlib.Unpack(huge.data(), (int)huge.size(), &out, &outLength, 0);
    EXPECT_EQ(out, nullptr);

    const BYTE four[4] = {1, 0, 0, 0};
    zlib.Unpack(four, 4, &out, &outLength, 0);
    EXPECT_EQ(out, nullptr);
    zlib.Unpack(nullptr, 100, &out, &outLength, 0);
    EXPECT_EQ(out, nullptr);
}
