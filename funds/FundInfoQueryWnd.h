// CFundInfoQueryWnd: the user's funds ("我的基金"): the funds whose codes the user added from any fund table, kept
// in the data file "MyFunds" (codes joined by ","), with their latest figures from the server.
#pragma once

#include "funds/FundTableWnd.h"

#include <string>

class CFundInfoQueryWnd : public CFundTableWnd {
public:
    CFundInfoQueryWnd(LPCWSTR title, HWND owner);
    ~CFundInfoQueryWnd() override;

    LPCWSTR GetMzClassName() override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;

    // Adds code to the user's funds: "已在我的基金!" (2000 ms) and 0 when an entry of the same length equals it
    // ignoring ASCII case; otherwise appends it, and unless quiet shows "我的基金添加成功!"; 1. A list that
    // exists but cannot be read is left alone, and a list that cannot be written is reported: both give 0.
    static int AddToMyFunds(const char* code, HWND owner, BYTE quiet);
    // The stored list; false when the file exists but cannot be read (a missing file is an empty list).
    static bool ReadMyFunds(std::string* list);

protected:
    void ShapeGrid(int shownColumns) override;
};
