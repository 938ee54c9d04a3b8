#include "funds/FundSortParamWnd.h"

#include "shell/FormLayout.h"

#include <cstring>

CFundSortParamWnd::CFundSortParamWnd(LPCWSTR title, HWND parent, const char* column, int direct)
    : CMakeChoiceWnd(title, parent, 0), currentColumn(column != nullptr ? column : ""), currentDirect(direct)
{}

CFundSortParamWnd::~CFundSortParamWnd() = default;

LPCWSTR CFundSortParamWnd::GetMzClassName()
{
    return u"CFundSortParamWnd";
}

void CFundSortParamWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam);
    int code = HIWORD(wParam);
    if (!((id == ID_COMMAND_BAR && lParam == 0) || (id == ID_CHECK_LIST && code == CCheckList::NOTIFY_TAPPED)))
        return;
    CCheckList& list = GetCheckList();
    for (int row = 0; row < list.GetItemCount(); ++row) {
        const ListItem* item = list.GetItem(row);
        if (!list.IsChecked(row) || item == nullptr || item->Data == 0)
            continue;
        const auto* payload = reinterpret_cast<const ListItemPayload*>(item->Data);
        auto* choice = new FundSortChoice{};
        strncpy(choice->column, payload->code != nullptr ? payload->code : "", sizeof choice->column - 1);
        choice->direct = currentColumn == choice->column ? 1 - currentDirect : 1;
        if (!::PostMessage(GetOwnerWnd(), WM_PARAMS_CHOSEN, 0, (LPARAM)choice))
            delete choice;
        break;
    }
    EndWnd(END_BACK);
}
