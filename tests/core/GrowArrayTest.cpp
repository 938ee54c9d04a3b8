// Growth, resize and element access of the growable arrays.
#include "core/GrowArray.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

GrowArray<int> FullArrayOf64()
{
    GrowArray<int> a(64);
    std::vector<int> items(64);
    for (int i = 0; i < 64; ++i) {
        items[i] = i;
    }
    a.Append(items.data(), 64);
    return a;
}

} // namespace

TEST(GrowArray, FullArrayGrowsToTwiceCapacityPlusAppendedCount)
{
    GrowArray<int> one = FullArrayOf64();
    EXPECT_EQ(one.capacity, 64u);
    int x = 99;
    ASSERT_NE(one.Append(&x, 1), nullptr);
    EXPECT_EQ(one.capacity, 129u);
    EXPECT_EQ(one.count, 65u);
    EXPECT_EQ(*one.At(64), 99);
    EXPECT_EQ(*one.At(63), 63);

    GrowArray<int> ten = FullArrayOf64();
    int items[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    ten.Append(items, 10);
    EXPECT_EQ(ten.capacity, 138u);
    EXPECT_EQ(ten.count, 74u);
    EXPECT_EQ(*ten.At(73), 9);
}

TEST(GrowArray, AppendOfNothingLeavesFullBlockAlone)
{
    GrowArray<int> a = FullArrayOf64();
    int* block = a.data;
    EXPECT_EQ(a.Append(nullptr, 0), block);
    EXPECT_EQ(a.data, block);
    EXPECT_EQ(a.capacity, 64u);
    EXPECT_EQ(a.count, 64u);
}

TEST(GrowArray, SetCountGrowsByExactlyWhatIsAsked)
{
    GrowArray<int> a = FullArrayOf64();
    ASSERT_TRUE(a.SetCount(100));
    EXPECT_EQ(a.capacity, 164u);
    EXPECT_EQ(a.count, 100u);
    EXPECT_EQ(*a.At(10), 10); // kept across the move to the new block

    CByteBuffer bytes(64);
    ASSERT_TRUE(bytes.SetSize(10));
    EXPECT_EQ(bytes.capacity, 64u); // within capacity: no new block
    EXPECT_EQ(bytes.GetSize(), 10u);
}

TEST(GrowArray, AtPastTheEndOrNegativeGivesLastElement)
{
    GrowArray<int> a = FullArrayOf64();
    EXPECT_EQ(a.At(a.count), a.data + 63);
    EXPECT_EQ(a.At(a.count + 5), a.data + 63);
    EXPECT_EQ(a.At(UINT(-1)), a.data + 63);
    EXPECT_EQ(a.At(0), a.data);
}

TEST(GrowArrayDeathTest, AtOnAnEmptyArrayAssertsInDebugBuilds)
{
    GrowArray<int> a(4);
    EXPECT_DEBUG_DEATH(a.At(0), "empty array");
}

TEST(GrowArray, ClassElementsSurviveGrowthAsRealCopies)
{
    GrowArray<std::string> a(1);
    std::string first(100, 'a'); // beyond any small-string buffer: a bytewise copy would share the heap text
    a.Append(&first, 1);
    for (int i = 0; i < 50; ++i) {
        std::string s = std::to_string(i) + std::string(40, 'x');
        ASSERT_NE(a.Append(&s, 1), nullptr);
    }
    EXPECT_EQ(a.count, 51u);
    EXPECT_EQ(*a.At(0), first);
    EXPECT_EQ(*a.At(50), "49" + std::string(40, 'x'));
    // Fresh places of a class array hold empty, usable elements.
    ASSERT_TRUE(a.SetCount(a.capacity + 3));
    EXPECT_TRUE(a.At(a.count - 1)->empty());
}

TEST(GrowArray, AppendingItsOwnElementsWhileFullCopiesThemBeforeTheOldBlockGoes)
{
    GrowArray<std::string> a(2);
    std::string items[2] = {std::string(50, 'p'), std::string(50, 'q')};
    a.Append(items, 2);
    ASSERT_NE(a.Append(a.data, 2), nullptr);
    ASSERT_EQ(a.count, 4u);
    EXPECT_EQ(*a.At(2), items[0]);
    EXPECT_EQ(*a.At(3), items[1]);

    CByteBuffer b(3);
    BYTE abc[3] = {'a', 'b', 'c'};
    b.Append(abc, 3);
    b.Append(b.data, 3);
    EXPECT_EQ(0, memcmp(b.data, "abcabc", 6));
}

TEST(GrowArray, RecordsAndPointersStartZeroed)
{
    struct Record {
        char key[32];
        char value[32];
    };
    GrowArray<Record> records(64);
    ASSERT_TRUE(records.SetCount(3));
    EXPECT_EQ(records.At(2)->key[0], 0);
    EXPECT_EQ(records.At(2)->value[31], 0);

    PtrArray<Record> pointers(10);
    ASSERT_TRUE(pointers.SetCount(10));
    EXPECT_EQ(*pointers.At(9), nullptr);
}

TEST(GrowArray, ImpossibleGrowthFailsWithoutAppending)
{
    CByteBuffer b(4);
    BYTE* block = b.data;
    // Pretend to be nearly 2 GB full: growth must be refused before the block is touched.
    b.capacity = 0x7FFFFFF0u;
    b.count = b.capacity;
    BYTE one = 1;
    EXPECT_EQ(b.Append(&one, 1), nullptr);
    EXPECT_EQ(b.count, 0x7FFFFFF0u);
    EXPECT_FALSE(b.SetSize(0xFFFFFFFFu));
    EXPECT_EQ(b.count, 0x7FFFFFF0u);
    EXPECT_EQ(b.data, block);
    b.capacity = 4;
    b.count = 0;
}

TEST(GrowArray, FreeKeepsCapacityAndCount)
{
    WideTextBuffer w(8);
    w.Append(u"abc", 3);
    w.Free();
    EXPECT_EQ(w.data, nullptr);
    EXPECT_EQ(w.capacity, 8u);
    EXPECT_EQ(w.count, 3u);
}

TEST(GrowArray, AnArrayOfNoCapacityHasNoBlockUntilItsFirstElement)
{
    CByteBuffer b(0);
    EXPECT_EQ(b.data, nullptr);
    EXPECT_EQ(b.capacity, 0u);
    BYTE bytes[3] = {1, 2, 3};
    ASSERT_NE(b.Append(bytes, 3), nullptr);
    EXPECT_EQ(b.count, 3u);
    EXPECT_EQ(b.data[2], 3);
}

TEST(GrowArray, AssignTakesABlockOfTheExactSizeWithZeroedSpares)
{
    GrowArray<int> a = FullArrayOf64();
    int items[5] = {5, 6, 7, 8, 9};
    ASSERT_TRUE(a.Assign(items, 5, 2));
    EXPECT_EQ(a.count, 5u);
    EXPECT_EQ(a.capacity, 7u);
    EXPECT_EQ(a.data[4], 9);
    EXPECT_EQ(a.data[5], 0);
    EXPECT_EQ(a.data[6], 0);
    ASSERT_TRUE(a.Assign(nullptr, 0, 1));
    EXPECT_EQ(a.count, 0u);
    EXPECT_EQ(a.data[0], 0);
    // Refused, and nothing changed, past what a block may hold.
    EXPECT_FALSE(a.Assign(items, 0x7FFFFFFFu, 1));
    EXPECT_EQ(a.capacity, 1u);
}
