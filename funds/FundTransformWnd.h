// CFundTransformWnd: conversion of held shares into another fund of the same company: the fund picked from the
// shares held, the shares available, the target picked from the company's other funds, and the shares to convert.
#pragma once

#include "funds/HeldFundFormWnd.h"

class CFundTransformWnd : public CHeldFundFormWnd {
public:
    static constexpr int ID_TARGET = 302;

    CFundTransformWnd(LPCWSTR title, HWND owner);
    ~CFundTransformWnd() override;

    LPCWSTR GetMzClassName() override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    void CreateControls() override;
    void OnActionButton() override;

    void ChooseFund(int row) override;
    void ChooseTarget(int row);
    const std::vector<FundRow>& GetTargets() const { return targets; }
    UiLineEdit* GetSharesEdit() const { return sharesEdit; }

private:
    UiStatic* availableText = nullptr;
    UiPushButton* targetButton = nullptr;
    UiLineEdit* sharesEdit = nullptr;
    std::vector<FundRow> targets;
    int target = -1;
};
