// CNetWnd's message bar: a band under the caption bar with a scrolling text and a close button.
#include "shell/NetWnd.h"

#include "core/AppData.h"
#include "platform/ui/MzImage.h"
#include "platform/win/WideText.h"

#include <cstdlib>
#include <cstring>

void CNetWnd::LayoutMessageBar()
{
    int width = GetWidth();
    barBackground.SetPos(0, CAPTION_HEIGHT, width, BAR_HEIGHT);
    barBackground.SetWidthImage(width);
    barTextField.SetID(BAR_TEXT_ID);
    barTextField.SetPos(40, 47, width - 110, 50);
    barIndent = width - 130;
    barClose.SetID(BAR_CLOSE_ID);
    barClose.SetPos(width - 60, 47, 50, 50);
    if (barCloseImage == nullptr) {
        barCloseImage = new CMzImage;
        barCloseImage->LoadImage(CAppData::Instance()->GetFullPath(u"close.png").GetText());
        barClosePressed = new CMzImage;
        barClosePressed->LoadPlatformImage(212u);
        barClose.SetImage_Normal(barCloseImage);
        barClose.SetImage_Pressed(barClosePressed);
    }
}

void CNetWnd::SetBarMessage(LPCWSTR text, int repeats)
{
    free(barMessage);
    barMessage = nullptr;
    if (text != nullptr) {
        size_t n = wcslen(text);
        barMessage = static_cast<WCHAR*>(malloc((n + 1) * sizeof(WCHAR)));
        if (barMessage != nullptr)
            memcpy(barMessage, text, (n + 1) * sizeof(WCHAR));
    }
    barRepeats = repeats;
}

void CNetWnd::ShowMessageBar(BOOL on)
{
    if (on) {
        if (barTextField.GetWidth() <= 0)
            LayoutMessageBar(); // no window lays the bar out beforehand; place it now
        if (!barVisible) {
            AddUiWin(&barBackground);
            AddUiWin(&barTextField);
            AddUiWin(&barClose);
        }
        barVisible = 1;
        barPosition = 0;
        barShownText.Assign(u"");
        barTextField.SetText(u"");
        SetTimer(BAR_TIMER, 200);
    } else {
        if (barVisible) {
            RemoveUiWin(&barBackground);
            RemoveUiWin(&barTextField);
            RemoveUiWin(&barClose);
        }
        barVisible = 0;
        KillTimer(BAR_TIMER);
    }
    Invalidate();
}

void CNetWnd::ScrollStep()
{
    if (barMessage == nullptr || barMessage[0] == 0 || barRepeats < 1) {
        ShowMessageBar(FALSE);
        return;
    }
    int fieldWidth = barTextField.GetWidth();
    int c = barTextField.GetTextSize() > 0 ? barTextField.GetTextSize() : 24; // a full-width character
    int fit = c > 0 ? fieldWidth / c : 1;
    int length = (int)wcslen(barMessage);
    int shown = (int)barShownText.GetLength();
    if (barPosition > 0) {
        barIndent = 0;
        int start = barPosition < length ? barPosition : length;
        int count = shown < length - start ? shown : length - start;
        barShownText.Assign(u"");
        for (int i = 0; i < count; ++i)
            barShownText.Append(barMessage[start + i]);
        ++barPosition;
        if (barPosition >= length - 1) {
            --barRepeats;
            barPosition = 0;
            barIndent = fieldWidth - 40;
            barShownText.Assign(u"");
        }
    } else {
        int count = shown + 1 <= length ? shown + 1 : length;
        barShownText.Assign(u"");
        for (int i = 0; i < count; ++i)
            barShownText.Append(barMessage[i]);
        barIndent -= c;
        if ((shown < length && shown > fit) || (shown == length && length > fit))
            ++barPosition;
        if (barIndent < 1) {
            barIndent = 0;
            if (length <= fit)
                ++barPosition;
        }
    }
    barTextField.SetPos(40 + barIndent, 47, fieldWidth, 50);
    barTextField.SetText(barShownText.GetText());
    barTextField.Invalidate();
}
