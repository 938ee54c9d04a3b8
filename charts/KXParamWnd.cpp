// The K-line parameter picker.
#include "charts/KXParamWnd.h"

#include "core/AppData.h"
#include "core/KeyValueMap.h"
#include "core/ServerConfig.h"
#include "core/TextHelpers.h"
#include "shell/FormLayout.h"
#include "shell/WndMessages.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const KXPeriod KX_PERIODS[] = {{0, u"日线"},   {1, u"周线"},   {2, u"月线"},  {3, u"5分钟"},
                               {4, u"15分钟"}, {5, u"30分钟"}, {6, u"60分钟"}};
const int KX_PERIOD_COUNT = (int)(sizeof KX_PERIODS / sizeof KX_PERIODS[0]);

const char16_t* KXPeriodCaption(int type)
{
    for (const KXPeriod& p : KX_PERIODS)
        if (p.type == type)
            return p.caption;
    return KX_PERIODS[0].caption;
}

namespace {

const char* SelectedCode(CCheckList& list)
{
    const ListItem* item = list.GetItem(list.GetSelectedIndex());
    if (item == nullptr || item->Data == 0)
        return nullptr;
    return reinterpret_cast<const ListItemPayload*>(item->Data)->code;
}

// Adds a row (caption in 8-bit text, code) checked when it is the current choice; its index or -1.
int AddRow(CCheckList& list, const char* caption, const char* code, bool checked)
{
    ListItem item;
    MakeListItem(caption, code, checked ? 1 : 0, &item);
    int at = list.AddItem(item);
    if (at < 0)
        FreeListItemPayload(&item);
    else if (checked)
        list.SetSelectedIndex(at);
    return at;
}

} // namespace

CKXParamWnd::CKXParamWnd(LPCWSTR title, HWND parent)
    : CNetWnd(title, parent), record(new KXParamRecord()), owner(parent)
{}

CKXParamWnd::~CKXParamWnd()
{
    periods.RemoveAll();
    techs.RemoveAll();
    delete record;
}

LPCWSTR CKXParamWnd::GetMzClassName()
{
    return u"CKXParamWnd";
}

void CKXParamWnd::SetParams(int period, const char* techName)
{
    if (record == nullptr)
        return;
    record->period = period;
    snprintf(record->techName, sizeof record->techName, "%s", techName != nullptr ? techName : "");
}

void CKXParamWnd::PlaceControls()
{
    // Periods and indicators side by side, so that both stay in view in portrait and in landscape; a list taller
    // than the panel scrolls by itself.
    const int margin = 20, gap = 20, top = 60, minimum = 50;
    int column = (GetWidth() - 2 * margin - gap) / 2;
    int room = std::max(contentPanel.GetHeight() - top - 10, minimum);
    CCheckList* lists[2] = {&periods, &techs};
    for (int i = 0; i < 2; ++i) {
        int x = margin + i * (column + gap);
        labels[i].SetPos(x, 20, column, 30);
        lists[i]->SetPos(x, top, column, std::clamp(45 * lists[i]->GetItemCount() + 5, minimum, room));
        // A list cut short by the landscape panel scrolls, with its bar showing that it does, and opens on the
        // current choice.
        lists[i]->EnableScrollBarV(true);
        if (lists[i]->GetSelectedIndex() >= 0)
            lists[i]->EnsureVisible(lists[i]->GetSelectedIndex());
    }
}

BOOL CKXParamWnd::OnInitDialog()
{
    if (!CNetWnd::OnInitDialog())
        return FALSE;
    const char16_t* titles[2] = {u"周期选择", u"指标选择"};
    CCheckList* lists[2] = {&periods, &techs};
    const int ids[2] = {ID_PERIOD_LIST, ID_TECH_LIST};
    for (int i = 0; i < 2; ++i)
        StyleChoiceList(labels[i], titles[i], ID_LABEL, *lists[i], ids[i]);
    const KXParamRecord empty;
    const KXParamRecord& r = record != nullptr ? *record : empty;
    for (const KXPeriod& p : KX_PERIODS) {
        char* caption = nullptr;
        WideToAnsi(p.caption, &caption);
        char type[8];
        snprintf(type, sizeof type, "%d", p.type);
        AddRow(periods, caption != nullptr ? caption : "", type, p.type == r.period);
        free(caption);
    }
    // The indicators are the server's: its keys are sent, its values shown.
    if (CServerConfig* config = CAppData::Instance()->GetQuoteParamDict()) {
        config->Load(0);
        KeyValueMap pairs(config->Get("tech"));
        for (int i = 0; i < pairs.GetCount(); ++i) {
            const char* key = pairs.GetKey(i) != nullptr ? pairs.GetKey(i) : "";
            AddRow(techs, pairs.GetValue(i), key, strcmp(key, r.techName) == 0);
        }
    }
    PlaceControls();
    for (int i = 0; i < 2; ++i) {
        contentPanel.AddChild(&labels[i]);
        contentPanel.AddChild(lists[i]);
    }
    RemoveUiWin(&toolBar);
    commandBar.SetButton(0, true, true, u"确定");
    commandBar.SetButton(2, true, true, u"返回");
    AddUiWin(&commandBar);
    return TRUE;
}

void CKXParamWnd::OnScreenModeChanged(int orientation)
{
    CNetWnd::OnScreenModeChanged(orientation);
    PlaceControls();
}

void CKXParamWnd::PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate)
{
    // The background first (the host's painting would fill over the boxes), then the boxes, then the lists.
    CMzWnd::PaintWin(dc, rcWin, rcUpdate);
    for (CCheckList* list : {&periods, &techs}) {
        // In the panel's coordinates, as the box wants them.
        RECT r{list->GetPosX(), list->GetPosY(), list->GetPosX() + list->GetWidth(),
               list->GetPosY() + list->GetHeight()};
        DrawRoundBox(dc, &r, TRUE, TRUE);
    }
    GetWinManager().Paint(dc, rcUpdate);
}

void CKXParamWnd::Confirm()
{
    if (record == nullptr)
        return;
    if (const char* type = SelectedCode(periods))
        record->period = atoi(type);
    if (const char* tech = SelectedCode(techs))
        snprintf(record->techName, sizeof record->techName, "%s", tech);
    if (::PostMessage(owner, WM_PARAMS_CHOSEN, 0, (LPARAM)record))
        record = nullptr; // the chart frees it now
    EndWnd(END_BACK);
}

void CKXParamWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) != ID_COMMAND_BAR)
        return;
    if (lParam == 0)
        Confirm();
    else if (lParam == 2)
        EndWnd(END_RETURN);
}
