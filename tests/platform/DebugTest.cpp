// The debug log the automation reads: kept in order, converted from code page 936, cleared on reading, bounded.
#include "platform/win/Debug.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

TEST(Debug, LogCollectsWideAndEightBitTextAndClearsOnRead)
{
    TakeDebugLog();
    OutputDebugStringW(u"登录 ok\n");
    OutputDebugStringA("\xd6\xd0 gbk\n"); // 中
    OutputDebugStringA(nullptr);
    EXPECT_EQ(TakeDebugLog(), u"登录 ok\n中 gbk\n");
    EXPECT_EQ(TakeDebugLog(), u"");
    OutputDebugStringW(u"中");
    EXPECT_EQ(TakeDebugLogUtf8(), "中");
}

TEST(Debug, LogKeepsNewestTextWithinItsLimit)
{
    TakeDebugLog();
    std::u16string chunk(4096, u'x');
    for (size_t i = 0; i < DEBUG_LOG_LIMIT / chunk.size() + 4; ++i)
        OutputDebugStringW(chunk.c_str());
    OutputDebugStringW(u"END");
    std::u16string log = TakeDebugLog();
    EXPECT_LE(log.size(), DEBUG_LOG_LIMIT);
    EXPECT_GE(log.size(), DEBUG_LOG_LIMIT / 2);
    EXPECT_EQ(log.substr(log.size() - 3), u"END");
}

TEST(Debug, ConcurrentWritersLoseNoLines)
{
    TakeDebugLog();
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([] {
            for (int i = 0; i < 500; ++i)
                OutputDebugStringW(u"line\n");
        });
    for (auto& w : writers)
        w.join();
    std::u16string log = TakeDebugLog();
    EXPECT_EQ(log.size(), 4u * 500u * 5u);
}
