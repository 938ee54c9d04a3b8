// CStockDealDetailWnd: the single deals of one security on one day (time, price, volume, buy/sell side) in a
// table that pages by time: earlier deals replace the table, later ones slide it up.
#pragma once

#include "core/AString.h"
#include "shell/TableWnd.h"

class CStockDealDetailWnd : public CTableWnd {
public:
    static constexpr int ROW_LIMIT = 11;
    static constexpr int UNBOUNDED_COUNT = 1000;

    CStockDealDetailWnd(LPCWSTR title, HWND owner);
    ~CStockDealDetailWnd() override;

    LPCWSTR GetMzClassName() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    int OnInitParam(int menuId, const char* info, const char* params) override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) override;

    // The time (HHMM) of a row's first cell, 0 without the row or a ":" in it.
    int GetRowTime(int row);
    void ComputeCounters();

    const char* GetCode() const { return code.GetData(); }
    const char* GetDate() const { return date.GetData(); }
    int GetDirection() const { return direction; }
    void SetDirection(int value) { direction = value; }
    int GetLastRowTime() const { return lastRowTime; }
    int GetLastRowCount() const { return lastRowCount; }
    int GetFirstRowTime() const { return firstRowTime; }
    int GetFirstRowCount() const { return firstRowCount; }

private:
    int RowLimit() const;
    // Clears the table for the latest deals, or lets the oldest rows go so that records earlier ones fit.
    void MakeRoomFor(int records);
    // Adds the reply's deals (newest last), coloured against the quote's previous close.
    void AddDeals(CDataSet* info, CDataSet* deals, int records);
    void ShowDealsCaption(CDataSet* info);

    CAString code;
    CAString date{"0"};
    int lastRowTime = 0;
    int lastRowCount = 0;
    int firstRowTime = 0;
    int firstRowCount = 0;
    int direction = -1;
    bool headingsAdded = false;
};
