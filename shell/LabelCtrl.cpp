// The label control.
#include "shell/LabelCtrl.h"

#include "platform/ui/Style.h"
#include "platform/win/Gdi.h"
#include "platform/win/WinUser.h"

namespace {
constexpr UINT SINGLE_LINE_FORMAT = DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER | DT_LEFT;
constexpr UINT WRAPPED_FORMAT = DT_NOCLIP | DT_WORDBREAK;
} // namespace

void CLabelCtrl::SetText(LPCWSTR value)
{
    text = value;
    UiStatic::SetText(value);
    Invalidate();
}

int CLabelCtrl::MeasureHeight()
{
    HWND host = GetHostWnd();
    HDC dc = GetDC(host);
    if (dc == nullptr)
        return 0;
    HGDIOBJ old =
        SelectObject(dc, CreateMzFont(FontHeight(), bold ? FW_SEMIBOLD : FW_NORMAL, linkStyle ? TRUE : FALSE));
    SIZE extent{0, 0};
    GetTextExtentPoint32W(dc, text.C_Str(), (int)text.Length(), &extent);
    SelectObject(dc, old);
    ReleaseDC(host, dc);
    int width = GetWidth();
    // A label not placed yet has no width to wrap in: it counts as one line rather than dividing by zero.
    if (singleLine || width <= 0)
        return extent.cy;
    return (extent.cx / width + 1) * extent.cy;
}

void CLabelCtrl::PaintWin(HDC dc, RECT* rcWin, RECT*)
{
    if (text.IsEmpty())
        return;
    if (linkStyle)
        textColor = Style::LinkText;
    HGDIOBJ oldFont =
        SelectObject(dc, CreateMzFont(FontHeight(), bold ? FW_SEMIBOLD : FW_NORMAL, linkStyle ? TRUE : FALSE));
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColor = ::SetTextColor(dc, textColor);
    RECT rc = pressed ? pressedRect : *rcWin;
    DrawTextW(dc, text.C_Str(), -1, &rc, singleLine ? SINGLE_LINE_FORMAT : WRAPPED_FORMAT);
    ::SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
}

int CLabelCtrl::OnLButtonDown(UINT flags, int x, int y)
{
    if (linkStyle) {
        pressedRect = GetRect();
        OffsetRect(&pressedRect, 6, 3);
        pressed = 1;
        Invalidate();
    }
    return UiStatic::OnLButtonDown(flags, x, y);
}

int CLabelCtrl::OnLButtonUp(UINT flags, int x, int y)
{
    if (linkStyle) {
        pressed = 0;
        Invalidate();
        PostNotify(NOTIFY_LINK, (LPARAM)this);
    }
    return UiStatic::OnLButtonUp(flags, x, y);
}

void CLabelCtrl::Describe(UiDescription& out) const
{
    UiStatic::Describe(out);
    out.kind = "CLabelCtrl";
    out.text = text.C_Str();
    if (linkStyle)
        out.extra = "link=1";
}
