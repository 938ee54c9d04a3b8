// The menu list windows against the stand-in server: a menu window shows its entry's children, fetches a server
// sub-menu once per run and opens the tapped entry; the headline list shows the server's headlines and opens the
// tapped one as an article request.
#include "shell/QXInfoListWnd.h"
#include "shell/QXInfoTxtWnd.h"
#include "shell/MenuWindowMakers.h"
#include "shell/QXMenuWnd.h"
#include "shell/WindowFactory.h"

#include "tests/support/OpenedWindows.h"
#include "tests/support/WindowFixture.h"
#include "core/HttpClient.h"
#include "core/TextHelpers.h"
#include "platform/device/RsaKeyPair.h"
#include "platform/win/Time.h"
#include "server/DataSetWriter.h"
#include "server/HttpServer.h"
#include "server/ServerFunctions.h"
#include "shell/MenuItem.h"
#include "shell/MenuTree.h"

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

int searchesOpened = 0;

// A stock search that ends as soon as it is shown.
class QuickSearchWnd : public CBaseWnd {
public:
    using CBaseWnd::CBaseWnd;
    BOOL OnInitDialog() override
    {
        ++searchesOpened;
        PostMessage(WM_END_WND, 0, END_BACK);
        return CBaseWnd::OnInitDialog();
    }
};

CBaseWnd* MakeQuickSearch(LPCWSTR title, HWND owner)
{
    return new QuickSearchWnd(title, owner);
}

std::u16string Wide(const char* gb)
{
    WCHAR* w = nullptr;
    AnsiToWide(gb, &w);
    std::u16string s = w != nullptr ? w : u"";
    free(w);
    return s;
}

CMenuItem* Item(const char16_t* title, const char* action)
{
    auto* item = new CMenuItem;
    item->SetTitle(WideToAnsiString(title).c_str());
    item->SetAction(action);
    return item;
}

const char* const SUB_MENU = "tc_mfuncno=100&tc_sfuncno=5&menuid=305";
const char* const NEWS = "tc_mfuncno=300&tc_sfuncno=1&cont_sfunc=2&type=1";

} // namespace

class MenuWndTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        StartServer();
        CAppData* app = CAppData::Instance();

        auto* tree = new CMenuTree;
        tree->Add(3, -1, Item(u"资讯中心", "collist"));
        tree->Add(301, 3, Item(u"要闻精选", (std::string("newslist?") + NEWS).c_str()));
        tree->Add(302, 3, Item(u"公司新闻", "newslist?tc_mfuncno=300&tc_sfuncno=1&cont_sfunc=2&type=2"));
        tree->Add(305, 3, Item(u"研究报告", (std::string("collist?") + SUB_MENU).c_str()));
        tree->Add(306, 3, Item(u"无此菜单", "collist?tc_mfuncno=100&tc_sfuncno=5&menuid=306"));
        tree->Link(nullptr);
        app->SetMenuTree(tree);
    }
    void TearDown() override
    {
        for (CBaseWnd* w : windows)
            delete w;
        WindowTest::TearDown();
    }
    template <class W> W* Open(int menuId, const char* params)
    {
        auto* w = new W(u"菜单", nullptr);
        windows.push_back(w);
        RECT work = WorkRect();
        EXPECT_TRUE(w->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr));
        // What ShowWnd does before its modal loop: the parameters, then the first activation sends.
        w->OnInitParam(menuId, "", params);
        w->OnActive();
        return w;
    }
    static std::vector<std::u16string> Rows(CListWnd* w)
    {
        std::vector<std::u16string> rows;
        for (int i = 0; i < w->GetMenuList().GetItemCount(); ++i)
            rows.emplace_back(w->GetMenuList().GetItem(i)->Text.C_Str());
        return rows;
    }
    void TapRow(CListWnd* w, int row)
    {
        CMenuList& list = w->GetMenuList();
        RECT r = list.GetItemRect(row);
        int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
        SendMessage(w->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELONG(x, y));
        SendMessage(w->m_hWnd, WM_LBUTTONUP, 0, MAKELONG(x, y));
        PumpMessages();
    }

    OpenedWindows opened;
    std::vector<CBaseWnd*> windows;
};

TEST(ListWnd, RowHeightFollowsTheFontSizeBands)
{
    EXPECT_EQ(CListWnd::RowHeightForFont(20), 70);
    EXPECT_EQ(CListWnd::RowHeightForFont(21), 50);
    EXPECT_EQ(CListWnd::RowHeightForFont(25), 50);
    EXPECT_EQ(CListWnd::RowHeightForFont(26), 55);
    EXPECT_EQ(CListWnd::RowHeightForFont(31), 65);
    EXPECT_EQ(CListWnd::RowHeightForFont(35), 65);
    EXPECT_EQ(CListWnd::RowHeightForFont(36), 70);
}

TEST_F(MenuWndTest, MenuWindowListsItsEntrysChildrenAndOpensTheTappedOne)
{
    CAppData::Instance()->SetConfig("Font_Size", "26", 0);
    auto* w = Open<CQXMenuWnd>(3, "");
    EXPECT_EQ(w->GetWndType(), WND_TYPE_SERVER_MENU);
    EXPECT_EQ(w->GetMenuList().GetItemHeightValue(), 55);
    EXPECT_EQ(w->GetMenuList().GetPosY(), 42);
    EXPECT_EQ(w->GetCommandBar().GetButtonText(1), std::u16string(u"个股"));
    EXPECT_EQ(Rows(w), (std::vector<std::u16string>{u"要闻精选", u"公司新闻", u"研究报告", u"无此菜单"}));
    EXPECT_EQ(w->GetMenuList().GetSelectedIndex(), 0);
    // No parameters: nothing is asked of the server.
    char text[2048];
    EXPECT_EQ(w->ComposeRequest(-1, 0, text, sizeof text), 0);
    TapRow(w, 1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].key, "newslist");
    EXPECT_EQ(opened[0].menuId, 302);
    EXPECT_EQ(Wide(opened[0].title.c_str()), u"公司新闻");
    EXPECT_EQ(opened[0].params, "tc_mfuncno=300&tc_sfuncno=1&cont_sfunc=2&type=2");

    // The command bar: stock search, then back.
    searchesOpened = 0;
    CNetWnd::SetStockSearchMaker(MakeQuickSearch);
    SendMessage(w->m_hWnd, MZ_WM_COMMAND, MAKELONG(ID_COMMAND_BAR, 0), 1);
    CNetWnd::SetStockSearchMaker(nullptr);
    PumpMessages();
    EXPECT_EQ(searchesOpened, 1);

    // Turned to landscape, the list fills the wider screen above the lower command bar.
    w->SetScreenMode(3);
    EXPECT_EQ(w->GetMenuList().GetWidth(), 720);
    EXPECT_EQ(w->GetMenuList().GetHeight(), w->GetHeight() - 42 - UI_BAR_HEIGHT_LANDSCAPE);
    w->SetScreenMode(0);
    EXPECT_EQ(w->GetMenuList().GetWidth(), 480);
}

TEST_F(MenuWndTest, ServerSubMenuIsFetchedOnceAndShownAgainWithoutARequest)
{
    auto* first = Open<CQXMenuWnd>(305, SUB_MENU);
    EXPECT_TRUE(Rows(first).empty());
    ASSERT_TRUE(PumpUntil([&] { return first->GetMenuList().GetItemCount() == 3; }));
    EXPECT_EQ(Rows(first), (std::vector<std::u16string>{u"行业研究", u"公司研究", u"晨会纪要"}));
    EXPECT_TRUE(CAppData::Instance()->IsMenuRegistered(305));
    EXPECT_TRUE(messages.shown.empty());

    // Reached again (here from another window): the rows at once, and nothing to send.
    auto* again = Open<CQXMenuWnd>(305, SUB_MENU);
    EXPECT_EQ(Rows(again), Rows(first));
    char text[2048];
    EXPECT_EQ(again->ComposeRequest(-1, 0, text, sizeof text), 0);
    TapRow(again, 2);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].key, "newscontent");
    EXPECT_EQ(opened[0].params, "tc_mfuncno=300&tc_sfuncno=2&newsid=801");
    EXPECT_GT(opened[0].menuId, 306);
}

TEST_F(MenuWndTest, ServerErrorIsATipAndTheTreeRowsStay)
{
    auto* w = Open<CQXMenuWnd>(306, "tc_mfuncno=100&tc_sfuncno=5&menuid=306");
    ASSERT_TRUE(PumpUntil([&] { return !messages.shown.empty(); }));
    EXPECT_EQ(messages.shown[0].text, u"没有该菜单");
    EXPECT_EQ(messages.shown[0].milliseconds, 3000);
    EXPECT_FALSE(CAppData::Instance()->IsMenuRegistered(306));
    EXPECT_TRUE(Rows(w).empty());
}

TEST_F(MenuWndTest, ARowWithoutAMenuEntryShowsTheWindowErrorBox)
{
    auto* w = Open<CQXMenuWnd>(3, "");
    SendMessage(w->m_hWnd, WM_DEFERRED_STEP, 0, 9);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, u"Show window error！");
    EXPECT_EQ(messages.shown[0].caption, u"ERR");
    EXPECT_TRUE(opened.empty());
    // An id the tree does not know: an empty list.
    auto* unknown = Open<CQXMenuWnd>(4242, "");
    EXPECT_TRUE(Rows(unknown).empty());
}

TEST_F(MenuWndTest, HeadlineListOpensTheTappedArticleWithTheListsArticleFunction)
{
    auto* w = Open<CQXInfoListWnd>(301, NEWS);
    EXPECT_EQ(w->GetWndType(), WND_TYPE_INFO_LIST);
    // A tap before the headlines came opens nothing.
    EXPECT_EQ(w->OnOK(0), -1);
    ASSERT_TRUE(PumpUntil([&] { return w->GetMenuList().GetItemCount() == 12; }));
    std::vector<std::u16string> rows = Rows(w);
    EXPECT_EQ(rows[0].rfind(u"【要闻】", 0), 0u);
    TapRow(w, 0);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].key, "newscontent");
    EXPECT_EQ(opened[0].menuId, -1);
    EXPECT_EQ(Wide(opened[0].title.c_str()), rows[0]);
    EXPECT_EQ(opened[0].params, "tc_mfuncno=300&tc_sfuncno=2&newsid=101");
    // The last row opens; one beyond the reply's rows does not.
    EXPECT_EQ(w->OnOK(11), END_BACK);
    EXPECT_EQ(opened.back().params, "tc_mfuncno=300&tc_sfuncno=2&newsid=112");
    EXPECT_EQ(w->OnOK(12), -1);
    EXPECT_EQ(opened.size(), 2u);
}

TEST_F(MenuWndTest, HeadlineErrorIsAMessageBoxAndTheRowsStay)
{
    auto* w = Open<CQXInfoListWnd>(301, NEWS);
    ASSERT_TRUE(PumpUntil([&] { return w->GetMenuList().GetItemCount() == 12; }));
    // Rows from another entry's children, then a request the server refuses: the rows stay, the old
    // headlines are gone with the error.
    w->OnInitParam(3, "", "tc_mfuncno=300&tc_sfuncno=2&newsid=999");
    ASSERT_EQ(Rows(w).size(), 4u);
    w->Request();
    ASSERT_TRUE(PumpUntil([&] { return !messages.shown.empty(); }));
    EXPECT_EQ(messages.shown[0].text, u"该资讯不存在或已删除");
    EXPECT_EQ(messages.shown[0].milliseconds, 0);
    EXPECT_EQ(Rows(w).size(), 4u);
    EXPECT_EQ(w->OnOK(0), -1);
    EXPECT_TRUE(opened.empty());
}

TEST(QXInfoListWnd, ArticleRequestTakesTheListsMainAndArticleFunctions)
{
    auto text = [](const char* params, int id) {
        char* t = CQXInfoListWnd::MakeArticleRequest(params, id);
        std::string s = t != nullptr ? t : "<null>";
        free(t);
        return s;
    };
    EXPECT_EQ(text("tc_mfuncno=300&tc_sfuncno=1&cont_sfunc=2", 7), "tc_mfuncno=300&tc_sfuncno=2&newsid=7");
    EXPECT_EQ(text("type=1", 7), "tc_mfuncno=&tc_sfuncno=&newsid=7");
    EXPECT_EQ(text(nullptr, -3), "tc_mfuncno=&tc_sfuncno=&newsid=-3");
}

TEST_F(MenuWndTest, FactoryOpensTheMenuWindowsByTheirKeysOnceInstalled)
{
    InstallMenuWindowMakers();
    EXPECT_NE(CWindowFactory::GetMaker("CQXMenuWnd"), nullptr);
    EXPECT_NE(CWindowFactory::GetMaker("CQXInfoListWnd"), nullptr);
    // "lczq" shows the entry's rows; the home icon ends it (and every window back to the main frame).
    CNetWnd::SetWindowOpener(nullptr);
    std::thread closer([] {
        for (int i = 0; i < 1000; ++i) {
            for (HWND w : ListWindowHandles()) {
                WCHAR name[32] = {};
                if (GetClassNameW(w, name, 32) > 0 && std::u16string(name) == u"CQXMenuWnd" && IsWindowVisible(w)) {
                    PostMessage(w, WM_CAPTION_HOME, 0, 0);
                    return;
                }
            }
            Sleep(5);
        }
    });
    CBaseWnd owner(u"主", nullptr);
    RECT work = WorkRect();
    ASSERT_TRUE(owner.Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr));
    int result = CWindowFactory::OpenWindow("LCZQ", 3, "", "", "", 0, owner.m_hWnd);
    closer.join();
    EXPECT_EQ(result, END_HOME);
    PumpMessages(); // the owner releases the ended window
}

TEST_F(MenuWndTest, ArticleWindowShowsTheServersLinesOnePerRow)
{
    auto* w = Open<CQXInfoTxtWnd>(-1, "tc_mfuncno=300&tc_sfuncno=2&newsid=101");
    EXPECT_EQ(w->GetWndType(), WND_TYPE_INFO_TEXT);
    ASSERT_TRUE(PumpUntil([&] { return w->GetText() != nullptr && w->GetText()[0] != 0; }));
    std::u16string text = w->GetText();
    // Two fields (line number, line): the lines only, each ended by CR LF, also the last.
    EXPECT_EQ(text.rfind(u"【要闻】", 0), 0u) << std::string(text.begin(), text.end());
    size_t breaks = 0;
    for (size_t at = text.find(u"\r\n"); at != std::u16string::npos; at = text.find(u"\r\n", at + 2))
        ++breaks;
    EXPECT_EQ(breaks, 5u);
    EXPECT_EQ(text.substr(text.size() - 2), u"\r\n");
    EXPECT_NE(text.find(u"\r\n\r\n本报讯"), std::u16string::npos);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MenuWndTest, ArticleOfThreeFieldsShowsFieldZeroAndAnEmptyArticleSaysSo)
{
    auto* w = Open<CQXInfoTxtWnd>(-1, "");
    CDataSetWriter three("news.text");
    three.AddField("text", FIELD_TEXT);
    three.AddField("a", FIELD_INT);
    three.AddField("b", FIELD_INT);
    for (const char16_t* line : {u"第一行", u"第二行"}) {
        three.AddRow();
        three.SetText(0, WideToAnsiString(line));
        three.SetInt(1, 5);
    }
    std::string bytes = three.ToBytes();
    w->OnReply(reinterpret_cast<const BYTE*>(bytes.data()), (int)bytes.size(), 0);
    EXPECT_EQ(std::u16string(w->GetText()), u"第一行\r\n第二行\r\n");

    // A server error keeps the text and says why in a box.
    bytes = ErrorSet(WideToAnsiString(u"该资讯不存在或已删除"));
    w->OnReply(reinterpret_cast<const BYTE*>(bytes.data()), (int)bytes.size(), 0);
    EXPECT_EQ(std::u16string(w->GetText()), u"第一行\r\n第二行\r\n");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, u"该资讯不存在或已删除");
    EXPECT_EQ(messages.shown[0].milliseconds, 0);

    CDataSetWriter empty("news.text");
    empty.AddField("line", FIELD_INT);
    empty.AddField("text", FIELD_TEXT);
    bytes = empty.ToBytes();
    w->OnReply(reinterpret_cast<const BYTE*>(bytes.data()), (int)bytes.size(), 0);
    EXPECT_EQ(std::u16string(w->GetText()), u"暂无相关信息！");
}
