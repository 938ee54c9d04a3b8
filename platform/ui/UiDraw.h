// Drawing helpers of the controls, also offered to the client's own controls: text in a font of a size and
// weight, filled rectangles, rounded boxes, lines and gradients. The looks built from them are the style's
// (platform/ui/Style.h).
#pragma once

#include "platform/win/WinTypes.h"

// Platform image numbers.
#define MZ_IMAGE_CHECKED 519
#define MZ_IMAGE_UNCHECKED 520
// Named platform images.
#define MZ_IMAGE_SELECTION u"selection"
#define MZ_IMAGE_KEYPAD_POINT u"keypoint"

// Text in the cached font of the size and weight, transparent background; returns DrawTextW's height.
int UiDrawText(HDC dc, LPCWSTR text, RECT rect, UINT format, int size, int weight, COLORREF color);
SIZE UiMeasureText(HDC dc, LPCWSTR text, int size, int weight);
void UiFillRect(HDC dc, const RECT& rect, COLORREF color);
// A rounded box; border and fill the same colour give a borderless box.
void UiFillRoundRect(HDC dc, const RECT& rect, int radius, COLORREF border, COLORREF fill);
void UiDrawLine(HDC dc, int x0, int y0, int x1, int y1, COLORREF color);
// A vertical gradient from top colour to bottom colour.
void UiFillGradient(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom);
