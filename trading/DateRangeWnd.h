// CDateRangeWnd: the picker of a history query's dates: start and end date (YYYYMMDD) and whether deals or
// orders are wanted. Run by the history window, which deletes it.
#pragma once

#include "trading/FormWnd.h"

#include <string>

class CDateRangeWnd : public CFormWnd {
public:
    static constexpr int ID_KIND = 340;
    static constexpr int NO_KIND = -1;

    // start and end prefill the fields; kind 1 deals, 0 orders, NO_KIND for a query of one kind (no choice).
    CDateRangeWnd(LPCWSTR title, HWND owner, const std::string& start, const std::string& end, int kind);

    LPCWSTR GetMzClassName() override;
    void CreateControls() override;
    void OnActionButton() override;

    bool IsPicked() const { return picked; }
    const std::string& GetStart() const { return start; }
    const std::string& GetEnd() const { return end; }
    int GetKind() const { return kind; }
    UiLineEdit* GetStartEdit() const { return startEdit; }
    UiLineEdit* GetEndEdit() const { return endEdit; }

private:
    UiLineEdit* startEdit = nullptr;
    UiLineEdit* endEdit = nullptr;
    UiPushButton* kindButton = nullptr;
    std::string start, end;
    int kind;
    bool picked = false;
};
