// Every quote screen that offers the charts opens them with the key, title and parameter text the charts expect,
// and the chart opened with that text shows the security the user chose.
#include "ChartTestSupport.h"

#include "charts/FSFrame.h"
#include "charts/KXFrame.h"
#include "quotes/ChinaIndexWnd.h"
#include "quotes/EditMyStockWnd.h"
#include "quotes/GlobalIndexWnd.h"
#include "quotes/MyQuotes.h"
#include "quotes/MyStockWnd.h"
#include "quotes/QXStockTableWnd.h"
#include "quotes/StockDetaiPriceWnd.h"

namespace {

// A quote screen that counts its replies.
template <class Base> class Counted : public Base {
public:
    template <class... Args> explicit Counted(Args... args) : Base(args...) {}
    void OnReply(const BYTE* data, int length, int failed) override
    {
        Base::OnReply(data, length, failed);
        ++replies;
    }
    int replies = 0;
};

class ChartOpenerTest : public ChartWindowTest {
protected:
    template <class W, class... Args> W* Screen(const char* info, const char* params, Args... args)
    {
        W* w = Adopt(new W(args...));
        w->OnInitParam(-1, info, params);
        RECT work = WorkRect();
        EXPECT_TRUE(w->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr));
        return w;
    }
    template <class W> bool Load(W* w)
    {
        int before = w->replies;
        w->Request();
        return PumpUntil([&] { return w->replies > before; });
    }
    // The code a chart opened with these parameters shows.
    template <class Chart> std::string Shown(const std::string& params)
    {
        auto* chart = Make<Probe<Chart>>(params.c_str());
        EXPECT_TRUE(Activate(chart)) << params;
        return chart->GetData().security.code;
    }
};

} // namespace

TEST_F(ChartOpenerTest, EveryQuoteScreenOpensTheChartsOfTheChosenSecurity)
{
    ASSERT_TRUE(WriteMyQuotes(M("{600027:2},{600010:2}").c_str()));
    auto* ranked = Screen<Counted<CQXStockTableWnd>>("", "tc_mfuncno=31000&tc_sfuncno=3", u"", nullptr);
    auto* mine = Screen<Counted<CMyStockWnd>>("", "tc_mfuncno=31000&tc_sfuncno=4", u"", nullptr);
    auto* indices = Screen<Counted<CChinaIndexWnd>>("", "tc_mfuncno=31000&tc_sfuncno=6", u"", nullptr);
    auto* detail = Screen<Counted<CStockDetaiPriceWnd>>(M("code={600010:2}").c_str(), "tc_mfuncno=31000&tc_sfuncno=4",
                                                        u"", nullptr);
    auto* world = Screen<Counted<CGlobalIndexWnd>>("", "tc_mfuncno=31000&tc_sfuncno=7", u"", nullptr);
    ASSERT_TRUE(Load(ranked));
    ASSERT_TRUE(Load(mine));
    ASSERT_TRUE(Load(indices));

    struct Opening {
        const char* screen;
        std::function<void()> open;
    } openings[] = {
        {"ranked table", [&] { ranked->OnOK(0); }},
        {"own list", [&] { mine->OnOK(1); }},
        {"own list K-line",
         [&] {
             mine->GetGrid().SetSelectedIndex(1);
             mine->OnMenuCommand(CMyStockWnd::CMD_KLINE);
         }},
        {"domestic indices", [&] { indices->OnOK(1); }},
        {"domestic indices K-line",
         [&] {
             indices->GetGrid().SetCurSel(1);
             indices->OpenKLine();
         }},
        {"detailed quote", [&] { detail->OnMzCommand(MAKEWPARAM(ID_TOOL_BAR, 0), 2); }},
        {"detailed quote K-line", [&] { detail->OnMzCommand(MAKEWPARAM(ID_TOOL_BAR, 0), 3); }},
        {"stock search",
         [&] {
             // One match opens its chart at once: the search posts it to its owner, which opens it, and ends; the
             // owner releases the search.
             auto* search = new CEditMyStockWnd(u"查找个股", world->m_hWnd, CEditMyStockWnd::MODE_SEARCH);
             RECT work = WorkRect();
             ASSERT_TRUE(
                 search->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, world->m_hWnd));
             search->GetEdit().SetText(u"600010");
             search->StartSearch();
             ASSERT_TRUE(PumpUntil([&] { return !OpenedWindows().empty(); }));
         }},
    };
    for (const Opening& o : openings) {
        OpenedWindows().clear();
        o.open();
        ASSERT_EQ(OpenedWindows().size(), 1u) << o.screen;
        const OpenedWindow& w = OpenedWindows()[0];
        bool kline = w.key == "kxchart";
        EXPECT_TRUE(kline || w.key == "fschart") << o.screen << ": " << w.key;
        EXPECT_EQ(w.title, Gb(kline ? u"K线分析" : u"分时走势")) << o.screen;
        EXPECT_EQ(w.info, "") << o.screen;
        EXPECT_EQ(w.params.rfind(kline ? "code=" : "date=&code=", 0), 0u) << o.screen << ": " << w.params;
        std::string code = w.params.substr(w.params.find("code=") + 5);
        ASSERT_NE(code.find('.'), std::string::npos) << o.screen << ": the market travels with the code";
        std::string shown = kline ? Shown<CKXFrame>(w.params) : Shown<CFSFrame>(w.params);
        EXPECT_EQ(shown, code.substr(0, code.find('.'))) << o.screen;
    }
}
