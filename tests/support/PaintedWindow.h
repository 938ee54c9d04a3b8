// A window painted into a memory DC of its own size, as a WM_PAINT of the whole client area would paint it, so
// a test can read the pixels the user would see.
#pragma once

#include "platform/ui/MzWnd.h"
#include "platform/win/Gdi.h"

class PaintedWindow {
public:
    explicit PaintedWindow(CMzWnd& wnd)
    {
        width = wnd.GetWidth();
        height = wnd.GetHeight();
        RECT client{0, 0, width, height};
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
        old = SelectObject(dc, bitmap);
        RECT update = client;
        wnd.PaintWin(dc, &client, &update);
    }
    ~PaintedWindow()
    {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    PaintedWindow(const PaintedWindow&) = delete;
    PaintedWindow& operator=(const PaintedWindow&) = delete;

    COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
    int Count(COLORREF c) const
    {
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                n += GetPixel(dc, x, y) == c;
        return n;
    }

private:
    int width, height;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
};
