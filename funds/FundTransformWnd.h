// CFundTransformWnd: conversion of held shares into another fund of the same company: the fund picked from the
// shares held, the shares available, the target picked from the company's other funds, and the shares to convert.
#pragma once

#include "funds/FundFormWnd.h"

class CFundTransformWnd : public CFundFormWnd {
public:
    static constexpr int ID_FUND = 301;
    static constexpr int ID_TARGET = 302;

    CFundTransformWnd(LPCWSTR title, HWND owner);
    ~CFundTransformWnd() override;

    LPCWSTR GetMzClassName() override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    // Fetches the shares held (then the chosen fund's company's funds).
    void Request() override;
    void CreateControls() override;
    void OnActionButton() override;

    void ChooseFund(int row);
    void ChooseTarget(int row);
    const std::vector<FundRow>& GetHoldings() const { return holdings; }
    const std::vector<FundRow>& GetTargets() const { return targets; }
    UiLineEdit* GetSharesEdit() const { return sharesEdit; }

private:
    UiPushButton* fundButton = nullptr;
    UiStatic* availableText = nullptr;
    UiPushButton* targetButton = nullptr;
    UiLineEdit* sharesEdit = nullptr;
    std::vector<FundRow> holdings;
    std::vector<FundRow> targets;
    int chosen = -1;
    int target = -1;
};
