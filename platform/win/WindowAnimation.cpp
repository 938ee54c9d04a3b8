// Window animations, played by the back end (a window back end slides; the headless one shows at once).
#include "platform/win/WindowAnimation.h"

#include "platform/win/Desktop.h"

using namespace morwick::display;

void AnimateMzWindow(HWND window, int effect, BOOL show)
{
    if (auto backEnd = GetBackEnd())
        backEnd->Animate(window, effect, show != 0);
}
