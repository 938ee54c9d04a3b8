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

RECT WorkArea() {
    RECT rc{0, 0, 480, 720};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &rc, 0);
    return rc;
}

int MeasureWrapped(HWND window, LPCWSTR text, int width, int size) {
    if (!text || !*text) return 0;
    HDC dc = GetDC(window);
    if (!dc) return size + 8;
    HGDIOBJ old = SelectObject(dc, CreateMzFont(size, FW_NORMAL));
    RECT rc{0, 0, width, 0};
    int h = DrawTextW(dc, text, -1, &rc, DT_WORDBREAK | DT_CALCRECT | DT_CENTER);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return h;
}

} // namespace

CMzMessageBoxWnd::CMzMessageBoxWnd(LPCWSTR text, LPCWSTR caption, UINT buttons, DWORD autoCloseMs)
    : text_(text), caption_(caption), buttons_(buttons), autoCloseMs_(autoCloseMs) {
    SetBgColor(PANEL);
}

LPCWSTR CMzMessageBoxWnd::GetMzClassName() { return autoCloseMs_ ? u"MzTipWnd" : u"MzMessageBoxWnd"; }

BOOL CMzMessageBoxWnd::OnInitDialog() {
    RECT work = WorkArea();
    int screenW = work.right - work.left;
    int w = std::min(420, screenW - 40);
    int textW = w - 40;
    int textH = std::max(BOX_TEXT_SIZE + 8, MeasureWrapped(m_hWnd, text_.C_Str(), textW, BOX_TEXT_SIZE));
    int maxText = (work.bottom - work.top) - 200;
    bool scrolls = textH > maxText;
    textH = std::min(textH, maxText);
    bool tip = autoCloseMs_ != 0;
    int captionH = (!tip && !caption_.IsEmpty()) ? 50 : 0;
    int buttonsH = tip ? 0 : 86;
    int h = captionH + textH + 40 + buttonsH;
    int x = work.left + (screenW - w) / 2;
    int y = work.top + ((work.bottom - work.top) - h) / 2;
    SetWindowPos(x, y, w, h);

    if (captionH) {
        captionLabel_.SetPos(0, 0, w, captionH);
        captionLabel_.SetText(caption_.C_Str());
        captionLabel_.SetTextStyle(1);
        captionLabel_.SetTextColor(Style::DialogTitle);
        captionLabel_.SetTextSize(Style::DialogTitleSize);
        captionLabel_.SetTextWeight(FW_BOLD);
        AddUiWin(&captionLabel_);
    }
    if (scrolls) {
        longText_.SetPos(12, captionH + 14, w - 24, textH + 12);
        longText_.SetText(text_.C_Str());
        longText_.SetBackgroundColor(PANEL, false);
        longText_.SetTextColor(Style::DialogText);
        longText_.SetTextSize(BOX_TEXT_SIZE);
        longText_.SetHoldTime(0);
        AddUiWin(&longText_);
    } else {
        textLabel_.SetPos(20, captionH + 20, textW, textH);
        textLabel_.SetText(text_.C_Str());
        textLabel_.SetTextFormat(DT_CENTER);
        textLabel_.SetTextColor(Style::DialogText);
        textLabel_.SetTextSize(BOX_TEXT_SIZE);
        AddUiWin(&textLabel_);
    }
    if (!tip) {
        int by = h - 76;
        yes_.SetButtonType(MZC_BUTTON_LIGHT);
        yes_.SetID(MZ_IDYES);
        if (buttons_ == MZ_MB_YESNO) {
            int bw = (w - 60) / 2;
            yes_.SetText(u"是");
            yes_.SetPos(20, by, bw, 60);
            no_.SetButtonType(MZC_BUTTON_LIGHT);
            no_.SetID(MZ_IDNO);
            no_.SetText(u"否");
            no_.SetPos(40 + bw, by, bw, 60);
            AddUiWin(&no_);
        } else {
            yes_.SetText(u"确定");
            yes_.SetPos(w / 4, by, w / 2, 60);
        }
        AddUiWin(&yes_);
    } else {
        SetTimer(1, autoCloseMs_);
    }
    return TRUE;
}

void CMzMessageBoxWnd::OnMzCommand(WPARAM wParam, LPARAM) {
    int id = LOWORD(wParam);
    if (HIWORD(wParam) == 0 && (id == MZ_IDYES || id == MZ_IDNO)) EndModal(id);
}

void CMzMessageBoxWnd::OnTimer(UINT_PTR id) {
    if (id == 1 && autoCloseMs_) {
        KillTimer(1);
        EndModal(0);
    }
}

void CMzMessageBoxWnd::OnLButtonUp(UINT, int, int) {
    // A tap closes a tip early; a drag through a long tip's text only scrolls it.
    if (autoCloseMs_ && !(longText_.GetManager() && longText_.IsMoved())) EndModal(0);
}

void CMzMessageBoxWnd::PaintWin(HDC dc, RECT* window, RECT* update) {
    // The window is layered: outside the rounded panel its pixels stay clear and what lies beneath shows.
    UiFillRoundRect(dc, *window, 12, PANEL_EDGE, PANEL);
    if (!autoCloseMs_ && !caption_.IsEmpty()) {
        RECT band{window->left + 2, window->top + 2, window->right - 2, window->top + 50};
        UiFillGradient(dc, band, Style::DialogBandTop, PANEL);
        UiDrawLine(dc, window->left + 12, window->top + 50, window->right - 12, window->top + 50, Style::DialogRule);
    }
    GetWinManager().Paint(dc, update);
}

int CMzMessageBoxWnd::Run(HWND owner) {
    RECT work = WorkArea();
    if (!Create(work.left, work.top, 100, 100, owner, 0, WS_POPUP, WS_EX_LAYERED)) return 0;
    int result = DoModal();
    Destroy();
    return result < 0 ? 0 : result;
}

int MzMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT buttons) {
    CMzMessageBoxWnd box(text, caption, buttons == MZ_MB_YESNO ? MZ_MB_YESNO : MZ_MB_OK);
    return box.Run(owner);
}

void MzShowTip(HWND owner, LPCWSTR text, DWORD milliseconds) {
    CMzMessageBoxWnd tip(text, nullptr, MZ_MB_OK, milliseconds ? milliseconds : 1);
    tip.Run(owner);
}

CMzPopupTextWnd::CMzPopupTextWnd(LPCWSTR text) : text_(text) { SetBgColor(PANEL); }

LPCWSTR CMzPopupTextWnd::GetMzClassName() { return u"CMzPopupTextWnd"; }

BOOL CMzPopupTextWnd::OnInitDialog() {
    if (!text_.IsEmpty()) {
        textLabel_.SetPos(20, 14, GetWidth() - 40, 60);
        textLabel_.SetText(text_.C_Str());
        textLabel_.SetTextColor(Style::DialogText);
        textLabel_.SetTextSize(BOX_TEXT_SIZE);
        textLabel_.SetTextFormat(DT_CENTER);
        AddUiWin(&textLabel_);
    }
    return TRUE;
}

void CMzPopupTextWnd::OnMzCommand(WPARAM wParam, LPARAM) {
    // Only a button's click (code 0) ends the pop-up; other controls' notifications do not.
    if (HIWORD(wParam) == 0) {
        UiWin* control = GetWinManager().FindByID(LOWORD(wParam));
        if (dynamic_cast<UiPushButton*>(control)) EndModal(LOWORD(wParam));
    }
}

int CMzPopupTextWnd::OnClickMKey() {
    EndModal(NO_CHOICE);
    return 1;
}

void CMzPopupTextWnd::PaintWin(HDC dc, RECT* window, RECT* update) {
    UiFillGradient(dc, *window, Style::PopupTop, Style::PopupBottom);
    UiDrawLine(dc, window->left, window->top, window->right, window->top, PANEL_EDGE);
    UiDrawLine(dc, window->left, window->top + 1, window->right, window->top + 1, Style::DialogRule);
    GetWinManager().Paint(dc, update);
}

LPCWSTR CMzPopupMenuWnd::GetMzClassName() { return u"CMzPopupMenuWnd"; }

BOOL CMzPopupMenuWnd::OnInitDialog() {
    if (!CMzPopupTextWnd::OnInitDialog()) return FALSE;
    area_.SetPos(0, 14, GetWidth(), std::max(0, CMzWnd::GetHeight() - 28));
    area_.SetID(100);
    area_.SetDragScrollMode(1);
    area_.EnableScrollBarV(true);
    AddUiWin(&area_);
    for (size_t k = 0; k < items_.size(); ++k) {
        auto b = std::make_unique<UiPushButton>();
        b->SetButtonType((int)items_[k].style);
        b->SetPos(15, 10 + 95 * (int)k, GetWidth() - 30, 75);
        b->SetID((int)items_[k].id);
        b->SetText(items_[k].text.C_Str());
        area_.AddChild(b.get());
        buttons_.push_back(std::move(b));
    }
    return TRUE;
}

// The wait dialog's window.
class ProgressDialog::Window : public CMzHostWnd {
public:
    explicit Window(ProgressDialog* owner) : dialog_(owner) {
        SetBgColor(PANEL);
        Registry().push_back(this);
    }
    ~Window() override { std::erase(Registry(), this); }
    LPCWSTR GetMzClassName() override { return u"ProgressDialog"; }

    BOOL OnInitDialog() override {
        int w = GetWidth();
        info_.SetPos(20, 16, w - 40, 60);
        info_.SetTextColor(Style::DialogText);
        info_.SetTextSize(22);
        info_.SetTextFormat(DT_CENTER);
        AddUiWin(&info_);
        button_.SetButtonType(MZC_BUTTON_LIGHT);
        button_.SetID(1);
        button_.SetPos(w / 4, 124, w / 2, 56);
        AddUiWin(&button_);
        Refresh();
        return TRUE;
    }

    void Refresh() {
        info_.SetText(dialog_->info_.C_Str());
        button_.SetText(dialog_->button_.IsEmpty() ? u"取消" : dialog_->button_.C_Str());
        button_.SetVisible(dialog_->style_ != 0);
        if (dialog_->value_ > 0)
            SetTimer(1, std::max(20, 1000 / dialog_->value_));
        else
            KillTimer(1);
        Invalidate();
    }

    void OnTimer(UINT_PTR id) override {
        if (id != 1) return;
        phase_ = (phase_ + 4) % 100;
        Invalidate();
    }

    void OnMzCommand(WPARAM wParam, LPARAM) override {
        if (LOWORD(wParam) != 1 || HIWORD(wParam) != 0) return;
        if (dialog_->cancelMessage_ && dialog_->owner_) ::PostMessage(dialog_->owner_, dialog_->cancelMessage_, 0, 0);
        Show(FALSE, FALSE);
    }

    void PaintWin(HDC dc, RECT* window, RECT* update) override {
        UiFillRoundRect(dc, *window, 12, PANEL_EDGE, PANEL); // layered, as the message box
        RECT track{window->left + 30, window->top + 86, window->right - 30, window->top + 106};
        UiFillRoundRect(dc, track, 9, Style::ProgressTrack, Style::ProgressTrack);
        int span = dialog_->high_ - dialog_->low_;
        int pos = std::clamp(dialog_->position_, dialog_->low_, dialog_->high_) - dialog_->low_;
        int width = track.right - track.left - 4;
        int filled = span > 0 ? width * pos / span : 0;
        if (filled > 0) {
            RECT bar{track.left + 2, track.top + 2, track.left + 2 + filled, track.bottom - 2};
            UiFillGradient(dc, bar, Style::ProgressTop, Style::ProgressBottom);
        }
        if (dialog_->value_ > 0) { // a glint running along the track while waiting
            int gx = track.left + 2 + width * phase_ / 100;
            UiFillRect(dc, RECT{gx, track.top + 3, std::min<int>(gx + 16, track.right - 2), track.bottom - 3},
                       Style::ProgressGlint);
        }
        GetWinManager().Paint(dc, update);
    }

    static std::vector<Window*>& Registry() {
        static auto* all = new std::vector<Window*>();
        return *all;
    }

private:
    ProgressDialog* dialog_;
    UiCaptionLabel info_;
    UiPushButton button_;
    int phase_ = 0;
};

ProgressDialog::ProgressDialog() = default;

ProgressDialog::~ProgressDialog() { Close(); }

void ProgressDialog::SetRange(int low, int high) {
    low_ = low;
    high_ = high < low ? low : high;
    Update();
}

void ProgressDialog::SetCurValue(int position) {
    position_ = position;
    Update();
}

void ProgressDialog::SetInfo(LPCWSTR text) {
    info_ = text;
    Update();
}

void ProgressDialog::SetButtonText(LPCWSTR text) {
    button_ = text;
    Update();
}

BOOL ProgressDialog::Show(HWND owner) {
    owner_ = owner;
    if (window_ && window_->m_hWnd && IsWindow(window_->m_hWnd)) {
        window_->Refresh();
        window_->Show(TRUE, TRUE);
        return TRUE;
    }
    window_ = std::make_unique<Window>(this);
    RECT work = WorkArea();
    int screenW = work.right - work.left;
    int w = std::min(420, screenW - 40), h = 200;
    if (!window_->Create(work.left + (screenW - w) / 2, work.top + ((work.bottom - work.top) - h) / 2, w, h, owner, 0,
                         WS_POPUP, WS_EX_LAYERED)) {
        window_.reset();
        return FALSE;
    }
    window_->Show(TRUE, TRUE);
    return TRUE;
}

void ProgressDialog::Close() {
    if (!window_) return;
    window_->Destroy();
    window_.reset();
}

BOOL ProgressDialog::IsShown() const { return window_ && window_->IsVisible(); }

void ProgressDialog::Update() {
    if (window_ && window_->m_hWnd) window_->Refresh();
}

void ProgressDialog::CloseAll() {
    for (Window* w : Window::Registry()) w->Show(FALSE, FALSE);
}
