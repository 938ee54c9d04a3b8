// The strong random source fills whole buffers with bytes that differ between draws.
#include "platform/device/Random.h"

#include <gtest/gtest.h>
#include <cstring>
#include <set>

TEST(Random, FillsBuffersAndDrawsDiffer)
{
    BYTE a[64] = {}, b[64] = {};
    ASSERT_TRUE(CeGenRandom(sizeof a, a));
    ASSERT_TRUE(CeGenRandom(sizeof b, b));
    EXPECT_NE(0, memcmp(a, b, sizeof a));
    std::set<BYTE> distinct(a, a + sizeof a);
    EXPECT_GT(distinct.size(), 20u);
    EXPECT_FALSE(CeGenRandom(4, nullptr));
    EXPECT_TRUE(CeGenRandom(0, nullptr));
}
