// CEditMyStockWnd: the stock search (mode 0: type a code or pinyin initials, pick a match, get its time-share
// chart) and the own stock editor (mode 1: reorder, delete and add items of the stored own stock list).
#pragma once

#include "shell/CheckList.h"
#include "shell/LabelCtrl.h"
#include "shell/MatchEdit.h"
#include "shell/NetWnd.h"

#include <string>
#include <vector>

class CEditMyStockWnd : public CNetWnd {
public:
    static constexpr int MODE_SEARCH = 0;
    static constexpr int MODE_EDIT = 1;
    static constexpr int ID_SEARCH_BUTTON = 177;
    static constexpr int ID_LABEL = 160;
    static constexpr int ID_EDIT = 176;
    static constexpr int ID_LIST = 170;
    static constexpr int INPUT_LIMIT = 6;

    CEditMyStockWnd(LPCWSTR title, HWND owner, int mode);
    ~CEditMyStockWnd() override;

    LPCWSTR GetMzClassName() override;
    void OnLButtonDown(UINT keys, int x, int y) override;
    void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void OnScreenModeChanged(int orientation) override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    // Hands "date=&code=<row code>" to the owner, which opens the time-share chart; -1 for no such row.
    int OnOK(int row) override;

    // 1 for a pinyin search (two or more ASCII letters, upper-cased into input), 0 for a code lookup.
    static int IsPinyinInput(std::string& input);
    // Starts a search with what the edit holds; the empty edit only tells the user.
    void StartSearch();
    void OnSearchCommand(int id, int code, LPARAM lParam);
    void OnEditCommand(int button);
    // Stores the rows' codes in row order; FALSE when the list could not be written.
    BOOL SaveList();
    // A yes/no question; 1 for yes.
    virtual int Ask(LPCWSTR text, LPCWSTR caption);

    int GetMode() const { return mode; }
    void SetMode(int value) { mode = value; }
    int IsModified() const { return modified; }
    int IsAddView() const { return addView; }
    int IsPinyinSearch() const { return pinyin; }
    CCheckList& GetList() { return list; }
    CMatchEdit& GetEdit() { return edit; }
    // The row's code text ("code.MM", two market digits); empty for no such row.
    std::string RowCode(int row) const;

private:
    struct EditorRow {
        std::string name, code, market;
    };
    void Layout();
    void AddRow(const std::string& text, const std::string& code);
    void AddStoredRows(const std::vector<EditorRow>& rows);
    void SwitchView();
    void MoveChecked(int direction);

    UiPushButton searchButton;
    UiPushButton spareButton1;
    UiPushButton spareButton2;
    CLabelCtrl label;
    CMatchEdit edit;
    CCheckList list;
    RECT frame{0, 0, 0, 0};
    int mode = MODE_SEARCH;
    int modified = 0;
    int addView = 0;
    BYTE pinyin = 0;
    std::string input;
};
