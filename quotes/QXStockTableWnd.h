// CQXStockTableWnd: the ranked quote table: the securities of one market and class ranked by the server on one
// criterion, a page of rows at a time, with paging, a header tap reversing the direction, a window for choosing
// the ranking, and per-row actions.
#pragma once

#include "quotes/QXTableWnd.h"
#include "quotes/QuoteTools.h"
#include "shell/WndMessages.h"

#include <string>
#include <vector>

// The ranking choice handed from the sort parameter window to the table (the receiver frees it).
struct SortParamRecord {
    char marketKey[10] = {0};
    char classKey[10] = {0};
    char sortKey[10] = {0};
    int32_t direct = 1;
};

// Posted to the table with lParam = a SortParamRecord*.
constexpr UINT WM_SORT_PARAMS = WM_PARAMS_CHOSEN;

class CQXStockTableWnd : public CQXTableWnd {
public:
    static constexpr int PAGE_SIZE = 20;
    static constexpr int ID_TOOL_BAR = 101;
    static constexpr int CMD_CANCEL = 121;
    static constexpr int CMD_SELL = 122;
    static constexpr int CMD_BUY = 123;
    static constexpr int CMD_DETAIL = 125;
    static constexpr int CMD_ADD_TO_MY_QUOTES = 126;
    static constexpr int CMD_SORT_PARAMS = 127;

    CQXStockTableWnd(LPCWSTR title, HWND parent);
    ~CQXStockTableWnd() override;

    LPCWSTR GetMzClassName() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    int OnInitParam(int menuId, const char* info, const char* params) override;
    void OnActive() override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    // Opens the time-share chart of the row; -1 for no such row.
    int OnOK(int row) override;
    virtual void OnMenuCommand(int command);

    // Takes the ranking record's non-empty keys and its direction, and asks again from page 0.
    void ApplySortParams(const SortParamRecord& record);
    void ShowActionMenu();
    void PreviousPage();
    void NextPage();

    const std::string& GetMarketKey() const { return marketKey; }
    const std::string& GetClassKey() const { return classKey; }
    const std::string& GetSortKey() const { return sortKey; }
    int GetDirect() const { return direct; }
    void SetPage(int value) { page = value; }
    // The caption the window shows from the three names.
    std::u16string CaptionText() const;

private:
    // Takes value as the key of setting when it differs without regard to case; the name follows the key.
    void TakeKey(const char* setting, const char* value, std::string& key, std::string& name);
    void Box(const char16_t* text, const char16_t* caption);

    std::string marketKey, classKey, sortKey;
    std::string marketName, className, sortName;
    int direct = 1;
    std::vector<QuoteToolButton> tools;
};
