// The world and domestic index tables against the stand-in server and against replies made here: what they ask
// for, how they fill and colour their grids, where their rows and buttons lead.
#include "quotes/ChinaIndexWnd.h"
#include "quotes/GlobalIndexWnd.h"
#include "quotes/MyQuotes.h"
#include "quotes/QuoteWindowMakers.h"

#include "core/DataSet.h"
#include "core/NetThread.h"
#include "platform/device/RsaKeyPair.h"
#include "server/DataSetWriter.h"
#include "server/HttpServer.h"
#include "server/ServerFunctions.h"
#include "server/ServerText.h"
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

template <class Base> class Counting : public Base {
public:
    Counting() : Base(u"指数", nullptr) {}
    void OnReply(const BYTE* data, int length, int failed) override
    {
        Base::OnReply(data, length, failed);
        ++replies;
    }
    void AddCell(LPCWSTR text) override
    {
        Base::AddCell(text);
        headings.push_back(text);
    }
    void Feed(const std::string& bytes) { OnReply((const BYTE*)bytes.data(), (int)bytes.size(), 0); }
    int replies = 0;
    std::vector<std::u16string> headings;
};
using WorldWnd = Counting<CGlobalIndexWnd>;
using DomesticWnd = Counting<CChinaIndexWnd>;

class IndexTableTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        StartServer(StandInServer::Frozen(11));
    }
    void TearDown() override
    {
        world.reset();
        domestic.reset();
        WindowTest::TearDown();
    }
    template <class W> W* Make(std::unique_ptr<W>& holder, const char* params)
    {
        holder = std::make_unique<W>();
        holder->OnInitParam(-1, nullptr, params);
        RECT work = WorkRect();
        holder->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr);
        return holder.get();
    }
    // Logs in silently; the window's own request follows the log-in.
    template <class W> bool FirstReply(W* w)
    {
        w->Relogin();
        return PumpUntil([&] { return w->replies > 0; });
    }
    std::string Request(CNetWnd* w)
    {
        char text[CNetWnd::REQUEST_CAPACITY];
        int n = w->ComposeRequest(-1, 0, text, sizeof text);
        return n > 0 ? std::string(text, (size_t)n) : std::string();
    }
    COLORREF Color(int i) { return CAppData::Instance()->GetColor(i); }

    OpenedWindows opened{7};
    std::unique_ptr<WorldWnd> world;
    std::unique_ptr<DomesticWnd> domestic;
};

std::u16string Text(CTableWnd* t, int row, int column)
{
    LPCWSTR text = t->GetCellText(row, column);
    return text != nullptr ? text : u"<null>";
}

std::string Narrow(CTableWnd* t, int row, int column)
{
    char* text = t->GetCellTextA(row, column);
    std::string s = text != nullptr ? text : "<null>";
    free(text);
    return s;
}

// A world reply of text fields named prefix0.. with the given rows.
std::string WorldReply(const std::string& prefix, const std::vector<std::vector<std::string>>& rows)
{
    CDataSetWriter set("hq.world");
    for (int i = 0; i < 12; ++i)
        set.AddField(prefix + std::to_string(i), FIELD_TEXT);
    for (const auto& row : rows) {
        set.AddRow();
        for (size_t c = 0; c < row.size() && c < 12; ++c)
            set.SetText((int)c, row[c]);
    }
    return set.ToBytes();
}

// A domestic reply in the requested column order.
struct IndexRow {
    const char* name;
    double latest, percent, change, volume, amount, open, prevClose, high, low;
    const char* code;
    int market;
};
std::string DomesticReply(const std::vector<IndexRow>& rows)
{
    CDataSetWriter set("hq.index");
    const char* names[] = {"name", "zxjg", "zdf", "zd", "cjsl", "cjje", "jrkp", "zrsp", "zgcj", "zdcj", "code"};
    for (int i = 0; i < 11; ++i)
        set.AddField(names[i], i == 0 || i == 10 ? FIELD_TEXT : FIELD_QUOTE);
    set.AddField("market", FIELD_SHORT);
    for (const IndexRow& r : rows) {
        set.AddRow();
        set.SetText(0, Gb(r.name));
        const double values[] = {r.latest, r.percent, r.change, r.volume, r.amount, r.open, r.prevClose, r.high, r.low};
        for (int i = 0; i < 9; ++i)
            set.SetInt(i + 1, PackQuote(values[i], 2));
        set.SetText(10, r.code);
        set.SetInt(11, r.market);
    }
    return set.ToBytes();
}

} // namespace

TEST_F(IndexTableTest, MakersAreInstalledForBothIndexKeys)
{
    InstallQuoteWindowMakers();
    ASSERT_NE(CWindowFactory::FindKey("sjzs"), nullptr);
    ASSERT_NE(CWindowFactory::FindKey("zgzs"), nullptr);
    WindowMaker makeWorld = CWindowFactory::GetMaker(CWindowFactory::FindKey("sjzs")->className);
    WindowMaker makeDomestic = CWindowFactory::GetMaker(CWindowFactory::FindKey("zgzs")->className);
    ASSERT_NE(makeWorld, nullptr);
    ASSERT_NE(makeDomestic, nullptr);
    std::unique_ptr<CBaseWnd> w(makeWorld(u"全球指数", nullptr, 0));
    std::unique_ptr<CBaseWnd> d(makeDomestic(u"国内指数", nullptr, 0));
    EXPECT_EQ(std::u16string(w->GetMzClassName()), u"CGlobalIndexWnd");
    EXPECT_EQ(std::u16string(d->GetMzClassName()), u"CChinaIndexWnd");
}

TEST_F(IndexTableTest, WorldTableSendsItsParametersAndTakesHeadingsAndRowsFromTheServer)
{
    WorldWnd* w = Make(world, "tc_mfuncno=31000&tc_sfuncno=7");
    EXPECT_EQ(w->autoRefresh, 0);
    EXPECT_EQ(w->GetToolBar().GetButtonCount(), 4);
    CGridList& g = w->GetGrid();
    EXPECT_EQ(g.GetColumnCount(), 12);
    EXPECT_EQ(g.GetVisibleColumns(), 4);
    EXPECT_EQ(g.GetFixedColumns(), 1);
    EXPECT_EQ(g.GetItemHeightValue(), 48);
    EXPECT_EQ(Request(w).rfind("tc_mfuncno=31000&tc_sfuncno=7&", 0), 0u);

    ASSERT_TRUE(FirstReply(w));
    ASSERT_TRUE(messages.Tips().empty());
    ASSERT_GT(g.GetRowCount(), 0);
    EXPECT_LE(g.GetRowCount(), 20);
    // Headings are the server's field names in field order.
    ASSERT_EQ(w->headings.size(), 12u);
    EXPECT_EQ(w->headings[0], u"名称");
    EXPECT_EQ(w->headings[11], u"代码");
    for (int row = 0; row < g.GetRowCount(); ++row) {
        for (int c = 0; c < 12; ++c) {
            std::string text = Narrow(w, row, c);
            EXPECT_EQ(w->GetCellData(row, c), c);
            int index = CGlobalIndexWnd::CellColorIndex(c, text.c_str());
            EXPECT_EQ(w->GetCell(row, c)->textColor, Color(index)) << row << "," << c << " " << text;
        }
    }

    // The tool bar's refresh asks again and the rows are replaced, not added.
    int rows = g.GetRowCount();
    w->SendMessage(MZ_WM_COMMAND, MAKELONG(ID_TOOL_BAR, 0), 2);
    ASSERT_TRUE(PumpUntil([&] { return w->replies > 1; }));
    EXPECT_EQ(g.GetRowCount(), rows);
}

TEST_F(IndexTableTest, WorldTableColoursFiveSignColumnsAndKeepsItsFirstHeadings)
{
    WorldWnd* w = Make(world, "");
    // Without a parameter text the common fields go alone.
    EXPECT_NE(Request(w), "");
    // A first reply naming no fields gives no headings; the first that names them does.
    w->Feed(CDataSetWriter("hq.world").ToBytes());
    EXPECT_TRUE(w->headings.empty());
    w->Feed(WorldReply("a", {{"", "", "-0.2", "1.5", "1.5", "", "", "0", "abc", "", "", ""}}));
    CGridList& g = w->GetGrid();
    ASSERT_EQ(g.GetRowCount(), 1);
    EXPECT_EQ(Text(w, 0, 0), u"-");
    EXPECT_EQ(w->GetCell(0, 2)->textColor, Color(16));
    EXPECT_EQ(w->GetCell(0, 3)->textColor, Color(15));
    EXPECT_EQ(w->GetCell(0, 4)->textColor, Color(14));
    EXPECT_EQ(w->GetCell(0, 7)->textColor, Color(14));
    EXPECT_EQ(w->GetCell(0, 8)->textColor, Color(14));
    EXPECT_EQ(Text(w, 0, 9), u"-");
    EXPECT_EQ(w->GetCell(0, 9)->textColor, Color(14));
    EXPECT_EQ(Text(w, 0, 11), u"-");

    // Different names later: the first headings stay; more rows than the limit: the limit.
    std::vector<std::vector<std::string>> many(25, std::vector<std::string>{"x", "1"});
    w->Feed(WorldReply("b", many));
    ASSERT_EQ(w->headings.size(), 12u);
    EXPECT_EQ(w->headings[0], u"a0");
    EXPECT_EQ(w->headings[11], u"a11");
    EXPECT_EQ(g.GetRowCount(), 20);

    // An error: a tip with its text, the rows stay.
    w->Feed(ErrorSet(Gb("行情服务暂停")));
    ASSERT_EQ(messages.Tips().size(), 1u);
    EXPECT_EQ(messages.Tips()[0].text, u"行情服务暂停");
    EXPECT_EQ(messages.Tips()[0].milliseconds, 3000);
    EXPECT_EQ(g.GetRowCount(), 20);

    // A sign column the server marks as having no value: "--" in the plain colour.
    CDataSetWriter marked("hq.world");
    for (int i = 0; i < 3; ++i)
        marked.AddField("m" + std::to_string(i), i == 2 ? FIELD_QUOTE : FIELD_TEXT);
    marked.AddRow();
    marked.SetInt(2, CQuoteNumber::NULL_PACKED);
    w->Feed(marked.ToBytes());
    ASSERT_EQ(g.GetRowCount(), 1);
    EXPECT_EQ(Text(w, 0, 2), u"--");
    EXPECT_EQ(w->GetCell(0, 2)->textColor, Color(14));
    EXPECT_EQ(w->headings.size(), 12u);

    // A tapped row opens nothing.
    g.SetCurSel(0);
    w->SendMessage(MZ_WM_COMMAND, MAKELONG(CTableWnd::ID_GRID, CGridList::NOTIFY_ROW_OPENED), 0);
    EXPECT_TRUE(opened.empty());
}

TEST_F(IndexTableTest, DomesticTableAsksForItsFieldsAndFillsRowsFromTheServer)
{
    DomesticWnd* d = Make(domestic, "tc_mfuncno=31000&tc_sfuncno=6");
    EXPECT_EQ(d->GetCodeColumn(), 10);
    EXPECT_EQ(d->GetMarketColumn(), 11);
    EXPECT_EQ(d->GetToolBar().GetButtonCount(), 5);
    CGridList& g = d->GetGrid();
    EXPECT_EQ(g.GetColumnCount(), 13);
    EXPECT_EQ(g.GetVisibleColumns(), 3);
    EXPECT_EQ(g.GetScrollableColumns(), 2);
    ASSERT_EQ(d->headings.size(), 12u);
    EXPECT_EQ(d->headings[1], u"现价");
    EXPECT_EQ(d->headings[11], u"市场");
    EXPECT_EQ(Request(d).rfind("tc_mfuncno=31000&tc_sfuncno=6&field=4|16|21|20|17|18|13|11|14|15|3|1", 0), 0u);

    ASSERT_TRUE(FirstReply(d));
    ASSERT_TRUE(messages.Tips().empty());
    EXPECT_EQ(d->headings.size(), 12u); // the titles are not added twice
    ASSERT_GT(g.GetRowCount(), 0);
    for (int row = 0; row < g.GetRowCount(); ++row) {
        std::string market = Narrow(d, row, 11);
        EXPECT_TRUE(market == "1" || market == "2") << market;
        EXPECT_FALSE(Narrow(d, row, 10).empty());
        EXPECT_EQ(d->GetCell(row, 0)->textColor, Color(14));
        EXPECT_EQ(d->GetCell(row, 4)->textColor, Color(28));
        EXPECT_EQ(d->GetCellData(row, 7), 7);
    }
    // The first activation asks; later ones show the rows as they are.
    int before = d->replies;
    d->OnActive();
    ASSERT_TRUE(PumpUntil([&] { return d->replies > before; }));
    d->OnActive();
    PumpUntil([] { return true; });
    EXPECT_EQ(d->replies, before + 1);
}

TEST_F(IndexTableTest, DomesticTableColoursAgainstThePreviousCloseAndDashesUntradedPrices)
{
    DomesticWnd* d = Make(domestic, "tc_mfuncno=31000&tc_sfuncno=6&");
    EXPECT_EQ(Request(d).rfind("tc_mfuncno=31000&tc_sfuncno=6&field=", 0), 0u);
    d->Feed(DomesticReply({{"上证指数", 10.5, 5, 0.5, 100, 200, 10, 10, 9.9, 9.8, "000001", 1},
                           {"深证成指", 9, -1, -0.1, 0, 0, 0, 9.1, 9, 9, "399001", 2}}));
    CGridList& g = d->GetGrid();
    ASSERT_EQ(g.GetRowCount(), 2);
    EXPECT_EQ(Text(d, 0, 0), u"上证指数");
    EXPECT_EQ(d->GetCell(0, 1)->textColor, Color(15)); // above the close
    EXPECT_EQ(d->GetCell(0, 6)->textColor, Color(17)); // opened at the close
    EXPECT_EQ(d->GetCell(0, 8)->textColor, Color(16)); // high below the close
    EXPECT_EQ(d->GetCell(0, 2)->textColor, Color(15)); // by sign
    EXPECT_EQ(d->GetCell(0, 7)->textColor, Color(14));
    EXPECT_EQ(d->GetCell(0, 5)->textColor, Color(28));
    for (int c : {1, 6, 8, 9}) {
        EXPECT_EQ(Text(d, 1, c), u"-") << c;
        EXPECT_EQ(d->GetCell(1, c)->textColor, Color(14)) << c;
    }
    EXPECT_EQ(d->GetCell(1, 2)->textColor, Color(16));
    EXPECT_EQ(d->GetCell(1, 3)->textColor, Color(16));
    EXPECT_EQ(Narrow(d, 1, 10), "399001");

    // A server error keeps the rows.
    d->Feed(ErrorSet(Gb("无数据")));
    ASSERT_EQ(messages.Tips().size(), 1u);
    EXPECT_EQ(messages.Tips()[0].milliseconds, 3000);
    EXPECT_EQ(g.GetRowCount(), 2);
}

TEST_F(IndexTableTest, MissingOrOverlongParametersSendNothingAndRefreshFollowsTheSetting)
{
    CAppData::Instance()->SetConfig("Quote_IsRefresh", "0", 0);
    DomesticWnd* d = Make(domestic, nullptr);
    EXPECT_EQ(Request(d), "");
    EXPECT_EQ(d->autoRefresh, 0);
    CAppData::Instance()->SetConfig("Quote_IsRefresh", "1", 0);
    DomesticWnd* e = Make(domestic, "");
    EXPECT_EQ(Request(e), "");
    EXPECT_EQ(e->autoRefresh, 1);
    // A parameter text longer than a request is never sent cut short.
    std::string longText = "tc_mfuncno=31000&tc_sfuncno=6&x=" + std::string(CNetWnd::REQUEST_CAPACITY, 'a');
    DomesticWnd* f = Make(domestic, longText.c_str());
    EXPECT_EQ(Request(f), "");
    WorldWnd* w = Make(world, longText.c_str());
    EXPECT_EQ(Request(w), "");
    EXPECT_EQ(w->autoRefresh, 0);
}

TEST_F(IndexTableTest, DomesticRowsOpenChartsAndJoinTheOwnList)
{
    DomesticWnd* d = Make(domestic, "tc_mfuncno=31000&tc_sfuncno=6");
    // Nothing selected: K-line gives a tip, adding gives a box, tapping nothing opens nothing.
    d->SendMessage(MZ_WM_COMMAND, MAKELONG(ID_TOOL_BAR, 0), 3);
    ASSERT_EQ(messages.Tips().size(), 1u);
    EXPECT_EQ(messages.Tips()[0].text, u"您未选中任何记录！");
    EXPECT_EQ(messages.Tips()[0].milliseconds, 2000);
    d->OnMenuCommand(CChinaIndexWnd::CMD_ADD_TO_MY_QUOTES);
    ASSERT_EQ(messages.Boxes().size(), 1u);
    EXPECT_EQ(messages.Boxes()[0].text, u"您未选中任何指数！");
    EXPECT_EQ(d->OnOK(-1), -1);
    EXPECT_EQ(d->OnOK(0), -1); // no such row
    EXPECT_TRUE(opened.empty());

    d->Feed(DomesticReply({{"上证指数", 10.5, 5, 0.5, 100, 200, 10, 10, 9.9, 9.8, "000001", 1},
                           {"深证成指", 9, -1, -0.1, 0, 0, 0, 9.1, 9, 9, "399001", 2}}));
    d->GetGrid().SetCurSel(1);
    d->SendMessage(MZ_WM_COMMAND, MAKELONG(CTableWnd::ID_GRID, CGridList::NOTIFY_ROW_OPENED), 1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].key, "fschart");
    EXPECT_EQ(opened[0].params, "date=&code=399001.2");
    EXPECT_EQ(opened[0].title, "\xB7\xD6\xCA\xB1\xD7\xDF\xCA\xC6");
    EXPECT_EQ(opened[0].menuId, -1);
    EXPECT_EQ(d->OnOK(0), 7);
    EXPECT_EQ(opened[1].params, "date=&code=000001.1");

    d->SendMessage(MZ_WM_COMMAND, MAKELONG(ID_TOOL_BAR, 0), 3);
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[2].key, "kxchart");
    EXPECT_EQ(opened[2].params, "code=399001.2");
    EXPECT_EQ(opened[2].title, "K\xCF\xDF\xB7\xD6\xCE\xF6");

    WriteMyQuotes("600000.01");
    d->OnMenuCommand(CChinaIndexWnd::CMD_ADD_TO_MY_QUOTES);
    CAString list;
    ASSERT_EQ(ReadMyQuotes(&list), MYQUOTES_READ);
    EXPECT_STREQ(list.GetText(), "600000.01,399001.02"); // the market widened to two digits
    d->OnMenuCommand(CChinaIndexWnd::CMD_CANCEL);
    EXPECT_EQ(opened.size(), 3u);
}
