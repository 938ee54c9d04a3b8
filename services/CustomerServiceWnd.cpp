// The customer-service window: the account manager card and the service numbers of reply 800/1.
#include "services/CustomerServiceWnd.h"

#include "core/AppData.h"
#include "core/DataSet.h"
#include "core/ReplyRecordSet.h"
#include "core/TextHelpers.h"
#include "platform/device/Phone.h"
#include "platform/ui/Style.h"
#include "shell/SendSmsWnd.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr int MARGIN = 20;
constexpr int BUTTON_HEIGHT = 70;
constexpr int NUMBER_PITCH = 80;
constexpr int NUMBERS_TOP = 370;
const WCHAR WAITING_TEXT[] = u"正在获取客户经理信息，请稍后...";
// "营业部设置" in code page 936: the title the branch-office window is opened with.
const char BRANCHES_TITLE[] = "\xd3\xaa\xd2\xb5\xb2\xbf\xc9\xe8\xd6\xc3";

CWString WideField(CDataSet* set, const char* field)
{
    CWString out;
    const char* text = set->GetString(field);
    WCHAR* wide = nullptr;
    if (text != nullptr)
        AnsiToWide(text, &wide);
    out.Assign(wide != nullptr ? wide : u"");
    free(wide);
    return out;
}

CDataSet* FindSet(CDataSet** sets, int count, const char* name)
{
    for (int i = 0; i < count; ++i)
        if (sets[i] != nullptr && StrEqualNoCase(sets[i]->GetName(), name) == 0)
            return sets[i];
    return nullptr;
}

} // namespace

CCustomerServiceWnd::CCustomerServiceWnd(LPCWSTR title, HWND owner) : CNetWnd(title, owner)
{
    wndType = WND_TYPE_CUSTOMER_SERVICE;
}

CCustomerServiceWnd::~CCustomerServiceWnd() = default;

LPCWSTR CCustomerServiceWnd::GetMzClassName()
{
    return u"CCustomerServiceWnd";
}

BOOL CCustomerServiceWnd::OnInitDialog()
{
    if (!CNetWnd::OnInitDialog())
        return FALSE;
    managerTitle.SetID(150);
    managerTitle.SetText(u"客户经理");
    managerTitle.SetFontSize(Style::SectionTitleSize);
    managerTitle.SetBold(1);
    contentPanel.AddChild(&managerTitle);

    cardLabel.SetID(151);
    cardLabel.SetText(WAITING_TEXT);
    cardLabel.SetFontSize(Style::NoteTextSize);
    cardLabel.SetSingleLine(0);
    contentPanel.AddChild(&cardLabel);

    struct {
        UiPushButton* button;
        int id;
        const WCHAR* text;
    } buttons[] = {
        {&callButton, ID_CALL, u"拨打电话"}, {&smsButton, ID_SMS, u"短信"}, {&branchButton, ID_BRANCHES, u"营业网点"}};
    for (int i = 0; i < 3; ++i) {
        buttons[i].button->SetID(buttons[i].id);
        buttons[i].button->SetText(buttons[i].text);
        buttons[i].button->SetButtonType(MZC_BUTTON_LIGHT);
        buttons[i].button->SetTextColor(Style::ButtonText);
        contentPanel.AddChild(buttons[i].button);
    }

    numbersTitle.SetID(152);
    numbersTitle.SetText(u"客服电话");
    numbersTitle.SetFontSize(Style::SectionTitleSize);
    numbersTitle.SetBold(1);
    contentPanel.AddChild(&numbersTitle);
    PlaceControls();

    RemoveUiWin(&toolBar);
    commandBar.SetButton(0, true, true, u"首页");
    commandBar.SetButton(1, true, true, u"刷新");
    commandBar.SetButton(2, true, true, u"返回");
    AddUiWin(&commandBar);
    return TRUE;
}

void CCustomerServiceWnd::Request()
{
    if (managerName.GetLength() == 0 && managerMobile.GetLength() == 0) {
        cardLabel.SetText(WAITING_TEXT);
        contentPanel.Invalidate();
    }
    SendRequest(SERVICE_MFUNC, SERVICE_SFUNC);
}

int CCustomerServiceWnd::BuildRequest(char* part, int capacity, const char*)
{
    if (part == nullptr || capacity < 1)
        return 0;
    part[0] = 0; // the function numbers and the session say everything
    return 1;
}

void CCustomerServiceWnd::ShowCard()
{
    if (managerName.GetLength() == 0 && managerMobile.GetLength() == 0) {
        cardLabel.SetText(u"暂无客户经理信息");
        return;
    }
    CWString card(u"姓名：");
    card.Append(managerName.GetText());
    card.Append(u"\n营业部：");
    card.Append(managerBranch.GetText());
    card.Append(u"\n电话：");
    card.Append(managerPhone.GetText());
    card.Append(u"\n手机：");
    card.Append(managerMobile.GetText());
    cardLabel.SetText(card.GetText());
}

void CCustomerServiceWnd::OnScreenModeChanged(int orientation)
{
    CNetWnd::OnScreenModeChanged(orientation);
    PlaceControls();
}

void CCustomerServiceWnd::PlaceControls()
{
    // Everything spans the window's width, so it follows a turn of the screen.
    int width = GetWidth();
    managerTitle.SetPos(MARGIN, 10, width - 2 * MARGIN, 40);
    cardLabel.SetPos(MARGIN, 55, width - 2 * MARGIN, 160);
    int buttonWidth = (width - 4 * MARGIN) / 3;
    UiPushButton* cardButtons[] = {&callButton, &smsButton, &branchButton};
    for (int i = 0; i < 3; ++i)
        cardButtons[i]->SetPos(MARGIN + i * (buttonWidth + MARGIN), 225, buttonWidth, BUTTON_HEIGHT);
    numbersTitle.SetPos(MARGIN, 320, width - 2 * MARGIN, 40);
    for (size_t i = 0; i < numbers.size(); ++i) {
        ServiceNumber& n = numbers[i];
        if (n.button == nullptr) {
            n.button = std::make_unique<UiPushButton>();
            n.button->SetID(ID_FIRST_NUMBER + (int)i);
            n.button->SetButtonType(MZC_BUTTON_LIGHT);
            n.button->SetTextColor(Style::ButtonText);
            CWString text(n.name);
            text.Append(u"  ");
            text.Append(n.number.GetText());
            n.button->SetText(text.GetText());
            contentPanel.AddChild(n.button.get());
        }
        n.button->SetPos(MARGIN, NUMBERS_TOP + (int)i * NUMBER_PITCH, width - 2 * MARGIN, BUTTON_HEIGHT);
    }
    contentPanel.Invalidate();
}

void CCustomerServiceWnd::TellFailed()
{
    // A card already shown stays; without one the waiting line would promise an answer that is not coming.
    if (managerName.GetLength() > 0 || managerMobile.GetLength() > 0)
        ShowCard();
    else
        cardLabel.SetText(u"获取客户经理信息失败，请点击“刷新”重试。");
    contentPanel.Invalidate();
}

void CCustomerServiceWnd::OnReply(const BYTE* data, int length, int)
{
    if (data == nullptr || length <= 0) {
        TellFailed();
        return;
    }
    CReplyRecordSet reply(data, (DWORD)length);
    if (reply.hasError) {
        TellFailed();
        CAppData::Instance()->ShowMessage(reply.GetErrorText(), m_hWnd, 0);
        return;
    }
    CDataSet** sets = nullptr;
    int count = ParseDataSets(data, (DWORD)length, &sets);
    if (CDataSet* card = FindSet(sets, count, "kfjl"); card != nullptr && card->MoveFirst()) {
        managerName = WideField(card, "name");
        managerBranch = WideField(card, "branch");
        managerPhone = WideField(card, "phone");
        managerMobile = WideField(card, "mobile");
    }
    if (CDataSet* list = FindSet(sets, count, "kfdh"); list != nullptr && numbers.empty() && list->MoveFirst()) {
        do {
            ServiceNumber n;
            n.name = WideField(list, "name");
            n.number = WideField(list, "number");
            if (n.number.GetLength() > 0)
                numbers.push_back(std::move(n));
        } while ((int)numbers.size() < MAX_NUMBERS && list->MoveNext());
    }
    for (int i = 0; i < count; ++i)
        delete sets[i];
    free(sets);
    ShowCard();
    PlaceControls();
    Invalidate();
}

int CCustomerServiceWnd::Call(LPCWSTR number, LPCWSTR party)
{
    PHONEMAKECALLINFO call{};
    call.cbSize = sizeof call;
    call.dwFlags = PMCF_DEFAULT;
    call.pszDestAddress = number;
    call.pszCalledParty = party;
    if (number == nullptr || number[0] == 0 || PhoneMakeCall(&call) != 0) {
        CAppData::Instance()->ShowMessageBox(u"无法拨打该号码！", u"提示", m_hWnd);
        return 0;
    }
    return 1;
}

void CCustomerServiceWnd::WriteToManager()
{
    if (managerMobile.GetLength() == 0) {
        CAppData::Instance()->ShowMessageBox(u"暂无客户经理信息", u"提示", m_hWnd);
        return;
    }
    CSendSmsWnd::Run(m_hWnd, u"短信", managerMobile.GetText(), u"", 1);
}

void CCustomerServiceWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam);
    if (id == ID_COMMAND_BAR) {
        if (lParam == 0)
            EndWnd(END_HOME);
        else if (lParam == 1)
            Refresh(0, 0);
        else if (lParam == 2)
            EndWnd(END_BACK);
        return;
    }
    if (id == ID_CALL) {
        Call(managerPhone.GetLength() > 0 ? managerPhone.GetText() : managerMobile.GetText(), managerName.GetText());
    } else if (id == ID_SMS) {
        WriteToManager();
    } else if (id == ID_BRANCHES) {
        OpenByKey("yybsz", -1, BRANCHES_TITLE, "", "", m_hWnd);
    } else if (id >= ID_FIRST_NUMBER && id < ID_FIRST_NUMBER + (int)numbers.size()) {
        const ServiceNumber& n = numbers[(size_t)(id - ID_FIRST_NUMBER)];
        Call(n.number.GetText(), n.name.GetText());
    }
}
