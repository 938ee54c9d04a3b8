// Pictures.
#include "platform/ui/UiPicture.h"

BOOL UiPicture::LoadImage(LPCWSTR fileName) {
    fileName_ = fileName;
    BOOL ok = own_.LoadImage(fileName);
    shown_ = ok ? &own_ : nullptr;
    Invalidate();
    return ok;
}

void UiPicture::SetImage(CMzImage* image) {
    shown_ = image;
    Invalidate();
}

void UiPicture::PaintWin(HDC dc, RECT* rcWin, RECT*) {
    if (shown_ && shown_->IsLoaded()) shown_->Draw(dc, rcWin, stretch_ ? TRUE : FALSE);
}

void UiPicture::Describe(UiDescription& out) const {
    UiWin::Describe(out);
    out.kind = "UiPicture";
    out.text.assign(fileName_.C_Str(), fileName_.Length());
    out.extra = std::string("loaded=") + (shown_ && shown_->IsLoaded() ? "1" : "0");
}
