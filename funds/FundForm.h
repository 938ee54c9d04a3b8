// What the fund forms share beyond the form base: labelled rows of values, edits and choice buttons; the rows of
// a lookup reply; the checks of amounts and shares; the choice picker; the tips.
#pragma once

#include "platform/ui/UiButton.h"
#include "platform/ui/UiEdit.h"
#include "platform/ui/UiStatic.h"
#include "platform/win/WinTypes.h"
#include "trading/FormRows.h"
#include "trading/TradeText.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CDataSet;
class CFundBaseWnd;
class CMakeChoiceWnd;
class CNetWnd;

// One row of a lookup reply: every field's 8-bit text by field name.
typedef std::map<std::string, std::string> FundRow;

// The rows of a record set, first to last; empty for null.
std::vector<FundRow> ReadFundRows(CDataSet* set);
// The field's text in row, "" when it has none.
const std::string& FieldOf(const FundRow& row, const char* name);

// Reads a positive decimal number with at most `decimals` digits after the point, scaled by 10^decimals
// (" 1000.5" with 2 decimals gives 100050). False for anything else: empty, zero, signs, letters, more decimals,
// or more than 12 digits before the point.
bool ParseFixed(const char* text, int decimals, int64_t* scaled);
bool ParseFixed(LPCWSTR text, int decimals, int64_t* scaled);
// The number back as text with its decimals ("1000.50").
std::string FormatFixed(int64_t scaled, int decimals);

// A tip over the window for 2000 ms.
void ShowFormTip(const CNetWnd* wnd, const char16_t* text);

// Runs the choice picker over form: rows' "label" fields as texts, the current row checked; the chosen index
// arrives as WM_MULTI_CHOICE with the cookie.
void OpenFundPicker(CNetWnd* form, LPCWSTR title, int cookie, const std::vector<FundRow>& rows, const char* label,
                    int current);
// Runs picker modally over the work area as owner's; owner releases it once it has ended, and one that cannot be
// made is deleted here.
void RunChoicePicker(CMakeChoiceWnd* picker, HWND owner);
// The chosen row index of a WM_MULTI_CHOICE (and frees its array); -1 for none.
int TakeChoice(LPARAM lParam);

// The choice rows of a form: a label in the rows' left column and a button that opens a picker on the right;
// the button shows "请选择" until a choice is set.
class CFundChoices {
public:
    explicit CFundChoices(CFundBaseWnd* form) : form(form) {}
    UiPushButton* Add(CFormRows& rows, LPCWSTR label, int id);
    // A choice row whose tap opens the picker titled title over list's "label" fields with row current checked;
    // the row the user picks (-1 for none) goes to choose.
    UiPushButton* Add(CFormRows& rows, LPCWSTR label, int id, LPCWSTR title, const std::vector<FundRow>& list,
                      const int& current, std::function<void(int)> choose);
    // Hands a picker's answer (WM_MULTI_CHOICE, its cookie the row's id) to its row; false when no row has the id.
    bool TakeAnswer(WPARAM id, LPARAM lParam);

private:
    CFundBaseWnd* form;
    std::vector<std::unique_ptr<UiPushButton>> buttons;
    std::map<WPARAM, std::function<void(int)>> answers;
};

// The lookup a form has in flight: its kind (the form's own numbers) and its request text without the account's
// fields.
struct FundLookup {
    int kind = 0;
    std::string params;
};
// Sends a lookup from form: kept in lookup, asked through the form's own request.
void AskFund(CNetWnd* form, FundLookup* lookup, int kind, const std::string& params);
// The form's BuildRequest for its lookup: the text with the trade account's fields; 0 when there is none.
int BuildLookup(const FundLookup& lookup, char* part, int capacity);
// The rows of a lookup reply's first set, or false after the user was told why there are none (the server's
// refusal, or a transport failure).
bool ReadLookupReply(const CNetWnd* form, const BYTE* data, int length, int transportFailed,
                     std::vector<FundRow>* rows);

// The shares-held lookup of the forms that act on a held fund (all of them on one page).
std::string HoldingsRequest();
// Adds a "label" field ("name code") to every row, for the pickers.
void LabelFundRows(std::vector<FundRow>* rows);
// The first row whose field equals value; -1 for none.
int FindFundRow(const std::vector<FundRow>& rows, const char* field, const std::string& value);
