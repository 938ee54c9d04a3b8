// Message box, tip, rising pop-up and wait dialog.
#include "platform/ui/MzDialogs.h"

#include "platform/ui/Style.h"
#include "platform/ui/UiDraw.h"
#include "platform/win/Shell.h"

#include <algorithm>

namespace {

constexpr COLORREF PANEL = Style::DialogFill;
constexpr COLORREF PANEL_EDGE = Style::DialogEdge;
constexpr int BOX_TEXT_SIZE = Style::DialogTextSize;

RECT WorkArea()
{
    RECT rc{0, 0, 480, 720};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &rc, 0);
    return rc;
}

int MeasureWrapped(HWND window, LPCWSTR text, int width, int size)
{
    if (!text || !*text)
        return 0;
    HDC dc = GetDC(window);
    if (!dc)
        return size + 8;
    HGDIOBJ old = SelectObject(dc, CreateMzFont(size, FW_NORMAL));
    RECT rc{0, 0, width, 0};
    int h = DrawTextW(dc, text, -1, &rc, DT_WORDBREAK | DT_CALCRECT | DT_CENTER);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return h;
}

} // namespace

CMzMessageBoxWnd::CMzMessageBoxWnd(LPCWSTR message, LPCWSTR title, UINT buttonSet, DWORD closeAfterMs)
    : text(message), caption(title), buttons(buttonSet), autoCloseMs(closeAfterMs)
{
    SetBgColor(PANEL);
}

LPCWSTR CMzMessageBoxWnd::GetMzClassName()
{
    return autoCloseMs ? u"MzTipWnd" : u"MzMessageBoxWnd";
}

BOOL CMzMessageBoxWnd::OnInitDialog()
{
    RECT work = WorkArea();
    int screenW = work.right - work.left;
    int w = std::min(420, screenW - 40);
    int textW = w - 40;
    int textH = std::max(BOX_TEXT_SIZE + 8, MeasureWrapped(m_hWnd, text.C_Str(), textW, BOX_TEXT_SIZE));
    int maxText = (work.bottom - work.top) - 200;
    bool scrolls = textH > maxText;
    textH = std::min(textH, maxText);
    bool tip = autoCloseMs != 0;
    int captionH = (!tip && !caption.IsEmpty()) ? 50 : 0;
    int buttonsH = tip ? 0 : 86;
    int h = captionH + textH + 40 + buttonsH;
    int x = work.left + (screenW - w) / 2;
    int y = work.top + ((work.bottom - work.top) - h) / 2;
    SetWindowPos(x, y, w, h);

    if (captionH) {
        captionLabel.SetPos(0, 0, w, captionH);
        captionLabel.SetText(caption.C_Str());
        captionLabel.SetTextStyle(1);
        captionLabel.SetTextColor(Style::DialogTitle);
        captionLabel.SetTextSize(Style::DialogTitleSize);
        captionLabel.SetTextWeight(FW_BOLD);
        AddUiWin(&captionLabel);
    }
    if (scrolls) {
        longText.SetPos(12, captionH + 14, w - 24, textH + 12);
        longText.SetText(text.C_Str());
        longText.SetBackgroundColor(PANEL, false);
        longText.SetTextColor(Style::DialogText);
        longText.SetTextSize(BOX_TEXT_SIZE);
        longText.SetHoldTime(0);
        AddUiWin(&longText);
    } else {
        textLabel.SetPos(20, captionH + 20, textW, textH);
        textLabel.SetText(text.C_Str());
        textLabel.SetTextFormat(DT_CENTER);
        textLabel.SetTextColor(Style::DialogText);
        textLabel.SetTextSize(BOX_TEXT_SIZE);
        AddUiWin(&textLabel);
    }
    if (!tip) {
        int by = h - 76;
        yes.SetButtonType(MZC_BUTTON_LIGHT);
        yes.SetID(MZ_IDYES);
        if (buttons == MZ_MB_YESNO) {
            int bw = (w - 60) / 2;
            yes.SetText(u"是");
            yes.SetPos(20, by, bw, 60);
            no.SetButtonType(MZC_BUTTON_LIGHT);
            no.SetID(MZ_IDNO);
            no.SetText(u"否");
            no.SetPos(40 + bw, by, bw, 60);
            AddUiWin(&no);
        } else {
            yes.SetText(u"确定");
            yes.SetPos(w / 4, by, w / 2, 60);
        }
        AddUiWin(&yes);
    } else {
        SetTimer(1, autoCloseMs);
    }
    return TRUE;
}

void CMzMessageBoxWnd::OnMzCommand(WPARAM wParam, LPARAM)
{
    int id = LOWORD(wParam);
    if (HIWORD(wParam) == 0 && (id == MZ_IDYES || id == MZ_IDNO))
        EndModal(id);
}

void CMzMessageBoxWnd::OnTimer(UINT_PTR id)
{
    if (id == 1 && autoCloseMs) {
        KillTimer(1);
        EndModal(0);
    }
}

void CMzMessageBoxWnd::OnLButtonUp(UINT, int, int)
{
    // A tap closes a tip early; a drag through a long tip's text only scrolls it.
    if (autoCloseMs && !(longText.GetManager() && longText.IsMoved()))
        EndModal(0);
}

void CMzMessageBoxWnd::PaintWin(HDC dc, RECT* window, RECT* update)
{
    // The window is layered: outside the rounded panel its pixels stay clear and what lies beneath shows.
    UiFillRoundRect(dc, *window, 12, PANEL_EDGE, PANEL);
    if (!autoCloseMs && !caption.IsEmpty()) {
        RECT band{window->left + 2, window->top + 2, window->right - 2, window->top + 50};
        UiFillGradient(dc, band, Style::DialogBandTop, PANEL);
        UiDrawLine(dc, window->left + 12, window->top + 50, window->right - 12, window->top + 50, Style::DialogRule);
    }
    GetWinManager().Paint(dc, update);
}

int CMzMessageBoxWnd::Run(HWND owner)
{
    RECT work = WorkArea();
    if (!Create(work.left, work.top, 100, 100, owner, 0, WS_POPUP, WS_EX_LAYERED))
        return 0;
    int result = DoModal();
    Destroy();
    return result < 0 ? 0 : result;
}

int MzMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT buttons)
{
    CMzMessageBoxWnd box(text, caption, buttons == MZ_MB_YESNO ? MZ_MB_YESNO : MZ_MB_OK);
    return box.Run(owner);
}

void MzShowTip(HWND owner, LPCWSTR text, DWORD milliseconds)
{
    CMzMessageBoxWnd tip(text, nullptr, MZ_MB_OK, milliseconds ? milliseconds : 1);
    tip.Run(owner);
}

CMzPopupTextWnd::CMzPopupTextWnd(LPCWSTR message) : text(message)
{
    SetBgColor(PANEL);
}

LPCWSTR CMzPopupTextWnd::GetMzClassName()
{
    return u"CMzPopupTextWnd";
}

BOOL CMzPopupTextWnd::OnInitDialog()
{
    if (!text.IsEmpty()) {
        textLabel.SetPos(20, 14, GetWidth() - 40, 60);
        textLabel.SetText(text.C_Str());
        textLabel.SetTextColor(Style::DialogText);
        textLabel.SetTextSize(BOX_TEXT_SIZE);
        textLabel.SetTextFormat(DT_CENTER);
        AddUiWin(&textLabel);
    }
    return TRUE;
}

void CMzPopupTextWnd::OnMzCommand(WPARAM wParam, LPARAM)
{
    // Only a button's click (code 0) ends the pop-up; other controls' notifications do not.
    if (HIWORD(wParam) == 0) {
        UiWin* control = GetWinManager().FindByID(LOWORD(wParam));
        if (dynamic_cast<UiPushButton*>(control))
            EndModal(LOWORD(wParam));
    }
}

int CMzPopupTextWnd::OnClickMKey()
{
    EndModal(NO_CHOICE);
    return 1;
}

void CMzPopupTextWnd::PaintWin(HDC dc, RECT* window, RECT* update)
{
    UiFillGradient(dc, *window, Style::PopupTop, Style::PopupBottom);
    UiDrawLine(dc, window->left, window->top, window->right, window->top, PANEL_EDGE);
    UiDrawLine(dc, window->left, window->top + 1, window->right, window->top + 1, Style::DialogRule);
    GetWinManager().Paint(dc, update);
}

LPCWSTR CMzPopupMenuWnd::GetMzClassName()
{
    return u"CMzPopupMenuWnd";
}

BOOL CMzPopupMenuWnd::OnInitDialog()
{
    if (!CMzPopupTextWnd::OnInitDialog())
        return FALSE;
    area.SetPos(0, 14, GetWidth(), std::max(0, CMzWnd::GetHeight() - 28));
    area.SetID(100);
    area.SetDragScrollMode(1);
    area.EnableScrollBarV(true);
    AddUiWin(&area);
    for (size_t k = 0; k < items.size(); ++k) {
        auto b = std::make_unique<UiPushButton>();
        b->SetButtonType((int)items[k].style);
        b->SetPos(15, 10 + 95 * (int)k, GetWidth() - 30, 75);
        b->SetID((int)items[k].id);
        b->SetText(items[k].text.C_Str());
        area.AddChild(b.get());
        buttons.push_back(std::move(b));
    }
    return TRUE;
}

// The wait dialog's window.
class ProgressDialog::Window : public CMzHostWnd {
public:
    explicit Window(ProgressDialog* owner) : dialog(owner)
    {
        SetBgColor(PANEL);
        Registry().push_back(this);
    }
    ~Window() override { std::erase(Registry(), this); }
    LPCWSTR GetMzClassName() override { return u"ProgressDialog"; }

    BOOL OnInitDialog() override
    {
        int w = GetWidth();
        info.SetPos(20, 16, w - 40, 60);
        info.SetTextColor(Style::DialogText);
        info.SetTextSize(Style::WaitTextSize);
        info.SetTextFormat(DT_CENTER);
        AddUiWin(&info);
        button.SetButtonType(MZC_BUTTON_LIGHT);
        button.SetID(1);
        button.SetPos(w / 4, 124, w / 2, 56);
        AddUiWin(&button);
        Refresh();
        return TRUE;
    }

    void Refresh()
    {
        info.SetText(dialog->info.C_Str());
        button.SetText(dialog->button.IsEmpty() ? u"取消" : dialog->button.C_Str());
        button.SetVisible(dialog->style != 0);
        if (dialog->value > 0)
            SetTimer(1, std::max(20, 1000 / dialog->value));
        else
            KillTimer(1);
        Invalidate();
    }

    void OnTimer(UINT_PTR id) override
    {
        if (id != 1)
            return;
        phase = (phase + 4) % 100;
        Invalidate();
    }

    void OnMzCommand(WPARAM wParam, LPARAM) override
    {
        if (LOWORD(wParam) != 1 || HIWORD(wParam) != 0)
            return;
        if (dialog->cancelMessage && dialog->owner)
            ::PostMessage(dialog->owner, dialog->cancelMessage, 0, 0);
        Show(FALSE, FALSE);
    }

    void PaintWin(HDC dc, RECT* window, RECT* update) override
    {
        UiFillRoundRect(dc, *window, 12, PANEL_EDGE, PANEL); // layered, as the message box
        RECT track{window->left + 30, window->top + 86, window->right - 30, window->top + 106};
        UiFillRoundRect(dc, track, 9, Style::ProgressTrack, Style::ProgressTrack);
        int span = dialog->high - dialog->low;
        int pos = std::clamp(dialog->position, dialog->low, dialog->high) - dialog->low;
        int width = track.right - track.left - 4;
        int filled = span > 0 ? width * pos / span : 0;
        if (filled > 0) {
            RECT bar{track.left + 2, track.top + 2, track.left + 2 + filled, track.bottom - 2};
            UiFillGradient(dc, bar, Style::ProgressTop, Style::ProgressBottom);
        }
        if (dialog->value > 0) { // a glint running along the track while waiting
            int gx = track.left + 2 + width * phase / 100;
            UiFillRect(dc, RECT{gx, track.top + 3, std::min<int>(gx + 16, track.right - 2), track.bottom - 3},
                       Style::ProgressGlint);
        }
        GetWinManager().Paint(dc, update);
    }

    static std::vector<Window*>& Registry()
    {
        static auto* all = new std::vector<Window*>();
        return *all;
    }

private:
    ProgressDialog* dialog;
    UiCaptionLabel info;
    UiPushButton button;
    int phase = 0;
};

ProgressDialog::ProgressDialog() = default;

ProgressDialog::~ProgressDialog()
{
    Close();
}

void ProgressDialog::SetRange(int lowest, int highest)
{
    low = lowest;
    high = highest < lowest ? lowest : highest;
    Update();
}

void ProgressDialog::SetCurValue(int now)
{
    position = now;
    Update();
}

void ProgressDialog::SetInfo(LPCWSTR text)
{
    info = text;
    Update();
}

void ProgressDialog::SetButtonText(LPCWSTR text)
{
    button = text;
    Update();
}

BOOL ProgressDialog::Show(HWND ownerWnd)
{
    if (window && window->m_hWnd && IsWindow(window->m_hWnd) && ownerWnd == owner) {
        window->Refresh();
        window->Show(TRUE, TRUE);
        return TRUE;
    }
    // Over another window it is made anew: brought forward, it would bring its old owner with it over the window
    // the user is on.
    Close();
    owner = ownerWnd;
    window = std::make_unique<Window>(this);
    RECT work = WorkArea();
    int screenW = work.right - work.left;
    int w = std::min(420, screenW - 40), h = 200;
    if (!window->Create(work.left + (screenW - w) / 2, work.top + ((work.bottom - work.top) - h) / 2, w, h, ownerWnd, 0,
                        WS_POPUP, WS_EX_LAYERED)) {
        window.reset();
        return FALSE;
    }
    window->Show(TRUE, TRUE);
    return TRUE;
}

void ProgressDialog::Close()
{
    if (!window)
        return;
    window->Destroy();
    window.reset();
}

BOOL ProgressDialog::IsShown() const
{
    return window && window->IsVisible();
}

void ProgressDialog::Update()
{
    if (window && window->m_hWnd)
        window->Refresh();
}

void ProgressDialog::CloseAll()
{
    for (Window* w : Window::Registry())
        w->Show(FALSE, FALSE);
}
