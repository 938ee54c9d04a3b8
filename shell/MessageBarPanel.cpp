// The message bar's background picture.
#include "shell/MessageBarPanel.h"

void CMessageBarPanel::SetWidthImage(int windowWidth)
{
    UINT id = windowWidth == 720 ? 271u : windowWidth == 480 ? 270u : pictureId;
    if (id != 0 && id != pictureId && picture.LoadPlatformImage(id))
        pictureId = id;
}

void CMessageBarPanel::PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate)
{
    if (picture.IsLoaded())
        picture.Draw(dc, rcWin, TRUE);
    else
        UiStatic::PaintWin(dc, rcWin, rcUpdate);
}
