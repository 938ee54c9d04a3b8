// The labelled rows of a trading form: a label in the left column and a value (a text or an edit) in the right
// one, placed in the form's content panel on the form's row grid. Password edits show dots and are wiped when
// the rows go.
#pragma once

#include "platform/ui/UiButton.h"
#include "platform/ui/UiEdit.h"
#include "platform/ui/UiStatic.h"
#include "shell/MatchEdit.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CFundBaseWnd;

// A number field: takes every character typed, so that the form's check refuses what is not a number with a
// message rather than the field dropping characters silently ("1e309" would become "1309"); tells its window
// when it is full (as CMatchEdit) and after every change.
class CNumberEdit : public CMatchEdit {
public:
    static constexpr int NOTIFY_CHANGED = 2;
    int OnChar(WCHAR ch) override;

protected:
    bool Accepts(WCHAR ch) const override { return ch >= 32 && ch != 127; }
};

class CFormRows {
public:
    explicit CFormRows(CFundBaseWnd* form) : form(form) {}
    ~CFormRows();
    CFormRows(const CFormRows&) = delete;
    CFormRows& operator=(const CFormRows&) = delete;

    // A row whose value is a text; returns the value control.
    UiStatic* AddText(LPCWSTR label, LPCWSTR value);
    // As AddText, but a value too wide for its cell wraps onto the rows below instead of being cut.
    UiStatic* AddWrappedText(LPCWSTR label, LPCWSTR value);
    // A row whose value is typed: sip is the input panel kind, maxChars 0 for no limit. With `own` the form's own
    // edit (a code edit that reports when it is full) is placed instead of a new one.
    UiLineEdit* AddEdit(LPCWSTR label, int sip, int maxChars, bool password = false, UiLineEdit* own = nullptr);
    // A row whose value is a number typed on the number pad (a CNumberEdit).
    CNumberEdit* AddNumberEdit(LPCWSTR label, int maxChars);
    // A row whose value is picked from a list: a button showing the choice; a tap notifies the form with id and
    // runs tap, when there is one (CFormWnd asks Tap).
    UiPushButton* AddChoice(LPCWSTR label, LPCWSTR choice, int id, std::function<void()> tap = nullptr);
    // What a tap on control id runs (a button the form placed in a row itself); replaces what was set.
    void SetTap(int id, std::function<void()> tap);
    // Runs what a tap on control id runs; false when nothing is set for it.
    bool Tap(int id);
    // A label alone in the left column of a new row (the form places its own value control); returns the row.
    int AddLabel(LPCWSTR label);
    int GetCount() const { return count; }
    // Replaces the label of a row.
    void SetLabel(int row, LPCWSTR label);
    // The rectangle of all rows (content coordinates), for the form's panel.
    RECT GetPanelRect() const;
    // Overwrites and empties every password edit.
    void WipePasswords();

private:
    UiStatic* MakeLabel(LPCWSTR label, int row);

    CFundBaseWnd* form;
    int count = 0;
    std::vector<std::unique_ptr<UiStatic>> texts;
    std::vector<std::unique_ptr<UiLineEdit>> edits;
    std::vector<std::unique_ptr<UiPushButton>> buttons;
    std::vector<UiLineEdit*> passwords;
    std::vector<UiStatic*> labels; // by row
    std::map<int, std::function<void()>> taps;
};

// A copy of a password edit's text in GB2312 that overwrites itself when it goes.
class CTypedSecret {
public:
    explicit CTypedSecret(const UiLineEdit& edit);
    ~CTypedSecret();
    CTypedSecret(const CTypedSecret&) = delete;
    CTypedSecret& operator=(const CTypedSecret&) = delete;
    const char* Get() const { return text.c_str(); }
    bool IsEmpty() const { return text.empty(); }

private:
    std::string text;
};
