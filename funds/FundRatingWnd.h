// CFundRatingWnd: the fund rating: the ranking's table and sort picker over the rating function's columns.
#pragma once

#include "funds/FundSortWnd.h"

class CFundRatingWnd : public CFundSortWnd {
public:
    CFundRatingWnd(LPCWSTR title, HWND owner);
    ~CFundRatingWnd() override;

    LPCWSTR GetMzClassName() override;
};
