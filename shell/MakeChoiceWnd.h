// CMakeChoiceWnd: the small modal picker of the forms: the choices in a single-choice check list on a rounded
// panel; the first tap on a row (or "确定") posts the checked row indexes to the parent with the form's cookie.
#pragma once

#include "shell/BaseWnd.h"
#include "shell/CheckList.h"

#include <vector>

class CMakeChoiceWnd : public CBaseWnd {
public:
    static constexpr int ID_CHECK_LIST = 170;

    CMakeChoiceWnd(LPCWSTR title, HWND parent, int cookie);
    ~CMakeChoiceWnd() override;

    LPCWSTR GetMzClassName() override;
    void PaintWin(HDC dc, RECT* window, RECT* update) override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void OnInactive() override;
    void OnScreenModeChanged(int orientation) override;

    // Copies of the n items (texts and data words; the payloads stay the caller's). n <= 0 changes nothing.
    void SetItems(const ListItem* items, int n);
    int GetChoiceCount() const { return (int)choices.size(); }
    int GetCookie() const { return cookie; }
    CCheckList& GetCheckList() { return checkList; }

private:
    void PlaceList();
    // Posts the checked rows to the parent; says so when none is checked.
    void Confirm();

    CCheckList checkList;
    std::vector<ListItem> choices;
    BYTE multiChoice = 0;
    int cookie = 0;
};
