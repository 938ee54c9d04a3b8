// The paged query table against the stand-in server: an enciphered query bound to the trade account, headings
// and rows from the reply, rows coloured by the sign column, paging forward and back by the position column,
// the server's error as a tip, and the fund actions of its menu.
#include "shell/QueryTableWnd.h"

#include "tests/support/TradeSession.h"
#include "tests/support/WindowFixture.h"
#include "core/ColorScheme.h"
#include "core/DataSet.h"
#include "core/NetThread.h"
#include "core/ReplyRecordSet.h"
#include "platform/device/RsaKeyPair.h"
#include "server/HttpServer.h"
#include "server/ServerFunctions.h"
#include "server/TextTable.h"
#include "shell/MenuItem.h"
#include "shell/MenuTree.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

class TipRecorder : public CMessagePresenter {
public:
    void ShowBox(const WCHAR* text, const WCHAR*, HWND) override { shown.push_back(text); }
    void ShowTip(const WCHAR* text, HWND, int) override { shown.push_back(text); }
    std::vector<std::u16string> shown;
};

// A paged order query: ten rows a page (its grid's row limit, unless given) from the position of the last row
// shown.
class PagedQueryWnd : public CQueryTableWnd {
public:
    explicit PagedQueryWnd(int rows = 10) : CQueryTableWnd(u"当日委托", nullptr), rows(rows) {}
    BOOL OnInitDialog() override
    {
        if (!CQueryTableWnd::OnInitDialog())
            return FALSE;
        GetGrid().SetTable(rows, 8, 1, VISIBLE_COLUMNS, VISIBLE_COLUMNS - 1);
        return TRUE;
    }
    int BuildRequest(char* part, int capacity, const char* whole) override
    {
        if (!CQueryTableWnd::BuildRequest(part, capacity, whole))
            return 0;
        size_t n = strlen(part);
        snprintf(part + n, (size_t)capacity - n, "&count=%d&poststr=%s", GetRequestCount(),
                 GetCurrentPosition() != nullptr ? GetCurrentPosition() : "");
        ++sent;
        return 1;
    }
    void OnReply(const BYTE* data, int length, int failed) override
    {
        CQueryTableWnd::OnReply(data, length, failed);
        ++replies;
    }
    int sent = 0;
    int replies = 0;
    const int rows;
};

class QueryTableWndTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        StartServer(StandInServer::Frozen(7));
        CAppData* app = CAppData::Instance();
        app->SetMessagePresenter(&tips);
    }
    void TearDown() override
    {
        query.reset();
        WindowTest::TearDown();
    }
    void TradeLogIn() { ASSERT_TRUE(LogInToTrading(WorkRect(), "880012345", "123456")); }
    PagedQueryWnd* MakeQuery(const char* params, int rows = 10)
    {
        query = std::make_unique<PagedQueryWnd>(rows);
        query->OnInitParam(-1, nullptr, params);
        RECT work = WorkRect();
        query->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr);
        return query.get();
    }
    bool Ask(PagedQueryWnd* q, int (PagedQueryWnd::*step)())
    {
        int before = q->replies;
        if (!(q->*step)())
            return false;
        return PumpUntil([&] { return q->replies > before; });
    }

    TipRecorder tips;
    std::unique_ptr<PagedQueryWnd> query;
};

std::u16string Text(CTableWnd* t, int row, int column)
{
    LPCWSTR text = t->GetCellText(row, column);
    return text != nullptr ? text : u"<null>";
}

} // namespace

TEST_F(QueryTableWndTest, WithoutTradeLogInNothingIsSent)
{
    PagedQueryWnd* q = MakeQuery("tc_mfuncno=600&tc_sfuncno=12");
    char text[CNetWnd::REQUEST_CAPACITY];
    EXPECT_EQ(q->ComposeRequest(-1, 0, text, sizeof text), 0);
    EXPECT_EQ(q->encrypt, 1);
}

TEST_F(QueryTableWndTest, PagesForwardAndBackWithTheServersPositionAndColoursRowsBySign)
{
    TradeLogIn();
    // The demo account's deals of the last weeks: 27 rows.
    PagedQueryWnd* q = MakeQuery("tc_mfuncno=600&tc_sfuncno=13&sign=mmlb&ksrq=20250101");
    EXPECT_EQ(q->GetSignColumn(), "mmlb");
    EXPECT_EQ(q->GetPositionColumn(), "poststr");
    EXPECT_FALSE(q->NextPage()); // nothing shown yet
    q->Request();
    ASSERT_TRUE(PumpUntil([&] { return q->replies > 0; }));
    ASSERT_TRUE(tips.shown.empty()) << std::string(tips.shown[0].begin(), tips.shown[0].end());
    CGridList& g = q->GetGrid();
    ASSERT_EQ(g.GetRowCount(), 10);
    EXPECT_STREQ(q->GetCurrentPosition(), "10");
    EXPECT_EQ(q->GetPositionDepth(), 0);
    // The grid's eight columns; the position column has none and the sign column stays, so the ten fields shown
    // are counted past them.
    EXPECT_EQ(g.GetColumnCount(), 8);
    EXPECT_EQ(q->GetColumnIndex("zqdm"), 4);
    EXPECT_EQ(q->GetColumnIndex("mmlb"), 6);
    EXPECT_EQ(q->GetColumnIndex("poststr"), 10); // past the shown columns
    EXPECT_EQ(q->GetColumnIndex("nosuch"), -1);
    EXPECT_EQ(Text(q, 0, 6), u"买入");
    EXPECT_EQ(q->GetCell(0, 0)->textColor, CAppData::Instance()->GetColor(COLOR_SIGN_PLUS));
    EXPECT_EQ(Text(q, 1, 6), u"卖出");
    EXPECT_EQ(q->GetCell(1, 5)->textColor, CAppData::Instance()->GetColor(COLOR_SIGN_MINUS));
    EXPECT_EQ(q->GetCellData(0, 7), 7);
    std::u16string firstOfPageOne = Text(q, 0, 0);

    ASSERT_TRUE(Ask(q, &PagedQueryWnd::NextPage));
    EXPECT_EQ(g.GetRowCount(), 10);
    EXPECT_STREQ(q->GetCurrentPosition(), "20");
    EXPECT_EQ(q->GetPositionDepth(), 1);
    ASSERT_TRUE(Ask(q, &PagedQueryWnd::NextPage));
    EXPECT_EQ(g.GetRowCount(), 7);
    EXPECT_STREQ(q->GetCurrentPosition(), "27");
    // A short page is the last one.
    EXPECT_FALSE(q->NextPage());

    ASSERT_TRUE(Ask(q, &PagedQueryWnd::PrevPage));
    EXPECT_STREQ(q->GetCurrentPosition(), "20");
    EXPECT_EQ(q->GetPositionDepth(), 1);
    ASSERT_TRUE(Ask(q, &PagedQueryWnd::PrevPage));
    EXPECT_STREQ(q->GetCurrentPosition(), "10");
    EXPECT_EQ(q->GetPositionDepth(), 0);
    EXPECT_EQ(Text(q, 0, 0), firstOfPageOne);
    EXPECT_FALSE(q->PrevPage());
}

TEST_F(QueryTableWndTest, AnEmptyPageAfterAFullLastOneKeepsItsRowsAndSaysThereIsNoMore)
{
    TradeLogIn();
    // The 27 deals in three full pages of nine.
    PagedQueryWnd* q = MakeQuery("tc_mfuncno=600&tc_sfuncno=13&sign=mmlb&ksrq=20250101", 9);
    q->Request();
    ASSERT_TRUE(PumpUntil([&] { return q->replies > 0; }));
    ASSERT_TRUE(Ask(q, &PagedQueryWnd::NextPage));
    ASSERT_TRUE(Ask(q, &PagedQueryWnd::NextPage));
    std::u16string lastRow = Text(q, 8, 0);
    ASSERT_STREQ(q->GetCurrentPosition(), "27");
    ASSERT_TRUE(tips.shown.empty());
    ASSERT_TRUE(Ask(q, &PagedQueryWnd::NextPage));
    EXPECT_EQ(q->GetGrid().GetRowCount(), 9);
    EXPECT_EQ(Text(q, 8, 0), lastRow);
    EXPECT_STREQ(q->GetCurrentPosition(), "27");
    EXPECT_EQ(q->GetPositionDepth(), 2);
    EXPECT_EQ(tips.shown, std::vector<std::u16string>{u"当前已是最后一页，向后无更多数据显示！"});
    // Back goes to the page before the last one, as if the empty one had never been asked for.
    ASSERT_TRUE(Ask(q, &PagedQueryWnd::PrevPage));
    EXPECT_STREQ(q->GetCurrentPosition(), "18");
}

TEST_F(QueryTableWndTest, EachRowTakesTheColourOfItsOwnSignAndARowOfNeitherIsPlain)
{
    PagedQueryWnd* q = MakeQuery("tc_mfuncno=600&tc_sfuncno=10&sign=fdyk");
    CAppData* app = CAppData::Instance();
    const struct {
        const char* gain;
        COLORREF color;
    } rows[] = {{"12.00", app->GetColor(COLOR_SIGN_PLUS)}, {"0.00", Style::PlainTextOn(q->backgroundColor)},
                {"-3.00", app->GetColor(COLOR_SIGN_MINUS)}, {"0", Style::PlainTextOn(q->backgroundColor)},
                {"0.01", app->GetColor(COLOR_SIGN_PLUS)}};
    CTextRows cells;
    for (const auto& r : rows)
        cells.push_back({"600010", r.gain});
    std::string reply = TextTable("query", {{"zqdm", "证券代码"}, {"fdyk", "浮动盈亏"}}, cells);
    q->OnReply((const BYTE*)reply.data(), (int)reply.size(), 0);
    ASSERT_EQ(q->GetGrid().GetRowCount(), 5);
    for (int row = 0; row < 5; ++row)
        for (int column = 0; column < 2; ++column)
            EXPECT_EQ(q->GetCell(row, column)->textColor, rows[row].color) << rows[row].gain;
}

TEST_F(QueryTableWndTest, ServerErrorShowsItsTextAndLeavesTheTable)
{
    TradeLogIn();
    PagedQueryWnd* q = MakeQuery("tc_mfuncno=600&tc_sfuncno=13&ksrq=20250101");
    q->Request();
    ASSERT_TRUE(PumpUntil([&] { return q->replies > 0; }));
    ASSERT_EQ(q->GetGrid().GetRowCount(), 10);
    server->http.Faults().Arm(FAULT_ERROR, 1, 7, "\xB7\xFE\xCE\xF1\xC3\xA6"); // 服务忙
    q->Request();
    ASSERT_TRUE(PumpUntil([&] { return q->replies > 1; }));
    ASSERT_EQ(tips.shown.size(), 1u);
    EXPECT_NE(tips.shown[0].find(u"服务忙"), std::u16string::npos);
    EXPECT_EQ(q->GetGrid().GetRowCount(), 10);
    EXPECT_STREQ(q->GetCurrentPosition(), "10");
}

TEST_F(QueryTableWndTest, FundActionsAddToMyFundsOnceAndOpenTheFundScreensWithTheRowsCode)
{
    // A local fund list reply: code, name and the position.
    PagedQueryWnd* q = MakeQuery("tc_mfuncno=700&tc_sfuncno=1");
    CDataSet set;
    set.SetName("funds");
    FieldInfo f{};
    snprintf(f.name, sizeof f.name, "tradingcode");
    f.type = FIELD_TEXT;
    set.AddField(&f, 0);
    snprintf(f.name, sizeof f.name, "SecuAbbr");
    set.AddField(&f, 1);
    snprintf(f.name, sizeof f.name, "poststr");
    set.AddField(&f, 2);
    set.InsertRow(0);
    set.MoveFirst();
    set.SetString(0, "000001");
    set.SetString(1, "Growth");
    set.SetString(2, "1");
    BYTE* bytes = nullptr;
    DWORD n = set.Serialize(&bytes);
    ASSERT_GT(n, 0u);
    q->OnReply(bytes, (int)n, 0);
    free(bytes);
    ASSERT_EQ(q->GetGrid().GetRowCount(), 1);

    // The fund screens install the adding of a fund; the table hands it the selected row's code.
    static std::vector<std::string> added;
    added.clear();
    CQueryTableWnd::SetMyFundsAdder([](const char* code, HWND, BYTE quiet) {
        added.push_back(std::string(code) + "|" + std::to_string(quiet));
        return 1;
    });
    q->OnMenuCommand(CQueryTableWnd::CMD_ADD_FUND); // nothing selected
    ASSERT_EQ(tips.shown.size(), 1u);
    EXPECT_EQ(tips.shown[0], u"您未选中任何记录！");
    EXPECT_TRUE(added.empty());
    q->GetGrid().SetCurSel(0);
    q->OnMenuCommand(CQueryTableWnd::CMD_ADD_FUND);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0], "000001|0");
    CQueryTableWnd::SetMyFundsAdder(nullptr);

    static std::vector<std::string> opened;
    opened.clear();
    CNetWnd::SetWindowOpener(
        [](const char* key, int id, const char* title, const char* info, const char* params, int, HWND) {
            opened.push_back(std::string(key) + "|" + std::to_string(id) + "|" + (title ? title : "<null>") + "|" +
                             (info ? info : "<null>") + "|" + (params ? params : "<null>"));
            return 1;
        });
    q->OnMenuCommand(CQueryTableWnd::CMD_FUND_PURCHASE);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], "of_jjsg|-1|\xBB\xF9\xBD\xF0\xC9\xEA\xB9\xBA||ofcode=000001");

    auto* tree = new CMenuTree;
    auto* item = new CMenuItem;
    item->SetTitle("news");
    item->SetAction("OF_JJZX?tc_mfuncno=300&tc_sfuncno=1");
    tree->Add(40, -1, item);
    tree->Link(nullptr);
    CAppData::Instance()->SetMenuTree(tree);
    EXPECT_EQ(q->OnOK(0), 1);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], "OF_JJZX|40|Growth|000001|tc_mfuncno=300&tc_sfuncno=1");
    EXPECT_EQ(q->OnOK(3), -1);
    CNetWnd::SetWindowOpener(nullptr);
}
