// CKXParamWnd: the K-line chart's parameter picker: the period and the indicator (from the server
// configuration's "tech" list), handed back to the chart in a posted message.
#pragma once

#include "platform/ui/UiStatic.h"
#include "shell/CheckList.h"
#include "shell/NetWnd.h"

#include <cstdint>

// Posted to the K-line chart with 0xFFF2000D (lParam a KXParamRecord* the receiver frees).
struct KXParamRecord {
    int32_t period = 0;      // "type" of the request
    char techName[16] = {0}; // "techname": a key of the "tech" list
};

// The periods the chart offers, in the order shown: their "type" and caption.
struct KXPeriod {
    int type;
    const char16_t* caption;
};
extern const KXPeriod KX_PERIODS[];
extern const int KX_PERIOD_COUNT;
// The caption of a period ("日线" for an unknown one).
const char16_t* KXPeriodCaption(int type);

class CKXParamWnd : public CNetWnd {
public:
    static constexpr int ID_LABEL = 302;
    static constexpr int ID_PERIOD_LIST = 187;
    static constexpr int ID_TECH_LIST = 188;

    CKXParamWnd(LPCWSTR title, HWND parent);
    ~CKXParamWnd() override;

    LPCWSTR GetMzClassName() override;
    void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void OnScreenModeChanged(int orientation) override;

    // The choice the lists open on.
    void SetParams(int period, const char* techName);
    // Posts the chosen period and indicator to the owner and ends.
    void Confirm();

    CCheckList& GetPeriodList() { return periods; }
    CCheckList& GetTechList() { return techs; }

private:
    void PlaceControls();

    CCheckList periods;
    CCheckList techs;
    UiStatic labels[2];
    KXParamRecord* record = nullptr;
    HWND owner = nullptr;
};
