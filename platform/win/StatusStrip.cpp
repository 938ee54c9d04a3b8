// The phone's status strip: signal bars, the time and the battery, drawn straight into the screen frame.
#include "platform/win/StatusStrip.h"

#include "platform/win/Desktop.h"
#include "platform/win/Gdi.h"
#include "platform/win/Time.h"
#include "platform/win/WinUser.h"

using namespace morwick::display;

namespace morwick::windows {

void DrawStatusStrip(Surface& s)
{
    int w = s.width;
    FillSurfaceRect(s, RECT{0, 0, w, STATUS_STRIP_HEIGHT}, 0xFF101820u);
    for (int i = 0; i < 4; ++i) // signal bars
        FillSurfaceRect(s, RECT{8 + i * 6, 22 - i * 4, 12 + i * 6, 24}, 0xFFE0E0E0u);
    FillSurfaceRect(s, RECT{w - 40, 9, w - 12, 21}, 0xFFE0E0E0u); // battery
    FillSurfaceRect(s, RECT{w - 38, 11, w - 14, 19}, 0xFF30C030u);
    FillSurfaceRect(s, RECT{w - 12, 12, w - 9, 18}, 0xFFE0E0E0u);
    SYSTEMTIME t;
    GetLocalTime(&t);
    char16_t text[6] = {(char16_t)(u'0' + t.wHour / 10),   (char16_t)(u'0' + t.wHour % 10),   u':',
                        (char16_t)(u'0' + t.wMinute / 10), (char16_t)(u'0' + t.wMinute % 10), 0};
    HDC dc = MakeSurfaceDC(&s, POINT{0, 0}, RECT{0, 0, w, STATUS_STRIP_HEIGHT}, nullptr);
    SelectObject(dc, CreateMzFont(20, FW_SEMIBOLD));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(230, 230, 230));
    RECT r{0, 0, w, STATUS_STRIP_HEIGHT};
    DrawTextW(dc, text, 5, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    FreeDC(dc);
}

} // namespace morwick::windows
