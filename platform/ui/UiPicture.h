// A picture: a PNG image drawn over the control's rectangle.
#pragma once

#include "platform/ui/MzImage.h"
#include "platform/ui/UiWin.h"

class UiPicture : public UiWin {
public:
    // A full path or a file name in the program directory.
    BOOL LoadImage(LPCWSTR fileName);
    // An image owned by the caller (it must outlive the picture); null shows nothing.
    void SetImage(CMzImage* image);
    CMzImage* GetImage() { return shown; }
    void SetStretch(bool on) { stretch = on; }
    void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) override;
    void Describe(UiDescription& out) const override;

private:
    CMzImage own;
    CMzImage* shown = nullptr;
    CMzStr fileName;
    bool stretch = true;
};
