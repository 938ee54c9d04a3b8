#include "quotes/StockSortParamWnd.h"

#include "core/AppData.h"
#include "core/KeyValueMap.h"
#include "core/ServerConfig.h"
#include "shell/FormLayout.h"
#include "shell/WndMessages.h"

#include <cstring>

namespace {

struct Slot {
    int y, height;
};
// Label, list, label, list, ... from the top of the scrolling panel.
const Slot LABEL_SLOTS[4] = {{20, 30}, {260, 30}, {680, 30}, {1050, 30}};
const Slot LIST_SLOTS[4] = {{60, 185}, {300, 365}, {720, 320}, {1090, 95}};
const char16_t* const LABELS[4] = {u"市场选择", u"分类选择", u"排序方式", u"排序方向"};
const int LIST_IDS[4] = {CStockSortParamWnd::ID_MARKET_LIST, CStockSortParamWnd::ID_CLASS_LIST,
                         CStockSortParamWnd::ID_SORT_LIST, CStockSortParamWnd::ID_DIRECTION_LIST};

// A key longer than the record holds goes as an empty key, which the table ignores: a cut key would name
// another ranking.
void CopyKey(char (&to)[10], const char* from)
{
    to[0] = 0;
    if (from == nullptr || strlen(from) >= sizeof to)
        return;
    strcpy(to, from);
}

const char* SelectedValue(CCheckList& list)
{
    const ListItem* item = list.GetItem(list.GetSelectedIndex());
    if (item == nullptr || item->Data == 0)
        return "";
    const char* code = reinterpret_cast<const ListItemPayload*>(item->Data)->code;
    return code != nullptr ? code : "";
}

} // namespace

CStockSortParamWnd::CStockSortParamWnd(LPCWSTR title, HWND parent)
    : CNetWnd(title, parent), record(new SortParamRecord()), owner(parent)
{}

CStockSortParamWnd::~CStockSortParamWnd()
{
    for (CCheckList& list : lists)
        list.RemoveAll();
    delete record;
}

LPCWSTR CStockSortParamWnd::GetMzClassName()
{
    return u"CStockSortParamWnd";
}

void CStockSortParamWnd::SetParams(const char* marketKey, const char* classKey, const char* sortKey, int direct)
{
    if (record == nullptr)
        return;
    CopyKey(record->marketKey, marketKey);
    CopyKey(record->classKey, classKey);
    CopyKey(record->sortKey, sortKey);
    record->direct = direct;
}

void CStockSortParamWnd::FillList(CCheckList& list, const char* setting, const char* key)
{
    CServerConfig* dict = CAppData::Instance()->GetQuoteParamDict();
    if (dict == nullptr)
        return;
    dict->Load(0);
    KeyValueMap pairs(dict->Get(setting));
    int match = -1;
    for (int i = 0; i < pairs.GetCount(); ++i) {
        const char* k = pairs.GetKey(i) != nullptr ? pairs.GetKey(i) : "";
        bool checked = strcmp(k, key) == 0;
        ListItem item;
        MakeListItem(pairs.GetValue(i), k, checked ? 1 : 0, &item);
        int at = list.AddItem(item);
        if (at < 0) {
            FreeListItemPayload(&item);
            continue;
        }
        if (checked)
            match = at;
    }
    list.SetSelectedIndex(match);
}

void CStockSortParamWnd::PlaceControls()
{
    int w = GetWidth() - 80;
    for (int i = 0; i < 4; ++i) {
        labels[i].SetPos(40, LABEL_SLOTS[i].y, w, LABEL_SLOTS[i].height);
        lists[i].SetPos(40, LIST_SLOTS[i].y, w, LIST_SLOTS[i].height);
    }
}

BOOL CStockSortParamWnd::OnInitDialog()
{
    if (!CNetWnd::OnInitDialog())
        return FALSE;
    for (int i = 0; i < 4; ++i)
        StyleChoiceList(labels[i], LABELS[i], ID_LABEL, lists[i], LIST_IDS[i]);
    PlaceControls();
    for (int i = 0; i < 4; ++i) {
        contentPanel.AddChild(&labels[i]);
        contentPanel.AddChild(&lists[i]);
    }
    const SortParamRecord empty;
    const SortParamRecord& r = record != nullptr ? *record : empty;
    FillList(lists[0], "market", r.marketKey);
    FillList(lists[1], "type", r.classKey);
    FillList(lists[2], "sort", r.sortKey);
    ListItem forward;
    MakeListItem("\xD5\xFD\xD0\xF2", "0", r.direct == 0 ? 1 : 0, &forward); // 正序
    lists[3].AddItem(forward);
    ListItem reverse;
    MakeListItem("\xC4\xE6\xD0\xF2", "1", r.direct == 0 ? 0 : 1, &reverse); // 逆序
    lists[3].AddItem(reverse);
    lists[3].SetSelectedIndex(r.direct == 0 ? 0 : 1);

    RemoveUiWin(&toolBar);
    commandBar.SetButton(0, true, true, u"确定");
    commandBar.SetButton(2, true, true, u"返回");
    AddUiWin(&commandBar);
    return TRUE;
}

void CStockSortParamWnd::OnScreenModeChanged(int orientation)
{
    CNetWnd::OnScreenModeChanged(orientation);
    PlaceControls();
}

void CStockSortParamWnd::PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate)
{
    // The background first (the host's painting would fill over the boxes), then the boxes, then the lists.
    CMzWnd::PaintWin(dc, rcWin, rcUpdate);
    for (CCheckList& list : lists) {
        RECT r{list.GetPosX(), list.GetPosY(), list.GetPosX() + list.GetWidth(), list.GetPosY() + list.GetHeight()};
        DrawRoundBox(dc, &r, TRUE, TRUE);
    }
    GetWinManager().Paint(dc, rcUpdate);
}

void CStockSortParamWnd::Confirm()
{
    if (record == nullptr)
        return;
    CopyKey(record->marketKey, SelectedValue(lists[0]));
    CopyKey(record->classKey, SelectedValue(lists[1]));
    CopyKey(record->sortKey, SelectedValue(lists[2]));
    record->direct = lists[3].GetSelectedIndex() == 0 ? 0 : 1;
    SortParamRecord* sent = record;
    if (::PostMessage(owner, WM_SORT_PARAMS, 0, (LPARAM)sent))
        record = nullptr; // the owner frees it now
    EndWnd(END_BACK);
}

void CStockSortParamWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) != ID_COMMAND_BAR)
        return;
    if (lParam == 0)
        Confirm();
    else if (lParam == 2)
        EndWnd(END_RETURN);
}
