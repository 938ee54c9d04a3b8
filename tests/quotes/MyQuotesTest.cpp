// The own stock list file: adding stocks with their tips, widening market suffixes, and never losing the list.
#include "quotes/MyQuotes.h"

#include "core/AppData.h"
#include "core/TextHelpers.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

class TipRecorder : public CMessagePresenter {
public:
    void ShowBox(const WCHAR* text, const WCHAR*, HWND) override { shown.push_back(std::u16string(u"box:") + text); }
    void ShowTip(const WCHAR* text, HWND owner, int milliseconds) override
    {
        shown.push_back(std::u16string(text) + u"/" +
                        (milliseconds == 1000   ? u"1000"
                         : milliseconds == 2000 ? u"2000"
                                                : u"?"));
        lastOwner = owner;
    }
    std::vector<std::u16string> shown;
    HWND lastOwner = nullptr;
};

class MyQuotesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        app = CAppData::Instance();
        app->SetMessagePresenter(&tips);
    }
    void TearDown() override { CAppData::Destroy(); }

    std::string Stored() const
    {
        std::ifstream in(home.File("MyQuotes.dat"), std::ios::binary);
        if (!in)
            return "<missing>";
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    void Store(const std::string& bytes) const { std::ofstream(home.File("MyQuotes.dat"), std::ios::binary) << bytes; }
    std::u16string LastTip() const { return tips.shown.empty() ? u"" : tips.shown.back(); }

    ScopedProgramHome home;
    TipRecorder tips;
    CAppData* app = nullptr;
};

} // namespace

TEST(QuoteCode, OnlyAOneDigitMarketSuffixIsWidened)
{
    const char* bare = "600000";
    EXPECT_EQ(NormalizeQuoteCode(bare), bare);
    const char* two = "000001.02";
    EXPECT_EQ(NormalizeQuoteCode(two), two);
    const char* dotOnly = "000001.";
    EXPECT_EQ(NormalizeQuoteCode(dotOnly), dotOnly);
    char* widened = NormalizeQuoteCode("000001.1");
    EXPECT_STREQ(widened, "000001.01");
    free(widened);
    EXPECT_EQ(NormalizeQuoteCode(nullptr), nullptr);

    EXPECT_EQ(IsSameStock("000001.1", "000001.01"), 1);
    EXPECT_EQ(IsSameStock("abc.01", "ABC.01"), 1);
    EXPECT_EQ(IsSameStock("000001.01", "000001.02"), 0);
    EXPECT_EQ(IsSameStock("000001.01", "0000010.01"), 0);
}

TEST_F(MyQuotesTest, AddingToAnAbsentListCreatesTheFileWithTheCodeAndItsNul)
{
    std::filesystem::remove(home.File("MyQuotes.dat")); // the first start wrote the default list
    HWND owner = reinterpret_cast<HWND>(0x1234);
    EXPECT_EQ(AddToMyQuotes("600000.01", owner), 1);
    EXPECT_EQ(Stored(), std::string("600000.01", 10));
    EXPECT_EQ(LastTip(), u"自选股添加成功：600000.01/1000");
    EXPECT_EQ(tips.lastOwner, owner);

    // The tips name the stock the user chose.
    EXPECT_EQ(AddToMyQuotes("600036.1", nullptr, GbFromWide(u"江南钢铁").c_str()), 1);
    EXPECT_EQ(Stored(), std::string("600000.01,600036.01", 20));
    EXPECT_EQ(LastTip(), u"自选股添加成功：江南钢铁(600036.01)/1000");
    EXPECT_EQ(AddToMyQuotes("600036.01", nullptr, GbFromWide(u"江南钢铁").c_str()), 0);
    EXPECT_EQ(LastTip(), u"股票江南钢铁(600036.01)已在自选股/1000");
}

TEST_F(MyQuotesTest, AStockAlreadyListedIsRefusedWhateverItsSuffixWidthOrCase)
{
    Store(std::string("000001.01,hk0700.03", 20));
    EXPECT_EQ(AddToMyQuotes("000001.1", nullptr), 0);
    EXPECT_EQ(LastTip(), u"股票000001.01已在自选股/1000");
    EXPECT_EQ(AddToMyQuotes("HK0700.03", nullptr), 0);
    // An item stored in the old width is the same stock as its widened form.
    Store(std::string("000001.1", 9));
    EXPECT_EQ(AddToMyQuotes("000001.01", nullptr), 0);
    EXPECT_EQ(Stored(), std::string("000001.1", 9));
    EXPECT_EQ(tips.shown.size(), 3u);
}

TEST_F(MyQuotesTest, ACodeWithoutMarketOrWithACommaIsRefusedAndTheFileUntouched)
{
    Store(std::string("000001.02", 10));
    EXPECT_EQ(AddToMyQuotes("600000", nullptr), 0);
    EXPECT_EQ(LastTip(), u"数据错误，无市场代码！/2000");
    // A "," or no code at all is a bad code, not a missing market.
    for (const char* bad : {"600000.01,600036.01", "", static_cast<const char*>(nullptr)}) {
        EXPECT_EQ(AddToMyQuotes(bad, nullptr), 0);
        EXPECT_EQ(LastTip(), u"股票代码错误！/2000");
    }
    EXPECT_EQ(Stored(), std::string("000001.02", 10));
    EXPECT_EQ(tips.shown.size(), 4u);

    // An empty list takes a bare code as it is.
    Store(std::string("\0", 1));
    EXPECT_EQ(AddToMyQuotes("600000", nullptr), 1);
    EXPECT_EQ(Stored(), std::string("600000", 7));
}

TEST_F(MyQuotesTest, AddingPastTheLengthTheRequestCarriesIsRefused)
{
    std::string list = "600000.01";
    while (list.size() + 10 <= (size_t)MYQUOTES_MAX_TEXT)
        list += ",600000.01";
    Store(list + '\0');
    EXPECT_EQ(AddToMyQuotes("600036.01", nullptr), 0);
    EXPECT_EQ(LastTip(), u"自选股已满，请先删除部分股票!/2000");
    EXPECT_EQ(Stored(), list + '\0');
}

TEST_F(MyQuotesTest, AListThatCannotBeReadIsNeverReplacedByOneStock)
{
    // A file that is there but cannot be opened (a link to itself fails for every user, the super-user too).
    std::filesystem::remove(home.File("MyQuotes.dat"));
    std::filesystem::create_symlink("MyQuotes.dat", home.File("MyQuotes.dat"));
    CAString list;
    EXPECT_EQ(ReadMyQuotes(&list), MYQUOTES_UNREADABLE);
    EXPECT_EQ(AddToMyQuotes("600000.01", nullptr), 0);
    EXPECT_EQ(LastTip(), u"自选股读取失败!/2000");
    MigrateMyQuotes();
    EXPECT_TRUE(std::filesystem::is_symlink(home.File("MyQuotes.dat")));
}

TEST_F(MyQuotesTest, AFailedWriteIsReportedAndKeepsTheOldList)
{
    Store(std::string("000001.02", 10));
    {
        ScopedFullDisk full;
        EXPECT_EQ(AddToMyQuotes("600000.01", nullptr), 0);
    }
    EXPECT_EQ(LastTip(), u"自选股保存失败!/2000");
    EXPECT_EQ(Stored(), std::string("000001.02", 10));
}

TEST_F(MyQuotesTest, MigrationWidensOneDigitSuffixesAndWritesOnlyWhenNeeded)
{
    Store(std::string("000001.2,399001.1,100100.3", 27));
    MigrateMyQuotes();
    EXPECT_EQ(Stored(), std::string("000001.02,399001.01,100100.03", 30));

    // Already two digits: nothing is written (the file keeps a tail a write would have dropped).
    Store(std::string("000001.02,399001.01\0junk", 24));
    MigrateMyQuotes();
    EXPECT_EQ(Stored(), std::string("000001.02,399001.01\0junk", 24));

    // Only a whole one-digit suffix widens: ".12" is not ".1" followed by something.
    Store(std::string("000001.12,600000.1", 19));
    MigrateMyQuotes();
    EXPECT_EQ(Stored(), std::string("000001.12,600000.01", 20));
}

TEST_F(MyQuotesTest, TheFirstStartKeepsAListThePhoneAlreadyHas)
{
    CAppData::Destroy();
    std::filesystem::remove(home.File("DefParam.dat"));
    Store(std::string("600000.01", 10));
    app = CAppData::Instance();
    app->SetMessagePresenter(&tips);
    EXPECT_EQ(Stored(), std::string("600000.01", 10));

    CAString list;
    EXPECT_EQ(ReadMyQuotes(&list), MYQUOTES_READ);
    EXPECT_STREQ(list.GetText(), "600000.01");
    std::filesystem::remove(home.File("MyQuotes.dat"));
    EXPECT_EQ(ReadMyQuotes(&list), MYQUOTES_ABSENT);
    EXPECT_STREQ(list.GetText(), "");
}
