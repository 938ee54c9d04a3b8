#include "funds/FundWindowMakers.h"

#include "funds/FundFHConfigWnd.h"
#include "funds/FundInfoListWnd.h"
#include "funds/FundInfoQueryWnd.h"
#include "funds/FundMenuWnd.h"
#include "funds/FundOpenAccountWnd.h"
#include "funds/FundRatingWnd.h"
#include "funds/FundRedemptionWnd.h"
#include "funds/FundRgSgWnd.h"
#include "funds/FundRiskAnnounceWnd.h"
#include "funds/FundSearchResultWnd.h"
#include "funds/FundSearchWnd.h"
#include "funds/FundShareQueryWnd.h"
#include "funds/FundTradeCancelWnd.h"
#include "funds/FundTransformWnd.h"
#include "funds/QlnBuyWnd.h"
#include "funds/QuillonProductWnd.h"
#include "funds/QuillonTerminateWnd.h"
#include "shell/WindowFactory.h"

namespace {

template <typename Wnd> CBaseWnd* Make(LPCWSTR title, HWND parent, int)
{
    return new Wnd(title, parent);
}

CBaseWnd* MakeFundRgSgWnd(LPCWSTR title, HWND parent, int mode)
{
    return new CFundRgSgWnd(title, parent, mode);
}

} // namespace

void InstallFundWindowMakers()
{
    CQueryTableWnd::SetMyFundsAdder(CFundInfoQueryWnd::AddToMyFunds);
    CWindowFactory::SetMaker("CFundInfoQueryWnd", Make<CFundInfoQueryWnd>);
    CWindowFactory::SetMaker("CFundMenuWnd", Make<CFundMenuWnd>);
    CWindowFactory::SetMaker("CFundShareQueryWnd", Make<CFundShareQueryWnd>);
    CWindowFactory::SetMaker("CFundSearchResultWnd", Make<CFundSearchResultWnd>);
    CWindowFactory::SetMaker("CFundInfoListWnd", Make<CFundInfoListWnd>);
    CWindowFactory::SetMaker("CFundSortWnd", Make<CFundSortWnd>);
    CWindowFactory::SetMaker("CFundRatingWnd", Make<CFundRatingWnd>);
    CWindowFactory::SetMaker("CFundTradeQueryWnd", Make<CFundTradeQueryWnd>);
    CWindowFactory::SetMaker("CFundRiskAnnounceWnd", Make<CFundRiskAnnounceWnd>);
    CWindowFactory::SetMaker("CQuillonProductWnd", Make<CQuillonProductWnd>);
    CWindowFactory::SetMaker("CFundSearchWnd", Make<CFundSearchWnd>);
    CWindowFactory::SetMaker("CFundFHConfigWnd", Make<CFundFHConfigWnd>);
    CWindowFactory::SetMaker("CFundOpenAccountWnd", Make<CFundOpenAccountWnd>);
    CWindowFactory::SetMaker("CFundRgSgWnd", MakeFundRgSgWnd);
    CWindowFactory::SetMaker("CFundTradeCancelWnd", Make<CFundTradeCancelWnd>);
    CWindowFactory::SetMaker("CFundRedemptionWnd", Make<CFundRedemptionWnd>);
    CWindowFactory::SetMaker("CFundTransformWnd", Make<CFundTransformWnd>);
    CWindowFactory::SetMaker("CQlnBuyWnd", Make<CQlnBuyWnd>);
    CWindowFactory::SetMaker("CQuillonTerminateWnd", Make<CQuillonTerminateWnd>);
}
