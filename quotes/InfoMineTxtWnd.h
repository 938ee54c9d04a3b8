// CInfoMineTxtWnd: the information radar of one stock: the day's radar notes asked of the server and shown as
// plain text, one note per line.
#pragma once

#include "shell/TextWnd.h"

class CInfoMineTxtWnd : public CTextWnd {
public:
    static constexpr int CODE_CAPACITY = 20;
    static constexpr int DATE_CAPACITY = 12;
    static constexpr int ID_CAPACITY = 16;

    CInfoMineTxtWnd(LPCWSTR title, HWND parent);
    ~CInfoMineTxtWnd() override;

    LPCWSTR GetMzClassName() override;
    BOOL OnInitDialog() override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;

    // Copy a non-empty text (cut to the field's room); a null or empty one leaves the field as it is.
    void SetCode(const char* text);
    void SetId(const char* text);
    void SetDate(const char* text);

    const char* GetCode() const { return code; }
    const char* GetId() const { return id; }
    const char* GetDate() const { return date; }

protected:
    char code[CODE_CAPACITY] = {};
    char date[DATE_CAPACITY] = {};
    char id[ID_CAPACITY] = {};
};
