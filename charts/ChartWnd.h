// CChartWnd: the window base of the two charts. It takes the security ("code", its market after the first ".")
// and the day ("date") from the parameter text, asks again at the next activation when either differs from what
// it shows, gives its chart view the whole area between the caption bar and the tool bar in portrait and in
// landscape, refreshes in trading hours when the setting asks for it, and shows an empty chart with a message
// when the server has nothing, never the bars of the security shown before.
#pragma once

#include "charts/ChartView.h"
#include "shell/NetWnd.h"

#include <string>

class CReplyRecordSet;

class CChartWnd : public CNetWnd {
public:
    CChartWnd(LPCWSTR title, HWND owner);
    ~CChartWnd() override;

    LPCWSTR GetMzClassName() override;
    BOOL OnInitDialog() override;
    int OnInitParam(int menuId, const char* info, const char* params) override;
    void OnScreenModeChanged(int orientation) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;

    // The security as given ("600010.1" or "600010.01"), its code and market, and the day ("" for today).
    const char* GetCode() const { return code.c_str(); }
    int GetMarket() const { return market; }
    const char* GetDate() const { return date.c_str(); }
    virtual CChartView* GetView() = 0;

protected:
    // The reply of the window's own request, error replies excepted. fresh: the first reply for this security.
    virtual void OnChartReply(CReplyRecordSet& reply, bool fresh) = 0;
    // Forget the data of the security shown before.
    virtual void ClearChart() = 0;
    virtual bool ChartIsEmpty() = 0;
    void PlaceView();
    // Runs a window this chart created itself (deals, radar, parameters) modally over it; it is released like
    // every child when its close arrives.
    virtual void RunChild(CBaseWnd* child, const char* params);
    // The code without its market ("600010").
    std::string BareCode() const;

    std::string code;
    int market = 0;
    std::string date;
    // The next reply is the first for a security or day: it replaces whatever is shown.
    bool fresh = true;
};
