#include "trading/SalesDeptSetWnd.h"

#include "core/AppData.h"
#include "core/DataSet.h"
#include "core/ReplyRecordSet.h"
#include "platform/ui/Style.h"
#include "shell/WndMessages.h"
#include "trading/TradeText.h"

#include <cstring>

namespace {

constexpr int BOX_TOP = 60;
constexpr int BOX_LIST_HEIGHT = 240;

} // namespace

CSalesDeptSetWnd::CSalesDeptSetWnd(LPCWSTR title, HWND ownerWnd) : CComboBoxWnd(title, ownerWnd)
{
    wndType = WND_TYPE_BRANCH_OFFICE;
    boxX = 20;
    boxY = BOX_TOP;
    listHeight = BOX_LIST_HEIGHT;
}

CSalesDeptSetWnd::~CSalesDeptSetWnd() = default;

LPCWSTR CSalesDeptSetWnd::GetMzClassName()
{
    return u"CSalesDeptSetWnd";
}

BOOL CSalesDeptSetWnd::OnInitDialog()
{
    if (!CComboBoxWnd::OnInitDialog())
        return FALSE;
    SetPosition(boxX, boxY, 310, BOX_LIST_HEIGHT);
    int width = GetWidth();
    addButton.SetID(ID_ADD);
    addButton.SetText(u"添加");
    addButton.SetTextSize(Style::TextSize);
    addButton.SetPos(boxX + 330, boxY, width - boxX - 350, FIELD_HEIGHT);
    AddUiWin(&addButton);

    myLabel.SetText(u"我的营业部（选中后点“删除”移除）");
    myLabel.SetTextSize(Style::NoteTextSize);
    myLabel.SetTextColor(Style::PaperText);
    AddUiWin(&myLabel);
    myList.SetID(ID_MY_LIST);
    myList.SetItemHeight(50);
    myList.SetTextSize(Style::BranchListTextSize);
    myList.SetSelectOnTap(true);
    myList.SetBackgroundColor(Style::BoxFill);
    RemoveUiWin(&toolBar);
    commandBar.SetButton(0, true, true, u"首页");
    commandBar.SetButton(1, true, true, u"删除");
    commandBar.SetButton(2, true, true, u"返回");
    AddUiWin(&commandBar);
    PlaceMyList();
    AddUiWin(&myList);

    mine = LoadBranchOffices();
    FillMyList();
    return TRUE;
}

void CSalesDeptSetWnd::PlaceMyList()
{
    // The user's list never lies under the open drop-down list: below it in portrait; in landscape, where nothing
    // fits below it, beside it under the add button.
    int width = GetWidth();
    int x = boxX;
    int top = boxY + FIELD_HEIGHT + BOX_LIST_HEIGHT + 10;
    if (width > GetHeight()) {
        x = boxX + 330;
        top = boxY + FIELD_HEIGHT + 10;
    }
    int bottom = GetHeight() - commandBar.GetHeight();
    myLabel.SetPos(x, top, width - x - boxX, 40);
    myList.SetPos(x, top + 45, width - x - boxX, bottom - top - 55);
}

void CSalesDeptSetWnd::OnScreenModeChanged(int orientation)
{
    CComboBoxWnd::OnScreenModeChanged(orientation);
    PlaceMyList();
}

int CSalesDeptSetWnd::BuildRequest(char* part, int capacity, const char*)
{
    // The firm's list needs no log-in of any kind.
    static const char FIELDS[] = "tc_mfuncno=600&tc_sfuncno=5";
    if (capacity < (int)sizeof FIELDS)
        return 0;
    memcpy(part, FIELDS, sizeof FIELDS);
    return 1;
}

void CSalesDeptSetWnd::OnReply(const BYTE* data, int length, int transportFailed)
{
    CReplyRecordSet reply;
    CDataSet* set = FirstSetOrTell(reply, data, length, transportFailed, m_hWnd, u"营业部列表获取失败，请稍后再试！");
    if (set == nullptr)
        return;
    RemoveAllItems();
    firm.clear();
    firmKeys.clear();
    set->MoveFirst();
    for (int i = 0; i < set->GetRowCount(); ++i, set->MoveNext()) {
        const char* code = set->GetAsText("yybdm");
        const char* name = set->GetAsText("yybmc");
        std::string c = code != nullptr ? code : "";
        std::string n = name != nullptr ? name : "";
        // Separators inside a pair would split it when the list is read back.
        if (c.empty() || c.find_first_of("^#") != std::string::npos || n.find_first_of("^#") != std::string::npos)
            continue;
        firm.push_back({c, n});
    }
    // The rows point at the keys: the key texts are made before any row.
    for (const BranchOffice& office : firm)
        firmKeys.push_back(WideFromGb(office.code.c_str()));
    for (size_t i = 0; i < firm.size(); ++i)
        AddItem(WideFromGb(firm[i].name.c_str()).c_str(), (DWORD_PTR)firmKeys[i].c_str());
    if (!firm.empty())
        SetCurSel(0);
    Invalidate();
}

int CSalesDeptSetWnd::AddChosen()
{
    int row = GetCurSel();
    if (row < 0 || row >= (int)firm.size()) {
        ShowNotice(u"请先选择营业部！", m_hWnd);
        return 0;
    }
    for (const BranchOffice& office : mine)
        if (office.code == firm[(size_t)row].code) {
            ShowText(u"该营业部已在您的列表中！", m_hWnd, 2000);
            return 0;
        }
    mine.push_back(firm[(size_t)row]);
    if (!Save()) {
        mine.pop_back();
        return 0;
    }
    FillMyList();
    return 1;
}

int CSalesDeptSetWnd::RemoveAt(int row)
{
    if (row < 0 || row >= (int)mine.size()) {
        ShowNotice(u"请先在列表中选中要删除的营业部！", m_hWnd);
        return 0;
    }
    BranchOffice removed = mine[(size_t)row];
    mine.erase(mine.begin() + row);
    if (!Save()) {
        mine.insert(mine.begin() + row, removed);
        return 0;
    }
    FillMyList();
    return 1;
}

bool CSalesDeptSetWnd::Save()
{
    if (SaveBranchOffices(mine))
        return true;
    ShowNotice(u"营业部保存失败！", m_hWnd);
    return false;
}

void CSalesDeptSetWnd::FillMyList()
{
    myList.RemoveAll();
    for (const BranchOffice& office : mine) {
        ListItem item;
        item.Text = WideFromGb(office.name.c_str()).c_str();
        myList.AddItem(item);
    }
    myList.SetSelectedIndex(-1);
    myList.Invalidate();
}

void CSalesDeptSetWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == ID_ADD) {
        AddChosen();
        return;
    }
    if (LOWORD(wParam) == ID_COMMAND_BAR) {
        if (lParam == 0)
            EndWnd(END_HOME);
        else if (lParam == 1)
            RemoveAt(myList.GetSelectedIndex());
        else if (lParam == 2)
            EndWnd(END_BACK);
        return;
    }
    CComboBoxWnd::OnMzCommand(wParam, lParam);
}
