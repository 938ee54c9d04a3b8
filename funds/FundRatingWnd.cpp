#include "funds/FundRatingWnd.h"

CFundRatingWnd::CFundRatingWnd(LPCWSTR title, HWND owner) : CFundSortWnd(title, owner) {}

CFundRatingWnd::~CFundRatingWnd() = default;

LPCWSTR CFundRatingWnd::GetMzClassName()
{
    return u"CFundRatingWnd";
}
