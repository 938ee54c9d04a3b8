#include "trading/BankTransferQueryWnd.h"

CBankTransferQueryWnd::CBankTransferQueryWnd(LPCWSTR title, HWND ownerWnd) : CTradeQueryTableWnd(title, ownerWnd) {}

LPCWSTR CBankTransferQueryWnd::GetMzClassName()
{
    return u"CBankTransferQueryWnd";
}
