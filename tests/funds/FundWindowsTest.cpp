// The fund screens in-process against the stand-in server: the user's fund list and its file, the ranking's sort
// picker, the categories, the risk notice, and the checks every fund form makes before anything is sent.
#include "core/ColorScheme.h"
#include "core/DataSet.h"
#include "funds/FundInfoListWnd.h"
#include "funds/FundInfoQueryWnd.h"
#include "funds/FundMenuWnd.h"
#include "funds/FundOpenAccountWnd.h"
#include "funds/FundQuery.h"
#include "funds/FundRedemptionWnd.h"
#include "funds/FundRgSgWnd.h"
#include "funds/FundRiskAnnounceWnd.h"
#include "funds/FundSearchResultWnd.h"
#include "funds/FundSearchWnd.h"
#include "funds/FundSortParamWnd.h"
#include "funds/FundSortWnd.h"
#include "funds/FundTradeQueryWnd.h"
#include "funds/QlnBuyWnd.h"
#include "funds/QuillonProductWnd.h"
#include "funds/FundRatingWnd.h"
#include "shell/FormLayout.h"
#include "shell/MenuItem.h"
#include "shell/MenuTree.h"
#include "tests/support/PaintedWindow.h"
#include "tests/support/TradeSession.h"
#include "tests/support/WindowFixture.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

std::string Stored(const char* name)
{
    BYTE* data = nullptr;
    int size = CAppData::Instance()->ReadDataFile(name, &data);
    std::string text = size >= 0 && data != nullptr ? (const char*)data : "<none>";
    free(data);
    return text;
}

std::u16string Cell(CTableWnd* t, int row, int column)
{
    LPCWSTR text = t->GetCellText(row, column);
    return text != nullptr ? text : u"<null>";
}

// A window that keeps the fund screens' requests to their owner.
class OwnerWnd : public CNetWnd {
public:
    OwnerWnd() : CNetWnd(u"交易", nullptr) {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_OPEN_FUND_ACCOUNT)
            opened.push_back((int)lParam);
        return CNetWnd::WindowProc(message, wParam, lParam);
    }
    std::vector<int> opened;
};

class FundWindowTest : public WindowTest {
protected:
    void LogIn(const char* account = "880012345", const char* password = "123456")
    {
        StartServer();
        ASSERT_TRUE(LogInToTrading(WorkRect(), account, password));
    }
    // The form's action with what the user typed; the lookups it needs are answered before this returns.
    template <class Form> void Act(Form* form)
    {
        messages.Clear();
        form->OnActionButton();
        ASSERT_TRUE(PumpUntil([] { return true; }));
    }
};

} // namespace

TEST_F(FundWindowTest, MyFundsKeepsEveryCodeOnceIgnoringCaseAndSaysSo)
{
    struct Case {
        const char* code;
        BYTE quiet;
        int result;
        const char16_t* tip; // null: none
    };
    const Case cases[] = {
        {"161101", 0, 1, u"我的基金添加成功!"},
        {"163301", 1, 1, nullptr},
        {"161101", 0, 0, u"已在我的基金!"},
        {"QL0101", 1, 1, nullptr},
        {"ql0101", 1, 0, u"已在我的基金!"},
        {"16110", 1, 1, nullptr},
        {"", 0, 0, nullptr},
    };
    for (const Case& c : cases) {
        messages.Clear();
        EXPECT_EQ(CFundInfoQueryWnd::AddToMyFunds(c.code, nullptr, c.quiet), c.result) << c.code;
        EXPECT_EQ(messages.Texts(),
                  c.tip != nullptr ? std::vector<std::u16string>{c.tip} : std::vector<std::u16string>{})
            << c.code;
    }
    EXPECT_EQ(Stored("MyFunds"), "161101,163301,QL0101,16110");
}

TEST_F(FundWindowTest, MyFundsNeverOverwritesAListItCannotReadAndReportsAFailedWrite)
{
    ASSERT_EQ(CFundInfoQueryWnd::AddToMyFunds("161101", nullptr, 1), 1);

    // A write that fails (the file may not grow past a few bytes) keeps the old list and says so.
    signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit tiny = old;
    tiny.rlim_cur = 8;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    int added = CFundInfoQueryWnd::AddToMyFunds("163301", nullptr, 0);
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(added, 0);
    EXPECT_EQ(messages.Texts(), std::vector<std::u16string>{u"我的基金添加失败!"});
    EXPECT_EQ(Stored("MyFunds"), "161101");

    // A list that is there but cannot be read is left as it is.
    std::string path = home.Path() + "MyFunds.dat";
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    messages.Clear();
    EXPECT_EQ(CFundInfoQueryWnd::AddToMyFunds("163301", nullptr, 0), 0);
    EXPECT_EQ(messages.Texts(), std::vector<std::u16string>{u"我的基金添加失败!"});
    EXPECT_TRUE(std::filesystem::is_directory(path));
}

TEST_F(FundWindowTest, MyFundsTableShowsTheStoredFundsWithoutATradeLogIn)
{
    StartServer();
    CAppData::Instance()->WriteDataFile("MyFunds", "163301,161101", 14);
    auto* w = Open<CFundInfoQueryWnd>(u"我的基金", nullptr);
    w->OnInitParam(501, "", "tc_mfuncno=700&tc_sfuncno=1&sign=zdf&position=poststr&count=20");
    w->Request();
    ASSERT_TRUE(PumpUntil([&] { return w->GetLastDataSet() != nullptr; }));
    ASSERT_EQ(w->GetGrid().GetRowCount(), 2);
    int code = w->GetColumnIndex("tradingcode");
    std::vector<std::u16string> codes = {Cell(w, 0, code), Cell(w, 1, code)};
    std::sort(codes.begin(), codes.end());
    EXPECT_EQ(codes, (std::vector<std::u16string>{u"161101", u"163301"}));
    EXPECT_TRUE(messages.Empty());
}

TEST_F(FundWindowTest, FundTablesPageByTheMenusCountAndRefreshTheFirstPage)
{
    StartServer();
    // All 24 funds of the stand-in server, 20 a page as the menu says.
    auto* w = Open<CFundSearchResultWnd>(u"全部基金", nullptr);
    w->OnInitParam(-1, "", "tc_mfuncno=700&tc_sfuncno=18&sign=zdf&position=poststr&count=20");
    EXPECT_EQ(w->GetRequestCount(), 20) << "the first page asks for the menu's count";
    w->Request();
    ASSERT_TRUE(PumpUntil([&] { return w->GetLastDataSet() != nullptr; }));
    std::u16string first = Cell(w, 0, w->GetColumnIndex("tradingcode"));
    const struct {
        const char* step;
        int button; // on the tool bar
        int rows;
    } steps[] = {{"next", QUERY_NEXT, 4},
                 {"refresh", QUERY_REFRESH, 20},
                 {"next", QUERY_NEXT, 4},
                 {"back", QUERY_PREV, 20},
                 {"refresh", QUERY_REFRESH, 20}};
    for (const auto& s : steps) {
        CDataSet* before = w->GetLastDataSet();
        w->OnMzCommand(MAKELONG(ID_TOOL_BAR, 0), s.button);
        ASSERT_TRUE(PumpUntil([&] { return w->GetLastDataSet() != before; })) << s.step;
        EXPECT_EQ(w->GetGrid().GetRowCount(), s.rows) << s.step;
        EXPECT_EQ(w->GetGrid().GetRowLimit(), 20);
        std::u16string code = Cell(w, 0, w->GetColumnIndex("tradingcode"));
        EXPECT_EQ(code == first, s.rows == 20) << s.step << ": the first page again, or the second";
    }
}

TEST_F(FundWindowTest, RankingSortsByThePickedColumnAndTurnsTheOrderWhenItIsPickedAgain)
{
    StartServer();
    auto* w = Open<CFundSortWnd>(u"基金排名", nullptr);
    w->OnInitParam(504, "", "tc_mfuncno=700&tc_sfuncno=4&sign=zdf&position=poststr&count=20");
    w->Request();
    ASSERT_TRUE(PumpUntil([&] { return w->GetLastDataSet() != nullptr; }));
    ASSERT_GT(w->GetGrid().GetRowCount(), 5);

    auto values = [&] {
        std::vector<double> v;
        int column = w->GetColumnIndex("dwjz");
        for (int r = 0; r < w->GetGrid().GetRowCount(); ++r) {
            char* text = w->GetCellTextA(r, column);
            v.push_back(atof(text != nullptr ? text : ""));
            free(text);
        }
        return v;
    };
    // The picker lists the figure columns, the current one checked; a tap posts the choice to the ranking.
    for (int pick = 0; pick < 2; ++pick) {
        ListItem items[2];
        MakeListItem("net value", "dwjz", w->GetSortColumn() == "dwjz", &items[0]);
        MakeListItem("day", "zdf", 0, &items[1]);
        // The ranking releases it once it has ended, as it does the pickers it opens itself.
        auto* picker = new CFundSortParamWnd(u"排序方式", w->GetHWND(), w->GetSortColumn().c_str(), w->GetSortDirect());
        picker->SetItems(items, 2);
        RECT work = WorkRect();
        ASSERT_TRUE(picker->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, w->GetHWND()));
        picker->GetCheckList().SetChecked(0, 1);
        picker->OnMzCommand(MAKELONG(CMakeChoiceWnd::ID_CHECK_LIST, CCheckList::NOTIFY_TAPPED), 0);
        ASSERT_TRUE(PumpUntil([&] { return w->GetSortColumn() == "dwjz"; }));
        for (ListItem& item : items)
            FreeListItemPayload(&item);
        std::vector<double> shown = values();
        EXPECT_EQ(w->GetSortDirect(), pick == 0 ? 1 : 0);
        if (pick == 0)
            EXPECT_TRUE(std::is_sorted(shown.rbegin(), shown.rend())) << "highest first";
        else
            EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end())) << "lowest first";
        EXPECT_EQ(w->GetPositionDepth(), 0);
    }
}

TEST_F(FundWindowTest, RankingAndRatingKeepTheNameInViewBringTheSortedColumnAndColourEachCellByWhatItSays)
{
    StartServer();
    CAppData* app = CAppData::Instance();
    const COLORREF plain = 0xFFFFFF;
    // What a cell's colour says: a day's change rises or falls, a return has a sign, the rest is plain.
    auto expected = [&](const char* field, const std::string& text) -> COLORREF {
        int sign = GetSignOfText(text.c_str());
        if (std::string(field) == "zdf")
            return app->GetColor(sign > 0 ? COLOR_RISE : sign < 0 ? COLOR_FALL : COLOR_UNCHANGED);
        if (std::string(field) == "zf1y")
            return sign > 0 ? app->GetColor(COLOR_SIGN_PLUS) : sign < 0 ? app->GetColor(COLOR_SIGN_MINUS) : plain;
        return plain;
    };
    const struct {
        int function;
        const char* sortColumn;
        std::vector<const char*> checked;
    } cases[] = {
        {4, "zf1y", {"SecuAbbr", "zdf", "zf1y", "dwjz"}},
        {5, "pj", {"pj", "zf1y", "zdf"}},
    };
    for (const auto& c : cases) {
        CFundSortWnd* w =
            c.function == 5 ? Open<CFundRatingWnd>(u"基金评级", nullptr) : Open<CFundSortWnd>(u"基金排名", nullptr);
        std::string params =
            "tc_mfuncno=700&tc_sfuncno=" + std::to_string(c.function) + "&sign=zdf&position=poststr&count=20";
        w->OnInitParam(504, "", params.c_str());
        w->Request();
        ASSERT_TRUE(PumpUntil([&] { return w->GetLastDataSet() != nullptr; }));
        CDataSet* before = w->GetLastDataSet();
        w->SortBy(c.sortColumn, 1);
        ASSERT_TRUE(PumpUntil([&] { return w->GetLastDataSet() != before; })) << c.sortColumn;
        CGridList& grid = w->GetGrid();
        EXPECT_EQ(grid.GetShownColumn(0), w->GetColumnIndex("SecuAbbr")) << "the name stays in view";
        int sorted = w->GetColumnIndex(c.sortColumn);
        bool shown = false;
        for (int slot = 0; slot < grid.GetVisibleColumns(); ++slot)
            shown = shown || grid.GetShownColumn(slot) == sorted;
        EXPECT_TRUE(shown) << c.sortColumn;
        EXPECT_LE(grid.GetVisibleColumns(), 3) << "a name fits its column";
        for (const char* field : c.checked) {
            int column = w->GetColumnIndex(field);
            ASSERT_GE(column, 0) << field;
            for (int row = 0; row < grid.GetRowCount(); ++row) {
                char* text = w->GetCellTextA(row, column);
                std::string value = text != nullptr ? text : "";
                free(text);
                EXPECT_EQ(grid.GetCell(row, column)->textColor, expected(field, value))
                    << c.function << " " << field << " " << value;
            }
        }
    }
}

TEST_F(FundWindowTest, InPortraitEveryCellsTextStaysClearOfTheNextCell)
{
    StartServer();
    // The ranking (names first, 海澜沪深300指数 among them) and all funds (names in the middle), as painted.
    const struct {
        int function;
    } cases[] = {{4}, {18}};
    for (const auto& c : cases) {
        std::string params =
            "tc_mfuncno=700&tc_sfuncno=" + std::to_string(c.function) + "&sign=zdf&position=poststr&count=20";
        CQueryTableWnd* w = c.function == 4 ? static_cast<CQueryTableWnd*>(Open<CFundSortWnd>(u"基金排名", nullptr))
                                            : Open<CFundSearchResultWnd>(u"全部基金", nullptr);
        w->OnInitParam(-1, "", params.c_str());
        w->Request();
        ASSERT_TRUE(PumpUntil([&] { return w->GetLastDataSet() != nullptr; }));
        CGridList& grid = w->GetGrid();
        ASSERT_EQ(w->GetWidth(), 480);
        PaintedWindow painted(*w);
        int pitch = grid.GetItemHeight(1);
        int first = grid.GetPosY() + grid.GetItemHeight(0);
        int rows = std::min(grid.GetRowCount(), (grid.GetPosY() + grid.GetHeight() - first) / pitch);
        ASSERT_GT(rows, 8);
        // Four pixels each side of a boundary between cells are the row's background in every row shown.
        for (int row = 0; row < rows; ++row) {
            int y0 = first + row * pitch + 8;
            COLORREF background = painted.At(w->GetWidth() - 2, y0);
            int touching = 0;
            for (int boundary = grid.GetColumnWidth(); boundary < w->GetWidth(); boundary += grid.GetColumnWidth())
                for (int y = y0; y < y0 + pitch - 16; ++y)
                    for (int x = boundary - 4; x < boundary + 4; ++x)
                        touching += painted.At(x, y) != background;
            EXPECT_EQ(touching, 0) << c.function << " row " << row;
        }
    }
}

TEST_F(FundWindowTest, SearchThatFindsNothingSaysSoAndAProductListHasNoMenuButtonThatDoesNothing)
{
    StartServer();
    auto* search = Open<CFundSearchResultWnd>(u"搜索结果", nullptr);
    search->OnInitParam(-1, "", "tc_mfuncno=700&tc_sfuncno=18&sign=zdf&position=poststr&count=20&ofcode=999");
    search->Request();
    ASSERT_TRUE(PumpUntil([&] { return search->GetLastDataSet() != nullptr; }));
    EXPECT_EQ(search->GetGrid().GetRowCount(), 0);
    EXPECT_EQ(messages.Texts(), std::vector<std::u16string>{u"没有找到符合条件的基金！"});

    // Without an action menu the bar is previous, next, refresh and back.
    auto* products = Open<CQuillonProductWnd>(u"产品列表", nullptr);
    products->OnInitParam(601, "", "tc_mfuncno=610&tc_sfuncno=1&sign=zdf&position=poststr&count=20");
    EXPECT_EQ(products->GetToolBar().GetButtonCount(), 4);
    products->OnMzCommand(MAKELONG(ID_TOOL_BAR, 0), 2);
    ASSERT_TRUE(PumpUntil([&] { return products->GetLastDataSet() != nullptr; })) << "the third button refreshes";
}

TEST_F(FundWindowTest, CategoryOpensItsResultsWithTheServersParameters)
{
    StartServer();
    static std::vector<std::string> opened;
    opened.clear();
    CNetWnd::SetWindowOpener([](const char* key, int, const char*, const char*, const char* params, int, HWND) {
        opened.push_back(std::string(key) + "?" + (params != nullptr ? params : ""));
        return 1;
    });
    auto* w = Open<CFundInfoListWnd>(u"基金查询", nullptr);
    w->OnInitParam(503, "", "tc_mfuncno=700&tc_sfuncno=3");
    w->Request();
    ASSERT_TRUE(PumpUntil([] { return true; }));
    EXPECT_EQ(w->OnOK(0), 1);
    CNetWnd::SetWindowOpener(nullptr);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].rfind("of_jjxx?tc_mfuncno=700&tc_sfuncno=18&", 0), 0u) << opened[0];
    EXPECT_EQ(w->OnOK(999), -1);
}

TEST_F(FundWindowTest, FundNewsEntriesOpenWithTheFundsCode)
{
    auto* tree = new CMenuTree;
    const struct {
        int id, parent;
        const char* action;
    } nodes[] = {{10, -1, "of_jjzx"}, {1001, 10, "newslist?tc_mfuncno=300&tc_sfuncno=1&type=6"}, {1002, 10, "F10"}};
    for (const auto& n : nodes) {
        auto* item = new CMenuItem;
        item->SetTitle("news");
        item->SetAction(n.action);
        tree->Add(n.id, n.parent, item);
    }
    tree->Link(nullptr);
    CAppData::Instance()->SetMenuTree(tree);
    static std::vector<std::string> opened;
    opened.clear();
    CNetWnd::SetWindowOpener([](const char* key, int id, const char*, const char* info, const char* params, int, HWND) {
        opened.push_back(std::string(key) + "|" + std::to_string(id) + "|" + info + "|" + params);
        return 1;
    });
    auto* w = Open<CFundMenuWnd>(u"长风成长股票", nullptr);
    w->OnInitParam(10, "161101", "");
    EXPECT_EQ(w->OnOK(0), 1);
    EXPECT_EQ(w->OnOK(1), 1);
    EXPECT_EQ(w->OnOK(2), -1);
    CNetWnd::SetWindowOpener(nullptr);
    EXPECT_EQ(opened, (std::vector<std::string>{"newslist|1001|161101|tc_mfuncno=300&tc_sfuncno=1&type=6&code=161101",
                                                "F10|1002|161101|code=161101"}));
}

TEST_F(FundWindowTest, RiskNoticeIsAgreedToOnlyOnceShownAndThenAsksItsOwnerForTheAccountForm)
{
    StartServer();
    auto* owner = Open<OwnerWnd>();
    // The owner releases it once it has ended.
    auto* w = new CFundRiskAnnounceWnd(u"基金开户风险提示", owner->GetHWND());
    RECT work = WorkRect();
    ASSERT_TRUE(w->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, owner->GetHWND()));
    w->OnInitParam(513, "", "tc_mfuncno=700&tc_sfuncno=17");
    w->OnMzCommand(MAKELONG(ID_COMMAND_BAR, 0), 1); // not shown yet: nothing
    PumpMessages();
    EXPECT_TRUE(owner->opened.empty());
    w->Request();
    ASSERT_TRUE(PumpUntil([&] { return w->HasNotice(); }));
    EXPECT_GT(std::u16string(w->GetText()).size(), 20u);
    w->OnMzCommand(MAKELONG(ID_COMMAND_BAR, 0), 1);
    ASSERT_TRUE(PumpUntil([&] { return !owner->opened.empty(); }));
    EXPECT_EQ(owner->opened, std::vector<int>{513});
}

TEST_F(FundWindowTest, PurchaseAndSubscriptionCheckCodeAmountStateAccountMinimumAndCashBeforeSending)
{
    LogIn();
    struct Case {
        int mode;
        const char16_t* code;
        const char16_t* amount;
        const char16_t* message;
    };
    const Case cases[] = {
        {0, u"", u"1000", u"请输入6位基金代码！"},
        {0, u"16110", u"1000", u"请输入6位基金代码！"},
        {0, u"161101", u"", u"请输入金额！"},
        {0, u"161101", u"1a", u"金额必须是数字，最多两位小数！"},
        {0, u"161101", u"0", u"金额必须大于零！"},
        {0, u"161101", u"10.005", u"金额必须是数字，最多两位小数！"},
        {0, u"161101", u"1e3", u"金额必须是数字，最多两位小数！"}, // typed, not changed into 13
        {0, u"162201", u"1000", u"该基金暂停申购！"},
        {0, u"161106", u"1000", u"该基金处于认购期，请使用认购！"},
        {1, u"161101", u"1000", u"该基金不在认购期！"},
        {0, u"163301", u"1000", u"您尚未开立该基金公司的基金账户，请先开户！"},
        {0, u"161101", u"1", nullptr}, // below the fund's minimum
        {0, u"161101", u"99999999", u"可用资金不足！"},
    };
    for (const Case& c : cases) {
        auto* form = Open<CFundRgSgWnd>(c.mode == 1 ? u"基金认购" : u"基金申购", nullptr, c.mode);
        form->GetCodeEdit()->SetText(c.code);
        TypeInto(form->GetAmountEdit(), c.amount);
        Act(form);
        ASSERT_EQ(messages.shown.size(), 1u) << GbFromWide(c.code) << " " << GbFromWide(c.amount);
        if (c.message != nullptr)
            EXPECT_EQ(messages.shown[0].text, c.message);
        else
            EXPECT_EQ(messages.shown[0].text.rfind(u"金额不能低于", 0), 0u);
    }
    // Nothing went out: the account has no fund orders.
    auto* orders = Open<CFundTradeQueryWnd>(u"委托查询", nullptr);
    orders->OnInitParam(511, "", "tc_mfuncno=700&tc_sfuncno=15&sign=mmlb&position=poststr&count=20");
    orders->Request();
    ASSERT_TRUE(PumpUntil([&] { return orders->GetLastDataSet() != nullptr; }));
    EXPECT_EQ(orders->GetGrid().GetRowCount(), 0);
}

TEST_F(FundWindowTest, PurchaseFormLooksUpACodeTypedInFullAndAnUnknownCodeLeavesNothingOfTheFundBefore)
{
    LogIn();
    // One form, codes typed one after the other as a user corrects them; each full code is looked up at once.
    struct Step {
        int mode;
        const char* code;
        const char16_t* name; // the fund then shown; "" none
        const char16_t* tip;  // null: none
    };
    const Step steps[] = {
        {0, "161101", u"长风成长股票", nullptr},
        {0, "999999", u"", u"基金代码不存在"},
        {0, "1633", u"", nullptr}, // not complete yet: nothing asked
        {0, "163301", u"启明星成长股票", nullptr},
        {1, "161106", u"长风新锐混合", nullptr},
        {1, "888888", u"", u"基金代码不存在"},
    };
    CFundRgSgWnd* form = nullptr;
    for (const Step& step : steps) {
        if (form == nullptr || form->GetMode() != step.mode)
            form = Open<CFundRgSgWnd>(step.mode == 1 ? u"基金认购" : u"基金申购", nullptr, step.mode);
        messages.Clear();
        form->GetCodeEdit()->SetText(u"");
        for (const char* c = step.code; *c != 0; ++c)
            form->GetCodeEdit()->OnChar((WCHAR)*c);
        ASSERT_TRUE(PumpUntil([] { return true; }));
        const FundRow& fund = form->GetFund();
        EXPECT_EQ(FieldOf(fund, "SecuAbbr"), GbFromWide(step.name)) << step.code;
        EXPECT_EQ(FieldOf(fund, "dwjz").empty(), step.name[0] == 0) << step.code;
        EXPECT_EQ(FieldOf(fund, "kyzj").empty(), step.name[0] == 0) << step.code;
        EXPECT_EQ(FieldOf(fund, "zdje").empty(), step.name[0] == 0) << step.code;
        EXPECT_EQ(messages.Texts(),
                  step.tip != nullptr ? std::vector<std::u16string>{step.tip} : std::vector<std::u16string>{})
            << step.code;
    }
}

TEST_F(FundWindowTest, CashProductFormShowsTheCashAvailableAndRefusesMoreThanThat)
{
    LogIn();
    auto* form = Open<CQlnBuyWnd>(u"产品购买", nullptr);
    form->Request();
    ASSERT_TRUE(PumpUntil([&] { return !form->GetCash().empty(); }));
    double cash = atof(form->GetCash().c_str());
    ASSERT_GT(cash, 1000.0);
    form->ChooseProduct(0);
    // One fen more than the cash.
    form->GetAmountEdit()->SetText(WideFromGb(FormatFixed((int64_t)(cash * 100 + 0.5) + 1, 2).c_str()).c_str());
    Act(form);
    EXPECT_EQ(messages.Texts(), std::vector<std::u16string>{u"可用资金不足！"});
}

TEST_F(FundWindowTest, RedemptionOffersTheSharesHeldAndChecksTheSharesBeforeSending)
{
    LogIn();
    auto* form = Open<CFundRedemptionWnd>(u"基金赎回", nullptr);
    form->Request();
    ASSERT_TRUE(PumpUntil([&] { return form->GetChosen() >= 0; }));
    ASSERT_EQ(form->GetHoldings().size(), 1u);
    EXPECT_EQ(FieldOf(form->GetHoldings()[0], "tradingcode"), "161101");
    EXPECT_EQ(FieldOf(form->GetHoldings()[0], "kyfe"), "10000.00");
    const struct {
        const char16_t* shares;
        const char16_t* message;
    } cases[] = {
        {u"", u"请输入有效的赎回份额！"},          {u"abc", u"请输入有效的赎回份额！"},
        {u"0", u"请输入有效的赎回份额！"},         {u"1.005", u"请输入有效的赎回份额！"},
        {u"-5", u"请输入有效的赎回份额！"},        {u"10000.01", u"可用份额不足！"},
        {u"0x1000000", u"请输入有效的赎回份额！"}, // typed, not changed into 01000000
    };
    for (const auto& c : cases) {
        TypeInto(form->GetSharesEdit(), c.shares);
        Act(form);
        EXPECT_EQ(messages.Texts(), std::vector<std::u16string>{c.message}) << GbFromWide(c.shares);
    }
}

TEST(FundOpenAccount, HolderDetailsAreCheckedBeforeTheOpeningGoesOut)
{
    const char16_t* const BAD_BIRTH = u"身份证号码中的出生日期无效，请核对！";
    struct Case {
        const char* name;
        const char* type;
        const char* number;
        const char* phone;
        const char* address;
        const char16_t* problem; // null: accepted
    };
    const Case cases[] = {
        {"Chen", "0", "110101199003071233", "13800138000", "", nullptr},
        {"Chen", "0", "11010519491231002X", "13800138000", "Beijing", nullptr},
        {"Chen", "0", "110101900307123", "13800138000", "", nullptr},
        // A wrong check character: one digit mistyped, or an X where a digit belongs.
        {"Chen", "0", "110101199003071234", "13800138000", "", u"身份证号码校验位不正确，请核对！"},
        {"Chen", "0", "11010119900307123X", "13800138000", "", u"身份证号码校验位不正确，请核对！"},
        {"Chen", "0", "110105194912310021", "13800138000", "", u"身份证号码校验位不正确，请核对！"},
        {"", "0", "110101199003071233", "13800138000", "", u"请输入开户人姓名（不含空格、&和=）！"},
        {"a&b=c", "0", "110101199003071233", "13800138000", "", u"请输入开户人姓名（不含空格、&和=）！"},
        {"Chen", "0", "11010119900307123", "13800138000", "", u"请输入15或18位身份证号码！"},
        {"Chen", "0", "1101011990030712Y4", "13800138000", "", u"请输入15或18位身份证号码！"},
        {"Chen", "1", "E1234", "13800138000", "", nullptr},
        {"Chen", "1", "E12", "13800138000", "", u"请输入有效的证件号码！"},
        {"Chen", "0", "110101199003071233", "138001", "", u"请输入7到20位数字的联系电话！"},
        {"Chen", "0", "110101199003071233", "1380013800a", "", u"请输入7到20位数字的联系电话！"},
        {"Chen", "0", "110101199003071233", "13800138000", "x&y", u"联系地址不能含有空格、&和=！"},
        // The birth date is a day that was: not month 13, not 30 February, not after today, not all zeros (each
        // number's check character is right); a 15-character number's year is 19YY.
        {"Chen", "0", "110105194913310021", "13800138000", "", BAD_BIRTH},
        {"Chen", "0", "110105194902300012", "13800138000", "", BAD_BIRTH},
        {"Chen", "0", "110105202701010016", "13800138000", "", BAD_BIRTH},
        {"Chen", "0", "000000000000000001", "13800138000", "", BAD_BIRTH},
        {"Chen", "0", "110105491331002", "13800138000", "", BAD_BIRTH},
        {"Chen", "0", "110105200002290013", "13800138000", "", nullptr},
        {"Chen", "0", "110105251208002", "13800138000", "", nullptr},
    };
    for (const Case& c : cases) {
        const char16_t* problem =
            CFundOpenAccountWnd::CheckDetails(c.name, c.type, c.number, c.phone, c.address, 20251208);
        EXPECT_EQ(std::u16string(problem != nullptr ? problem : u""),
                  std::u16string(c.problem != nullptr ? c.problem : u""))
            << c.name << " " << c.number << " " << c.phone;
    }
}

TEST_F(FundWindowTest, SearchOpensTheResultsByNameOrByCodeAndRefusesTextThatWouldBreakTheRequest)
{
    auto* form = Open<CFundSearchWnd>(u"基金搜索", nullptr);
    form->OnInitParam(514, "", "tc_mfuncno=700&tc_sfuncno=18");
    const char16_t* problem = nullptr;
    EXPECT_EQ(form->MakeSearchParams("1611", &problem),
              "tc_mfuncno=700&tc_sfuncno=18&sign=zdf&position=poststr&count=20&ofcode=1611");
    EXPECT_EQ(problem, nullptr);
    EXPECT_EQ(form->MakeSearchParams("growth", &problem),
              "tc_mfuncno=700&tc_sfuncno=18&sign=zdf&position=poststr&count=20&name=growth");
    EXPECT_EQ(form->MakeSearchParams("", &problem), "");
    EXPECT_EQ(std::u16string(problem), u"请输入基金名称或代码！");
    EXPECT_EQ(form->MakeSearchParams("a&count=1", &problem), "");
    EXPECT_EQ(std::u16string(problem), u"基金名称不能含有空格、&和=！");
}
