// The screen: its size and orientation, and the frame composed from the top-level windows' backings.
#include "platform/win/WinUser.h"

#include "platform/win/StatusStrip.h"
#include "platform/win/WindowTable.h"

using namespace morwick::display;
using namespace morwick::windows;

int GetSystemMetrics(int index)
{
    if (index == SM_CXSCREEN)
        return ScreenWidth();
    if (index == SM_CYSCREEN)
        return ScreenHeight();
    return 0;
}

namespace morwick::display {

void SetBackEnd(std::shared_ptr<BackEnd> backEnd)
{
    std::lock_guard<std::mutex> f(Frame().lock);
    Frame().backEnd = std::move(backEnd);
}

std::shared_ptr<BackEnd> GetBackEnd()
{
    std::lock_guard<std::mutex> f(Frame().lock);
    return Frame().backEnd;
}

DWORD ScreenOrientation()
{
    std::lock_guard<std::mutex> f(Frame().lock);
    return Frame().orientation;
}

static bool Portrait(DWORD o)
{
    return o == 1 || o == 4; // DMDO_90, DMDO_270
}

int ScreenWidth()
{
    return Portrait(ScreenOrientation()) ? SCREEN_SHORT_SIDE : SCREEN_LONG_SIDE;
}

int ScreenHeight()
{
    return Portrait(ScreenOrientation()) ? SCREEN_LONG_SIDE : SCREEN_SHORT_SIDE;
}

void SetScreenOrientation(DWORD orientation)
{
    {
        std::lock_guard<std::mutex> f(Frame().lock);
        Frame().orientation = orientation;
    }
    Guard g(Desk().lock);
    MarkDirty();
}

DWORD GuiThreadId()
{
    return guiThread.load();
}

void ComposeScreen(bool force)
{
    std::vector<std::pair<const Surface*, RECT>> layers;
    std::vector<bool> layered;
    int w = ScreenWidth(), h = ScreenHeight();
    std::shared_ptr<BackEnd> backEnd;
    Surface snapshot;
    {
        Guard g(Desk().lock);
        if (!Desk().screenDirty && !force)
            return;
        // A window that shows again after its backing was released is shown once it has been painted anew; until
        // then the screen keeps what it showed.
        size_t first = FirstShownLocked(w, h);
        if (!RestoreShownLocked(first)) {
            Desk().screenDirty = true;
            return;
        }
        Desk().screenDirty = false;
        std::lock_guard<std::mutex> f(Frame().lock);
        Surface& s = Frame().frame;
        if (s.width != w || s.height != h)
            s.Resize(w, h, 0xFF000000u);
        else
            FillSurfaceRect(s, RECT{0, 0, w, h}, 0xFF000000u);
        DrawStatusStrip(s);
        // Start from the highest opaque window that covers the screen below the status strip.
        auto& st = Desk().stack;
        RECT screen{0, 0, w, h};
        for (size_t i = first; i < st.size(); ++i) {
            Window* win = Find(st[i]);
            if (!win || !win->visible || win->backing.width == 0)
                continue;
            RECT at{win->rect.left, win->rect.top, win->rect.left + win->backing.width,
                    win->rect.top + win->backing.height};
            BlitSurface(s, screen, at, win->backing, RECT{0, 0, win->backing.width, win->backing.height},
                        (win->exStyle & WS_EX_LAYERED) != 0);
        }
        backEnd = Frame().backEnd;
        if (backEnd)
            snapshot = s;
    }
    if (backEnd)
        backEnd->Present(snapshot);
}

Surface CopyScreen()
{
    std::lock_guard<std::mutex> f(Frame().lock);
    return Frame().frame;
}

} // namespace morwick::display
