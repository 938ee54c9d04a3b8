// CSalesDeptSetWnd: the branch-office choice ("营业部设置", "yybsz"): the firm's offices from the server in the
// drop-down box, "添加" puts the chosen one on the user's list, "删除" takes the selected one off; the list is
// kept in "yyb" at every change.
#pragma once

#include "platform/ui/UiButton.h"
#include "platform/ui/UiList.h"
#include "platform/ui/UiStatic.h"
#include "shell/ComboBoxWnd.h"
#include "trading/BranchOffices.h"

#include <string>
#include <vector>

class CSalesDeptSetWnd : public CComboBoxWnd {
public:
    static constexpr int ID_ADD = 330;
    static constexpr int ID_MY_LIST = 331;

    CSalesDeptSetWnd(LPCWSTR title, HWND owner);
    ~CSalesDeptSetWnd() override;

    LPCWSTR GetMzClassName() override;
    BOOL OnInitDialog() override;
    void OnScreenModeChanged(int orientation) override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;

    // The chosen office of the box onto the user's list (saved); 0 when nothing was added.
    int AddChosen();
    // The user's office at row off the list (saved); 0 when there is none.
    int RemoveAt(int row);
    const std::vector<BranchOffice>& GetMyOffices() const { return mine; }
    int GetServerOfficeCount() const { return (int)firm.size(); }
    UiList& GetMyList() { return myList; }
    UiStatic& GetMyLabel() { return myLabel; }

private:
    void FillMyList();
    void PlaceMyList();
    bool Save();

    std::vector<BranchOffice> firm;       // from the server, in the box's order
    std::vector<std::u16string> firmKeys; // wide codes the box's rows point to
    std::vector<BranchOffice> mine;
    UiPushButton addButton;
    UiStatic myLabel;
    UiList myList;
};
