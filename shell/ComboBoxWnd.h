// CComboBoxWnd: a networked window with one drop-down box: a display field, a drop button at its right end and
// a list under it. The box sends nothing; the derived window fills the list and reads the chosen row.
#pragma once

#include "platform/ui/MzImage.h"
#include "platform/ui/UiButton.h"
#include "platform/ui/UiEdit.h"
#include "platform/ui/UiList.h"
#include "shell/NetWnd.h"

// The drop-down list: a light rounded panel with the rows inset from its edges.
class CComboList : public UiList {
public:
    static constexpr int ROW_INSET = 3;
    void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) override;
    void Describe(UiDescription& out) const override;
};

class CComboBoxWnd : public CNetWnd {
public:
    static constexpr int ID_FIELD = 300;
    static constexpr int ID_DROP_BUTTON = 179;
    static constexpr int ID_LIST = 180;
    static constexpr int FIELD_HEIGHT = 60;

    CComboBoxWnd(LPCWSTR title, HWND parent);
    ~CComboBoxWnd() override;

    LPCWSTR GetMzClassName() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnLButtonDown(UINT keys, int x, int y) override;
    void OnLButtonUp(UINT keys, int x, int y) override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;

    // Field at (x, y, width, 60), button at its right end, list under the field.
    void SetPosition(int x, int y, int width, int height);
    RECT GetFieldRect() const { return field.GetRect(); }
    void AddItem(LPCWSTR text, DWORD_PTR data);
    void RemoveAllItems();
    // 0 for a missing row.
    DWORD_PTR GetItemData(int row) const;
    // Empty for a missing row.
    CMzStr GetItemText(int row) const;
    // The list's selected row, -1 for none.
    int GetCurSel() const { return list.GetSelectedIndex(); }
    // A row that exists is selected and shown in the field; any other changes neither.
    void SetCurSel(int row);
    // The first row whose data, read as a wide text, equals key; -1 for a null or empty key or no match.
    int FindItem(LPCWSTR key) const;

    BOOL IsListOpen() const { return listOpen; }
    LPCWSTR GetFieldText() const { return field.GetText(); }
    CComboList& GetList() { return list; }

protected:
    void ShowList(bool open);

    // The images outlive the button that draws them.
    CMzImage buttonNormal;
    CMzImage buttonPressed;
    UiLineEdit field;
    UiImageButton dropButton;
    CComboList list;
    int selectedRow = 0;
    BYTE listOpen = 0;
    int boxX = 40;
    int boxY = 40;
    int boxWidth = 310;
    int listHeight = 200;
};
