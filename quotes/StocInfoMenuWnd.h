// CStocInfoMenuWnd: the information menu of one stock: the server's information entries (the children of the
// window's menu entry), each opened with the stock's code added to its request. The opener gives the code without
// market suffix as info text and the stock's name as title.
#pragma once

#include "shell/QXMenuWnd.h"

#include <string>

class CStocInfoMenuWnd : public CQXMenuWnd {
public:
    CStocInfoMenuWnd(LPCWSTR title, HWND parent);
    ~CStocInfoMenuWnd() override;

    LPCWSTR GetMzClassName() override;
    // Opens entry index of the menu for this stock: the factory's result, or -1 when there is no such entry.
    int OnOK(int index) override;

    // The parameter text of an entry for a code: the entry's parameters, "&", "stkcode=" and the code.
    static std::string MakeEntryParams(const char* entryParams, const char* code);
    // The title of an opened entry: the entry's title, "_" and the stock's name (8-bit).
    static std::string MakeEntryTitle(const char* entryTitle, LPCWSTR stockName);
};
