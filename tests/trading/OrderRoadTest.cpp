// The order road against the stand-in server, case by case: what a refusal or a lost answer leaves on the forms,
// the holder code at the log-in, a new share's subscription, the warrant's amount, the trade tables on the wider
// screen, and nothing filled for one trade account acting once another has logged in, while what acts for no
// account stays as it was.
#include "tests/support/TradingWindows.h"

#include "funds/FundSearchWnd.h"
#include "funds/FundTradeCancelWnd.h"
#include "funds/QuillonTerminateWnd.h"
#include "funds/FundSortWnd.h"
#include "trading/BankTransferWnd.h"
#include "trading/TradeCancelWnd.h"
#include "trading/TradePasswordWnd.h"
#include "trading/WarrantWnd.h"

#include <cstdio>
#include <regex>

namespace {

class OrderRoadTest : public TradingWindowTest {
protected:
    // The owner that confirms whatever confirmation its forms open (the user taps 确定), noting its summary.
    OwnerProbe* ConfirmingUser()
    {
        auto* user = Open<OwnerProbe>();
        user->inModal = [this](CBaseWnd* front) {
            if (auto* confirm = dynamic_cast<CTradeConfirmWnd*>(front)) {
                summary = confirm->DescribeControls();
                confirm->OnActionButton();
            }
        };
        return user;
    }
    // Taps the form's action while user acts in what it opens.
    static void Act(OwnerProbe* user, CFundBaseWnd* form)
    {
        ::PostMessage(user->GetHWND(), WM_ACT_IN_MODAL, 0, 0);
        form->SendMessage(MZ_WM_COMMAND, MAKELONG(ID_COMMAND_BAR, 0), 1);
        PumpMessages();
    }
    CBankTransferWnd* TransferForm(const char16_t* amount)
    {
        auto* transfer = OpenWith<CBankTransferWnd>("tc_mfuncno=600&tc_sfuncno=20");
        transfer->OnActive();
        EXPECT_TRUE(PumpUntil([&] { return transfer->GetBankCount() > 0; }));
        TypeInto(transfer->GetAmountEdit(), amount);
        transfer->GetPasswordEdit()->SetText(u"888888");
        return transfer;
    }

    bool SeesPart(const std::u16string& part)
    {
        for (const std::u16string& text : messages.Texts())
            if (text.find(part) != std::u16string::npos)
                return true;
        return false;
    }

    std::string summary;
};

} // namespace

TEST_F(OrderRoadTest, AfterARefusalOrALostAnswerWhatIsAvailableIsAskedAgainBeforeTheNextOrder)
{
    ASSERT_TRUE(LogIn());
    OwnerProbe* user = ConfirmingUser();
    const std::string code = HeldCode();
    // The server does the order, then answers busy or not at all: the cash shown is no longer true either way.
    struct Case {
        FaultKind fault;
        std::u16string told;
        std::u16string quantityLeft;
    } cases[] = {
        {FAULT_ERROR, u"服务器繁忙，请稍后再试", u"100"},
        {FAULT_CLOSE_MID_BODY, CTradeConfirmWnd::RESULT_UNKNOWN_TEXT, u""},
    };
    for (const Case& c : cases) {
        CTradeBuySaleWnd* form = OrderForm("code=" + code);
        std::u16string cashBefore = form->GetAvailableText();
        TypeInto(form->GetQuantityEdit(), u"100");
        server->http.Faults().Arm(c.fault, 1, 0, std::string(), 600, 6);
        messages.Clear();
        Act(user, form);
        EXPECT_TRUE(SeesPart(c.told)) << (int)c.fault;
        EXPECT_EQ(std::u16string(form->GetQuantityEdit()->GetText()), c.quantityLeft) << (int)c.fault;
        ASSERT_TRUE(PumpUntil([&] { return form->GetAvailableText()[0] != 0; }));
        EXPECT_NE(std::u16string(form->GetAvailableText()), cashBefore) << (int)c.fault << ": asked again";
    }
    // A transfer whose answer is lost may have moved the money: neither its amount nor its password stays.
    CBankTransferWnd* transfer = TransferForm(u"100");
    server->http.Faults().Arm(FAULT_CLOSE_MID_BODY, 1, 0, std::string(), 600, 20);
    Act(user, transfer);
    EXPECT_TRUE(Sees(CTradeConfirmWnd::TRANSFER_UNKNOWN_TEXT));
    EXPECT_EQ(std::u16string(transfer->GetAmountEdit()->GetText()), u"");
    EXPECT_EQ(std::u16string(transfer->GetPasswordEdit()->GetText()), u"");
}

TEST_F(OrderRoadTest, AHolderCodeIsTypedWithItsLetterAndLogsInToItsAccount)
{
    const struct {
        int branch;
        const char16_t* typed;
        const char16_t* password;
        const char* fundId;
    } cases[] = {{0, u"A880012346", u"123456", "880012346"},
                 {0, u"a880012346", u"123456", "880012346"},
                 {1, u"0880012347", u"654321", "880012347"}};
    for (const auto& c : cases) {
        CAppData::Instance()->TradeLogout();
        CQXTradeLoginWnd* login = OpenLogIn();
        login->SelectBranch(c.branch);
        login->SelectAccountType(1);
        TypeInto(login->GetAccountEdit(), c.typed);
        EXPECT_EQ(std::u16string(login->GetAccountEdit()->GetText()), c.typed);
        login->GetPasswordEdit()->SetText(c.password);
        login->OnActionButton();
        ASSERT_TRUE(PumpUntil([&] { return !login->IsLoggingIn(); }));
        EXPECT_STREQ(CAppData::Instance()->GetFundId(nullptr), c.fundId) << GbFromWide(c.typed);
    }
}

TEST_F(OrderRoadTest, ANewSharesSubscriptionTakesTheIssuePriceUpToWhatMayBeBought)
{
    ASSERT_TRUE(LogIn());
    CTradeBuySaleWnd* form = NewShareForm();
    ASSERT_TRUE(form->IsNewShare());
    std::string shown = form->DescribeControls();
    EXPECT_NE(shown.find("申购价格"), std::string::npos) << shown;
    EXPECT_NE(shown.find("申购数量"), std::string::npos) << shown;
    EXPECT_FALSE(form->GetPriceEdit()->CanFocus()) << "the issue price is not typed";
    long long most = atoll(GbFromWide(form->GetLargestText()).c_str());
    ASSERT_GT(most, 0);
    OwnerProbe* user = ConfirmingUser();
    messages.Clear();
    TypeInto(form->GetQuantityEdit(), WideFromGb(std::to_string(most + 500).c_str()));
    Act(user, form);
    EXPECT_TRUE(summary.empty()) << "refused on the form: " << summary;
    EXPECT_TRUE(Sees(u"申购数量超过可买数量（" + WideFromGb(std::to_string(most).c_str()) + u"股）！"));
}

TEST_F(OrderRoadTest, TheWarrantConfirmationShowsWhatTheExercisePays)
{
    ASSERT_TRUE(LogIn());
    auto* form = OpenWith<CWarrantWnd>("tc_mfuncno=600&tc_sfuncno=31");
    form->OnActive();
    ASSERT_TRUE(PumpUntil([&] { return !form->GetWarrants().empty(); }));
    form->SelectWarrant(0);
    const CWarrantWnd::Warrant& w = form->GetWarrants()[0];
    long long quantity = std::min(1000LL, atoll(w.held.c_str()));
    ASSERT_GT(quantity, 0);
    TypeInto(form->GetQuantityEdit(), WideFromGb(std::to_string(quantity).c_str()));
    auto* user = Open<OwnerProbe>();
    user->inModal = [this](CBaseWnd* front) {
        summary = front->DescribeControls();
        front->EndWnd(END_BACK);
    };
    Act(user, form);
    char amount[32];
    snprintf(amount, sizeof amount, "%.2f元", atof(w.price.c_str()) * (double)quantity * atof(w.ratio.c_str()));
    EXPECT_NE(summary.find("行权金额"), std::string::npos) << summary;
    EXPECT_NE(summary.find(amount), std::string::npos) << amount << " in " << summary;
}

TEST_F(OrderRoadTest, PositionsFillTheWiderScreenAndTheirCostPricesReadAlike)
{
    ASSERT_TRUE(LogIn());
    auto* positions = Query<CTradeQueryTableWnd>(POSITIONS);
    CGridList& grid = positions->GetGrid();
    ASSERT_GT(grid.GetRowCount(), 1);
    const struct {
        int mode, columns;
    } turns[] = {{3, 6}, {0, 4}, {2, 6}};
    for (const auto& t : turns) {
        positions->SetScreenMode(t.mode);
        EXPECT_EQ(grid.GetVisibleColumns(), t.columns) << t.mode;
    }
    positions->SetScreenMode(0);
    for (int row = 0; row < grid.GetRowCount(); ++row) {
        std::string cost = GbFromWide(Cell(positions, row, "cbj").c_str());
        EXPECT_TRUE(std::regex_match(cost, std::regex(R"(\d+\.\d{3})"))) << cost;
    }
}

TEST_F(OrderRoadTest, NothingFilledForOneTradeAccountActsOnceAnotherHasLoggedIn)
{
    ASSERT_TRUE(LogIn()); // 880012345
    const std::string code = HeldCode();
    CTradeBuySaleWnd* order = OrderForm("code=" + code);
    TypeInto(order->GetQuantityEdit(), u"100");
    CBankTransferWnd* transfer = TransferForm(u"100");
    auto* password = OpenWith<CTradePasswordWnd>("tc_mfuncno=600&tc_sfuncno=40");
    password->OnActive();
    password->GetOldEdit()->SetText(u"123456");
    password->GetNewEdit()->SetText(u"111111");
    password->GetRepeatEdit()->SetText(u"111111");
    // An open order of the account, in its cancel list, and a confirmation made for it.
    CTradeConfirmWnd* placed = Confirmation("tc_mfuncno=600&tc_sfuncno=6&code=" + code + "&mmlb=0&price=" +
                                            GbFromWide(order->GetPriceEdit()->GetText()) + "&sl=100");
    placed->OnActionButton();
    ASSERT_TRUE(PumpUntil([&] { return placed->GetOutcome() == CTradeConfirmWnd::ACCEPTED; }));
    auto* cancels = Query<CTradeCancelWnd>("tc_mfuncno=600&tc_sfuncno=11&position=poststr&count=20");
    ASSERT_GT(cancels->GetGrid().GetRowCount(), 0);
    CTradeConfirmWnd* cancel = Confirmation(std::string("tc_mfuncno=600&tc_sfuncno=7&wtbh=") + placed->GetOrderNumber());
    // A fund order and a cash product of the account, in the lists that cancel and end them early.
    for (const char* bought :
         {"tc_mfuncno=700&tc_sfuncno=11&ofcode=161101&je=1000", "tc_mfuncno=610&tc_sfuncno=2&cpdm=QL0101&je=50000"}) {
        CTradeConfirmWnd* confirm = Confirmation(bought);
        confirm->OnActionButton();
        ASSERT_TRUE(PumpUntil([&] { return confirm->GetOutcome() == CTradeConfirmWnd::ACCEPTED; })) << bought;
    }
    auto* fundCancels = Query<CFundTradeCancelWnd>("tc_mfuncno=700&tc_sfuncno=16&sign=mmlb&position=poststr&count=20");
    auto* products = Query<CQuillonTerminateWnd>("tc_mfuncno=610&tc_sfuncno=3&sign=mmlb&position=poststr&count=20");
    ASSERT_GT(fundCancels->GetGrid().GetRowCount(), 0);
    ASSERT_GT(products->GetGrid().GetRowCount(), 0);

    CQXTradeLoginWnd* login = OpenLogIn();
    login->SelectBranch(1);
    ASSERT_TRUE(LogIn(login, u"880012347", u"654321"));
    OwnerProbe* user = ConfirmingUser();
    long long requests = server->http.GetRequestCount();
    messages.Clear();
    for (CFundBaseWnd* form : std::vector<CFundBaseWnd*>{order, transfer, password, cancel})
        Act(user, form);
    // Every cancel road checks the account before its confirmation (which the user would confirm).
    for (const std::function<void()>& tap : std::vector<std::function<void()>>{
             [&] { cancels->OnRowTap(0); }, [&] { fundCancels->OnOK(0); }, [&] { products->OnOK(0); }}) {
        ::PostMessage(user->GetHWND(), WM_ACT_IN_MODAL, 0, 0);
        tap();
        ASSERT_TRUE(PumpUntil([] { return true; }));
    }
    EXPECT_TRUE(summary.empty()) << "no confirmation: " << summary;
    EXPECT_EQ(cancel->GetOutcome(), CTradeConfirmWnd::NOT_SENT);
    EXPECT_TRUE(Sees(CFormWnd::ACCOUNT_CHANGED_TEXT));
    EXPECT_FALSE(password->IsSubmitting());
    // The lists show the new account's rows (none), asked again; nothing else went out.
    for (CQueryTableWnd* list : std::vector<CQueryTableWnd*>{cancels, fundCancels, products}) {
        ASSERT_NE(list->GetLastDataSet(), nullptr) << GbFromWide(list->GetMzClassName());
        EXPECT_EQ(list->GetGrid().GetRowCount(), 0) << GbFromWide(list->GetMzClassName());
    }
    EXPECT_EQ(server->http.GetRequestCount(), requests + 3) << "only the lists' own rows";
}

TEST_F(OrderRoadTest, TwoTapsQueuedWhileThePhoneIsBusyOpenOneConfirmation)
{
    ASSERT_TRUE(LogIn());
    CTradeBuySaleWnd* order = OrderForm("code=" + HeldCode());
    TypeInto(order->GetQuantityEdit(), u"100");
    CBankTransferWnd* transfer = TransferForm(u"100");
    auto* user = Open<OwnerProbe>();
    int shown = 0;
    user->inModal = [&](CBaseWnd* front) {
        if (auto* confirm = dynamic_cast<CTradeConfirmWnd*>(front)) {
            ++shown;
            confirm->EndWnd(END_BACK); // the user goes back, and looks at what is in front then
            ::PostMessage(user->GetHWND(), WM_ACT_IN_MODAL, 0, 0);
        }
    };
    for (CFundBaseWnd* form : std::vector<CFundBaseWnd*>{order, transfer}) {
        shown = 0;
        // Both taps' commands wait in the queue before the first is handled.
        for (int tap = 0; tap < 2; ++tap)
            ::PostMessage(form->GetHWND(), MZ_WM_COMMAND, MAKELONG(ID_COMMAND_BAR, 0), 1);
        ::PostMessage(user->GetHWND(), WM_ACT_IN_MODAL, 0, 0);
        PumpMessages();
        EXPECT_EQ(shown, 1) << GbFromWide(form->GetMzClassName());
    }
}

TEST_F(OrderRoadTest, EveryChangeOfAccountIsToldAndWhatActsForNoAccountStaysAsItWas)
{
    ASSERT_TRUE(LogIn()); // 880012345
    auto* user = Open<OwnerProbe>();
    auto* search = OpenWith<CFundSearchWnd>(""); // acts for no account: stays through every change
    search->OnActive();
    // A public list on its second page: the same whoever is logged in, so it stays on the page the user is at.
    auto* ranking = Query<CFundSortWnd>("tc_mfuncno=700&tc_sfuncno=4&sign=zdf&position=poststr&count=20");
    ranking->OnActive();
    ASSERT_EQ(ranking->NextPage(), 1);
    ASSERT_TRUE(PumpUntil([&] { return ranking->GetPositionDepth() == 1; }));
    // Away to the other account and back with no form open, then away again with one.
    const struct {
        int branch;
        const char16_t* account;
        const char16_t* password;
        bool formOpen;
    } next[] = {{1, u"880012347", u"654321", true}, {0, u"880012345", u"123456", false},
                {1, u"880012347", u"654321", true}};
    for (const auto& n : next) {
        CTradePasswordWnd* form = nullptr;
        if (n.formOpen) {
            form = OpenWith<CTradePasswordWnd>("tc_mfuncno=600&tc_sfuncno=40");
            form->OnActive();
        }
        CQXTradeLoginWnd* login = OpenLogIn();
        login->SelectBranch(n.branch);
        ASSERT_TRUE(LogIn(login, n.account, n.password));
        messages.Clear();
        if (form != nullptr) {
            Act(user, form);
            EXPECT_TRUE(Sees(CFormWnd::ACCOUNT_CHANGED_TEXT)) << GbFromWide(n.account);
        }
    }
    search->GetKeyEdit()->SetText(u"110011");
    opened.clear();
    Act(user, search);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].key, "of_jjxx");
    long long requests = server->http.GetRequestCount();
    ranking->OnActive(); // back at the front
    ASSERT_TRUE(PumpUntil([] { return true; }));
    EXPECT_EQ(server->http.GetRequestCount(), requests) << "not asked again";
    EXPECT_EQ(ranking->GetPositionDepth(), 1);
}
