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
    return ParseFixed(Ansi(text).c_str(), decimals, scaled);
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

std::string EditText(const UiLineEdit& edit)
{
    return Ansi(edit.GetText());
}

std::u16string Wide(const std::string& text)
{
    WCHAR* wide = nullptr;
    AnsiToWide(text.c_str(), &wide);
    std::u16string s = wide != nullptr ? wide : u"";
    free(wide);
    return s;
}

std::string Ansi(const char16_t* text)
{
    char* narrow = nullptr;
    WideToAnsi(text != nullptr ? text : u"", &narrow);
    std::string s = narrow != nullptr ? narrow : "";
    free(narrow);
    return s;
}

void ShowFormTip(const CNetWnd* wnd, const char16_t* text)
{
    CAppData::Instance()->ShowMessage(Ansi(text).c_str(), wnd->GetHWND(), 2000);
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
    RECT work;
    CWndManager::GetInstance()->GetWorkRect(&work);
    // Once it has ended, the form releases it with its other children.
    if (picker->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, form->GetHWND(), 0,
                       0x80000000u))
        picker->ShowWnd(-1, nullptr, nullptr, 1);
    else
        delete picker;
    for (ListItem& item : items)
        FreeListItemPayload(&item);
}

int TakeChoice(LPARAM lParam)
{
    auto* indexes = reinterpret_cast<int32_t*>(lParam);
    int chosen = indexes != nullptr ? indexes[0] : -1;
    delete[] indexes;
    return chosen;
}

void CFundFormRows::AddLabel(LPCWSTR label)
{
    auto text = std::make_unique<UiStatic>();
    RECT r;
    form->GetRowRect(&r, 0, rows);
    text->SetPos(r.left, r.top, r.right - r.left, r.bottom - r.top);
    text->SetText(label);
    text->SetTextSize(24);
    text->SetTextColor(RGB(255, 255, 255));
    form->GetContentPanel().AddChild(text.get());
    controls.push_back(std::move(text));
}

void CFundFormRows::Place(UiWin* control)
{
    RECT r;
    form->GetRowRect(&r, 1, rows);
    control->SetPos(r.left, r.top, r.right - r.left, r.bottom - r.top);
    control->SetTextSize(24);
    form->GetContentPanel().AddChild(control);
    ++rows;
}

UiStatic* CFundFormRows::AddValue(LPCWSTR label)
{
    AddLabel(label);
    auto value = std::make_unique<UiStatic>();
    UiStatic* shown = value.get();
    Place(shown);
    shown->SetTextColor(RGB(255, 255, 255));
    controls.push_back(std::move(value));
    return shown;
}

UiLineEdit* CFundFormRows::AddEdit(LPCWSTR label, LPCWSTR tip, int sipKind, int maxChars)
{
    AddLabel(label);
    auto edit = std::make_unique<UiLineEdit>();
    UiLineEdit* shown = edit.get();
    shown->SetTip(tip);
    shown->SetSipMode(sipKind);
    shown->SetMaxChars(maxChars);
    Place(shown);
    controls.push_back(std::move(edit));
    return shown;
}

UiPushButton* CFundFormRows::AddChoice(LPCWSTR label, int id)
{
    AddLabel(label);
    auto button = std::make_unique<UiPushButton>();
    UiPushButton* shown = button.get();
    shown->SetID(id);
    shown->SetText(u"请选择");
    Place(shown);
    controls.push_back(std::move(button));
    return shown;
}

RECT CFundFormRows::GetPanelRect() const
{
    RECT first, last;
    form->GetRowRect(&first, 0, 0);
    form->GetRowRect(&last, 1, rows > 0 ? rows - 1 : 0);
    return RECT{first.left, first.top, last.right, last.bottom};
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
    return CQueryTableWnd::BuildAccountRequest(lookup.params.c_str(), part, capacity);
}

bool ReadLookupReply(const CNetWnd* form, const BYTE* data, int length, std::vector<FundRow>* rows)
{
    rows->clear();
    if (data == nullptr || length <= 0)
        return false;
    CReplyRecordSet reply(data, (DWORD)length);
    if (reply.hasError) {
        CAppData::Instance()->ShowMessage(reply.GetErrorText(), form->GetHWND(), 3000);
        return false;
    }
    *rows = ReadFundRows(*reply.GetRecord(0));
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
