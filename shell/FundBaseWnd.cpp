#include "shell/FundBaseWnd.h"

#include "core/AppData.h"
#include "core/TextHelpers.h"
#include "shell/WndMessages.h"

namespace {

constexpr int FORM_WINDOW_TYPE_LANDSCAPE = 16;

} // namespace

CFundBaseWnd::CFundBaseWnd(LPCWSTR title, HWND parent) : CNetWnd(title, parent)
{
    wndType = WND_TYPE_FORM;
    encrypt = 1;
    keep = 0;
}

CFundBaseWnd::~CFundBaseWnd() = default;

LPCWSTR CFundBaseWnd::GetMzClassName()
{
    return u"CFundBaseWnd";
}

RECT CFundBaseWnd::GetPanelRect()
{
    return RECT{0, 0, 0, 0};
}

RECT* CFundBaseWnd::GetRowRect(RECT* rect, int column, int row) const
{
    rect->top = top + row * rowPitch - 5;
    rect->bottom = rect->top + rowPitch - 10;
    if (column == 0) {
        rect->left = left;
        rect->right = left + 120;
    } else {
        rect->left = left + 140;
        rect->right = GetWidth() - left;
    }
    return rect;
}

RECT* CFundBaseWnd::GetRowRect3(RECT* rect, int column, int row) const
{
    rect->top = top + row * rowPitch - 5;
    rect->bottom = rect->top + rowPitch - 10;
    if (column == 0) {
        rect->left = left;
        rect->right = left + 120;
    } else if (column == 1) {
        rect->left = left + 140;
        rect->right = left + 360;
    } else {
        rect->left = left + 380;
        rect->right = left + 420;
    }
    return rect;
}

void CFundBaseWnd::EnableToolbar(BOOL enabled)
{
    for (int i = 0; i < 3; ++i)
        commandBar.EnableButton(i, enabled != FALSE);
    commandBar.Invalidate();
}

void CFundBaseWnd::OnReplyLost()
{
    if (submitFlag != nullptr && *submitFlag) {
        *submitFlag = false;
        EnableToolbar(TRUE);
    }
}

bool CFundBaseWnd::SubmitOnce(bool* underWay)
{
    *underWay = true;
    SetSubmitFlag(underWay);
    if (!SendOnceWithBarDisabled()) {
        *underWay = false;
        TellBusy();
    }
    return *underWay;
}

bool CFundBaseWnd::SendOnceWithBarDisabled()
{
    EnableToolbar(FALSE);
    if (SendOnce())
        return true;
    EnableToolbar(TRUE);
    return false;
}

void CFundBaseWnd::TellBusy()
{
    CAppData::Instance()->ShowMessage(GbFromWide(u"系统繁忙，请稍后再试！").c_str(), m_hWnd, 2000);
}

BOOL CFundBaseWnd::OnInitDialog()
{
    if (!CNetWnd::OnInitDialog())
        return FALSE;
    RemoveUiWin(&toolBar);
    commandBar.SetButton(0, true, true, u"首页");
    commandBar.SetButton(1, true, true, actionLabel);
    commandBar.SetButton(2, true, true, u"返回");
    AddUiWin(&commandBar);
    if (wndType != FORM_WINDOW_TYPE_LANDSCAPE && GetWidth() == 720)
        ResetScreenMode();
    CreateControls();
    return TRUE;
}

void CFundBaseWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) != ID_COMMAND_BAR)
        return;
    switch ((int)lParam) {
    case 0:
        EndWnd(END_HOME);
        break;
    case 1:
        OnActionButton();
        break;
    case 2:
        EndWnd(END_BACK);
        break;
    default:
        break;
    }
}

bool CFundBaseWnd::DrawsPanel()
{
    return panelFrame != 0 && rowCount != 0;
}

void CFundBaseWnd::PaintWin(HDC dc, RECT* window, RECT* update)
{
    // The background first (the host's painting would fill over the panel), then the panel, then the controls.
    CMzWnd::PaintWin(dc, window, update);
    if (DrawsPanel()) {
        RECT panel = GetPanelRect();
        panel.left -= 5;
        panel.top -= 5;
        panel.right += 5;
        panel.bottom += 5;
        DrawRoundBox(dc, &panel, TRUE, TRUE);
    }
    GetWinManager().Paint(dc, update);
}

void CFundBaseWnd::MakeListItem(const char* text, const char* code, BYTE flag, ListItem* item)
{
    ::MakeListItem(text, code, flag, item);
}

ListItem* CFundBaseWnd::CopyListItems(const ListItem* items, int n, int* count)
{
    if (count != nullptr)
        *count = 0;
    if (items == nullptr || n <= 0)
        return nullptr;
    ListItem* copy = new ListItem[(size_t)n];
    for (int i = 0; i < n; ++i) {
        copy[i].Text = items[i].Text.C_Str();
        copy[i].Data = items[i].Data;
    }
    if (count != nullptr)
        *count = n;
    return copy;
}

const char* CFundBaseWnd::GetItemData(const ListItem* items, int n, int index)
{
    if (items == nullptr || index < 0 || index >= n || items[index].Data == 0)
        return nullptr;
    return reinterpret_cast<const ListItemPayload*>(items[index].Data)->code;
}
