// CMessageBarPanel: the background of the message bar that CNetWnd carries under its caption bar.
#pragma once

#include "platform/ui/MzImage.h"
#include "platform/ui/UiStatic.h"

// The message bar's background: the platform's bar picture for the width (270 for 480 pixels, 271 for 720),
// drawn over the window's own pixels.
class CMessageBarPanel : public UiStatic {
public:
    void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) override;
    void SetWidthImage(int windowWidth);

private:
    CMzImage picture;
    UINT pictureId = 0;
};
