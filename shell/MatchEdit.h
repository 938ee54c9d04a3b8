// CMatchEdit: a one-line edit that tells its window (code 1) when a typed character leaves the text at its
// maximum length, for code fields that look up what was typed once it is complete.
#pragma once

#include "platform/ui/UiEdit.h"

class CMatchEdit : public UiLineEdit {
public:
    static constexpr int NOTIFY_FULL = 1;

    ~CMatchEdit() override = default;
    void OnSetFocus() override { UiLineEdit::OnSetFocus(); }
    void OnKillFocus() override { UiLineEdit::OnKillFocus(); }
    int OnChar(WCHAR ch) override;
    void Describe(UiDescription& out) const override;
};
