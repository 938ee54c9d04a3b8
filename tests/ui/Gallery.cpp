// The control gallery.
#include "Gallery.h"

#include "platform/win/Shell.h"

#include <string>

namespace {

struct SampleRow {
    const char16_t* text;
    COLORREF color;
};

const SampleRow kRows[] = {
    {u"600036 招商银行   12.35  +2.10%", RGB(255, 38, 38)},  {u"000001 平安银行   9.87  -0.85%", RGB(23, 255, 23)},
    {u"601318 中国平安   48.20  +0.42%", RGB(255, 38, 38)},  {u"000858 五粮液     101.50  0.00%", RGB(255, 255, 255)},
    {u"600519 贵州茅台   1650.00 -1.12%", RGB(23, 255, 23)}, {u"000333 美的集团   55.10  +3.05%", RGB(255, 38, 38)},
    {u"601988 中国银行   3.12  +0.32%", RGB(255, 38, 38)},   {u"600028 中国石化   4.56  -0.22%", RGB(23, 255, 23)},
};

} // namespace

void CGalleryWnd::QuoteList::DrawItem(HDC dc, int index, RECT* rcItem, RECT* rcWin, RECT* rcUpdate)
{
    COLORREF saved = GetTextColor();
    SetTextColor((COLORREF)GetItem(index)->Data);
    UiList::DrawItem(dc, index, rcItem, rcWin, rcUpdate);
    SetTextColor(saved);
}

CGalleryWnd::CGalleryWnd()
{
    SetBgColor(RGB(14, 18, 28));
}

CGalleryWnd::~CGalleryWnd()
{
    delete keypad_;
}

LPCWSTR CGalleryWnd::GetMzClassName()
{
    return u"CGalleryWnd";
}

// The caption: its background picture under the title.
void CGalleryWnd::AddCaption(int w)
{
    captionBg_.SetPos(0, 0, w, 42);
    captionBg_.LoadImage(w == 720 ? u"captionbg_720.png" : u"captionbg.png");
    AddUiWin(&captionBg_);
    title_.SetID(ID_TITLE);
    title_.SetPos(0, 0, w, 42);
    title_.SetText(u"控件一览");
    title_.SetTextStyle(1);
    title_.SetTextColor(RGB(255, 255, 255));
    title_.SetTextSize(26);
    title_.SetTextWeight(FW_BOLD);
    AddUiWin(&title_);
}

// The intro, a picture, and the buttons that open the tip, the message box and the wait dialog.
void CGalleryWnd::AddDialogButtons(int w)
{
    intro_.SetID(ID_INTRO);
    intro_.SetPos(10, 8, w - 20, 64);
    intro_.SetText(u"每种控件与对话框各一例：点按按钮打开消息框、提示、等待框、弹出菜单和数字键盘。");
    intro_.SetTextColor(RGB(200, 204, 214));
    intro_.SetTextSize(20);
    panel_.AddChild(&intro_);

    picture_.SetID(ID_PICTURE);
    picture_.SetPos(10, 80, 116, 155);
    picture_.LoadImage(u"1.png");
    panel_.AddChild(&picture_);

    tipNormal_.LoadImage(u"2.png");
    tipPressed_.LoadImage(u"menubg.png");
    tipButton_.SetID(ID_TIP_BUTTON);
    tipButton_.SetPos(140, 80, 116, 155);
    tipButton_.SetImage_Normal(&tipNormal_);
    tipButton_.SetImage_Pressed(&tipPressed_);
    tipButton_.SetTextColor(RGB(255, 255, 255));
    panel_.AddChild(&tipButton_);

    boxButton_.SetID(ID_BOX_BUTTON);
    boxButton_.SetPos(270, 80, w - 280, 64);
    boxButton_.SetText(u"消息框");
    panel_.AddChild(&boxButton_);
    waitButton_.SetID(ID_WAIT_BUTTON);
    waitButton_.SetPos(270, 164, w - 280, 64);
    waitButton_.SetText(u"等待框");
    waitButton_.SetButtonType(MZC_BUTTON_DARK);
    panel_.AddChild(&waitButton_);
}

// The line edit with its keypad button, and the multi-line text.
void CGalleryWnd::AddEdits(int w)
{
    edit_.SetID(ID_EDIT);
    edit_.SetPos(10, 250, w - 180, 60);
    edit_.SetMaxChars(6);
    edit_.SetTip(u"代码或拼音缩写");
    edit_.SetSipMode(SIP_KIND_NUMBER);
    panel_.AddChild(&edit_);
    keypadButton_.SetID(ID_KEYPAD_BUTTON);
    keypadButton_.SetPos(w - 160, 250, 150, 60);
    keypadButton_.SetText(u"键盘");
    panel_.AddChild(&keypadButton_);

    text_.SetID(ID_TEXT);
    text_.SetPos(10, 324, w - 20, 110);
    text_.SetEditable(true);
    text_.SetTextSize(22);
    text_.SetText(u"多行文本：可以输入，按住不放会通知窗口，内容多时可拖动滚动。");
    panel_.AddChild(&text_);
}

// The list of sample quote rows, each in its market colour.
void CGalleryWnd::AddQuoteList(int w)
{
    list_.SetID(ID_LIST);
    list_.SetPos(10, 448, w - 20, 250);
    list_.SetItemHeight(50);
    list_.SetTextSize(22);
    list_.SetSelectOnTap(true);
    list_.SetNotify(true);
    list_.EnableScrollBarV(true);
    list_.SetBackgroundColor(RGB(0, 0, 0));
    list_.SetGridlineColor(RGB(100, 100, 100));
    for (const SampleRow& row : kRows)
        list_.AddItem(ListItem{row.text, (DWORD_PTR)row.color});
    panel_.AddChild(&list_);
}

// The icon strip and the command bar at the bottom, from barsTop down.
void CGalleryWnd::AddBars(int w, int barsTop)
{
    strip_.SetID(ID_STRIP);
    strip_.SetPos(0, barsTop, w, UI_BAR_HEIGHT_PORTRAIT);
    for (UINT id : {126u, 118u, 122u, 114u, 115u, 116u})
        strip_.AddButton(id);
    AddUiWin(&strip_);
    commands_.SetID(ID_COMMANDS);
    commands_.SetPos(0, barsTop + UI_BAR_HEIGHT_PORTRAIT, w, UI_BAR_HEIGHT_PORTRAIT);
    commands_.SetButton(0, true, true, u"菜单");
    commands_.SetButton(1, true, true, u"清空");
    commands_.SetButton(2, true, true, u"退出");
    AddUiWin(&commands_);
}

BOOL CGalleryWnd::OnInitDialog()
{
    int w = GetWidth(), h = GetHeight();
    AddCaption(w);

    int barsTop = h - 2 * UI_BAR_HEIGHT_PORTRAIT;
    panel_.SetID(ID_PANEL);
    panel_.SetPos(0, 42, w, barsTop - 42);
    panel_.SetDragScrollMode(1);
    panel_.EnableScrollBarV(true);
    AddUiWin(&panel_);

    AddDialogButtons(w);
    AddEdits(w);
    AddQuoteList(w);

    status_.SetID(ID_STATUS);
    status_.SetPos(10, 706, w - 20, 40);
    status_.SetTextColor(RGB(242, 184, 48));
    status_.SetTextSize(22);
    status_.SetText(u"就绪");
    panel_.AddChild(&status_);
    panel_.SetContentHeight(760);

    AddBars(w, barsTop);
    return TRUE;
}

void CGalleryWnd::SetStatus(LPCWSTR text)
{
    status_.SetText(text);
}

void CGalleryWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam), code = HIWORD(wParam);
    switch (id) {
    case ID_BOX_BUTTON: {
        int r = MzMessageBox(m_hWnd, u"您确定退出系统？", u"退出系统", MZ_MB_YESNO);
        SetStatus(r == MZ_IDYES ? u"消息框：是" : u"消息框：否");
        break;
    }
    case ID_TIP_BUTTON:
        MzShowTip(m_hWnd, u"我的基金添加成功!", 1500);
        SetStatus(u"提示已关闭");
        break;
    case ID_WAIT_BUTTON:
        wait_.SetRange(0, 100);
        wait_.SetCurValue(30);
        wait_.SetInfo(u"正在登陆Morwick，请稍后...");
        wait_.SetButtonText(u"取消登录");
        wait_.SetValue(30);
        wait_.SetStyle(1);
        wait_.SetCancelMessage(WM_WAIT_CANCELLED);
        wait_.Show(m_hWnd);
        SetStatus(u"等待中");
        break;
    case ID_KEYPAD_BUTTON:
        OpenKeypad();
        break;
    case ID_LIST:
        if (code == MZ_MOUSE_UP) {
            std::u16string s = u"选中：";
            s += list_.GetItem((int)lParam) ? list_.GetItem((int)lParam)->Text.C_Str() : u"";
            SetStatus(s.c_str());
        }
        break;
    case ID_STRIP: {
        if (lParam == 0) {
            OpenPopup();
        } else {
            std::u16string s = u"工具栏：" + std::u16string(1, char16_t(u'0' + lParam));
            strip_.SetCurrentItem((int)lParam);
            SetStatus(s.c_str());
        }
        break;
    }
    case ID_COMMANDS:
        if (lParam == 0)
            OpenPopup();
        if (lParam == 1) {
            edit_.SetText(u"");
            list_.SetSelectedIndex(-1);
            SetStatus(u"已清空");
        }
        if (lParam == 2)
            EndModal(1);
        break;
    case ID_TEXT:
        if (code == UiTextEdit::HOLD_CODE)
            SetStatus(u"长按文本");
        break;
    default:
        break;
    }
}

void CGalleryWnd::OpenPopup()
{
    CMzPopupMenuWnd popup;
    popup.AddItem(MzPopupItem{u"加入自选", 1, 126});
    popup.AddItem(MzPopupItem{u"个股资讯", 1, 133});
    popup.AddItem(MzPopupItem{u"取消", 1, 121});
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int h = popup.GetHeight();
    popup.SetShowAnimation(1);
    popup.SetHideAnimation(2);
    if (!popup.Create(work.left, work.bottom - h, work.right - work.left, h, m_hWnd))
        return;
    int r = popup.DoModal();
    popup.Destroy();
    std::string number = std::to_string(r);
    std::u16string s = u"弹出菜单：" + std::u16string(number.begin(), number.end());
    SetStatus(s.c_str());
}

void CGalleryWnd::OpenKeypad()
{
    if (!keypad_) {
        keypad_ = new CMzKeypadWnd;
        RECT work;
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        int h = CMzKeypadWnd::PreferredHeight();
        if (!keypad_->Create(work.left, work.bottom - h, work.right - work.left, h, m_hWnd)) {
            delete keypad_;
            keypad_ = nullptr;
            return;
        }
        keypad_->SetTarget(m_hWnd);
    }
    keypad_->Show(TRUE, FALSE);
    SetStatus(u"键盘已打开");
}

BOOL CGalleryWnd::OnCommand(WPARAM wParam, LPARAM)
{
    int key = (int)wParam;
    if (key >= 10 && key <= 19) {
        edit_.OnChar(char16_t(u'0' + key - 10));
    } else if (key == CMzKeypadWnd::KEY_POINT) {
        edit_.OnChar(u'.');
    } else if (key == CMzKeypadWnd::KEY_BACKSPACE) {
        edit_.OnChar(8);
    } else if (key == CMzKeypadWnd::KEY_CLEAR) {
        edit_.SetText(u"");
    } else if (key == CMzKeypadWnd::KEY_HIDE || key == CMzKeypadWnd::KEY_DONE) {
        if (keypad_)
            keypad_->Show(FALSE, FALSE);
        SetStatus(u"键盘已关闭");
    }
    return TRUE;
}

LRESULT CGalleryWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_WAIT_CANCELLED) {
        SetStatus(u"等待已取消");
        return 0;
    }
    return CMzHostWnd::WindowProc(message, wParam, lParam);
}
