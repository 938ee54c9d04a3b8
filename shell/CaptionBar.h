// CCaptionBar: the title strip at the top of every screen: background, application icon, title, the trade-state
// icon and the home icon (taps posted to the window), and the network activity line while a request is under way.
#pragma once

#include "platform/ui/MzImage.h"
#include "platform/ui/UiStatic.h"

class CCaptionBar : public UiCaptionLabel {
public:
    static constexpr UINT_PTR ACTIVITY_TIMER = 0xFFFF7001u;
    static constexpr UINT ACTIVITY_PERIOD = 100;
    static constexpr int TITLE_CAPACITY = 256;

    CCaptionBar();
    ~CCaptionBar() override;

    void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) override;
    int OnLButtonDown(UINT flags, int x, int y) override;
    int OnLButtonUp(UINT flags, int x, int y) override;
    void OnTimer(UINT_PTR id) override;
    // A null or empty text keeps the title; a longer one is cut to 255 characters.
    void SetText(LPCWSTR text) override;
    LPCWSTR GetText() const override { return title; }
    void Describe(UiDescription& out) const override;

    void SetActivity(BOOL on);
    int GetActivityPhase() const { return activityPhase; }
    void EnableHome(BOOL on) { homeEnabled = on ? 1 : 0; }
    void EnableTradeIcon(BOOL on) { tradeEnabled = on ? 1 : 0; }
    BOOL IsHomeEnabled() const { return homeEnabled; }
    BOOL IsTradeIconEnabled() const { return tradeEnabled; }
    // Where the icons were drawn last (window coordinates), for hit-testing; -1 before the first paint.
    int GetHomeIconX() const { return homeX; }
    int GetTradeIconX() const { return tradeX; }
    int GetHomeIconWidth() const { return homeIcon.GetImageWidth(); }
    int GetTradeIconWidth() const { return tradeIcon.GetImageWidth(); }
    // The background chosen at the last paint ("captionbg.png" or "captionbg_720.png"; empty before).
    LPCWSTR GetBackgroundName() const { return backgroundName; }

    // Colour of the activity line for a transport state (0 dialling .. 3 receiving; others black).
    static COLORREF ActivityColor(int networkState);
    // Length of the coloured part of the line at a phase: width x (phase mod 21) / 20.
    static int ActivityLength(int width, int phase);

private:
    void DrawActivity();

    CMzImage appIcon;
    CMzImage tradeIcon;
    CMzImage homeIcon;
    CMzImage background;
    WCHAR title[TITLE_CAPACITY] = {};
    LPCWSTR backgroundName = u"";
    int backgroundWidth = 0;
    int homeX = -1;
    int tradeX = -1;
    int homePressed = 0;
    int homeEnabled = 0;
    int tradePressed = 0;
    int tradeEnabled = 0;
    int activityPhase = 0;
};
