// Text layout and drawing on any text, box and format: it must end, stay inside its surface and agree with
// its own measurement. The first four bytes choose the box width, the format and the font size.
#include "platform/win/Gdi.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    static HDC dc = [] {
        HDC d = CreateCompatibleDC(nullptr);
        SelectObject(d, CreateCompatibleBitmap(d, 160, 120));
        return d;
    }();
    int width = (int)(int8_t)data[0] * 3; // negative and zero widths too
    UINT format = data[1] | ((data[2] & 0x80) ? DT_END_ELLIPSIS : 0);
    int height = 8 + data[2] % 40;
    SelectObject(dc, CreateMzFont(height, (data[3] & 1) ? FW_BOLD : FW_NORMAL, (data[3] & 2) != 0));
    SetBkMode(dc, (data[3] & 4) ? OPAQUE : TRANSPARENT);
    std::vector<char16_t> text((size - 4) / 2);
    if (!text.empty())
        std::memcpy(text.data(), data + 4, text.size() * 2);
    RECT box{5, 5, 5 + width, 115};
    RECT calc = box;
    int measured = DrawTextW(dc, text.data(), (int)text.size(), &calc, format | DT_CALCRECT);
    int drawn = DrawTextW(dc, text.data(), (int)text.size(), &box, format & ~(UINT)DT_CALCRECT);
    if (measured < 0 || drawn < 0 || measured % height != 0)
        std::abort();
    SIZE extent;
    int fit = 0;
    GetTextExtentExPointW(dc, text.data(), (int)text.size(), width, &fit, nullptr, &extent);
    if (fit < 0 || fit > (int)text.size())
        std::abort();
    ExtTextOutW(dc, width, 3, ETO_CLIPPED | ETO_OPAQUE, &box, text.data(), (UINT)text.size(), nullptr);
    return 0;
}
