// CQXInfoTxtWnd: an article (or any information text) asked of the server with the opener's parameter text and
// shown one reply row per line.
#pragma once

#include "shell/TextWnd.h"

class CQXInfoTxtWnd : public CTextWnd {
public:
    CQXInfoTxtWnd(LPCWSTR title, HWND owner);
    ~CQXInfoTxtWnd() override;

    LPCWSTR GetMzClassName() override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
};
