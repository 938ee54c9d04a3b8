// CFundBaseWnd: the base of the input forms (fund orders, searches, transfers, trade orders, password change):
// labelled rows on a fixed grid inside a rounded panel and a three-button command bar (home, the form's action,
// back). Derived forms make their controls in CreateControls and act in OnActionButton.
#pragma once

#include "shell/FormLayout.h"
#include "shell/NetWnd.h"

class CFundBaseWnd : public CNetWnd {
public:
    CFundBaseWnd(LPCWSTR title, HWND parent);
    ~CFundBaseWnd() override;

    LPCWSTR GetMzClassName() override;
    void PaintWin(HDC dc, RECT* window, RECT* update) override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;

    virtual void CreateControls() = 0;
    virtual void OnActionButton() = 0;
    // The rectangle the rounded panel surrounds (window coordinates); the base gives an empty one.
    virtual RECT GetPanelRect();

    // Row n of a two-column form: column 0 the label, column 1 the value.
    RECT* GetRowRect(RECT* rect, int column, int row) const;
    // Three columns: label, value, a narrow unit or button.
    RECT* GetRowRect3(RECT* rect, int column, int row) const;
    void EnableToolbar(BOOL enabled);
    // The form's own "answer awaited" flag while a submission is under way (null when none): when its answer is
    // lost the flag is cleared and the command bar given back.
    void SetSubmitFlag(bool* flag) { submitFlag = flag; }
    void OnReplyLost() override;
    // A submission that must never go twice (SendOnce): *underWay (read by the form's BuildRequest) is set and the
    // command bar disabled while it is under way; when nothing could be sent both are undone and the user is told
    // the system is busy. Returns *underWay.
    bool SubmitOnce(bool* underWay);
    // SubmitOnce's steps for a form that keeps its submission in a state of its own: SendOnce with the command bar
    // disabled, which is given back when nothing was sent (false); then, after the form has stepped back, the tip.
    bool SendOnceWithBarDisabled();
    void TellBusy();
    // Whether the panel is drawn at the next paint.
    bool DrawsPanel();

    static void MakeListItem(const char* text, const char* code, BYTE flag, ListItem* item);
    // A new array (delete[]) copying texts and sharing data words; null (count 0) for no items.
    static ListItem* CopyListItems(const ListItem* items, int n, int* count);
    // The code of item n's payload; null for no items, a negative or too large index, or no payload.
    static const char* GetItemData(const ListItem* items, int n, int index);

    LPCWSTR actionLabel = u"确定";
    int left = 20;
    int top = 20;
    int rowCount = 0;
    int rowPitch = 80;
    BYTE panelFrame = 1;

private:
    bool* submitFlag = nullptr;
};
