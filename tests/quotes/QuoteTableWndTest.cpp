// The stock grid and header, the ranked quote table against the stand-in server, and the sort parameter window
// handing its choice back to the table.
#include "quotes/QXStockTableWnd.h"
#include "quotes/QXTableWnd.h"
#include "quotes/QuoteWindowMakers.h"
#include "quotes/StockSortParamWnd.h"
#include "tests/support/PaintedWindow.h"

#include "core/AppData.h"
#include "core/ColorScheme.h"
#include "core/ConfigStore.h"
#include "core/NetThread.h"
#include "core/ReplyRecordSet.h"
#include "core/TextHelpers.h"
#include "platform/device/RsaKeyPair.h"
#include "server/DataSetWriter.h"
#include "server/HttpServer.h"
#include "server/ServerFunctions.h"
#include "shell/WindowFactory.h"
#include "tests/support/OpenedWindows.h"
#include "tests/support/WindowFixture.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// A table that records its notifications and replies.
class Table : public CQXStockTableWnd {
public:
    Table() : CQXStockTableWnd(u"排行", nullptr) {}
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override
    {
        commands.push_back({LOWORD(wParam), HIWORD(wParam), lParam});
        if (!recordOnly)
            CQXStockTableWnd::OnMzCommand(wParam, lParam);
    }
    void OnReply(const BYTE* data, int length, int failed) override
    {
        CQXStockTableWnd::OnReply(data, length, failed);
        ++replies;
    }
    void Feed(const std::string& bytes) { OnReply((const BYTE*)bytes.data(), (int)bytes.size(), 0); }
    struct Command {
        int id, code;
        LPARAM value;
    };
    std::vector<Command> commands;
    bool recordOnly = false;
    int replies = 0;
};

class QuoteTableTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        StartServer(StandInServer::Frozen(5));
        WriteConfig();
    }
    void TearDown() override
    {
        table.reset();
        WindowTest::TearDown();
    }
    void WriteConfig(const char16_t* sort = u"21^涨幅#20^涨跌#3^代码#")
    {
        CDataSetWriter set("config");
        set.AddField("key", FIELD_TEXT);
        set.AddField("value", FIELD_TEXT);
        const char16_t* rows[][2] = {
            {u"market", u"0^沪深#1^上海#2^深圳#"}, {u"type", u"1^A股#3^基金#"}, {u"sort", sort}};
        for (auto& r : rows) {
            set.AddRow();
            set.SetText(0, WideToAnsiString(r[0]));
            set.SetText(1, WideToAnsiString(r[1]));
        }
        std::string bytes = set.ToBytes();
        CAppData::Instance()->GetConfigStore()->WriteDataFile("config", (const BYTE*)bytes.data(), (UINT)bytes.size());
    }
    Table* Make(const char* info = "", const char* params = "tc_mfuncno=31000&tc_sfuncno=3")
    {
        table = std::make_unique<Table>();
        table->OnInitParam(-1, info, params);
        RECT work = WorkRect();
        table->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr);
        return table.get();
    }
    // The table's sort window over the work area, opening on this choice; it ends itself and the table frees it.
    CStockSortParamWnd* OpenSortWindow(const char* market, const char* kind, const char* sort, int direct)
    {
        auto* sortWnd = new CStockSortParamWnd(u"全部排序", table->m_hWnd);
        sortWnd->SetParams(market, kind, sort, direct);
        RECT work = WorkRect();
        EXPECT_TRUE(sortWnd->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr));
        return sortWnd;
    }
    std::string Request()
    {
        char text[CNetWnd::REQUEST_CAPACITY];
        int n = table->ComposeRequest(-1, 0, text, sizeof text);
        return n > 0 ? std::string(text, (size_t)n) : std::string();
    }
    void Tap(int x, int y)
    {
        SendMessage(table->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELONG(x, y));
        SendMessage(table->m_hWnd, WM_LBUTTONUP, 0, MAKELONG(x, y));
        PumpMessages();
    }
    CStockRow* Row(const char16_t* name, COLORREF color)
    {
        auto* row = new CStockRow();
        row->SetName(name, 0xFFFFFF);
        row->SetCode(u"600000", 0xFFFFFF);
        row->SetLatest(u"10.00", color);
        row->SetChange(u"0.10", color);
        row->SetPercent(u"1.00", color);
        row->SetMarket(u"1");
        return row;
    }
    bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

    OpenedWindows opened{7};
    std::unique_ptr<Table> table;
};

} // namespace

TEST(StockGridColors, WhiteRedAndGreenCellsTakeTheirRowColours)
{
    // White: unchanged on a plain row, dark red when selected (and always in the percent box).
    EXPECT_EQ(CStockGrid::AdjustColor(0xFFFFFF, false), 0xFFFFFFu);
    EXPECT_EQ(CStockGrid::AdjustColor(0xFFFFFF, true), 0x1E1EA0u);
    EXPECT_EQ(CStockGrid::AdjustColor(0x2626FF, true), 0x1E1EA0u);
    EXPECT_EQ(CStockGrid::AdjustColor(0x2626FF, false), 0x2626FFu);
    // Green: darker in the box and on a selected row, softer on a plain row.
    EXPECT_EQ(CStockGrid::AdjustColor(0x17FF17, true), 0x147814u);
    EXPECT_EQ(CStockGrid::AdjustColor(0x17FF17, false), 0x14C814u);
    EXPECT_EQ(CStockGrid::AdjustColor(RGB(1, 2, 3), true), RGB(1, 2, 3));
}

TEST(StockRowCells, TextsAreCutToTheirCapacities)
{
    CStockRow row;
    row.SetName(u"一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十多", 1);
    row.SetMarket(u"12345678901234");
    EXPECT_EQ(std::u16string(row.name.text.GetText()).size(), 39u);
    EXPECT_EQ(std::u16string(row.market.text.GetText()), u"123456789");
    EXPECT_EQ(row.name.column, 1);
    EXPECT_EQ(row.percent.column, 5);
    EXPECT_EQ(row.market.column, 0);
}

TEST_F(QuoteTableTest, GridTapsSelectFirstAndOpenOnTheSecondTapOrAtOnceInTheRightFifth)
{
    Make();
    table->recordOnly = true;
    table->AddRow(Row(u"甲", 0x2626FF));
    table->AddRow(Row(u"乙", 0x17FF17));
    ASSERT_EQ(table->GetRowCount(), 2);
    RECT g = table->GetGrid().GetRect();
    int width = g.right - g.left;
    int y0 = g.top + 30, y1 = g.top + 90;

    Tap(g.left + 50, y0); // left part: only selects
    EXPECT_EQ(table->GetGrid().GetSelectedIndex(), 0);
    EXPECT_TRUE(table->commands.empty());

    Tap(g.left + 50, y0); // the selected row again: opens it
    ASSERT_EQ(table->commands.size(), 1u);
    EXPECT_EQ(table->commands[0].id, CQXTableWnd::ID_GRID);
    EXPECT_EQ(table->commands[0].code, 12);
    EXPECT_EQ(table->commands[0].value, 0);

    Tap(g.right - width / 10, y1); // another row's right fifth: opens at once and selects
    ASSERT_EQ(table->commands.size(), 2u);
    EXPECT_EQ(table->commands[1].code, 4);
    EXPECT_EQ(table->commands[1].value, 1);
    EXPECT_EQ(table->GetGrid().GetSelectedIndex(), 1);
}

TEST_F(QuoteTableTest, HeaderInPercentModeIgnoresTheNameAndTogglesTheArrowOnTheRightFifth)
{
    Make();
    table->recordOnly = true;
    CStockHeader& header = table->GetHeader();
    RECT h = header.GetRect();
    int width = h.right - h.left;
    header.SetDirection(0);
    Tap(h.left + 20, h.top + 25);
    EXPECT_TRUE(table->commands.empty());

    Tap(h.right - width / 10, h.top + 25);
    ASSERT_EQ(table->commands.size(), 1u);
    EXPECT_EQ(table->commands[0].id, CQXTableWnd::ID_HEADER);
    EXPECT_EQ(table->commands[0].code, 4);
    EXPECT_EQ(table->commands[0].value, 1);
    EXPECT_EQ(header.GetDirection(), 1);
    EXPECT_EQ(header.IsPressed(3), 0); // cleared after the release

    header.SetColumnMode(1);
    Tap(h.left + width * 40 / 100, h.top + 25); // the price zone
    ASSERT_EQ(table->commands.size(), 2u);
    EXPECT_EQ(table->commands[1].code, 2);
    EXPECT_EQ(table->commands[1].value, 0);
}

TEST_F(QuoteTableTest, FirstRequestTakesTheFirstPairsAndPagingMovesTheOffset)
{
    Make();
    std::string first = Request();
    EXPECT_TRUE(Contains(first, "market=0&class=1&type=21&direct=1&offset=0&count=20")) << first;
    EXPECT_EQ(table->CaptionText(), u"沪深A股涨幅");
    table->SetPage(2);
    EXPECT_TRUE(Contains(Request(), "offset=40&count=20"));
}

TEST_F(QuoteTableTest, InfoTextChoosesTheRankingAndUnknownKeysStillGoOut)
{
    Make("market=2&type=9&sort=20&direct=0");
    EXPECT_TRUE(Contains(Request(), "market=2&class=9&type=20&direct=0"));
    EXPECT_EQ(table->CaptionText(), u"深圳涨跌"); // no name for class 9
}

TEST_F(QuoteTableTest, ServerPagesFillTheGridAndEdgesOfThePagingSayWhy)
{
    Make();
    table->Relogin();
    ASSERT_TRUE(PumpUntil([&] { return table->replies > 0; }));
    ASSERT_EQ(table->GetRowCount(), 20);
    CStockRow* row = table->GetRow(0);
    ASSERT_NE(row, nullptr);
    EXPECT_FALSE(std::u16string(row->code.text.GetText()).empty());
    EXPECT_FALSE(std::u16string(row->market.text.GetText()).empty());
    EXPECT_EQ(row->name.color, CAppData::Instance()->GetColor(COLOR_NAME));

    table->PreviousPage();
    ASSERT_EQ(messages.Boxes().size(), 1u);
    EXPECT_EQ(messages.Boxes()[0].text, u"当前是第一页，向前无多数据显示！");
    EXPECT_EQ(table->GetPage(), 0);

    int before = table->replies;
    table->NextPage();
    ASSERT_TRUE(PumpUntil([&] { return table->replies > before; }));
    EXPECT_EQ(table->GetPage(), 1);
    EXPECT_TRUE(Contains(Request(), "offset=20"));

    // An empty page empties the grid, says so and keeps the counter.
    CDataSetWriter empty("hq.sort");
    for (int i = 0; i < 8; ++i)
        empty.AddField("f" + std::to_string(i), FIELD_TEXT);
    table->SetPage(3);
    table->Feed(empty.ToBytes());
    EXPECT_EQ(table->GetRowCount(), 0);
    EXPECT_EQ(messages.Boxes().back().text, u"当前页无数据显示，请返回上一页！");
    EXPECT_EQ(table->GetPage(), 3);
    table->NextPage();
    EXPECT_EQ(messages.Boxes().back().text, u"当前已是最后一页，向后无更多数据显示！");
}

TEST_F(QuoteTableTest, HeaderTapReversesTheDirectionFromTheFirstPage)
{
    Make();
    table->SetPage(2);
    table->GetHeader().SetDirection(0);
    RECT h = table->GetHeader().GetRect();
    Tap(h.right - 10, h.top + 25);
    EXPECT_EQ(table->GetDirect(), 0);
    EXPECT_EQ(table->GetPage(), 0);
    EXPECT_TRUE(Contains(Request(), "direct=0&offset=0"));
}

TEST_F(QuoteTableTest, RowActionsOpenChartsQuotesAndTradingOrSayNothingIsSelected)
{
    Make();
    table->recordOnly = true;
    table->OnMenuCommand(CQXStockTableWnd::CMD_DETAIL);
    EXPECT_EQ(messages.Boxes().back().text, u"未选中任何股票！");

    table->AddRow(Row(u"甲", 0x2626FF));
    table->GetGrid().SetSelectedIndex(0);
    table->OnMenuCommand(CQXStockTableWnd::CMD_DETAIL);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].key, "xxhq");
    EXPECT_EQ(opened[0].info, "code=600000.1");
    EXPECT_EQ(opened[0].params, "tc_mfuncno=31000&tc_sfuncno=4");
    EXPECT_EQ(table->OnOK(0), 7);
    EXPECT_EQ(opened[1].key, "fschart");
    EXPECT_EQ(opened[1].params, "date=&code=600000.1");
    EXPECT_EQ(table->OnOK(5), -1);
}

TEST_F(QuoteTableTest, SortWindowHandsItsChoiceBackAndReturnPostsNothing)
{
    Make();
    CStockSortParamWnd* sortWnd = OpenSortWindow("1", "3", "nokey", 1);
    EXPECT_EQ(sortWnd->GetMarketList().GetSelectedIndex(), 1);
    EXPECT_EQ(sortWnd->GetClassList().GetSelectedIndex(), 1);
    EXPECT_EQ(sortWnd->GetSortList().GetSelectedIndex(), -1); // no pair has that key
    EXPECT_EQ(sortWnd->GetDirectionList().GetSelectedIndex(), 1);
    sortWnd->GetDirectionList().SetSelectedIndex(0);
    sortWnd->OnMzCommand(MAKELONG(ID_COMMAND_BAR, 0), 0); // "确定"
    EXPECT_EQ(sortWnd->GetRecord(), nullptr);             // now the table's
    PumpMessages();                                       // the table releases the ended window
    EXPECT_EQ(table->GetMarketKey(), "1");
    EXPECT_EQ(table->GetClassKey(), "3");
    EXPECT_EQ(table->GetSortKey(), "21"); // the empty key leaves it
    EXPECT_EQ(table->GetDirect(), 0);
    EXPECT_EQ(table->GetHeader().GetDirection(), 1);
    EXPECT_EQ(table->CaptionText(), u"上海基金涨幅");
    EXPECT_TRUE(Contains(Request(), "market=1&class=3&type=21&direct=0&offset=0"));

    CStockSortParamWnd* again = OpenSortWindow("2", "1", "20", 0);
    again->OnMzCommand(MAKELONG(ID_COMMAND_BAR, 0), 2);
    PumpMessages();
    EXPECT_EQ(table->GetMarketKey(), "1");
}

TEST_F(QuoteTableTest, TheSortWindowShowsEachListInAFramedRoundedBox)
{
    Make();
    CStockSortParamWnd* sortWnd = OpenSortWindow("1", "3", "21", 1);
    PaintedWindow shown(*sortWnd);
    // The boxes' shadows and borders show beside the four lists.
    EXPECT_GT(shown.Count(0xD2D2D2), 4 * 100);
    EXPECT_GT(shown.Count(0x646464), 4 * 100);
    sortWnd->OnMzCommand(MAKELONG(ID_COMMAND_BAR, 0), 2);
    PumpMessages();
}

TEST_F(QuoteTableTest, TheSortWindowScrollsSoThatACriterionAndADirectionCanBeTappedAndConfirmed)
{
    // The page is taller than the view: "排序方式" and "排序方向" start below it.
    Make();
    CStockSortParamWnd* sortWnd = OpenSortWindow("0", "1", "21", 1);
    HWND w = sortWnd->m_hWnd;
    UiScrollWin& panel = sortWnd->GetContentPanel();
    const RECT view = panel.GetRect();
    auto send = [w](UINT message, int x, int y) {
        SendMessage(w, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELONG(x, y));
        PumpMessages();
    };
    auto tap = [&](int x, int y) {
        send(WM_LBUTTONDOWN, x, y);
        send(WM_LBUTTONUP, x, y);
    };
    // The finger drags the page up from a place where nothing scrolls by itself; a tap in the margin then stops
    // whatever motion the release left.
    auto dragUp = [&](int x, int fromY, int toY) {
        send(WM_LBUTTONDOWN, x, fromY);
        for (int y = fromY; y >= toY; y -= 20)
            send(WM_MOUSEMOVE, x, y);
        send(WM_LBUTTONUP, x, toY);
        tap(10, view.top + 5);
    };
    // Taps row k of a list when it is in view.
    auto tapRow = [&](CCheckList& list, int k) {
        RECT r = list.GetRect();
        int y = r.top + 45 * k + 22 - list.GetTopPos();
        if (y <= view.top || y >= view.bottom)
            return false;
        tap((r.left + r.right) / 2, y);
        return true;
    };
    ASSERT_GT(panel.GetContentHeight(), view.bottom - view.top);
    EXPECT_GE(sortWnd->GetSortList().GetRect().top, view.bottom);

    // A drag that starts on a list whose rows all fit moves the page, not the list.
    int classMiddle = (sortWnd->GetClassList().GetRect().top + sortWnd->GetClassList().GetRect().bottom) / 2;
    dragUp(240, std::min<int>(classMiddle, view.bottom - 10), view.top + 10);
    EXPECT_GT(panel.GetTopPos(), 0);
    ASSERT_TRUE(tapRow(sortWnd->GetSortList(), 2)) << panel.GetTopPos(); // "代码"
    EXPECT_EQ(sortWnd->GetSortList().GetSelectedIndex(), 2);

    // Further down, in the margin beside the lists, to the direction.
    for (int i = 0; i < 3 && sortWnd->GetDirectionList().GetRect().bottom > view.bottom; ++i)
        dragUp(15, view.bottom - 10, view.top + 10);
    ASSERT_TRUE(tapRow(sortWnd->GetDirectionList(), 0)) << panel.GetTopPos(); // "正序"
    EXPECT_EQ(sortWnd->GetDirectionList().GetSelectedIndex(), 0);

    sortWnd->OnMzCommand(MAKELONG(ID_COMMAND_BAR, 0), 0); // "确定"
    PumpMessages();
    EXPECT_EQ(table->GetSortKey(), "3");
    EXPECT_EQ(table->GetDirect(), 0);
    EXPECT_EQ(table->CaptionText(), u"沪深A股代码");
}

TEST_F(QuoteTableTest, ASortKeyTooLongForTheRecordGoesEmptySoTheTableKeepsItsOwn)
{
    WriteConfig(u"21^涨幅#1234567890^超长#");
    Make();
    CStockSortParamWnd* sortWnd = OpenSortWindow("0", "1", "21", 1);
    sortWnd->GetSortList().SetSelectedIndex(1);
    sortWnd->OnMzCommand(MAKELONG(ID_COMMAND_BAR, 0), 0); // "确定"
    PumpMessages();
    EXPECT_EQ(table->GetSortKey(), "21");
}

TEST(QuoteTableMakers, RankedTableKeyHasAMaker)
{
    InstallQuoteWindowMakers();
    EXPECT_NE(CWindowFactory::FindKey("pxhq"), nullptr);
}

namespace {

struct PaintedRow {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    PaintedRow(CStockGrid& grid, int index)
    {
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateCompatibleBitmap(dc, 480, 60);
        old = SelectObject(dc, bitmap);
        RECT all{0, 0, 480, 60};
        FillRect(dc, &all, (HBRUSH)GetStockObject(BLACK_BRUSH));
        RECT item{0, 0, 480, 60};
        grid.DrawItem(dc, index, &item, &all, &all);
    }
    ~PaintedRow()
    {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    int Count(COLORREF c, RECT r) const
    {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                n += GetPixel(dc, x, y) == c;
        return n;
    }
};

// Row cells of a 480-pixel row: price 157..276, change 276..379, percent box 379..475.
const RECT PRICE_CELL{157, 2, 276, 58};
const RECT PERCENT_BOX{381, 9, 473, 51};

} // namespace

TEST_F(QuoteTableTest, PaintedRowsColourPriceAndPercentBoxBySelection)
{
    Make();
    auto* white = new CStockRow();
    white->SetName(u"甲", 0xFFFFFF);
    white->SetLatest(u"88.88", 0xFFFFFF);
    white->SetChange(u"0.00", 0xFFFFFF);
    white->SetPercent(u"0.00", 0xFFFFFF);
    table->AddRow(white);
    auto* green = new CStockRow();
    green->SetName(u"乙", 0xFFFFFF);
    green->SetLatest(u"88.88", 0x17FF17);
    green->SetChange(u"-1.00", 0x17FF17);
    green->SetPercent(u"-1.00", 0x17FF17);
    table->AddRow(green);
    CStockGrid& grid = table->GetGrid();
    grid.SetSelectedIndex(-1);
    {
        PaintedRow p(grid, 0);
        EXPECT_GT(p.Count(0xFFFFFF, PRICE_CELL), 0);
        EXPECT_EQ(p.Count(0x1E1EA0, PRICE_CELL), 0);
        EXPECT_GT(p.Count(0x1E1EA0, PERCENT_BOX), 200); // the box is dark red even on a plain row
    }
    {
        PaintedRow p(grid, 1);
        EXPECT_GT(p.Count(0x14C814, PRICE_CELL), 0);
        EXPECT_GT(p.Count(0x147814, PERCENT_BOX), 200);
    }
    grid.SetSelectedIndex(0);
    {
        PaintedRow p(grid, 0);
        EXPECT_GT(p.Count(0x1E1EA0, PRICE_CELL), 0);
        EXPECT_EQ(p.Count(0xFFFFFF, PRICE_CELL), 0);
    }
}

TEST_F(QuoteTableTest, EmptyRankingRecordAsksAgainFromTheFirstPageWithTheSameChoice)
{
    Make();
    std::u16string caption = table->CaptionText();
    table->SetPage(3);
    auto* record = new SortParamRecord(); // empty keys, direct 1 as now; the table frees it
    ASSERT_TRUE(::PostMessage(table->m_hWnd, WM_SORT_PARAMS, 0, (LPARAM)record));
    PumpMessages();
    EXPECT_EQ(table->GetPage(), 0);
    EXPECT_EQ(table->CaptionText(), caption);
    EXPECT_EQ(table->GetHeader().GetDirection(), 0); // up arrow for direct 1
    EXPECT_TRUE(Contains(Request(), "market=0&class=1&type=21&direct=1&offset=0&count=20"));

    // Keys that fill their whole buffers are read no further than the buffer.
    auto* full = new SortParamRecord();
    memset(full->marketKey, '7', sizeof full->marketKey);
    ASSERT_TRUE(::PostMessage(table->m_hWnd, WM_SORT_PARAMS, 0, (LPARAM)full));
    PumpMessages();
    EXPECT_EQ(table->GetMarketKey(), "7777777777");
}

TEST_F(QuoteTableTest, BuyAndSellOpenTheOrderScreenWithTheRowOrJustTheSideWhenLoggedIn)
{
    Make();
    table->OnMenuCommand(CQXStockTableWnd::CMD_BUY);
    EXPECT_TRUE(opened.empty()); // no accounts: the log-in is offered instead

    CDataSetWriter accounts("accounts");
    accounts.AddField("account", FIELD_TEXT);
    accounts.AddRow();
    accounts.SetText(0, "310001234");
    std::string bytes = accounts.ToBytes();
    CReplyRecordSet reply((const BYTE*)bytes.data(), (DWORD)bytes.size());
    CDataSet** slot = reply.GetRecord(0);
    CAppData::Instance()->SetTradeAccounts(*slot);
    *slot = nullptr;

    table->OnMenuCommand(CQXStockTableWnd::CMD_BUY);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].key, "buysale");
    EXPECT_EQ(opened[0].title, WideToAnsiString(u"买入"));
    EXPECT_EQ(opened[0].params, "MMLB=0");

    table->AddRow(Row(u"浦发银行", 0x2626FF));
    table->GetGrid().SetSelectedIndex(0);
    table->OnMenuCommand(CQXStockTableWnd::CMD_SELL);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1].title, WideToAnsiString(u"卖出 浦发银行"));
    EXPECT_EQ(opened[1].params, "code=600000&MMLB=1"); // the code alone, no market
}
