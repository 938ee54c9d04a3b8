// The keypad window of the client's forms.
#include "shell/CmdChildWnd.h"

#include "platform/ui/Style.h"
#include "shell/WndMessages.h"

LPCWSTR CCmdChildWnd::GetMzClassName()
{
    return u"CCmdChildWnd";
}

BOOL CCmdChildWnd::OnInitDialog()
{
    if (!CMzKeypadWnd::OnInitDialog())
        return FALSE;
    if (ownerWnd == nullptr)
        ownerWnd = GetWindow(m_hWnd, GW_OWNER);
    CMzImage* image = GetKeyImage(KEY_POINT);
    // Without its picture the point key keeps its text, so it is never a blank key.
    if (image != nullptr && image->LoadImageFromRes(nullptr, RT_RCDATA, POINT_KEY_IMAGE))
        SetKeyText(KEY_POINT, u"");
    SetKeyTextColor(KEY_POINT, Style::KeyText);
    SetKeyTextSize(KEY_POINT, Style::PointKeyTextSize);
    SetKeyTextWeight(KEY_POINT, 700);
    return TRUE;
}

void CCmdChildWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    int key = LOWORD(wParam);
    if (key == KEY_HIDE || key == KEY_CLEAR || key == KEY_DONE)
        return;
    if (HIWORD(wParam) == 0 && ownerWnd != nullptr)
        ::PostMessage(ownerWnd, WM_KEYPAD_KEY, (WPARAM)(intptr_t)id, (LPARAM)key);
    CMzKeypadWnd::OnMzCommand(wParam, lParam);
}
