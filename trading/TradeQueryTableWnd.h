// CTradeQueryTableWnd: the trade query table ("tradequery"): positions, cash, orders or deals of the day, as its
// menu parameter text names, paged through the server's position value with the tool bar (menu, previous,
// next, refresh, back). Nothing is asked while no one is logged in to trading.
#pragma once

#include "shell/QueryTableWnd.h"

class CTradeQueryTableWnd : public CQueryTableWnd {
public:
    // What the tool bar's buttons do; the bar shows them in the order AddToolButtons adds them.
    enum { TOOL_MENU = 0, TOOL_PREVIOUS = 1, TOOL_NEXT = 2, TOOL_REFRESH = 3, TOOL_BACK = 4, TOOL_CANCEL_ORDER = 5 };

    CTradeQueryTableWnd(LPCWSTR title, HWND owner);
    ~CTradeQueryTableWnd() override;

    LPCWSTR GetMzClassName() override;
    BOOL OnInitDialog() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnActive() override;
    void InitMenu(CPopMenuWnd* menu) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    // The tool command of a tool-bar button, -1 for none.
    int GetToolCommand(int button) const;

    // A tapped row; the base does nothing.
    virtual void OnRowTap(int row);

protected:
    // The query's own fields after the parameter text ("" by default).
    virtual std::string ExtraFields();
    // Fills the tool bar: menu, previous, next, refresh, back.
    virtual void AddToolButtons();
    void AddTool(int command, UINT image, LPCWSTR text = nullptr);
    // A tool command that the base does not handle.
    virtual void OnToolCommand(int command);

private:
    std::vector<int> toolCommands;
};
