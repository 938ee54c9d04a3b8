#include "shell/TextWnd.h"

#include "core/AppData.h"
#include "platform/ui/Style.h"
#include "platform/win/Gdi.h"
#include "platform/win/WideText.h"

#include <cstdlib>
#include <cstring>

CTextWnd::CTextWnd(LPCWSTR title, HWND parent) : CNetWnd(title, parent)
{
    CAppData* app = CAppData::Instance();
    const char* size = app->GetConfig("Font_Size");
    textFontSize = atoi(size != nullptr ? size : "26");
    titleFontSize = textFontSize + 1;
    const char* style = app->GetConfig("UI_Style");
    int look = style != nullptr ? atoi(style) : 0;
    const Style::ReadingColors& colors = look == 1   ? Style::ReadingOnPaper
                                         : look == 2 ? Style::ReadingYellow
                                                     : Style::ReadingOnDark;
    textColor = colors.text;
    titleColor = colors.title;
    SetBgColor(colors.fill);
}

CTextWnd::~CTextWnd()
{
    free(text);
}

LPCWSTR CTextWnd::GetMzClassName()
{
    return u"CTextWnd";
}

void CTextWnd::PlaceViews()
{
    int width = GetWidth();
    int height = GetHeight();
    titleLabel.SetPos(titleX, titleY, width - 2 * titleX, height);
    int titleHeight = titleLabel.MeasureHeight();
    textView.SetPos(textMargin, titleGap + titleHeight, width - 2 * textMargin, height);
}

BOOL CTextWnd::OnInitDialog()
{
    if (!CNetWnd::OnInitDialog())
        return FALSE;
    contentPanel.SetDragScrollMode(1);

    titleLabel.SetID(ID_TEXT);
    titleLabel.SetText(GetCaption());
    titleLabel.SetTextColor(titleColor);
    titleLabel.SetFontSize(titleFontSize);
    titleLabel.SetSingleLine(0);
    titleLabel.SetBold(1);
    contentPanel.AddChild(&titleLabel);

    textView.SetID(ID_TEXT);
    textView.SetText(u"正在获取内容，请稍后...");
    textView.SetTextColor(textColor);
    textView.SetTextSize(textFontSize);
    textView.SetTextFormat(DT_WORDBREAK);
    contentPanel.AddChild(&textView);
    PlaceViews();

    RemoveUiWin(&toolBar);
    commandBar.SetButton(0, true, true, u"首页");
    commandBar.SetButton(1, true, true, u"刷新");
    commandBar.SetButton(2, true, true, u"返回");
    AddUiWin(&commandBar);
    return TRUE;
}

void CTextWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) != ID_COMMAND_BAR)
        return;
    switch ((int)lParam) {
    case 0:
        EndWnd(END_HOME);
        break;
    case 1:
        Refresh(0, 0);
        break;
    case 2:
        EndWnd(END_BACK);
        break;
    default:
        break;
    }
}

void CTextWnd::OnScreenModeChanged(int orientation)
{
    CNetWnd::OnScreenModeChanged(orientation);
    PlaceViews();
    LayoutText();
}

void CTextWnd::SetText(LPCWSTR newText)
{
    const WCHAR* source = newText != nullptr ? newText : u"";
    size_t n = wcslen(source);
    WCHAR* copy = static_cast<WCHAR*>(malloc((n + 1) * sizeof(WCHAR)));
    if (copy == nullptr)
        return;
    memcpy(copy, source, (n + 1) * sizeof(WCHAR));
    free(text);
    text = copy;
    textView.SetText(text);
    LayoutText();
}

// The view's height is what word-wrapped drawing at the view's width takes, measured without drawing.
void CTextWnd::LayoutText()
{
    if (text == nullptr)
        return; // nothing set yet: the waiting text keeps the full height
    int width = textView.GetWidth();
    if (width <= 0)
        return;
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc == nullptr)
        return;
    HGDIOBJ old = SelectObject(dc, CreateMzFont(textView.GetTextSize(), FW_NORMAL));
    SetBkMode(dc, TRANSPARENT);
    RECT r{textView.GetPosX(), textView.GetPosY(), textView.GetPosX() + width, textView.GetPosY()};
    int height = DrawTextW(dc, text, -1, &r, DT_WORDBREAK | DT_CALCRECT);
    SelectObject(dc, old);
    DeleteDC(dc);
    if (height > 0)
        textView.SetPos(textView.GetPosX(), textView.GetPosY(), width, height);
    contentPanel.Invalidate();
}
