#include "trading/QXTradeLoginWnd.h"

#include "core/AppData.h"
#include "core/DataSet.h"
#include "core/ReplyRecordSet.h"
#include "core/TextHelpers.h"
#include "platform/win/WinUser.h"
#include "shell/PopMenuWnd.h"
#include "shell/WndMessages.h"
#include "trading/TradeText.h"
#include "platform/win/SecureMemory.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int ACCOUNT_MAX_CHARS = 20;
constexpr int PASSWORD_MAX_CHARS = 12; // room for any password the brokerage takes (its own are 6 digits)
const WCHAR* const ACCOUNT_TYPES[2] = {u"资金账号", u"股东账号"};

// ASCII letters and digits only.
bool IsHolderCode(const std::string& text)
{
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
            return false;
    return !text.empty();
}

} // namespace

CQXTradeLoginWnd::CQXTradeLoginWnd(LPCWSTR title, HWND ownerWnd) : CFormWnd(title, ownerWnd)
{
    wndType = WND_TYPE_TRADE_LOGIN;
    actionLabel = u"登录";
    top = 40;
    bindsTradeAccount = false; // it is where the account changes
}

CQXTradeLoginWnd::~CQXTradeLoginWnd() = default;

LPCWSTR CQXTradeLoginWnd::GetMzClassName()
{
    return u"CQXTradeLoginWnd";
}

void CQXTradeLoginWnd::CreateControls()
{
    CAppData* app = CAppData::Instance();
    offices = LoadBranchOffices();
    for (const BranchOffice& office : offices)
        officeNames.push_back(WideFromGb(office.name.c_str()));
    branchButton = rows.AddChoice(u"营业部", u"", ID_BRANCH);
    typeButton = rows.AddChoice(u"账号类型", u"", ID_ACCOUNT_TYPE);
    accountEdit = rows.AddEdit(u"账号", SIP_KIND_NUMBER, ACCOUNT_MAX_CHARS);
    passwordEdit = rows.AddEdit(u"交易密码", SIP_KIND_NUMBER, PASSWORD_MAX_CHARS, true);
    saveButton = rows.AddChoice(u"记住账号", u"", ID_SAVE_ACCOUNT);
    accountEdit->SetID(ID_ACCOUNT);
    passwordEdit->SetID(ID_PASSWORD);

    // The last log-in's branch, account type and (when the user asked for it) account.
    const char* lastBranch = app->GetConfig("Trade_SCCode");
    int chosen = offices.empty() ? -1 : 0;
    for (size_t i = 0; i < offices.size(); ++i)
        if (lastBranch != nullptr && offices[i].code == lastBranch)
            chosen = (int)i;
    SelectBranch(chosen);
    const char* type = app->GetConfig("Trade_ZHLX");
    SelectAccountType(type != nullptr && strcmp(type, "S") == 0 ? 1 : 0);
    saveAccount = app->GetConfigInt("Trade_SAVEZJZH", 1) != 0;
    saveButton->SetText(saveAccount ? u"是" : u"否");
    const char* account = app->GetConfig("Trade_ZJZH");
    if (saveAccount && account != nullptr)
        accountEdit->SetText(WideFromGb(account).c_str());
}

void CQXTradeLoginWnd::SelectBranch(int index)
{
    if (index < -1 || index >= (int)offices.size())
        return;
    branchIndex = index;
    if (branchButton != nullptr)
        branchButton->SetText(index >= 0 ? officeNames[(size_t)index].c_str() : u"请先设置营业部");
}

void CQXTradeLoginWnd::SelectAccountType(int type)
{
    if (type != 0 && type != 1)
        return;
    accountType = type;
    if (typeButton != nullptr)
        typeButton->SetText(ACCOUNT_TYPES[type]);
    // A Shanghai holder code starts with its letter ("A880012346"): the number pad would drop it.
    if (accountEdit != nullptr)
        accountEdit->SetSipMode(type == 1 ? SIP_KIND_DEFAULT : SIP_KIND_NUMBER);
}

void CQXTradeLoginWnd::PickBranch()
{
    if (offices.empty())
        return;
    std::vector<PopMenuChoice> choices;
    for (size_t i = 0; i < offices.size(); ++i)
        choices.push_back({(int)i + 1, officeNames[i].c_str()});
    int id = CPopMenuWnd::RunChoices(m_hWnd, choices.data(), (int)choices.size());
    if (id > 0)
        SelectBranch(id - 1);
}

void CQXTradeLoginWnd::PickAccountType()
{
    static const PopMenuChoice choices[] = {{1, ACCOUNT_TYPES[0]}, {2, ACCOUNT_TYPES[1]}};
    int id = CPopMenuWnd::RunChoices(m_hWnd, choices);
    if (id > 0)
        SelectAccountType(id - 1);
}

void CQXTradeLoginWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    if (loggingIn && LOWORD(wParam) != ID_COMMAND_BAR)
        return;
    switch (LOWORD(wParam)) {
    case ID_BRANCH:
        PickBranch();
        return;
    case ID_ACCOUNT_TYPE:
        PickAccountType();
        return;
    case ID_SAVE_ACCOUNT:
        saveAccount = !saveAccount;
        saveButton->SetText(saveAccount ? u"是" : u"否");
        return;
    default:
        break;
    }
    // The bar stays until the answer is in: the log-in's answer belongs to this window.
    if (loggingIn)
        return;
    CFormWnd::OnMzCommand(wParam, lParam);
}

void CQXTradeLoginWnd::OnActionButton()
{
    if (loggingIn || loggedIn)
        return;
    if (branchIndex < 0) {
        ShowNotice(u"请先设置营业部！", m_hWnd);
        return;
    }
    std::string account = GbFromWide(accountEdit->GetText());
    if (account.empty()) {
        ShowNotice(u"请输入账号！", m_hWnd);
        return;
    }
    if (!IsDigitString(account.c_str()) && accountType == 0) {
        ShowNotice(u"资金账号只能是数字！", m_hWnd);
        return;
    }
    if (accountType == 1 && !IsHolderCode(account)) {
        ShowNotice(u"股东账号只能是字母和数字！", m_hWnd);
        return;
    }
    if (passwordEdit->GetText()[0] == 0) {
        ShowNotice(u"请输入交易密码！", m_hWnd);
        return;
    }
    SubmitOnce(&loggingIn);
}

int CQXTradeLoginWnd::BuildRequest(char* part, int capacity, const char*)
{
    part[0] = 0;
    if (!loggingIn || branchIndex < 0)
        return 0;
    std::string account = GbFromWide(accountEdit->GetText());
    if (accountType == 1)
        for (char& c : account) // holder codes are kept in capitals ("a880012346" is "A880012346")
            if (c >= 'a' && c <= 'z')
                c = (char)(c - 'a' + 'A');
    CTypedSecret password(*passwordEdit);
    // Values travel raw: a separator inside one would change the request.
    if (account.find_first_of("&=") != std::string::npos || strpbrk(password.Get(), "&=") != nullptr) {
        ShowNotice(u"账号或密码含有非法字符！", m_hWnd);
        return 0;
    }
    int n = snprintf(part, (size_t)capacity, "tc_mfuncno=600&tc_sfuncno=1&yyb=%s&accounttype=%d&account=%s&password=%s",
                     offices[(size_t)branchIndex].code.c_str(), accountType, account.c_str(), password.Get());
    if (n < 0 || n >= capacity) {
        SecureZeroMemory(part, (size_t)capacity);
        part[0] = 0;
        return 0;
    }
    return 1;
}

void CQXTradeLoginWnd::OnReply(const BYTE* data, int length, int transportFailed)
{
    if (!loggingIn)
        return;
    loggingIn = false;
    EnableToolbar(TRUE);
    if (transportFailed || data == nullptr || length <= 0) {
        notices.Add(m_hWnd, u"网络连接失败，请稍后再试！", 2000);
        return;
    }
    CReplyRecordSet reply(data, (DWORD)length);
    if (reply.hasError || reply.GetCount() < 2) {
        // A refused password is typed again.
        passwordEdit->WipeText();
        notices.AddGb(m_hWnd, reply.GetCount() > 0 ? reply.GetErrorText() : "", 3000);
        return;
    }
    StoreLogIn(reply);
}

void CQXTradeLoginWnd::StoreLogIn(CReplyRecordSet& reply)
{
    CAppData* app = CAppData::Instance();
    CDataSet** accountSlot = reply.GetRecord(0);
    CDataSet* accounts = *accountSlot;
    CDataSet* trade = *reply.GetRecord(1);
    const char* session = nullptr;
    if (trade != nullptr && trade->GetRowCount() > 0) {
        trade->MoveFirst();
        session = trade->GetAsText("session");
    }
    if (accounts == nullptr || accounts->GetRowCount() < 1 || session == nullptr || session[0] == 0) {
        passwordEdit->WipeText();
        notices.Add(m_hWnd, u"交易登录失败，请稍后再试！", 3000);
        return;
    }
    *accountSlot = nullptr; // the application data keeps the set
    app->SetTradeAccounts(accounts);
    app->SetTradeSession(session);
    {
        CTypedSecret password(*passwordEdit);
        app->SetTradePassword(password.Get());
    }
    passwordEdit->WipeText();
    CAppData::tradeLoggedIn = 1;

    const BranchOffice& office = offices[(size_t)branchIndex];
    app->SetConfig("Trade_SCCode", office.code.c_str(), 0);
    app->SetConfig("Trade_ZHLX", accountType == 1 ? "S" : "Z", 0);
    app->SetConfig("Trade_SAVEZJZH", saveAccount ? "1" : "0", 0);
    app->SetConfig("Trade_ZJZH", saveAccount ? GbFromWide(accountEdit->GetText()).c_str() : "", 1);
    loggedIn = true;
    // Ended from the message loop; the action goes to the owner as the window ends.
    PostMessage(WM_END_WND, 0, (LPARAM)END_BACK);
}

void CQXTradeLoginWnd::EndWnd(int result)
{
    passwordEdit->WipeText();
    CFormWnd::EndWnd(result);
    if (loggedIn && owner != nullptr) {
        loggedIn = false; // once
        ::PostMessage(owner, WM_TRADE_LOGIN_DONE, 0, (LPARAM)pendingAction);
    }
}

LRESULT CQXTradeLoginWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (notices.Handle(message, wParam, m_hWnd))
        return 1;
    return CFormWnd::WindowProc(message, wParam, lParam);
}
