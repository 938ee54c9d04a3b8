// CTradeCancelWnd: the order cancel table ("wtcd"): the day's orders that can still be cancelled. "撤单" in the
// action menu or the tool bar, or a second tap on the selected row, asks for confirmation and cancels the order
// once; then the table is asked again.
#pragma once

#include "trading/TradeQueryTableWnd.h"

class CTradeCancelWnd : public CTradeQueryTableWnd {
public:
    static constexpr int CMD_CANCEL_ORDER = 140;

    CTradeCancelWnd(LPCWSTR title, HWND owner);
    LPCWSTR GetMzClassName() override;
    void OnRowTap(int row) override;
    void InitMenu(CPopMenuWnd* menu) override;
    void OnMenuCommand(int command) override;

    // Cancels the selected order (after its confirmation); tells the user when no row is selected.
    void CancelSelected();

protected:
    std::string ExtraFields() override;
    void AddToolButtons() override;
    void OnToolCommand(int command) override;
};
