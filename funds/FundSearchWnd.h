// CFundSearchWnd: the fund search: part of a fund's name, or of its code, opens the matching funds in the
// results table ("of_jjxx").
#pragma once

#include "funds/FundForm.h"
#include "trading/FormWnd.h"

class CFundSearchWnd : public CFormWnd {
public:
    CFundSearchWnd(LPCWSTR title, HWND owner);
    ~CFundSearchWnd() override;

    LPCWSTR GetMzClassName() override;
    void CreateControls() override;
    void OnActionButton() override;

    // The results table's parameter text for what the user typed; empty (with the reason) when it cannot be
    // searched for.
    std::string MakeSearchParams(const std::string& typed, const char16_t** problem) const;
    UiLineEdit* GetKeyEdit() const { return keyEdit; }

private:
    UiLineEdit* keyEdit = nullptr;
};
