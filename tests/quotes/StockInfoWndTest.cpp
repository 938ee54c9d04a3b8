// The stock information menu and the information radar against the stand-in server: the menu lists the server's
// information entries and opens one for the stock; the radar asks for the stock's notes and shows them as text.
#include "quotes/InfoMineTxtWnd.h"
#include "quotes/InfoWindowMakers.h"
#include "quotes/StocInfoMenuWnd.h"

#include "core/DataSet.h"
#include "core/HttpClient.h"
#include "core/TextHelpers.h"
#include "platform/device/RsaKeyPair.h"
#include "platform/win/CodePage.h"
#include "platform/win/Time.h"
#include "server/DataSetWriter.h"
#include "server/HttpServer.h"
#include "server/ServerFunctions.h"
#include "shell/MenuItem.h"
#include "shell/MenuTree.h"
#include "shell/QXInfoTxtWnd.h"
#include "shell/WindowFactory.h"
#include "tests/support/OpenedWindows.h"
#include "tests/support/WindowFixture.h"

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

std::u16string Wide(const char* gb)
{
    WCHAR* w = nullptr;
    AnsiToWide(gb, &w);
    std::u16string s = w != nullptr ? w : u"";
    free(w);
    return s;
}

std::string GbFromUtf8(const std::string& utf8)
{
    std::u16string wide(utf8.size() + 1, u'\0');
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), (int)wide.size());
    return WideToAnsiString(n > 0 ? wide.c_str() : u"");
}

const char16_t* const NO_RADAR = u"该只股票当日无信息雷达。";

} // namespace

class StockInfoWndTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        CServerOptions o = StandInServer::Frozen(7, 120);
        o.cipherMode = 0;
        o.compressMode = 0;
        StartServer(o);
        CAppData* app = CAppData::Instance();

        // The server's own menu tree, as the log-on would have stored it.
        auto* tree = new CMenuTree;
        for (const CMenuRow& row : CServerFunctions::MainMenu()) {
            auto* item = new CMenuItem;
            item->SetTitle(GbFromUtf8(row.title).c_str());
            item->SetAction(row.action.c_str());
            tree->Add(row.id, row.parent, item);
        }
        tree->Link(nullptr);
        app->SetMenuTree(tree);
    }
    void TearDown() override
    {
        for (CBaseWnd* w : windows)
            delete w;
        WindowTest::TearDown();
    }
    template <class W> W* Make(const char16_t* title)
    {
        auto* w = new W(title, nullptr);
        windows.push_back(w);
        RECT work = WorkRect();
        EXPECT_TRUE(w->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr));
        return w;
    }
    // The radar text the server itself gives for a request, lines ended by CR LF.
    std::u16string ServerRadar(const std::string& request)
    {
        CServerReply reply = server->functions.Handle(request);
        CDataSet** sets = nullptr;
        int n = ParseDataSets(reinterpret_cast<const BYTE*>(reply.body.data()), (DWORD)reply.body.size(), &sets);
        std::string text;
        if (n > 0 && sets[0]->MoveFirst()) {
            do
                text += std::string(sets[0]->GetAsText(0)) + "\r\n";
            while (sets[0]->MoveNext());
        }
        for (int i = 0; i < n; ++i)
            delete sets[i];
        free(sets);
        return Wide(text.c_str());
    }

    OpenedWindows opened;
    std::vector<CBaseWnd*> windows;
};

TEST_F(StockInfoWndTest, MenuListsTheServersInformationEntriesAndOpensOneForTheStock)
{
    auto* w = Make<CStocInfoMenuWnd>(u"包钢股份");
    EXPECT_EQ(std::u16string(w->GetMzClassName()), u"CStocInfoMenuWnd");
    w->OnInitParam(9, "600010", "");
    w->OnActive();
    std::vector<std::u16string> rows;
    for (int i = 0; i < w->GetMenuList().GetItemCount(); ++i)
        rows.emplace_back(w->GetMenuList().GetItem(i)->Text.C_Str());
    EXPECT_EQ(rows, (std::vector<std::u16string>{u"公司概况", u"财务数据", u"股东研究", u"分红配送", u"信息雷达"}));

    EXPECT_EQ(w->OnOK(1), END_BACK);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].key, "newscontent");
    EXPECT_EQ(opened[0].menuId, 902);
    EXPECT_EQ(Wide(opened[0].title.c_str()), u"财务数据_包钢股份");
    EXPECT_EQ(opened[0].info, "");
    EXPECT_EQ(opened[0].params, "tc_mfuncno=504&tc_sfuncno=12&type=2&stkcode=600010");

    // The last entry opens; past it, or before the first, nothing does.
    EXPECT_EQ(w->OnOK(4), END_BACK);
    EXPECT_EQ(opened.back().params, "tc_mfuncno=504&tc_sfuncno=11&lmdm=xxld&stkcode=600010");
    EXPECT_EQ(w->OnOK(5), -1);
    EXPECT_EQ(w->OnOK(-1), -1);
    EXPECT_EQ(opened.size(), 2u);

    // A tapped row goes the same way; a row without an entry says the window could not be shown.
    SendMessage(w->m_hWnd, WM_DEFERRED_STEP, 0, 0);
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened.back().params, "tc_mfuncno=504&tc_sfuncno=12&type=1&stkcode=600010");
    SendMessage(w->m_hWnd, WM_DEFERRED_STEP, 0, 7);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, u"Show window error！");
    messages.shown.clear();

    // The opened article asks the server with those parameters and shows its text.
    auto* article = Make<CQXInfoTxtWnd>(u"财务数据_包钢股份");
    article->OnInitParam(902, "", opened[0].params.c_str());
    article->OnActive();
    ASSERT_TRUE(PumpUntil([&] { return article->GetText() != nullptr && article->GetText()[0] != 0; }));
    EXPECT_NE(std::u16string(article->GetText()), u"暂无相关信息！");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(StockInfoWndTest, EntryParametersAndTitleAreJoinedEvenWhenEmpty)
{
    EXPECT_EQ(CStocInfoMenuWnd::MakeEntryParams("x=1", "000001"), "x=1&stkcode=000001");
    EXPECT_EQ(CStocInfoMenuWnd::MakeEntryParams("", "000001"), "&stkcode=000001");
    EXPECT_EQ(CStocInfoMenuWnd::MakeEntryParams(nullptr, nullptr), "&stkcode=");
    EXPECT_EQ(Wide(CStocInfoMenuWnd::MakeEntryTitle(WideToAnsiString(u"公司概况").c_str(), u"平安银行").c_str()),
              u"公司概况_平安银行");
    EXPECT_EQ(CStocInfoMenuWnd::MakeEntryTitle(nullptr, nullptr), "_");

    // An entry whose item is gone and a menu id the tree no longer knows open nothing.
    auto* tree = new CMenuTree;
    tree->Add(77, -1, new CMenuItem);
    tree->Add(771, 77, nullptr);
    tree->Link(nullptr);
    CAppData::Instance()->SetMenuTree(tree);
    auto* w = Make<CStocInfoMenuWnd>(u"平安银行");
    w->OnInitParam(77, "000001", "");
    EXPECT_EQ(w->OnOK(0), -1);
    w->OnInitParam(4242, "000001", "");
    EXPECT_EQ(w->OnOK(0), -1);
    EXPECT_TRUE(opened.empty());
}

TEST_F(StockInfoWndTest, FactoryOpensTheInformationMenuByItsKeyOnceInstalled)
{
    InstallInfoWindowMakers();
    EXPECT_NE(CWindowFactory::GetMaker("CStocInfoMenuWnd"), nullptr);
    const WindowKey* key = CWindowFactory::FindKey("F10");
    ASSERT_NE(key, nullptr);
    EXPECT_STREQ(key->className, "CStocInfoMenuWnd");

    // Opened for real: the window runs with the stock's entries; the home icon ends it.
    CNetWnd::SetWindowOpener(nullptr);
    std::thread closer([] {
        for (int i = 0; i < 1000; ++i) {
            for (HWND w : ListWindowHandles()) {
                WCHAR name[32] = {};
                if (GetClassNameW(w, name, 32) > 0 && std::u16string(name) == u"CStocInfoMenuWnd" &&
                    IsWindowVisible(w)) {
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
    int result =
        CWindowFactory::OpenWindow("F10", 9, WideToAnsiString(u"包钢股份").c_str(), "600010", "", 0, owner.m_hWnd);
    closer.join();
    EXPECT_EQ(result, END_HOME);
    PumpMessages(); // the owner releases the ended window
}

TEST_F(StockInfoWndTest, RadarAsksForTheStocksNotesAndShowsTheServersText)
{
    auto* w = Make<CInfoMineTxtWnd>(u"信息雷达");
    EXPECT_EQ(std::u16string(w->GetMzClassName()), u"CInfoMineTxtWnd");
    w->SetCode("600010");
    w->SetId(nullptr);
    w->SetDate("");
    char text[2048];
    ASSERT_GT(w->ComposeRequest(-1, 0, text, sizeof text), 0);
    std::string request = text;
    EXPECT_NE(request.find("tc_mfuncno=504&tc_sfuncno=11&lmdm=xxld&stkcode=600010&id=&date="), std::string::npos)
        << request;

    w->OnInitParam(-1, "", "");
    w->OnActive();
    ASSERT_TRUE(PumpUntil([&] { return w->GetText() != nullptr && w->GetText()[0] != 0; }));
    // The same request in the session the window has logged in by now, answered by the server directly.
    ASSERT_GT(w->ComposeRequest(-1, 0, text, sizeof text), 0);
    std::u16string expected = ServerRadar(text);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(std::u16string(w->GetText()), expected);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(StockInfoWndTest, RadarShowsRecordsByLineOrSaysThereAreNone)
{
    auto* w = Make<CInfoMineTxtWnd>(u"信息雷达");
    auto reply = [&](const std::string& bytes) {
        w->OnReply(reinterpret_cast<const BYTE*>(bytes.data()), (int)bytes.size(), 0);
        return std::u16string(w->GetText() != nullptr ? w->GetText() : u"");
    };
    CDataSetWriter two("xxld");
    two.AddField("text", FIELD_TEXT);
    for (const char* line : {"a", "b"}) {
        two.AddRow();
        two.SetText(0, line);
    }
    EXPECT_EQ(reply(two.ToBytes()), u"a\r\nb\r\n");

    // A server error: a tip for 3 seconds, and the notes shown stay.
    EXPECT_EQ(reply(ErrorSet(WideToAnsiString(u"系统忙"))), u"a\r\nb\r\n");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, u"系统忙");
    EXPECT_EQ(messages.shown[0].milliseconds, 3000);

    CDataSetWriter none("xxld");
    none.AddField("text", FIELD_TEXT);
    EXPECT_EQ(reply(none.ToBytes()), NO_RADAR);
    // Nothing readable at all counts as no notes, not as an error.
    EXPECT_EQ(reply(two.ToBytes()), u"a\r\nb\r\n");
    EXPECT_EQ(reply(std::string("\x01\x02", 2)), NO_RADAR);
    w->OnReply(nullptr, 0, 1);
    EXPECT_EQ(std::u16string(w->GetText()), NO_RADAR);
    EXPECT_EQ(messages.shown.size(), 1u);
}

// The window's application data has a program home of its own, which goes with the test.
class InfoMineTxtWnd : public WindowTest {};

TEST_F(InfoMineTxtWnd, FieldsKeepTheirLastTextAndNeverOverflow)
{
    CInfoMineTxtWnd w(u"信息雷达", nullptr);
    EXPECT_STREQ(w.GetCode(), "");
    w.SetCode("600010");
    w.SetCode(nullptr);
    w.SetCode("");
    EXPECT_STREQ(w.GetCode(), "600010");
    // Too long for its field: cut to the room there is, the terminator kept.
    std::string longText(40, '7');
    w.SetCode(longText.c_str());
    w.SetId(longText.c_str());
    w.SetDate(longText.c_str());
    EXPECT_EQ(std::string(w.GetCode()), std::string(19, '7'));
    EXPECT_EQ(std::string(w.GetId()), std::string(15, '7'));
    EXPECT_EQ(std::string(w.GetDate()), std::string(11, '7'));

    // A part buffer too small for the request: nothing, rather than a cut request.
    char small[16];
    EXPECT_EQ(w.BuildRequest(small, sizeof small, ""), 0);
    EXPECT_STREQ(small, "");
    char room[256];
    EXPECT_EQ(w.BuildRequest(room, sizeof room, ""), 1);
    EXPECT_EQ(std::string(room), "tc_mfuncno=504&tc_sfuncno=11&lmdm=xxld&stkcode=" + std::string(19, '7') +
                                     "&id=" + std::string(15, '7') + "&date=" + std::string(11, '7'));
}
