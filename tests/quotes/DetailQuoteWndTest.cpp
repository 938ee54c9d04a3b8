// The detailed quote against the stand-in server and against prepared replies: the request names the stock
// and the 34 fields, the table shows the server's values (with the order book for stocks, without it for
// indices), a suspended stock shows dashes, and the pop-up menu's trade and information actions.
#include "quotes/DetailWindowMakers.h"
#include "quotes/StockDetaiPriceWnd.h"

#include "tests/support/OpenedWindows.h"
#include "tests/support/WindowFixture.h"
#include "core/ColorScheme.h"
#include "core/DataSet.h"
#include "core/NetThread.h"
#include "core/ReplyRecordSet.h"
#include "core/TextHelpers.h"
#include "server/DataSetWriter.h"
#include "server/HttpServer.h"
#include "server/ServerFunctions.h"
#include "shell/WindowFactory.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// Keeps a copy of every reply so the test can compare the table with what the server sent.
class RecordingDetailWnd : public CStockDetaiPriceWnd {
public:
    RecordingDetailWnd() : CStockDetaiPriceWnd(u"详细报价", nullptr) {}
    void OnReply(const BYTE* data, int length, int failed) override
    {
        if (data != nullptr && length > 0)
            lastReply.assign(reinterpret_cast<const char*>(data), (size_t)length);
        CStockDetaiPriceWnd::OnReply(data, length, failed);
        ++replies;
    }
    std::string lastReply;
    int replies = 0;
};

std::u16string Text(CTableWnd* t, int row, int column)
{
    LPCWSTR text = t->GetCellText(row, column);
    return text != nullptr ? text : u"<null>";
}

std::u16string Wide(const char* text)
{
    WCHAR* wide = nullptr;
    AnsiToWide(text != nullptr ? text : "", &wide);
    std::u16string s = wide != nullptr ? wide : u"";
    free(wide);
    return s;
}

// A value the server marks as none.
const double NONE = std::nan("");

int32_t Packed(double v, int scale)
{
    return std::isnan(v) ? CQuoteNumber::NULL_PACKED : PackQuote(v, scale);
}

struct QuoteRow {
    int market = 1, type = 1, decimals = 2;
    std::string code = "600027", name = WideToAnsiString(u"华电国际");
    double prevClose = 5.00, open = 5.10, high = 5.30, low = 4.90, latest = 5.20, average = 5.15;
    int volume = 12000, amount = 600000;
    double orderRatio = -12.5, volumeRatio = 1.25;
    int bookVolume = 12345;
};

// A reply shaped like the server's answer to the detailed quote's field list.
std::string QuoteReply(const QuoteRow& r)
{
    CDataSetWriter set("hq.codes");
    static const int numbers[] = {1,  2,  3,  4,  11, 13, 14, 15, 16, 17, 18, 32, 29, 30, 50, 51, 52,
                                  53, 54, 55, 56, 57, 58, 59, 70, 71, 72, 73, 74, 75, 76, 77, 78, 79};
    for (int n : numbers) {
        int type = (n == 3 || n == 4)                              ? FIELD_TEXT
                   : (n == 1 || n == 2 || (n >= 50 && n % 2 == 1)) ? FIELD_INT
                                                                   : FIELD_QUOTE;
        set.AddField("f" + std::to_string(n), type);
    }
    set.AddRow();
    int i = 0;
    set.SetInt(i++, r.market);
    set.SetInt(i++, r.type);
    set.SetText(i++, r.code);
    set.SetText(i++, r.name);
    for (double v : {r.prevClose, r.open, r.high, r.low, r.latest})
        set.SetInt(i++, Packed(v, r.decimals));
    set.SetInt(i++, PackQuote(r.volume, 0));
    set.SetInt(i++, PackQuote(r.amount, 0));
    set.SetInt(i++, Packed(r.average, r.decimals));
    set.SetInt(i++, Packed(r.orderRatio, 2));
    set.SetInt(i++, Packed(r.volumeRatio, 2));
    for (int level = 0; level < 10; ++level) {
        set.SetInt(i++, Packed(r.latest + (level < 5 ? -0.01 : 0.01) * (level % 5 + 1), r.decimals));
        set.SetInt(i++, r.bookVolume + level);
    }
    return set.ToBytes();
}

class DetailQuoteWndTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        StartServer(StandInServer::Frozen(7));
    }
    void TearDown() override
    {
        wnd.reset();
        WindowTest::TearDown();
    }
    RecordingDetailWnd* Make(const char* code)
    {
        wnd = std::make_unique<RecordingDetailWnd>();
        std::string info = std::string("code=") + code;
        wnd->OnInitParam(-1, info.c_str(), "tc_mfuncno=31000&tc_sfuncno=4");
        RECT work = WorkRect();
        wnd->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr);
        return wnd.get();
    }
    bool Ask(RecordingDetailWnd* w)
    {
        int before = w->replies;
        w->Request();
        return PumpUntil([&] { return w->replies > before; });
    }
    void Feed(const std::string& bytes) { wnd->OnReply((const BYTE*)bytes.data(), (int)bytes.size(), 0); }

    OpenedWindows opened;
    std::unique_ptr<RecordingDetailWnd> wnd;
};

} // namespace

TEST_F(DetailQuoteWndTest, RequestCarriesTheCodeAndTheThirtyFourFields)
{
    RecordingDetailWnd* w = Make("600027.1");
    char part[CNetWnd::REQUEST_CAPACITY];
    ASSERT_EQ(w->BuildRequest(part, sizeof part, ""), 1);
    EXPECT_STREQ(part, "tc_mfuncno=31000&tc_sfuncno=4&code=600027.1&field=1|2|3|4|11|13|14|15|16|17|18|32|29|30|"
                       "50|51|52|53|54|55|56|57|58|59|70|71|72|73|74|75|76|77|78|79");
    // A parameter text that already names a code has it replaced; a request that does not fit is not sent.
    RecordingDetailWnd other;
    other.OnInitParam(-1, "code=000001.1", "tc_mfuncno=31000&tc_sfuncno=4&code=999999.2");
    ASSERT_EQ(other.BuildRequest(part, sizeof part, ""), 1);
    EXPECT_NE(strstr(part, "&code=000001.1&field="), nullptr);
    EXPECT_EQ(strstr(part, "999999"), nullptr);
    EXPECT_EQ(other.BuildRequest(part, 40, ""), 0);
    EXPECT_STREQ(part, "");
}

TEST_F(DetailQuoteWndTest, StockShowsTheServersFiguresAndTheFiveLevelBook)
{
    RecordingDetailWnd* w = Make("600027.2");
    ASSERT_TRUE(Ask(w));
    ASSERT_TRUE(messages.Texts().empty()) << std::string(messages.Texts()[0].begin(), messages.Texts()[0].end());
    CReplyRecordSet reply((const BYTE*)w->lastReply.data(), (DWORD)w->lastReply.size());
    CDataSet* set = *reply.GetRecord(0);
    ASSERT_NE(set, nullptr);
    ASSERT_EQ(set->GetFieldCount(), 34);
    set->MoveFirst();
    ASSERT_NE(set->GetQuoteNumber(5), CQuoteNumber::Zero()) << "the sample stock trades today";
    ASSERT_EQ(w->GetGrid().GetRowCount(), 16);
    EXPECT_STREQ(w->GetCode(), "600027.02");
    EXPECT_EQ(w->GetMarket(), 2);
    EXPECT_EQ(w->GetType(), 1);
    EXPECT_EQ(Wide(w->GetName()), Wide(set->GetAsText(3)));
    EXPECT_EQ(Text(w, 0, 0), u"最新");
    EXPECT_EQ(Text(w, 0, 1), Wide(set->GetAsText(8)));
    EXPECT_EQ(Text(w, 1, 3), Wide(set->GetAsText(9)));
    EXPECT_EQ(Text(w, 2, 1), Wide(set->GetAsText(10)));
    EXPECT_EQ(Text(w, 2, 3), Wide(set->GetAsText(11)));
    EXPECT_EQ(Text(w, 3, 1), Wide(set->GetAsText(4)));
    EXPECT_EQ(Text(w, 3, 3), Wide(set->GetAsText(5)));
    EXPECT_EQ(Text(w, 4, 1), Wide(set->GetAsText(6)));
    EXPECT_EQ(Text(w, 4, 3), Wide(set->GetAsText(7)));
    // This stock is new: its ratios carry the no-value mark.
    ASSERT_TRUE(set->GetQuoteNumber(12).IsNull());
    EXPECT_EQ(Text(w, 5, 1), u"--");
    EXPECT_EQ(Text(w, 5, 3), u"--");
    // Sell 5 at the top down to buy 5 at the bottom; volumes in lots.
    EXPECT_EQ(Text(w, 6, 0), u"卖五");
    EXPECT_EQ(Text(w, 6, 1), Wide(set->GetAsText(32)));
    EXPECT_EQ(Text(w, 6, 3), Wide(std::to_string(set->GetAsInt(33) / 100).c_str()));
    EXPECT_EQ(Text(w, 10, 0), u"卖一");
    EXPECT_EQ(Text(w, 10, 1), Wide(set->GetAsText(24)));
    EXPECT_EQ(Text(w, 11, 0), u"买一");
    EXPECT_EQ(Text(w, 11, 1), Wide(set->GetAsText(14)));
    EXPECT_EQ(Text(w, 15, 0), u"买五");
    EXPECT_EQ(Text(w, 15, 3), Wide(std::to_string(set->GetAsInt(23) / 100).c_str()));
    EXPECT_EQ(Text(w, 11, 2), u"");
    // A second reply rebuilds the table rather than adding to it.
    ASSERT_TRUE(Ask(w));
    EXPECT_EQ(w->GetGrid().GetRowCount(), 16);
}

TEST_F(DetailQuoteWndTest, IndexShowsSixRowsAndRefusesTrading)
{
    RecordingDetailWnd* w = Make("000001.2");
    ASSERT_TRUE(Ask(w));
    ASSERT_EQ(w->GetGrid().GetRowCount(), 6);
    EXPECT_EQ(w->GetType(), 2);
    EXPECT_EQ(Text(w, 5, 0), u"委比");
    EXPECT_EQ(Text(w, 5, 1), u"-");
    EXPECT_EQ(w->GetCell(5, 1)->textColor, 0xFFFFFFu);
    w->OnMenuCommand(CStockDetaiPriceWnd::CMD_BUY);
    w->OnMenuCommand(CStockDetaiPriceWnd::CMD_SELL);
    ASSERT_EQ(messages.Texts().size(), 2u);
    EXPECT_EQ(messages.Texts()[0], u"大盘指数不能买卖！");
    EXPECT_EQ(messages.shown[0].caption, u"tips");
    EXPECT_TRUE(opened.empty());
}

TEST_F(DetailQuoteWndTest, SuspendedStockShowsDashesButTheChangeColourFollowsItsSign)
{
    RecordingDetailWnd* w = Make("600027.1");
    QuoteRow row;
    row.open = 0;
    row.latest = 4.80; // below the previous close
    Feed(QuoteReply(row));
    ASSERT_EQ(w->GetGrid().GetRowCount(), 16);
    CAppData* app = CAppData::Instance();
    EXPECT_EQ(Text(w, 0, 1), u"-");
    EXPECT_EQ(Text(w, 0, 3), u"-");
    EXPECT_EQ(w->GetCell(0, 3)->textColor, app->GetColor(COLOR_FALL));
    EXPECT_EQ(Text(w, 1, 1), u"-");
    EXPECT_EQ(Text(w, 3, 1), u"5.00"); // previous close
    EXPECT_EQ(Text(w, 3, 3), u"-");
    EXPECT_EQ(Text(w, 5, 1), u"-12.50"); // order ratio
    EXPECT_EQ(w->GetCell(5, 1)->textColor, app->GetColor(COLOR_FALL));
    EXPECT_EQ(Text(w, 5, 3), u"1.25");
    EXPECT_EQ(Text(w, 6, 1), u"-");
    EXPECT_EQ(Text(w, 6, 3), u"-");
}

TEST_F(DetailQuoteWndTest, TradingDayFiguresAreColouredAndTheBookVolumeIsInLots)
{
    RecordingDetailWnd* w = Make("600027.1");
    QuoteRow row;
    row.market = 2;
    row.code = "000071";
    Feed(QuoteReply(row));
    CAppData* app = CAppData::Instance();
    EXPECT_STREQ(w->GetCode(), "000071.02");
    EXPECT_EQ(Text(w, 0, 1), u"5.20");
    EXPECT_EQ(w->GetCell(0, 1)->textColor, app->GetColor(COLOR_RISE));
    EXPECT_EQ(Text(w, 0, 3), u"0.20");
    EXPECT_EQ(Text(w, 1, 1), u"4.00");
    EXPECT_EQ(w->GetCell(1, 3)->textColor, app->GetColor(COLOR_VOLUME));
    EXPECT_EQ(w->GetCell(4, 3)->textColor, app->GetColor(COLOR_FALL)); // low below previous close
    EXPECT_EQ(Text(w, 11, 3), u"123");                                 // 12345 shares
    // An error keeps the table and shows the server's text.
    Feed(ErrorSet(WideToAnsiString(u"没有该证券")));
    EXPECT_EQ(w->GetGrid().GetRowCount(), 16);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0], u"没有该证券");
    // A reply without a first record empties it.
    Feed(CDataSetWriter("hq.codes").ToBytes());
    EXPECT_EQ(w->GetGrid().GetRowCount(), 0);
}

// A value the server marks as none shows "--" in the plain colour and nothing is computed from it; the change
// percent has two decimals whatever the price's (a Hong Kong stock's three).
TEST_F(DetailQuoteWndTest, MissingValuesShowDashesInThePlainColourAndThePercentHasTwoDecimals)
{
    struct Cell {
        int row, column;
        std::u16string text;
    };
    QuoteRow noRatios, noLatest, noClose, hongKong;
    noRatios.orderRatio = noRatios.volumeRatio = NONE;
    noLatest.latest = NONE;
    noClose.prevClose = NONE;
    hongKong.market = 3;
    hongKong.decimals = 3;
    hongKong.prevClose = 60.0;
    hongKong.latest = 61.25;
    struct Case {
        const char* what;
        QuoteRow row;
        std::vector<Cell> plain; // shown in the plain colour
        std::vector<Cell> other; // in a colour of their own
    } cases[] = {
        {"ratios", noRatios, {{5, 1, u"--"}, {5, 3, u"--"}}, {{0, 1, u"5.20"}}},
        {"latest", noLatest, {{0, 1, u"--"}, {0, 3, u"--"}, {1, 1, u"--"}}, {{3, 3, u"5.10"}}},
        {"previous close", noClose, {{3, 1, u"--"}, {0, 1, u"5.20"}, {0, 3, u"--"}, {1, 1, u"--"}, {4, 1, u"5.30"}},
         {}},
        {"Hong Kong", hongKong, {}, {{0, 3, u"1.250"}, {1, 1, u"2.08"}}},
    };
    for (const Case& c : cases) {
        RecordingDetailWnd* w = Make("600027.1");
        Feed(QuoteReply(c.row));
        ASSERT_EQ(w->GetGrid().GetRowCount(), 16) << c.what;
        for (const Cell& cell : c.plain) {
            EXPECT_EQ(Text(w, cell.row, cell.column), cell.text) << c.what;
            EXPECT_EQ(w->GetCell(cell.row, cell.column)->textColor, 0xFFFFFFu) << c.what;
        }
        for (const Cell& cell : c.other) {
            EXPECT_EQ(Text(w, cell.row, cell.column), cell.text) << c.what;
            EXPECT_NE(w->GetCell(cell.row, cell.column)->textColor, 0xFFFFFFu) << c.what;
        }
    }
}

TEST_F(DetailQuoteWndTest, OverlongCodeAndNameAreCutToTheirFields)
{
    RecordingDetailWnd* w = Make("600027.1");
    QuoteRow row;
    row.code = std::string(40, '7');
    row.name = std::string(30, 'N');
    Feed(QuoteReply(row));
    EXPECT_EQ(strlen(w->GetCode()), 31u);
    EXPECT_EQ(strlen(w->GetName()), 15u);

    // A two-byte character that would be split at the 15th byte is left out whole.
    const std::string hua = "\xbb\xaa"; // 华
    const struct {
        std::string name, kept;
    } names[] = {{"A" + hua + hua + hua + hua + hua + hua + hua + hua, "A" + hua + hua + hua + hua + hua + hua + hua},
                 {hua + hua + hua + hua + hua + hua + hua + hua, hua + hua + hua + hua + hua + hua + hua},
                 {"AB" + hua + hua + hua + hua + hua + hua + hua, "AB" + hua + hua + hua + hua + hua + hua}};
    for (const auto& n : names) {
        row.code = "600027";
        row.name = n.name;
        Feed(QuoteReply(row));
        EXPECT_EQ(std::string(w->GetName()), n.kept);
    }
}

TEST_F(DetailQuoteWndTest, AnotherCodeAsksAgainAndTheSameCodeInOtherCaseIsKept)
{
    RecordingDetailWnd w;
    w.OnInitParam(-1, "code=600027.1", "tc_mfuncno=31000&tc_sfuncno=4");
    EXPECT_STREQ(w.GetCode(), "600027.1");
    w.OnInitParam(-1, "code=1a0001", "tc_mfuncno=31000&tc_sfuncno=4");
    EXPECT_STREQ(w.GetCode(), "1a0001");
    w.OnInitParam(-1, "code=1A0001", "tc_mfuncno=31000&tc_sfuncno=4");
    EXPECT_STREQ(w.GetCode(), "1a0001");
    w.OnInitParam(-1, "", "tc_mfuncno=31000&tc_sfuncno=4");
    EXPECT_STREQ(w.GetCode(), "1a0001");
}

TEST_F(DetailQuoteWndTest, BuyAndSellOpenTheOrderScreenOnlyWhenLoggedIn)
{
    RecordingDetailWnd* w = Make("600027.1");
    Feed(QuoteReply(QuoteRow{}));
    // Not logged in: the log-in is offered instead (nothing opened by key).
    w->OnMenuCommand(CStockDetaiPriceWnd::CMD_BUY);
    EXPECT_TRUE(opened.empty());

    CDataSetWriter accounts("accounts");
    accounts.AddField("account", FIELD_TEXT);
    accounts.AddRow();
    accounts.SetText(0, "310001234");
    std::string bytes = accounts.ToBytes();
    CReplyRecordSet reply((const BYTE*)bytes.data(), (DWORD)bytes.size());
    CDataSet** slot = reply.GetRecord(0);
    CAppData::Instance()->SetTradeAccounts(*slot);
    *slot = nullptr;

    w->OnMenuCommand(CStockDetaiPriceWnd::CMD_BUY);
    w->OnMenuCommand(CStockDetaiPriceWnd::CMD_SELL);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].key, "buysale");
    EXPECT_EQ(opened[0].menuId, -1);
    EXPECT_EQ(opened[0].title, WideToAnsiString(u"买入 华电国际"));
    EXPECT_EQ(opened[0].params, "code=600027.01&price=5.20&market=1&type=1&MMLB=0");
    EXPECT_EQ(opened[1].title, WideToAnsiString(u"卖出 华电国际"));
    EXPECT_EQ(opened[1].params, "code=600027.01&price=5.20&market=1&type=1&MMLB=1");
}

TEST_F(DetailQuoteWndTest, ToolBarOpensTheChartsByKeyAndHongKongHasNoInformation)
{
    RecordingDetailWnd* w = Make("600027.1");
    Feed(QuoteReply(QuoteRow{}));
    w->OnMzCommand(ID_TOOL_BAR, 2);
    w->OnMzCommand(ID_TOOL_BAR, 3);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].key, "fschart");
    EXPECT_EQ(opened[0].title, WideToAnsiString(u"分时走势"));
    EXPECT_EQ(opened[1].title, WideToAnsiString(u"K线分析"));
    EXPECT_EQ(opened[0].params, "date=&code=600027.01");
    EXPECT_EQ(opened[1].key, "kxchart");
    EXPECT_EQ(opened[1].params, "code=600027.01");
    // Without an "F10" item in the menu tree the information entry does nothing.
    w->OnMenuCommand(CStockDetaiPriceWnd::CMD_INFO);
    EXPECT_EQ(opened.size(), 2u);
    QuoteRow hk;
    hk.market = 3;
    hk.code = "000005";
    Feed(QuoteReply(hk));
    w->OnMenuCommand(CStockDetaiPriceWnd::CMD_INFO);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0], u"暂不支持港股个股资讯！");
    EXPECT_EQ(messages.shown[0].caption, u"提示");
}

// A window made by the factory has application data of its own, in a program home that goes with the test.
class DetailWindowMakers : public WindowTest {};

TEST_F(DetailWindowMakers, TheFactoryMakesTheDetailedQuoteByClassName)
{
    InstallDetailWindowMakers();
    WindowMaker detail = CWindowFactory::GetMaker("CStockDetaiPriceWnd");
    ASSERT_NE(detail, nullptr);
    std::unique_ptr<CBaseWnd> a(detail(u"详细报价", nullptr, 0));
    EXPECT_EQ(std::u16string(a->GetMzClassName()), u"CStockDetaiPriceWnd");
}
