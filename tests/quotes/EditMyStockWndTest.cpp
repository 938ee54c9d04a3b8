// The stock search and the own stock editor against the stand-in server: what typing finds, what a pick hands
// to the owner, and that reordering, deleting and adding keep the stored list right.
#include "quotes/EditMyStockWnd.h"
#include "quotes/MineWindowMakers.h"
#include "quotes/MyQuotes.h"

#include "core/NetThread.h"
#include "platform/device/RsaKeyPair.h"
#include "server/HttpServer.h"
#include "server/ServerFunctions.h"
#include "tests/support/PaintedWindow.h"
#include "tests/support/OpenedWindows.h"
#include "tests/support/WindowFixture.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

class Editor : public CEditMyStockWnd {
public:
    Editor(HWND owner, int mode) : CEditMyStockWnd(u"编辑", owner, mode) {}
    void OnReply(const BYTE* data, int length, int failed) override
    {
        CEditMyStockWnd::OnReply(data, length, failed);
        ++replies;
    }
    int Ask(LPCWSTR text, LPCWSTR) override
    {
        questions.push_back(text);
        return answer;
    }
    void EndWnd(int result) override { ended.push_back(result); }
    int replies = 0;
    int answer = 1;
    std::vector<std::u16string> questions;
    std::vector<int> ended;
};

class EditMyStockTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        StartServer(StandInServer::Frozen(5));
        RECT work = WorkRect();
        owner = std::make_unique<CNetWnd>(u"主", nullptr);
        owner->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr);
    }
    void TearDown() override
    {
        editor.reset();
        owner.reset();
        WindowTest::TearDown();
    }
    Editor* Make(int mode)
    {
        editor = std::make_unique<Editor>(owner->m_hWnd, mode);
        RECT work = WorkRect();
        editor->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr);
        return editor.get();
    }
    bool WaitReplies(int n)
    {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < until) {
            PumpMessages();
            if (editor->replies >= n && CAppData::Instance()->GetConnection()->WaitIdle(0) == WAIT_OBJECT_0) {
                PumpMessages();
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }
    // Types text and starts the search as the button does; waits for its reply.
    bool Search(const char16_t* text)
    {
        int before = editor->replies;
        editor->GetEdit().SetText(text);
        editor->StartSearch();
        return WaitReplies(before + 1);
    }
    std::string Request()
    {
        char text[CNetWnd::REQUEST_CAPACITY];
        int n = editor->ComposeRequest(-1, 0, text, sizeof text);
        return n > 0 ? std::string(text, (size_t)n) : std::string();
    }
    std::string Stored()
    {
        CAString list;
        EXPECT_EQ(ReadMyQuotes(&list), MYQUOTES_READ);
        return list.GetText() != nullptr ? list.GetText() : "";
    }
    std::u16string RowText(int row) { return editor->GetList().GetItem(row)->Text.C_Str(); }

    OpenedWindows opened;
    std::unique_ptr<CNetWnd> owner;
    std::unique_ptr<Editor> editor;
};

TEST(EditMyStockInput, CodesAndSingleLettersAreLookupsTwoOrMoreLettersArePinyinInUpperCase)
{
    std::string s = "600010";
    EXPECT_EQ(CEditMyStockWnd::IsPinyinInput(s), 0);
    s = "a";
    EXPECT_EQ(CEditMyStockWnd::IsPinyinInput(s), 0);
    s = "sz";
    EXPECT_EQ(CEditMyStockWnd::IsPinyinInput(s), 1);
    EXPECT_EQ(s, "SZ");
    s = "s1";
    EXPECT_EQ(CEditMyStockWnd::IsPinyinInput(s), 0);
    EXPECT_EQ(s, "s1");
}

TEST_F(EditMyStockTest, TheStockSearchIsInstalledForEveryNetworkedWindow)
{
    CNetWnd::SetStockSearchMaker(nullptr);
    EXPECT_EQ(owner->OpenStockSearch(), nullptr);
    InstallMineWindowMakers();
    Editor* e = Make(CEditMyStockWnd::MODE_SEARCH);
    EXPECT_EQ(std::u16string(e->GetMzClassName()), u"CEditMyStockWnd");
    EXPECT_EQ(e->GetWndType(), 13);
    CNetWnd::SetStockSearchMaker(nullptr);
}

TEST_F(EditMyStockTest, PinyinInitialsAndCodesFindStocksAndShowThemInTheirOwnForm)
{
    Editor* e = Make(CEditMyStockWnd::MODE_SEARCH);
    e->Relogin();
    ASSERT_TRUE(WaitReplies(1));

    // Lower-case initials go out in upper case; the rows carry the two-digit market without a blank.
    ASSERT_TRUE(Search(u"sz"));
    EXPECT_EQ(e->IsPinyinSearch(), 1);
    ASSERT_GE(e->GetList().GetItemCount(), 2);
    EXPECT_EQ(RowText(0), u"上证指数(000001.02)");
    EXPECT_EQ(e->RowCode(0), "000001.02");
    EXPECT_TRUE(opened.empty());

    // A code prefix is a lookup: name, blank, and the market as the reply gives it.
    ASSERT_TRUE(Search(u"6000"));
    EXPECT_EQ(e->IsPinyinSearch(), 0);
    EXPECT_EQ(Request().rfind("tc_mfuncno=31000&tc_sfuncno=4&count=1&code=6000&field=4|3|1&", 0), 0u);
    ASSERT_GE(e->GetList().GetItemCount(), 2);
    std::u16string first = RowText(0);
    EXPECT_NE(first.find(u" (6000"), std::u16string::npos);
    EXPECT_EQ(first.substr(first.size() - 3), u".2)");
    EXPECT_EQ(e->RowCode(0).substr(6), ".02");

    // Tapping a row hands its chart to the owner.
    e->OnMzCommand(MAKELONG(CEditMyStockWnd::ID_LIST, CCheckList::NOTIFY_TAPPED), 1);
    std::string code = e->RowCode(1);
    PumpMessages();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].key, "fschart");
    EXPECT_EQ(opened[0].params, "date=&code=" + code);
}

TEST_F(EditMyStockTest, ASingleMatchOpensItsChartAtOnceAndEmptyInputOnlyTellsTheUser)
{
    Editor* e = Make(CEditMyStockWnd::MODE_SEARCH);
    e->Relogin();
    ASSERT_TRUE(WaitReplies(1));
    int before = e->replies;
    e->GetEdit().SetText(u"");
    e->StartSearch();
    PumpMessages();
    EXPECT_EQ(e->replies, before);
    ASSERT_FALSE(messages.Texts().empty());
    EXPECT_EQ(messages.Texts().back(), u"请输入股票代码或拼音缩写！");

    // The sixth digit starts the lookup by itself.
    e->GetEdit().SetText(u"00000");
    e->GetEdit().SetFocus(true);
    e->GetEdit().OnChar(u'1');
    ASSERT_TRUE(WaitReplies(before + 1));
    ASSERT_EQ(e->GetList().GetItemCount(), 1);
    PumpMessages();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].params, "date=&code=000001.02");

    // OK without a chosen row refuses.
    e->GetList().SetSelectedIndex(-1);
    e->OnMzCommand(MAKELONG(ID_COMMAND_BAR, 0), 0);
    EXPECT_EQ(messages.Texts().back(), u"您未选中任何股票！");
    EXPECT_EQ(e->OnOK(-1), -1);
}

TEST_F(EditMyStockTest, TheEditorShowsTheStoredListAndSavesMovesAndDeletions)
{
    ASSERT_TRUE(WriteMyQuotes("600010.02,000002.01,000001.02"));
    Editor* e = Make(CEditMyStockWnd::MODE_EDIT);
    EXPECT_EQ(e->requestOnActive, 1);
    EXPECT_EQ(
        Request().rfind("tc_mfuncno=31000&tc_sfuncno=4&count=3&code=600010.02|000002.01|000001.02&field=4|3|1&", 0),
        0u);
    e->Relogin();
    ASSERT_TRUE(WaitReplies(1));
    CCheckList& list = e->GetList();
    ASSERT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(e->RowCode(0), "600010.02");
    EXPECT_EQ(e->RowCode(2), "000001.02");

    // Up with the first row checked moves nothing.
    list.SetChecked(0, 1);
    e->OnEditCommand(2);
    EXPECT_EQ(e->IsModified(), 0);
    list.SetChecked(0, 0);

    // The last row up: it becomes the second.
    list.SetChecked(2, 1);
    e->OnEditCommand(2);
    EXPECT_EQ(e->IsModified(), 1);
    EXPECT_EQ(e->RowCode(1), "000001.02");
    EXPECT_EQ(list.GetSelectedIndex(), 1);
    // Down with the last row checked moves nothing; the checked row is now second, so down moves it back.
    e->OnEditCommand(3);
    EXPECT_EQ(e->RowCode(2), "000001.02");
    list.SetChecked(2, 0);

    // Delete the first; the answer no keeps it.
    list.SetChecked(0, 1);
    e->answer = 0;
    e->OnEditCommand(4);
    EXPECT_EQ(list.GetItemCount(), 3);
    e->answer = 1;
    e->OnEditCommand(4);
    ASSERT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(Stored(), "600010.02,000002.01,000001.02"); // nothing saved yet

    e->OnEditCommand(0);
    EXPECT_EQ(Stored(), "000002.01,000001.02");
    ASSERT_EQ(e->ended.size(), 1u);
    EXPECT_EQ(e->ended[0], 1);
}

TEST_F(EditMyStockTest, BackWithEditsAsksAndKeepsTheStoredListAndAnEmptyListSendsNothing)
{
    ASSERT_TRUE(WriteMyQuotes(""));
    Editor* e = Make(CEditMyStockWnd::MODE_EDIT);
    EXPECT_EQ(Request(), "");

    ASSERT_TRUE(WriteMyQuotes("600010.02,000002.01"));
    e->Relogin();
    ASSERT_TRUE(WaitReplies(1));
    ASSERT_EQ(e->GetList().GetItemCount(), 2);
    e->GetList().SetChecked(1, 1);
    e->OnEditCommand(4);
    e->answer = 0;
    e->OnEditCommand(5);
    EXPECT_TRUE(e->ended.empty());
    e->answer = 1;
    e->OnEditCommand(5);
    ASSERT_EQ(e->ended.size(), 1u);
    EXPECT_EQ(Stored(), "600010.02,000002.01");
}

TEST_F(EditMyStockTest, TheAddViewSearchesAndAddsTheCheckedStocks)
{
    ASSERT_TRUE(WriteMyQuotes("600010.02"));
    Editor* e = Make(CEditMyStockWnd::MODE_EDIT);
    e->Relogin();
    ASSERT_TRUE(WaitReplies(1));
    e->OnEditCommand(1);
    EXPECT_EQ(e->IsAddView(), 1);
    EXPECT_EQ(e->GetList().GetItemCount(), 0);
    e->OnEditCommand(0);
    EXPECT_EQ(messages.Texts().back(), u"您未选中任何股票！");

    ASSERT_TRUE(Search(u"szcz"));
    ASSERT_EQ(e->GetList().GetItemCount(), 1); // no chart in the editor, even for one match
    EXPECT_TRUE(opened.empty());
    e->GetList().SetChecked(0, 1);
    e->OnEditCommand(0);
    ASSERT_EQ(e->questions.size(), 1u);
    EXPECT_EQ(e->questions[0], u"确定添加这1只股票？");
    EXPECT_EQ(Stored(), "600010.02,399001.01");
    EXPECT_EQ(e->ended.size(), 1u);

    // Back in the list view the stored list's reply is read as a lookup even after a pinyin search.
    int before = e->replies;
    e->OnEditCommand(1);
    EXPECT_EQ(e->IsAddView(), 0);
    ASSERT_TRUE(WaitReplies(before + 1));
    ASSERT_EQ(e->GetList().GetItemCount(), 2);
    EXPECT_EQ(e->RowCode(0), "600010.02");
    EXPECT_EQ(e->RowCode(1), "399001.01");
}

} // namespace

namespace {

TEST_F(EditMyStockTest, AnEditThatCannotBeStoredKeepsTheWindowOpenAndSaysSo)
{
    ASSERT_TRUE(WriteMyQuotes("600010.02,000002.01"));
    Editor* e = Make(CEditMyStockWnd::MODE_EDIT);
    e->Relogin();
    ASSERT_TRUE(WaitReplies(1));
    ASSERT_EQ(e->GetList().GetItemCount(), 2);
    // A directory where the list file goes: every write fails.
    std::string file = home.Path() + "/MyQuotes.dat";
    std::remove(file.c_str());
    std::filesystem::create_directory(file);
    e->GetList().SetChecked(0, 1);
    e->OnEditCommand(4);
    e->OnEditCommand(0);
    EXPECT_TRUE(e->ended.empty());
    ASSERT_FALSE(messages.Texts().empty());
    EXPECT_EQ(messages.Texts().back(), u"自选股保存失败!");
    std::filesystem::remove(file);
}

} // namespace

TEST_F(EditMyStockTest, SavingAnEditKeepsTheStocksTheServerDidNotAnswerAndTheStoredOrder)
{
    // 999999.01 is unknown to the server; the reply comes in the server's order, the rows in the user's.
    ASSERT_TRUE(WriteMyQuotes("000001.02,999999.01,600010.02,000002.01"));
    Editor* e = Make(CEditMyStockWnd::MODE_EDIT);
    e->Relogin();
    ASSERT_TRUE(WaitReplies(1));
    CCheckList& list = e->GetList();
    ASSERT_EQ(list.GetItemCount(), 4);
    EXPECT_EQ(e->RowCode(0), "000001.02");
    EXPECT_EQ(e->RowCode(1), "999999.01");
    EXPECT_EQ(RowText(1), u"999999.01");

    // Deleting one stock saves the rest, the unanswered one included, in the stored order.
    list.SetChecked(3, 1);
    e->OnEditCommand(4);
    e->OnEditCommand(0);
    EXPECT_EQ(Stored(), "000001.02,999999.01,600010.02");
}

TEST_F(EditMyStockTest, TheListSitsInAFramedRoundedBoxThreePixelsWider)
{
    const COLORREF shadow = 0xD2D2D2, fill = 0xF3F3F3;
    for (int mode : {CEditMyStockWnd::MODE_SEARCH, CEditMyStockWnd::MODE_EDIT}) {
        SCOPED_TRACE(mode);
        Editor* w = Make(mode);
        CCheckList& list = w->GetList();
        int left = list.GetPosX(), right = left + list.GetWidth(), middle = list.GetPosY() + list.GetHeight() / 2;
        ASSERT_GT(list.GetHeight(), 40);
        PaintedWindow shown(*w);
        // The box runs 3 pixels beside the list on either side; its shadow 5 more to the right.
        EXPECT_EQ(shown.At(left - 2, middle), fill);
        EXPECT_NE(shown.At(left - 5, middle), fill);
        EXPECT_EQ(shown.At(right + 4, middle), shadow);
        editor.reset();
    }
}
