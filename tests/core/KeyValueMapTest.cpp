// Pair-list texts of the server configuration.
#include "core/KeyValueMap.h"

#include <gtest/gtest.h>

#include <string>

TEST(KeyValueMap, PiecesWithoutCaretAreSkippedAndATrailingHashIsAllowed)
{
    KeyValueMap map("a^1#b^2#");
    ASSERT_EQ(map.GetCount(), 2);
    EXPECT_STREQ(map.GetKey(0), "a");
    EXPECT_STREQ(map.GetValue(1), "2");

    map.Assign("a^1#junk#b^2");
    ASSERT_EQ(map.GetCount(), 2);
    EXPECT_STREQ(map.GetKey(1), "b");
    EXPECT_STREQ(map.GetValue(1), "2");
}

TEST(KeyValueMap, ValueKeepsFurtherCaretsAndEmptyKeysCount)
{
    KeyValueMap map("k^v^w");
    ASSERT_EQ(map.GetCount(), 1);
    EXPECT_STREQ(map.GetKey(0), "k");
    EXPECT_STREQ(map.GetValue(0), "v^w");

    map.Assign("^x#y^");
    ASSERT_EQ(map.GetCount(), 2);
    EXPECT_STREQ(map.GetKey(0), "");
    EXPECT_STREQ(map.GetValue(0), "x");
    EXPECT_STREQ(map.GetValue(1), "");
    EXPECT_EQ(map.FindValue(""), nullptr);
    EXPECT_EQ(map.FindValue(nullptr), nullptr);
}

TEST(KeyValueMap, FindValueIsCaseSensitiveAndTakesTheFirstPair)
{
    KeyValueMap map("MA^5,10#ma^1#MA^7");
    EXPECT_STREQ(map.FindValue("MA"), "5,10");
    EXPECT_STREQ(map.FindValue("ma"), "1");
    EXPECT_EQ(map.FindValue("Ma"), nullptr);
}

TEST(KeyValueMap, OutOfRangeIndexesAndEmptyTextsGiveNothing)
{
    KeyValueMap map("a^1");
    EXPECT_EQ(map.GetKey(-1), nullptr);
    EXPECT_EQ(map.GetValue(1), nullptr);
    map.Assign(nullptr);
    EXPECT_EQ(map.GetCount(), 0);
    EXPECT_EQ(map.GetKey(0), nullptr);
    map.Assign("");
    EXPECT_EQ(map.GetCount(), 0);
}

TEST(KeyValueMap, ReassigningReplacesEveryPairAndSurvivesGrowth)
{
    std::string text;
    for (int i = 0; i < 200; ++i) {
        text += "key" + std::to_string(i) + "^value-" + std::to_string(i) + "#";
    }
    KeyValueMap map(text.c_str());
    ASSERT_EQ(map.GetCount(), 200);
    EXPECT_STREQ(map.FindValue("key199"), "value-199");
    EXPECT_STREQ(map.GetKey(0), "key0");
    map.Assign("only^one");
    ASSERT_EQ(map.GetCount(), 1);
    EXPECT_EQ(map.FindValue("key5"), nullptr);
    EXPECT_STREQ(map.FindValue("only"), "one");
}
