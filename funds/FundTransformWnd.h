// CFundTransformWnd: conversion of held shares into another fund of the same company: the fund picked from the
// shares held, the shares available, the target picked from the company's other funds, and the shares to convert.
#pragma once

#include "funds/FundForm.h"
#include "shell/FundBaseWnd.h"

class CFundTransformWnd : public CFundBaseWnd {
public:
    static constexpr int ID_FUND = 301;
    static constexpr int ID_TARGET = 302;

    CFundTransformWnd(LPCWSTR title, HWND owner);
    ~CFundTransformWnd() override;

    LPCWSTR GetMzClassName() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    void OnActive() override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    // Fetches the shares held (then the chosen fund's company's funds).
    void Request() override;
    void CreateControls() override;
    void OnActionButton() override;
    RECT GetPanelRect() override;

    void ChooseFund(int row);
    void ChooseTarget(int row);
    const std::vector<FundRow>& GetHoldings() const { return holdings; }
    const std::vector<FundRow>& GetTargets() const { return targets; }
    UiLineEdit* GetSharesEdit() const { return sharesEdit; }

private:
    CFormRows rows{this};
    CFundChoices choices{this};
    UiPushButton* fundButton = nullptr;
    UiStatic* availableText = nullptr;
    UiPushButton* targetButton = nullptr;
    UiLineEdit* sharesEdit = nullptr;
    FundLookup lookup;
    std::vector<FundRow> holdings;
    std::vector<FundRow> targets;
    int chosen = -1;
    int target = -1;
    bool loginAsked = false;
};
