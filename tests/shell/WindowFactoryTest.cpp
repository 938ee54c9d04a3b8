// The window factory on the headless screen: key matching, the keys handled in place, keys whose screens are not
// part of the build, and what a made window receives before and while it is shown.
#include "shell/WindowFactory.h"

#include "tests/support/WindowFixture.h"
#include "core/TextHelpers.h"
#include "shell/BaseWnd.h"

#include <string>
#include <vector>

namespace {

struct Made {
    std::u16string title;
    HWND parent = nullptr;
    int extra = -1;
    bool initBeforeCreate = false;
    int initMenuId = 0;
    std::string initParams;
    int showAnimation = 0;
    int hideAnimation = 0;
    int made = 0;
    int initCalls = 0;
};
Made last;

// Ends itself with result 2 on its first activation.
class EndingWnd : public CBaseWnd {
public:
    EndingWnd(LPCWSTR title, HWND owner) : CBaseWnd(title, owner) {}
    LPCWSTR GetMzClassName() override { return u"TestEndingWnd"; }
    int OnInitParam(int menuId, const char* info, const char* params) override
    {
        if (++last.initCalls > 1)
            return 0; // the show hands them over again
        last.initBeforeCreate = m_hWnd == nullptr;
        last.initMenuId = menuId;
        last.initParams = params != nullptr ? params : "";
        (void)info;
        return 0;
    }
    void OnActive() override
    {
        CBaseWnd::OnActive();
        last.showAnimation = GetShowAnimation();
        last.hideAnimation = GetHideAnimation();
        if (!ended) {
            ended = true;
            PostMessage(WM_END_WND, 0, END_RETURN);
        }
    }
    bool ended = false;
};

CBaseWnd* MakeEnding(LPCWSTR title, HWND parent, int extra)
{
    last.title = title;
    last.parent = parent;
    last.extra = extra;
    ++last.made;
    return new EndingWnd(title, parent);
}

CBaseWnd* MakeNothing(LPCWSTR, HWND, int)
{
    return nullptr;
}

} // namespace

class WindowFactoryTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        last = Made{};
        int count = 0;
        const WindowKey* keys = CWindowFactory::GetKeys(&count);
        for (int i = 0; i < count; ++i)
            CWindowFactory::SetMaker(keys[i].className, nullptr);
        owner = new EndingWnd(u"owner", nullptr);
        RECT work = WorkRect();
        ASSERT_TRUE(owner->Create(work.left, work.top, work.right - work.left, work.bottom - work.top));
        owner->Show();
    }
    void TearDown() override
    {
        int count = 0;
        const WindowKey* keys = CWindowFactory::GetKeys(&count);
        for (int i = 0; i < count; ++i)
            CWindowFactory::SetMaker(keys[i].className, nullptr);
        CWindowFactory::SetUpdateRunner(nullptr);
        PumpMessages();
        delete owner;
        WindowTest::TearDown();
    }
    int Open(const char* key, const char* title = "T", int menuId = 5, const char* params = "a=1")
    {
        return CWindowFactory::OpenWindow(key, menuId, title, "", params, 0, owner->m_hWnd);
    }

    EndingWnd* owner = nullptr;
};

TEST_F(WindowFactoryTest, KeysMatchWithoutCaseButWithTheirExactLengthAndBackIsHandledInPlace)
{
    ASSERT_TRUE(CWindowFactory::SetMaker("CStockDetaiPriceWnd", MakeEnding));
    EXPECT_EQ(Open("xxhq"), END_RETURN);
    EXPECT_EQ(Open("XxHQ"), END_RETURN);
    EXPECT_EQ(last.made, 2);
    EXPECT_EQ(Open("xxhq "), -1);
    EXPECT_EQ(Open("xxh"), -1);
    EXPECT_EQ(Open(""), -1);
    EXPECT_EQ(last.made, 2);
    EXPECT_EQ(CWindowFactory::OpenWindow(nullptr, -1, "T", "", "", 0, owner->m_hWnd), 1);
    EXPECT_EQ(Open("BACK"), 1);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(CWindowFactory::SetMaker("CNoSuchWnd", MakeEnding));
}

TEST_F(WindowFactoryTest, EveryKeyOfTheTableIsKnownAndTwoKeysShareTheMenuClass)
{
    int count = 0;
    const WindowKey* keys = CWindowFactory::GetKeys(&count);
    EXPECT_EQ(count, 48);
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(CWindowFactory::FindKey(keys[i].key), &keys[i]) << keys[i].key;
    ASSERT_TRUE(CWindowFactory::SetMaker("CQXMenuWnd", MakeEnding));
    EXPECT_EQ(Open("collist"), END_RETURN);
    EXPECT_EQ(Open("lczq"), END_RETURN);
    EXPECT_EQ(last.made, 2);
    EXPECT_EQ(CWindowFactory::FindKey("update"), nullptr);
    EXPECT_EQ(CWindowFactory::FindKey("bbxx"), nullptr);
}

TEST_F(WindowFactoryTest, AKeyWhoseScreenIsNotBuiltSaysSoAndCountsAsBack)
{
    EXPECT_EQ(Open("pxhq"), 1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, u"该功能暂未开放！");
    // A maker that cannot make the window is a failure, and nothing is shown.
    ASSERT_TRUE(CWindowFactory::SetMaker("CQXStockTableWnd", MakeNothing));
    EXPECT_EQ(Open("pxhq"), -1);
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(WindowFactoryTest, MadeWindowsGetTitleOwnerAnimationsAndOnlyTradeQueriesTheirParametersBeforeCreation)
{
    ASSERT_TRUE(CWindowFactory::SetMaker("CGlobalIndexWnd", MakeEnding));
    ASSERT_TRUE(CWindowFactory::SetMaker("CTradeQueryTableWnd", MakeEnding));
    ASSERT_TRUE(CWindowFactory::SetMaker("CTradeCancelWnd", MakeEnding));
    EXPECT_EQ(Open("sjzs", WideToAnsiString(u"世界指数").c_str()), END_RETURN);
    EXPECT_EQ(last.title, u"世界指数");
    EXPECT_EQ(last.parent, owner->m_hWnd);
    EXPECT_EQ(last.showAnimation, 12);
    EXPECT_EQ(last.hideAnimation, 11);
    EXPECT_FALSE(last.initBeforeCreate);

    for (const char* key : {"tradequery", "wtcd"}) {
        last = Made{};
        EXPECT_EQ(Open(key, "q", 42, "tc_mfuncno=1"), END_RETURN);
        EXPECT_TRUE(last.initBeforeCreate) << key;
        EXPECT_EQ(last.initMenuId, 42);
        EXPECT_EQ(last.initParams, "tc_mfuncno=1");
    }
}

TEST_F(WindowFactoryTest, FundKeysPassTheirModeAndTheRiskNoticeKeepsItsOwnTitle)
{
    ASSERT_TRUE(CWindowFactory::SetMaker("CFundRgSgWnd", MakeEnding));
    ASSERT_TRUE(CWindowFactory::SetMaker("CFundRiskAnnounceWnd", MakeEnding));
    Open("of_jjrg");
    EXPECT_EQ(last.extra, 1);
    Open("of_jjsg");
    EXPECT_EQ(last.extra, 0);
    Open("of_jjkhfxts", "caller");
    EXPECT_EQ(last.title, u"基金开户风险提示");
}

TEST_F(WindowFactoryTest, InPlaceKeysTellAboutTradingTheVersionAndTheUpdate)
{
    EXPECT_EQ(Open("tradeexit"), 1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, u"您尚未登录交易系统！");
    EXPECT_EQ(messages.shown[0].milliseconds, 2000);

    CAppData* app = CAppData::Instance();
    ASSERT_TRUE(app->SetConfig("System_Version", "3.2.5", 0));
    EXPECT_EQ(Open("bbxx"), 1);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text, u"Korvat证券WinCE(M8)版\n当前软件版本:3.2.5");
    EXPECT_EQ(messages.shown[1].caption, u"About");

    app->SetVersion("3.2.5");
    EXPECT_EQ(Open("update"), 1);
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[2].text, u"已是最新版本，不需要升级！");
    EXPECT_EQ(messages.shown[2].caption, u"提示");

    static int updates = 0;
    CWindowFactory::SetUpdateRunner([](HWND) { ++updates; });
    app->SetVersion("3.3.0");
    EXPECT_EQ(Open("update"), 1);
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(messages.shown.size(), 3u);
}
