// The colour arithmetic of the style.
#include "platform/ui/Style.h"

namespace Style {

namespace {

BYTE MixChannel(int a, int b, int num, int den) { return (BYTE)(a + (b - a) * num / (den ? den : 1)); }

} // namespace

COLORREF Mix(COLORREF a, COLORREF b, int num, int den) {
    return RGB(MixChannel(GetRValue(a), GetRValue(b), num, den), MixChannel(GetGValue(a), GetGValue(b), num, den),
               MixChannel(GetBValue(a), GetBValue(b), num, den));
}

} // namespace Style
