// Pictures.
#include "platform/ui/UiPicture.h"

BOOL UiPicture::LoadImage(LPCWSTR path)
{
    fileName = path;
    BOOL ok = own.LoadImage(path);
    shown = ok ? &own : nullptr;
    Invalidate();
    return ok;
}

void UiPicture::SetImage(CMzImage* image)
{
    shown = image;
    Invalidate();
}

void UiPicture::PaintWin(HDC dc, RECT* rcWin, RECT*)
{
    if (shown && shown->IsLoaded())
        shown->Draw(dc, rcWin, stretch ? TRUE : FALSE);
}

void UiPicture::Describe(UiDescription& out) const
{
    UiWin::Describe(out);
    out.kind = "UiPicture";
    out.text.assign(fileName.C_Str(), fileName.Length());
    out.extra = std::string("loaded=") + (shown && shown->IsLoaded() ? "1" : "0");
}
