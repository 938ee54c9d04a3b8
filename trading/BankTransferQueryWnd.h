// CBankTransferQueryWnd: the transfer history ("banktranquery"): a trade query table of the account's transfers
// between bank and securities account, signed by direction.
#pragma once

#include "trading/TradeQueryTableWnd.h"

class CBankTransferQueryWnd : public CTradeQueryTableWnd {
public:
    CBankTransferQueryWnd(LPCWSTR title, HWND owner);
    LPCWSTR GetMzClassName() override;
};
