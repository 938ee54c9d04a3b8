// CRC-32 against its published check value and zlib, across the fast path's alignment and tail cases.
#include "core/Crc32.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>
#include <zlib.h>

TEST(Crc32, CheckValueOf123456789)
{
    EXPECT_EQ(Crc32((const BYTE*)"123456789", 9), 0xCBF43926u);
    EXPECT_EQ(Crc32((const BYTE*)"", 0), 0u);
}

TEST(Crc32, AgreesWithZlibForEveryLengthAndOffset)
{
    std::mt19937 rng(7);
    std::vector<BYTE> data(300);
    for (auto& b : data)
        b = (BYTE)rng();
    for (size_t offset = 0; offset < 8; ++offset)
        for (size_t length = 0; length + offset <= data.size(); length += 1 + length / 16)
            ASSERT_EQ(Crc32(data.data() + offset, (uint32_t)length),
                      (uint32_t)crc32(0L, data.data() + offset, (uInt)length))
                << "offset " << offset << " length " << length;
}

TEST(Crc32, LongInputsSplitIntoLanesAgreeWithZlib)
{
    std::mt19937 rng(11);
    std::vector<BYTE> data(70000);
    for (auto& b : data)
        b = (BYTE)rng();
    for (uint32_t length : {1023u, 1024u, 1025u, 1031u, 2048u, 4099u, 65536u, 70000u})
        EXPECT_EQ(Crc32(data.data(), length), (uint32_t)crc32(0L, data.data(), length)) << length;
    EXPECT_EQ(Crc32(data.data() + 3, 5000), (uint32_t)crc32(0L, data.data() + 3, 5000));
}
