// CChartWnd: the window base of the two charts. It takes the security ("code", its market after the first ".")
// and the day ("date") from the parameter text, asks again at the next activation when either differs from what
// it shows, gives its chart view the whole area between the caption bar and the tool bar in portrait and in
// landscape, refreshes in trading hours when the setting asks for it, and shows an empty chart with a message
// when the server has nothing, never the bars of the security shown before.
#pragma once

#include "charts/ChartView.h"
#include "shell/NetWnd.h"

#include <string>

class CAString;
class CReplyRecordSet;

class CChartWnd : public CNetWnd {
public:
    CChartWnd(LPCWSTR title, HWND owner);
    ~CChartWnd() override;

    LPCWSTR GetMzClassName() override;
    BOOL OnInitDialog() override;
    int OnInitParam(int menuId, const char* info, const char* params) override;
    // Back at the front, a chart whose data is older than one refresh period asks again in trading hours.
    void OnActive() override;
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
    // A load that replaces the chart failed: whether the window keeps the chart it shows (putting back what it
    // shows it for); otherwise it is cleared and says that the load failed.
    virtual bool KeepShownChart() { return false; }
    // Forget the data of the security shown before.
    virtual void ClearChart() = 0;
    virtual bool ChartIsEmpty() = 0;
    void PlaceView();
    // Runs a window this chart created itself (deals, radar, parameters) modally over it; it is released like
    // every child when its close arrives.
    virtual void RunChild(CBaseWnd* child, const char* params);
    // The code without its market ("600010").
    std::string BareCode() const;
    // What a request for the chart shown now asks for (security and day; the K-line adds period and indicator).
    virtual std::string ChartKey() const;
    // A request built while the worker is busy would be dropped: BuildRequest then fills nothing and changes
    // nothing, so what the window remembers of its request is always what the reply answers.
    bool WorkerBusy();
    // Copies a built request into the part and remembers what it asked for; 0 when it does not fit.
    int PutRequest(char* part, int capacity, const CAString& text);

    std::string code;
    int market = 0;
    std::string date;
    // The next reply is the first for a security or day: it replaces whatever is shown.
    bool fresh = true;

private:
    // ChartKey of the request under way: a reply to another chart than the one now shown is not drawn.
    std::string askedFor;
    // The message clock of the last reply drawn; 0 before the first.
    DWORD loadedAt = 0;
};
