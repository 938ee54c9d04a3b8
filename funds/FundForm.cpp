#include "funds/FundForm.h"

#include "core/AppData.h"
#include "core/DataSet.h"
#include "core/ReplyRecordSet.h"
#include "core/TextHelpers.h"
#include "funds/FundFunctions.h"
#include "shell/FormLayout.h"
#include "shell/FundBaseWnd.h"
#include "shell/MakeChoiceWnd.h"
#include "shell/QueryTableWnd.h"
#include "shell/WndManager.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

std::vector<FundRow> ReadFundRows(CDataSet* set)
{
    std::vector<FundRow> rows;
    if (set == nullptr || !set->MoveFirst())
        return rows;
    for (int r = 0; r < set->GetRowCount(); ++r, set->MoveNext()) {
        FundRow row;
        for (int i = 0; i < set->GetFieldCount(); ++i) {
            const FieldInfo* f = set->GetFieldInfo(i);
            const char* text = set->GetAsText(i);
            if (f != nullptr)
                row[f->name] = text != nullptr ? text : "";
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

const std::string& FieldOf(const FundRow& row, const char* name)
{
    static const std::string none;
    auto it = row.find(name);
    return it != row.end() ? it->second : none;
}

bool ParseFixed(const char* text, int decimals, int64_t* scaled)
{
    if (text == nullptr)
        return false;
    while (*text == ' ')
        ++text;
    int64_t value = 0;
    int whole = 0, fraction = 0;
    bool point = false;
    for (const char* p = text; *p != 0; ++p) {
        if (*p == '.' && !point) {
            point = true;
            continue;
        }
        if (*p < '0' || *p > '9')
            return false;
        if (point ? ++fraction > decimals : ++whole > 12)
            return false;
        value = value * 10 + (*p - '0');
    }
    if (whole + fraction == 0)
        return false;
    for (; fraction < decimals; ++fraction)
        value *= 10;
    if (value <= 0)
        return false;
    *scaled = value;
    return true;
}

bool ParseFixed(LPCWSTR text, int decimals, int64_t* scaled)
{
    return ParseFixed(GbFromWide(text).c_str(), decimals, scaled);
}

std::string FormatFixed(int64_t scaled, int decimals)
{
    std::string digits = std::to_string(scaled);
    if (decimals <= 0)
        return digits;
    if ((int)digits.size() <= decimals)
        digits.insert(0, (size_t)(decimals + 1) - digits.size(), '0');
    digits.insert(digits.size() - (size_t)decimals, ".");
    return digits;
}

void ShowFormTip(const CNetWnd* wnd, const char16_t* text)
{
    ShowText(text, wnd->GetHWND(), 2000);
}

void OpenFundPicker(CNetWnd* form, LPCWSTR title, int cookie, const std::vector<FundRow>& rows, const char* label,
                    int current)
{
    if (rows.empty())
        return;
    std::vector<ListItem> items(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        MakeListItem(FieldOf(rows[i], label).c_str(), "", (int)i == current ? 1 : 0, &items[i]);
    auto* picker = new CMakeChoiceWnd(title, form->GetHWND(), cookie);
    picker->SetItems(items.data(), (int)items.size());
    RunChoicePicker(picker, form->GetHWND());
    for (ListItem& item : items)
        FreeListItemPayload(&item);
}

void RunChoicePicker(CMakeChoiceWnd* picker, HWND owner)
{
    RECT work;
    CWndManager::GetInstance()->GetWorkRect(&work);
    // Once it has ended, the owner releases it with its other children.
    if (picker->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, owner, 0, 0x80000000u))
        picker->ShowWnd(-1, nullptr, nullptr, 1);
    else
        delete picker;
}

int TakeChoice(LPARAM lParam)
{
    auto* indexes = reinterpret_cast<int32_t*>(lParam);
    int chosen = indexes != nullptr ? indexes[0] : -1;
    delete[] indexes;
    return chosen;
}

UiPushButton* CFundChoices::Add(CFormRows& rows, LPCWSTR label, int id)
{
    int row = rows.AddLabel(label);
    RECT r;
    form->GetRowRect(&r, 1, row);
    buttons.push_back(std::make_unique<UiPushButton>());
    UiPushButton* button = buttons.back().get();
    button->SetPos(r.left, r.top + 5, r.right - r.left, r.bottom - r.top - 10);
    button->SetID(id);
    button->SetText(u"请选择");
    button->SetTextSize(Style::FormTextSize);
    form->GetContentPanel().AddChild(button);
    return button;
}

UiPushButton* CFundChoices::Add(CFormRows& rows, LPCWSTR label, int id, LPCWSTR title, const std::vector<FundRow>& list,
                                const int& current, std::function<void(int)> choose)
{
    UiPushButton* button = Add(rows, label, id);
    CNetWnd* picking = form;
    rows.SetTap(id,
                [picking, title, id, &list, &current] { OpenFundPicker(picking, title, id, list, "label", current); });
    answers[(WPARAM)id] = std::move(choose);
    return button;
}

bool CFundChoices::TakeAnswer(WPARAM id, LPARAM lParam)
{
    auto found = answers.find(id);
    if (found == answers.end())
        return false;
    found->second(TakeChoice(lParam));
    return true;
}

void AskFund(CNetWnd* form, FundLookup* lookup, int kind, const std::string& params)
{
    lookup->kind = kind;
    lookup->params = params;
    form->SendRequest(-1, 0);
}

int BuildLookup(const FundLookup& lookup, char* part, int capacity)
{
    part[0] = 0;
    if (lookup.params.empty())
        return 0;
    return WriteTradeRequest(part, capacity, lookup.params.c_str());
}

bool ReadLookupReply(const CNetWnd* form, const BYTE* data, int length, int transportFailed, std::vector<FundRow>* rows)
{
    rows->clear();
    CReplyRecordSet reply;
    CDataSet* set =
        FirstSetOrTell(reply, data, length, transportFailed, form->GetHWND(), u"网络请求失败，请稍后重试！");
    if (set == nullptr)
        return false;
    *rows = ReadFundRows(set);
    return true;
}

std::string HoldingsRequest()
{
    return FundFunction(FUND_FUNCTIONS, FUND_SHARES) + "&count=200&poststr=";
}

void LabelFundRows(std::vector<FundRow>* rows)
{
    for (FundRow& row : *rows)
        row["label"] = FieldOf(row, "SecuAbbr") + " " + FieldOf(row, "tradingcode");
}

int FindFundRow(const std::vector<FundRow>& rows, const char* field, const std::string& value)
{
    for (size_t i = 0; i < rows.size(); ++i)
        if (FieldOf(rows[i], field) == value)
            return (int)i;
    return -1;
}
