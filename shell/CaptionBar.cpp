// The caption bar.
#include "shell/CaptionBar.h"

#include "core/AppData.h"
#include "core/HttpClient.h"
#include "platform/ui/Style.h"
#include "platform/ui/UiDraw.h"
#include "platform/win/Gdi.h"
#include "platform/win/WinUser.h"
#include "shell/WndMessages.h"

namespace {

constexpr int MARGIN = 10;
constexpr int PRESS_SHIFT_X = 5;
constexpr int PRESS_SHIFT_Y = 2;

void DrawIcon(HDC dc, CMzImage& image, int x, const RECT& bar, bool pressed)
{
    if (!image.IsLoaded())
        return;
    int y = bar.top + (bar.bottom - bar.top - image.GetImageHeight()) / 2;
    if (pressed) {
        x += PRESS_SHIFT_X;
        y += PRESS_SHIFT_Y;
    }
    image.DrawAt(dc, x, y);
}

void DrawLine2(HDC dc, int x0, int x1, int y, COLORREF color)
{
    HPEN pen = CreatePen(PS_SOLID, 2, color);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x0, y, nullptr);
    LineTo(dc, x1, y);
    SelectObject(dc, old);
    DeleteObject(pen);
}

} // namespace

CCaptionBar::CCaptionBar()
{
    appIcon.LoadImageFromRes(nullptr, RT_RCDATA, 102);
    homeIcon.LoadImage(CAppData::Instance()->GetFullPath(u"home.png").GetText());
}

CCaptionBar::~CCaptionBar()
{
    if (activityPhase != 0)
        KillTimer(ACTIVITY_TIMER);
}

void CCaptionBar::SetText(LPCWSTR text)
{
    if (text == nullptr || text[0] == 0)
        return;
    int n = 0;
    while (n < TITLE_CAPACITY - 1 && text[n] != 0) {
        title[n] = text[n];
        ++n;
    }
    title[n] = 0;
    UiCaptionLabel::SetText(title);
    Invalidate();
}

void CCaptionBar::PaintWin(HDC dc, RECT* rcWin, RECT*)
{
    RECT bar = *rcWin;
    int width = bar.right - bar.left;
    // Other widths keep the image last loaded.
    if ((width == 720 || width == 480) && width != backgroundWidth) {
        backgroundName = width == 720 ? u"captionbg_720.png" : u"captionbg.png";
        background.LoadImage(CAppData::Instance()->GetFullPath(backgroundName).GetText());
        backgroundWidth = width;
    }
    if (background.IsLoaded())
        background.Draw(dc, &bar, TRUE);
    else
        UiFillRect(dc, bar, Style::CaptionFill);

    tradeIcon.LoadImageFromRes(nullptr, RT_RCDATA, CAppData::tradeLoggedIn.load() ? 103 : 104);

    int titleLeft = bar.left + MARGIN;
    if (appIcon.IsLoaded()) {
        DrawIcon(dc, appIcon, bar.left + MARGIN, bar, false);
        titleLeft = bar.left + MARGIN + appIcon.GetImageWidth() + MARGIN;
    }
    homeX = bar.right - MARGIN - homeIcon.GetImageWidth();
    DrawIcon(dc, homeIcon, homeX, bar, homePressed != 0);
    tradeX = homeX - MARGIN - tradeIcon.GetImageWidth();
    DrawIcon(dc, tradeIcon, tradeX, bar, tradePressed != 0);

    RECT titleArea{titleLeft, bar.top, tradeX - MARGIN, bar.bottom};
    UiDrawText(dc, title, titleArea, DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER | DT_LEFT, GetTextSize(), FW_NORMAL,
               Style::CaptionTitle);
}

int CCaptionBar::OnLButtonDown(UINT flags, int x, int y)
{
    int tradeWidth = tradeIcon.GetImageWidth();
    int homeWidth = homeIcon.GetImageWidth();
    if (tradeEnabled && x > tradeX && x < tradeX + tradeWidth) {
        tradePressed = 1;
        Invalidate();
    } else if (homeEnabled && x > homeX && x < homeX + homeWidth) {
        homePressed = 1;
        Invalidate();
    }
    return UiCaptionLabel::OnLButtonDown(flags, x, y);
}

int CCaptionBar::OnLButtonUp(UINT flags, int x, int y)
{
    // Wherever the finger is lifted: the press decided.
    if (tradePressed) {
        tradePressed = 0;
        PostToHost(WM_CAPTION_TRADE, 0, 0);
        Invalidate();
    } else if (homePressed) {
        homePressed = 0;
        PostToHost(WM_CAPTION_HOME, 0, 0);
        Invalidate();
    }
    return UiCaptionLabel::OnLButtonUp(flags, x, y);
}

void CCaptionBar::SetActivity(BOOL on)
{
    if (on) {
        activityPhase = 1;
        SetTimer(ACTIVITY_TIMER, ACTIVITY_PERIOD);
    } else {
        activityPhase = 0;
        KillTimer(ACTIVITY_TIMER);
        Invalidate();
    }
}

COLORREF CCaptionBar::ActivityColor(int networkState)
{
    switch (networkState) {
    case 0:
        return Style::ActivityDialling;
    case 1:
        return Style::ActivityConnecting;
    case 2:
        return Style::ActivitySending;
    case 3:
        return Style::ActivityReceiving;
    default:
        return Style::ActivityNone;
    }
}

int CCaptionBar::ActivityLength(int width, int phase)
{
    if (phase < 0)
        phase = 0;
    return (int)((long long)width * (phase % 21) / 20);
}

void CCaptionBar::OnTimer(UINT_PTR id)
{
    if (id != ACTIVITY_TIMER || activityPhase == 0)
        return;
    DrawActivity();
    // Wraps long before the counter could overflow; the cycle of 21 is kept.
    activityPhase = activityPhase >= 21 * 1000 ? 1 : activityPhase + 1;
}

void CCaptionBar::DrawActivity()
{
    HWND host = GetHostWnd();
    if (host == nullptr)
        return;
    HDC dc = GetDC(host);
    if (dc == nullptr)
        return;
    RECT bar = GetRect();
    int width = GetWidth();
    int y = bar.bottom - 2;
    DrawLine2(dc, bar.left, bar.left + width, y, Style::ActivityTrack);
    int length = ActivityLength(width, activityPhase);
    if (length > 0)
        DrawLine2(dc, bar.left, bar.left + length, y, ActivityColor(GetNetworkState()));
    ReleaseDC(host, dc);
}

void CCaptionBar::Describe(UiDescription& out) const
{
    UiCaptionLabel::Describe(out);
    out.kind = "CCaptionBar";
    out.text = title;
    out.extra = "activity=" + std::to_string(activityPhase) + " home=" + std::to_string(homeEnabled) +
                " trade=" + std::to_string(tradeEnabled) +
                " tradeLoggedIn=" + std::to_string(CAppData::tradeLoggedIn.load());
}
