// The trading windows against the stand-in server's simulated brokerage: the trade log-in (right, wrong, locked),
// the order form's look-up and checks, the confirmation sending once, the queries, the bank and password forms,
// and a trade log-out closing the road.
#include "tests/support/TradingWindows.h"

#include <algorithm>

#include "core/ReplyRecordSet.h"
#include "platform/win/Shell.h"
#include "server/DataSetWriter.h"
#include "trading/BankBalanceWnd.h"
#include "trading/BankTransferWnd.h"
#include "trading/NewStockListWnd.h"
#include "trading/SalesDeptSetWnd.h"
#include "trading/TradeBuySaleWnd.h"
#include "trading/TradeCancelWnd.h"
#include "trading/TradeConfirmWnd.h"
#include "trading/TradeHisQueryTableWnd.h"
#include "trading/TradePasswordWnd.h"
#include "trading/TradeQueryTableWnd.h"
#include "trading/TradeWindowMakers.h"
#include "trading/WarrantWnd.h"

#include <cmath>
#include <cstring>
#include <functional>

namespace {

class TradingWindowsTest : public TradingWindowTest {};

} // namespace

TEST_F(TradingWindowsTest, LogInStoresTheAccountAndTellsTheOwnerItsAction)
{
    auto* owner = Open<OwnerProbe>();
    CQXTradeLoginWnd* login = OpenLogIn(owner->GetHWND());
    login->SetPendingAction(5);
    EXPECT_EQ(login->GetBranchIndex(), 0);
    login->SelectBranch(0);
    ASSERT_TRUE(LogIn(login, u"880012345", u"123456"));
    PumpMessages();

    CAppData* app = CAppData::Instance();
    ASSERT_NE(app->GetTradeSession(), nullptr);
    EXPECT_NE(strstr(app->GetTradeSession(), "trdtoken="), nullptr);
    EXPECT_STREQ(app->GetFundId(nullptr), "880012345");
    EXPECT_STREQ(app->GetTradePassword(), "123456");
    EXPECT_EQ(CAppData::tradeLoggedIn.load(), 1);
    EXPECT_EQ(owner->actions, std::vector<int>{5});
    // The field is wiped, and the branch is remembered for the next log-in.
    EXPECT_EQ(std::u16string(login->GetPasswordEdit()->GetText()), u"");
    EXPECT_STREQ(app->GetConfig("Trade_SCCode"), "0101");
}

TEST_F(TradingWindowsTest, ShowTradeLoginRunsAndDeletesItsWindowOnceWhetherTheUserLogsInOrGoesHome)
{
    InstallTradeWindowMakers();
    struct Case {
        WPARAM act; // 0 the caption's home icon, 1 a log-in
        int result;
        std::vector<int> actions;
    } cases[] = {{0, END_HOME, {}}, {1, END_BACK, {6}}};
    for (const Case& c : cases) {
        auto* owner = Open<OwnerProbe>();
        ::PostMessage(owner->GetHWND(), WM_ACT_IN_LOGIN, c.act, 0);
        EXPECT_EQ(CAppData::Instance()->ShowTradeLogin(owner->GetHWND(), 6), c.result);
        PumpUntil([] { return true; });
        EXPECT_EQ(owner->actions, c.actions);
        EXPECT_EQ(owner->closes, 0) << "the log-in window was deleted by ShowTradeLogin, not by its owner";
        EXPECT_EQ(owner->GetActivationResult(), c.result);
    }
    EXPECT_TRUE(CAppData::Instance()->HasTradeAccounts());
    EXPECT_EQ(CAppData::Instance()->ShowTradeLogin(nullptr, 6), -1) << "nothing more once logged in";
}

TEST_F(TradingWindowsTest, AnExpiredSessionAtTradeLogInLogsInSilentlyOnceOrGivesTheFormBack)
{
    // As the first activation does while the log-in is on its way: cancel the worker, then ask again. The reply
    // (session expired, no main session yet) is handed over only after that second ask is queued.
    struct Case {
        bool serverKey; // false: the silent log-in is refused
        bool loggedIn;
        long long requests;
    } cases[] = {{false, false, 2}, {true, true, 3}};
    for (const Case& c : cases) {
        CRsaKeyPair other;
        if (!c.serverKey) {
            ASSERT_EQ(other.Generate(2048), 1);
        }
        (c.serverKey ? ServerTestKeys() : other).ExportPublicKey(home.Path() + "pubkey.bin");
        messages.Clear();
        long long before = server->http.GetRequestCount();
        auto* login = Adopt(new CQXTradeLoginWnd(u"交易登录", nullptr));
        RECT work = WorkRect();
        ASSERT_TRUE(login->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr));
        login->SetDeletedByCreator();
        login->GetAccountEdit()->SetText(u"880012345");
        login->GetPasswordEdit()->SetText(u"123456");
        login->OnActionButton();
        ASSERT_TRUE(login->IsLoggingIn());
        EXPECT_EQ(login->GetWorker()->Cancel(10000), 0u) << "the log-in is answered, not abandoned";
        login->Request();
        ASSERT_TRUE(PumpUntil([&] { return !login->IsLoggingIn(); }));
        EXPECT_EQ(CAppData::Instance()->HasTradeAccounts() != 0, c.loggedIn);
        EXPECT_EQ(server->http.GetRequestCount() - before, c.requests) << "expired, silent log-in, one resend";
        EXPECT_EQ(login->IsReloginPending(), 0);
        EXPECT_TRUE(login->GetCommandBar().IsButtonEnabled(1)) << "the form is usable again";
        EXPECT_EQ(messages.Empty(), c.loggedIn);
    }
}

TEST_F(TradingWindowsTest, WrongPasswordsAreRefusedAndThenTheAccountLocks)
{
    CQXTradeLoginWnd* login = OpenLogIn();
    struct Attempt {
        const char16_t* password;
        const char16_t* shown;
    } attempts[] = {
        {u"111111", u"交易密码错误，还可尝试2次"},
        {u"222222", u"交易密码错误，还可尝试1次"},
        {u"333333", u"密码连续错误3次，账户已锁定，请15分钟后再试"},
    };
    for (const Attempt& a : attempts) {
        messages.Clear();
        EXPECT_FALSE(LogIn(login, u"880012345", a.password));
        EXPECT_TRUE(Sees(a.shown)) << GbFromWide(a.shown);
        EXPECT_EQ(std::u16string(login->GetPasswordEdit()->GetText()), u"") << "a refused password is typed again";
    }
    messages.Clear();
    EXPECT_FALSE(LogIn(login, u"880012345", u"123456"));
    EXPECT_TRUE(SeesStart(u"账户已锁定"));
    EXPECT_EQ(CAppData::Instance()->GetTradePassword(), nullptr);
}

TEST_F(TradingWindowsTest, PasswordFieldsShowDotsEvenToTheAutomation)
{
    CQXTradeLoginWnd* login = OpenLogIn();
    login->GetPasswordEdit()->SetText(u"123456");
    UiDescription seen;
    login->GetPasswordEdit()->Describe(seen);
    EXPECT_EQ(seen.text, u"●●●●●●");
    login->GetPasswordEdit()->WipeText();
    EXPECT_EQ(std::u16string(login->GetPasswordEdit()->GetText()), u"");
}

TEST_F(TradingWindowsTest, OrderFormFillsFromItsParametersAndTheServer)
{
    ASSERT_TRUE(LogIn());
    std::string market;
    std::string code = HeldCode(&market);
    ASSERT_EQ(code.size(), 6u);
    ASSERT_FALSE(market.empty());
    CTradeBuySaleWnd* form =
        OrderForm("code=" + code + "." + market + "&price=12.34&market=" + market + "&type=1&MMLB=1");
    EXPECT_FALSE(form->IsBuy());
    EXPECT_EQ(form->GetMarket(), atoi(market.c_str()));
    EXPECT_EQ(form->GetSecurityType(), 1);
    EXPECT_EQ(GbFromWide(form->GetCodeEdit().GetText()), code);
    EXPECT_EQ(std::u16string(form->GetPriceEdit()->GetText()), u"12.34") << "the opener's price stays";
    EXPECT_NE(std::u16string(form->GetAvailableText()).find(u"股"), std::u16string::npos);
    EXPECT_GT(form->GetLimits().available, 0);
    EXPECT_GT(form->GetLimits().upLimit, form->GetLimits().downLimit);
    for (int level = 0; level < CTradeBuySaleWnd::BOOK_LEVELS; ++level) {
        EXPECT_EQ(std::u16string(form->GetBookText(true, level)).find(u"卖" + std::u16string(1, u'1' + level)), 0u);
        EXPECT_EQ(std::u16string(form->GetBookText(false, level)).find(u"--"), std::u16string::npos);
    }

    // Without MMLB it buys; the price is the last one when the opener gave none.
    CTradeBuySaleWnd* buy = OrderForm("code=" + code);
    EXPECT_TRUE(buy->IsBuy());
    EXPECT_NE(std::u16string(buy->GetPriceEdit()->GetText()), u"");
    EXPECT_NE(std::u16string(buy->GetAvailableText()).find(u"元"), std::u16string::npos);
}

TEST_F(TradingWindowsTest, OrderFormRefusesBadOrdersWithAClearMessage)
{
    ASSERT_TRUE(LogIn());
    std::string code = HeldCode();
    CTradeBuySaleWnd* sell = OrderForm("code=" + code + "&MMLB=1");
    CTradeBuySaleWnd* buy = OrderForm("code=" + code + "&MMLB=0");
    long long held = sell->GetLimits().available;
    char up[32];
    snprintf(up, sizeof up, "%.2f", buy->GetLimits().upLimit + 1);
    struct Case {
        CTradeBuySaleWnd* form;
        std::string price, quantity;
        std::u16string start;
    } cases[] = {
        {buy, "x", "100", u"委托价格必须是数字"},
        {buy, "0", "100", u"委托价格必须大于零"},
        {buy, up, "100", u"委托价格超出涨跌停限制"},
        {buy, "", "100", u"请输入委托价格"},
        {buy, GbFromWide(buy->GetPriceEdit()->GetText()), "150", u"买入数量必须为100股的整数倍"},
        {buy, GbFromWide(buy->GetPriceEdit()->GetText()), "99999900", u"可用资金不足"},
        {sell, GbFromWide(sell->GetPriceEdit()->GetText()), std::to_string(held + 100), u"卖出数量超过可卖数量"},
        {sell, GbFromWide(sell->GetPriceEdit()->GetText()), "-5", u"委托数量必须大于零"},
    };
    for (const Case& c : cases) {
        messages.Clear();
        c.form->GetPriceEdit()->SetText(WideFromGb(c.price.c_str()).c_str());
        c.form->GetQuantityEdit()->SetText(WideFromGb(c.quantity.c_str()).c_str());
        c.form->OnActionButton();
        EXPECT_TRUE(SeesStart(c.start)) << GbFromWide(c.start.c_str());
    }
    // Another code typed in: nothing goes before its limits are known.
    messages.Clear();
    buy->GetCodeEdit().SetText(u"000000");
    buy->OnActionButton();
    EXPECT_TRUE(SeesStart(u"正在查询证券信息"));
}

TEST_F(TradingWindowsTest, TheLargestBuyFollowsTheTypedPriceAndAClearedCodeClearsTheStock)
{
    ASSERT_TRUE(LogIn());
    CTradeBuySaleWnd* form = OrderForm("code=" + HeldCode());
    const long long cashFen = llround(form->GetLimits().cash * 100);
    char up[16], down[16];
    snprintf(up, sizeof up, "%.2f", form->GetLimits().upLimit);
    snprintf(down, sizeof down, "%.2f", form->GetLimits().downLimit);
    for (const char* price : {up, down}) {
        TypeInto(form->GetPriceEdit(), WideFromGb(price));
        long long lots = cashFen * 10 / (llround(atof(price) * 1000) * 100);
        EXPECT_EQ(std::u16string(form->GetLargestText()), WideFromGb(std::to_string(lots * 100).c_str()) + u"股")
            << price;
    }
    TypeInto(form->GetPriceEdit(), u"abc");
    EXPECT_EQ(std::u16string(form->GetLargestText()), u"") << "no figure for a price that is not one";

    // What is typed stays as typed, for the check to refuse.
    for (const char16_t* typed : {u"1e309", u"0x10", u"１００"}) {
        TypeInto(form->GetQuantityEdit(), typed);
        EXPECT_EQ(std::u16string(form->GetQuantityEdit()->GetText()), typed);
    }
    ASSERT_NE(form->GetNameText()[0], 0);
    form->GetCodeEdit().OnChar(8);
    PumpMessages();
    EXPECT_EQ(std::u16string(form->GetNameText()), u"");
    EXPECT_EQ(std::u16string(form->GetAvailableText()), u"");
}

TEST_F(TradingWindowsTest, OrderFormRefusesWhatTheServerWouldRefuseBeforeTheConfirmation)
{
    ASSERT_TRUE(LogIn());
    std::string code = HeldCode();
    std::string halted;
    for (const CSecurity& s : server->functions.Market().Securities())
        if (s.suspended && s.type == KIND_STOCK && s.market != MARKET_HONG_KONG && halted.empty())
            halted = s.code;
    ASSERT_FALSE(halted.empty());
    CTradeBuySaleWnd* buy = OrderForm("code=" + code);
    CTradeBuySaleWnd* sell = OrderForm("code=" + code + "&MMLB=1");
    CTradeBuySaleWnd* suspended = OrderForm("code=" + halted);
    auto* unknown = OpenWith<CTradeBuySaleWnd>("code=999999");
    unknown->OnActive();
    ASSERT_TRUE(PumpUntil([&] { return !unknown->IsLookingUp(); }));
    ASSERT_GT(sell->GetLimits().available, 100);
    std::u16string price = buy->GetPriceEdit()->GetText();
    struct Case {
        CTradeBuySaleWnd* form;
        std::u16string price, quantity, shown;
    } cases[] = {
        {buy, price + u"1", u"100", u"委托价格最多两位小数！"},
        {sell, price, u"50", u"卖出数量必须为100股的整数倍！"},
        {suspended, price, u"100", u"该证券停牌，不能交易！"},
        {unknown, price, u"100", u"证券代码不存在！"},
        {buy, price, u"1e309", u"委托数量必须是整数！"},
        {buy, price, u"１００", u"委托数量必须是整数！"},
        {buy, price, u"0", u"委托数量必须大于零！"},
        {buy, price, u"-100", u"委托数量必须大于零！"},
        {buy, u"0x10", u"100", u"委托价格必须是数字！"},
    };
    // An order that passes the form's checks opens the confirmation: the user goes back, and the case fails.
    auto* user = Open<OwnerProbe>();
    bool confirmed = false;
    user->inModal = [&](CBaseWnd* front) {
        if (auto* confirm = dynamic_cast<CTradeConfirmWnd*>(front)) {
            confirmed = true;
            confirm->EndWnd(END_BACK);
        }
    };
    for (const Case& c : cases) {
        messages.Clear();
        confirmed = false;
        TypeInto(c.form->GetPriceEdit(), c.price);
        TypeInto(c.form->GetQuantityEdit(), c.quantity);
        ::PostMessage(user->GetHWND(), WM_ACT_IN_MODAL, 0, 0);
        c.form->OnActionButton();
        PumpMessages();
        EXPECT_FALSE(confirmed) << GbFromWide(c.shown.c_str()) << ": reached the confirmation";
        EXPECT_TRUE(SeesStart(c.shown)) << GbFromWide(c.shown.c_str());
    }
}

TEST_F(TradingWindowsTest, APassingFaultOnTheLookUpDoesNotStickToTheCode)
{
    ASSERT_TRUE(LogIn());
    CTradeBuySaleWnd* form = OrderForm("code=" + HeldCode());
    // The server refuses one look-up for a passing reason.
    std::string refusal = ErrorSet(GbFromWide(u"系统繁忙"));
    form->OnReply((const BYTE*)refusal.data(), (int)refusal.size(), 0);
    ASSERT_EQ(std::u16string(form->GetNameText()), u"");
    // 买入 tells the refusal once and asks again; the stock then shows and the order can go on.
    TypeInto(form->GetQuantityEdit(), u"100");
    messages.Clear();
    form->OnActionButton();
    EXPECT_TRUE(SeesStart(u"系统繁忙！"));
    ASSERT_TRUE(PumpUntil([&] { return form->GetNameText()[0] != 0; }));
    auto told = std::count_if(messages.shown.begin(), messages.shown.end(),
                              [](const auto& m) { return m.text.find(u"系统繁忙") != std::u16string::npos; });
    EXPECT_EQ(told, 1) << "the quiet look-up does not tell it again";
}

TEST_F(TradingWindowsTest, WhenTheAnswerIsLostTheFormPointsWhereToLookAndAsksWhatIsAvailableAgain)
{
    ASSERT_TRUE(LogIn());
    auto* user = Open<OwnerProbe>();
    user->inModal = [](CBaseWnd* front) {
        if (auto* confirm = dynamic_cast<CTradeConfirmWnd*>(front))
            confirm->OnActionButton(); // 确定
    };
    // The order goes through but its answer is lost: the cash shown must be asked again.
    CTradeBuySaleWnd* form = OrderForm("code=" + HeldCode());
    std::u16string cashBefore = form->GetAvailableText();
    TypeInto(form->GetQuantityEdit(), u"100");
    server->http.Faults().Arm(FAULT_CLOSE_MID_BODY, 1, 0, std::string(), 600, 6);
    ::PostMessage(user->GetHWND(), WM_ACT_IN_MODAL, 0, 0);
    form->OnActionButton();
    EXPECT_TRUE(Sees(CTradeConfirmWnd::RESULT_UNKNOWN_TEXT));
    EXPECT_EQ(std::u16string(form->GetQuantityEdit()->GetText()), u"") << "not offered a second time";
    ASSERT_TRUE(PumpUntil([&] { return form->GetAvailableText()[0] != 0; }));
    EXPECT_NE(std::u16string(form->GetAvailableText()), cashBefore) << "the server froze the order's money";

    // A transfer whose answer is lost points at the transfers, not at the day's orders.
    auto* transfer = OpenWith<CBankTransferWnd>("tc_mfuncno=600&tc_sfuncno=20");
    transfer->Request();
    ASSERT_TRUE(PumpUntil([&] { return transfer->GetBankCount() > 0; }));
    TypeInto(transfer->GetAmountEdit(), u"100");
    transfer->GetPasswordEdit()->SetText(u"888888");
    server->http.Faults().Arm(FAULT_CLOSE_MID_BODY, 1, 0, std::string(), 600, 20);
    messages.Clear();
    ::PostMessage(user->GetHWND(), WM_ACT_IN_MODAL, 0, 0);
    transfer->OnActionButton();
    EXPECT_TRUE(Sees(CTradeConfirmWnd::TRANSFER_UNKNOWN_TEXT));
    EXPECT_FALSE(Sees(CTradeConfirmWnd::RESULT_UNKNOWN_TEXT));
}

TEST_F(TradingWindowsTest, ANewSharesSubscriptionShowsNoBookAndConfirmsAsASubscription)
{
    ASSERT_TRUE(LogIn());
    CTradeBuySaleWnd* form = NewShareForm();
    EXPECT_TRUE(form->IsNewShare());
    EXPECT_FALSE(form->IsBookShown()) << "a new share has no market yet";
    CTradeBuySaleWnd* stock = OrderForm("code=" + HeldCode());
    EXPECT_TRUE(stock->IsBookShown());

    auto* user = Open<OwnerProbe>();
    std::u16string caption;
    user->inModal = [&](CBaseWnd* front) {
        if (auto* confirm = dynamic_cast<CTradeConfirmWnd*>(front)) {
            caption = confirm->GetCaption();
            confirm->EndWnd(END_BACK); // the user goes back without sending
        }
    };
    TypeInto(form->GetQuantityEdit(), u"500");
    ::PostMessage(user->GetHWND(), WM_ACT_IN_MODAL, 0, 0);
    form->OnActionButton();
    EXPECT_EQ(caption, u"申购确认");
}

TEST_F(TradingWindowsTest, ConfirmationSendsTheOrderOnceAndReportsItsNumber)
{
    ASSERT_TRUE(LogIn());
    std::string code = HeldCode();
    CTradeBuySaleWnd* form = OrderForm("code=" + code);
    std::string price = GbFromWide(form->GetPriceEdit()->GetText());
    CTradeConfirmWnd* confirm =
        Confirmation("tc_mfuncno=600&tc_sfuncno=6&code=" + code + "&mmlb=0&price=" + price + "&sl=100");
    EXPECT_EQ(confirm->keep, 0) << "never resent after a transport failure";
    confirm->OnActionButton();
    confirm->OnActionButton(); // a second tap while the first is under way
    EXPECT_TRUE(confirm->IsSubmitting());
    ASSERT_TRUE(PumpUntil([&] { return !confirm->IsSubmitting(); }));
    EXPECT_EQ(confirm->GetOutcome(), CTradeConfirmWnd::ACCEPTED);
    std::string number = confirm->GetOrderNumber();
    EXPECT_FALSE(number.empty());
    confirm->OnActionButton(); // and one after the answer
    PumpUntil([] { return true; });

    auto* orders = Query<CTradeQueryTableWnd>(ORDERS);
    ASSERT_EQ(orders->GetGrid().GetRowCount(), 1);
    EXPECT_EQ(GbFromWide(Cell(orders, 0, "wtbh").c_str()), number);
    EXPECT_EQ(Cell(orders, 0, "mmlb"), u"买入");
}

TEST_F(TradingWindowsTest, ConfirmationWhoseAnswerIsLostSaysTheResultIsUnknown)
{
    ASSERT_TRUE(LogIn());
    CTradeConfirmWnd* confirm = Confirmation("tc_mfuncno=600&tc_sfuncno=6&code=600000&mmlb=0&price=1&sl=100");
    server->http.Stop();
    confirm->OnActionButton();
    ASSERT_TRUE(PumpUntil([&] { return !confirm->IsSubmitting(); }));
    EXPECT_EQ(confirm->GetOutcome(), CTradeConfirmWnd::UNKNOWN);
    EXPECT_TRUE(Sees(u"委托结果未知，请查询当日委托"));
}

TEST_F(TradingWindowsTest, ServerRefusalIsShownAndCountsAsRefused)
{
    ASSERT_TRUE(LogIn());
    CTradeConfirmWnd* confirm = Confirmation("tc_mfuncno=600&tc_sfuncno=7&wtbh=999999");
    confirm->OnActionButton();
    ASSERT_TRUE(PumpUntil([&] { return !confirm->IsSubmitting(); }));
    EXPECT_EQ(confirm->GetOutcome(), CTradeConfirmWnd::REFUSED);
    EXPECT_TRUE(Sees(u"委托不存在"));
}

TEST_F(TradingWindowsTest, AfterTradeLogOutNoTradingWindowActs)
{
    ASSERT_TRUE(LogIn());
    std::string code = HeldCode();
    CTradeBuySaleWnd* form = OrderForm("code=" + code);
    auto* password = OpenWith<CTradePasswordWnd>("tc_mfuncno=600&tc_sfuncno=40");
    CTradeConfirmWnd* confirm = Confirmation("tc_mfuncno=600&tc_sfuncno=6&code=" + code + "&mmlb=0&price=1&sl=100");
    auto* positions = OpenWith<CTradeQueryTableWnd>(POSITIONS, true);
    CAppData::Instance()->TradeLogout();
    messages.Clear();

    form->GetQuantityEdit()->SetText(u"100");
    form->OnActionButton();
    password->OnActionButton();
    confirm->OnActionButton();
    EXPECT_FALSE(confirm->IsSubmitting());
    char text[CNetWnd::REQUEST_CAPACITY];
    EXPECT_EQ(positions->ComposeRequest(-1, 0, text, sizeof text), 0);
    int refusals = 0;
    for (const auto& shown : messages.shown)
        refusals += shown.text == u"请先登录交易系统！" ? 1 : 0;
    EXPECT_EQ(refusals, 3);
}

TEST_F(TradingWindowsTest, PasswordChangeChecksTheFieldsThenTheNewPasswordLogsIn)
{
    ASSERT_TRUE(LogIn());
    auto* form = OpenWith<CTradePasswordWnd>("tc_mfuncno=600&tc_sfuncno=40");
    struct Case {
        const char16_t *old, *fresh, *again, *shown;
    } cases[] = {
        {u"", u"654321", u"654321", u"请输入原密码！"},
        {u"123456", u"6543", u"6543", u"新密码必须为6位数字！"},
        {u"123456", u"654321", u"654320", u"两次输入的新密码不一致！"},
        {u"123456", u"123456", u"123456", u"新密码不能与原密码相同！"},
        {u"000000", u"654321", u"654321", u"原密码错误"},
        {u"123456", u"654321", u"654321", u"密码修改成功！"},
    };
    for (const Case& c : cases) {
        messages.Clear();
        form->GetOldEdit()->SetText(c.old);
        form->GetNewEdit()->SetText(c.fresh);
        form->GetRepeatEdit()->SetText(c.again);
        form->OnActionButton();
        ASSERT_TRUE(PumpUntil([&] { return !form->IsSubmitting(); }));
        EXPECT_TRUE(SeesStart(c.shown)) << GbFromWide(c.shown);
    }
    EXPECT_STREQ(CAppData::Instance()->GetTradePassword(), "654321");
    EXPECT_EQ(std::u16string(form->GetNewEdit()->GetText()), u"") << "wiped once sent";

    CAppData::Instance()->TradeLogout();
    EXPECT_FALSE(LogIn(u"880012345", u"123456"));
    EXPECT_TRUE(LogIn(u"880012345", u"654321"));
}

TEST_F(TradingWindowsTest, BankFormsListTheAccountsBanksAndTheBalance)
{
    ASSERT_TRUE(LogIn());
    auto* balance = OpenWith<CBankBalanceWnd>("tc_mfuncno=600&tc_sfuncno=21");
    balance->Request();
    ASSERT_TRUE(PumpUntil([&] { return balance->GetBankCount() > 0; }));
    balance->GetPasswordEdit()->SetText(u"888888");
    balance->OnActionButton();
    ASSERT_TRUE(PumpUntil([&] { return balance->GetBalanceText()[0] != 0; }));
    EXPECT_NE(std::u16string(balance->GetBalanceText()).find(u"人民币"), std::u16string::npos);
    EXPECT_EQ(std::u16string(balance->GetPasswordEdit()->GetText()), u"");

    auto* transfer = OpenWith<CBankTransferWnd>("tc_mfuncno=600&tc_sfuncno=20");
    transfer->Request();
    ASSERT_TRUE(PumpUntil([&] { return transfer->GetBankCount() > 0; }));
    struct Case {
        const char16_t *amount, *password, *shown;
    } cases[] = {
        {u"", u"888888", u"请输入金额！"},
        {u"abc", u"888888", u"金额必须是数字，最多两位小数！"},
        {u"6000000", u"888888", u"金额不能超过5000000.00元！"},
        {u"100", u"", u"请输入银行密码！"},
    };
    for (const Case& c : cases) {
        messages.Clear();
        transfer->GetAmountEdit()->SetText(c.amount);
        transfer->GetPasswordEdit()->SetText(c.password);
        transfer->OnActionButton();
        EXPECT_TRUE(Sees(c.shown)) << GbFromWide(c.shown);
    }
}

TEST_F(TradingWindowsTest, QueriesNewSharesWarrantsAndHistoryComeFromTheAccount)
{
    ASSERT_TRUE(LogIn());
    auto* issues = OpenWith<CNewStockListWnd>("tc_mfuncno=600&tc_sfuncno=30");
    issues->Request();
    ASSERT_TRUE(PumpUntil([&] { return !issues->GetIssues().empty(); }));
    EXPECT_EQ(issues->Subscribe(0), 1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].key, "buysale");
    EXPECT_EQ(opened[0].params.rfind("code=" + issues->GetIssues()[0].code + "&price=", 0), 0u);
    EXPECT_NE(opened[0].params.find("&MMLB=0"), std::string::npos);

    auto* warrants = OpenWith<CWarrantWnd>("tc_mfuncno=600&tc_sfuncno=31");
    warrants->Request();
    ASSERT_TRUE(PumpUntil([&] { return !warrants->GetWarrants().empty(); }));
    long long held = atoll(GbFromWide(warrants->GetHeldText()).c_str());
    EXPECT_GT(held, 0);
    messages.Clear();
    warrants->GetQuantityEdit()->SetText(WideFromGb(std::to_string(held + 1).c_str()).c_str());
    warrants->OnActionButton();
    EXPECT_TRUE(SeesStart(u"行权数量超过可行权数量"));
    // Any whole number up to what is held goes to the confirmation: an exercise knows no round lots.
    auto* user = Open<OwnerProbe>();
    std::u16string confirmed;
    user->inModal = [&](CBaseWnd* front) {
        if (auto* confirm = dynamic_cast<CTradeConfirmWnd*>(front)) {
            confirmed = confirm->GetCaption();
            confirm->EndWnd(END_BACK);
        }
    };
    messages.Clear();
    warrants->GetQuantityEdit()->SetText(u"150");
    ::PostMessage(user->GetHWND(), WM_ACT_IN_MODAL, 0, 0);
    warrants->OnActionButton();
    EXPECT_EQ(confirmed, u"行权确认") << "refused on the form";
    user->inModal = nullptr;

    // Deals, five a page: forward and back by the server's position; then orders, with their own columns.
    auto* history =
        OpenWith<CTradeHisQueryTableWnd>("tc_mfuncno=600&tc_sfuncno=13&sign=mmlb&position=poststr&count=5", true);
    history->SetRange("20251001", "20251208", 1);
    history->Request();
    ASSERT_TRUE(PumpUntil([&] { return history->GetLastDataSet() != nullptr; }));
    ASSERT_EQ(history->GetGrid().GetRowCount(), 5);
    EXPECT_GE(history->GetColumnIndex("cjbh"), 0);
    std::u16string first = Cell(history, 0, "cjbh");
    CDataSet* page = history->GetLastDataSet();
    ASSERT_EQ(history->NextPage(), 1);
    ASSERT_TRUE(PumpUntil([&] { return history->GetLastDataSet() != page; }));
    EXPECT_GT(history->GetGrid().GetRowCount(), 0);
    EXPECT_NE(Cell(history, 0, "cjbh"), first);
    page = history->GetLastDataSet();
    ASSERT_EQ(history->PrevPage(), 1);
    ASSERT_TRUE(PumpUntil([&] { return history->GetLastDataSet() != page; }));
    EXPECT_EQ(Cell(history, 0, "cjbh"), first);
    EXPECT_EQ(history->GetGrid().GetCell(-1, 0), nullptr);

    history->SetRange("20251001", "20251208", 0);
    history->Reload();
    page = history->GetLastDataSet();
    ASSERT_TRUE(PumpUntil([&] { return history->GetLastDataSet() != page; }));
    EXPECT_LT(history->GetColumnIndex("cjbh"), 0);
    EXPECT_GE(history->GetColumnIndex("cdsl"), 0);
    EXPECT_EQ(history->GetGrid().GetColumnCount(), history->GetLastDataSet()->GetFieldCount() - 1)
        << "headings of the orders, not of the deals";
}

TEST_F(TradingWindowsTest, BranchOfficesComeFromTheServerAndAreKeptInTheFile)
{
    SaveBranchOffices({});
    auto* offices = OpenWith<CSalesDeptSetWnd>("");
    offices->Request();
    ASSERT_TRUE(PumpUntil([&] { return offices->GetServerOfficeCount() > 0; }));
    offices->SetCurSel(1);
    EXPECT_EQ(offices->AddChosen(), 1);
    EXPECT_EQ(offices->AddChosen(), 0) << "once on the list";
    offices->SetCurSel(0);
    EXPECT_EQ(offices->AddChosen(), 1);
    std::vector<BranchOffice> kept = LoadBranchOffices();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].code, "0102");
    EXPECT_EQ(kept[1].code, "0101");
    EXPECT_EQ(offices->RemoveAt(0), 1);
    EXPECT_EQ(offices->RemoveAt(5), 0);
    kept = LoadBranchOffices();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].name, GbFromWide(u"北京金融街营业部"));
}

TEST_F(TradingWindowsTest, TheUsersBranchOfficesStayInViewBesideTheOpenListWhenThePhoneTurns)
{
    ASSERT_TRUE(CAppData::Instance()->SetConfig("Screen_Mode", "4", 0)); // follow the phone
    SaveBranchOffices({});
    auto* offices = OpenWith<CSalesDeptSetWnd>("");
    offices->ShowChild(-1, "", "", TRUE, TRUE);
    PumpMessages();
    for (int orientation : {2, 0}) {
        SimulateAccelerometer(orientation);
        PumpMessages();
        ASSERT_EQ(offices->GetWidth() > offices->GetHeight(), orientation == 2);
        RECT view = offices->GetContentPanel().GetRect();
        RECT list = offices->GetMyList().GetRect();
        RECT dropDown = offices->GetList().GetRect();
        RECT overlap;
        EXPECT_TRUE(list.top >= view.top && list.bottom <= view.bottom && list.right <= view.right)
            << orientation << ": " << list.top << ".." << list.bottom << " in " << view.top << ".." << view.bottom;
        EXPECT_GE(list.bottom - list.top, 100) << orientation; // two rows at least
        EXPECT_FALSE(IntersectRect(&overlap, &list, &dropDown)) << orientation;
    }
    // Its label reads on the window's white ground.
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 720, 720);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT label = offices->GetMyLabel().GetRect();
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(dc, &label, white);
    DeleteObject(white);
    offices->GetMyLabel().PaintWin(dc, &label, &label);
    int inked = 0;
    for (int y = label.top; y < label.bottom; ++y)
        for (int x = label.left; x < label.right; ++x)
            inked += GetPixel(dc, x, y) != RGB(255, 255, 255);
    EXPECT_GT(inked, 100);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}
