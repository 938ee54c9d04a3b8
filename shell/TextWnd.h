// CTextWnd: a screen that shows one long server-supplied text: a bold title line and the text wrapped to the
// screen width in the scroll area, with a command bar of home, refresh and back. Colours follow "UI_Style",
// sizes "Font_Size".
#pragma once

#include "platform/ui/Style.h"
#include "shell/LabelCtrl.h"
#include "shell/NetWnd.h"

class CTextWnd : public CNetWnd {
public:
    static constexpr int ID_TEXT = 148;

    CTextWnd(LPCWSTR title, HWND parent);
    ~CTextWnd() override;

    LPCWSTR GetMzClassName() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void OnScreenModeChanged(int orientation) override;

    // Keeps a copy of the text, shows it and measures it.
    void SetText(LPCWSTR text);
    // Sizes the text view to the height of the wrapped text.
    virtual void LayoutText();

    LPCWSTR GetText() const { return text; }
    CLabelCtrl& GetTitleLabel() { return titleLabel; }
    UiStatic& GetTextView() { return textView; }

    int titleFontSize = 27;
    COLORREF titleColor = Style::ReadingOnDark.title;
    int titleX = 10;
    int titleY = 10;
    int textFontSize = 26;
    COLORREF textColor = Style::ReadingOnDark.text;
    int textMargin = 10;
    int titleGap = 20;

protected:
    void PlaceViews();

    CLabelCtrl titleLabel;
    UiStatic textView;
    WCHAR* text = nullptr;
};
