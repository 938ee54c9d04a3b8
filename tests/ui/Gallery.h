// The control gallery: one window with every control of the class library and buttons that open each dialog.
// Tests drive it headless through the automation; MORWICK_GALLERY=1 opens it for a person (see GalleryTest).
#pragma once

#include "platform/ui/MzDialogs.h"
#include "platform/ui/MzKeypadWnd.h"
#include "platform/ui/UiBars.h"
#include "platform/ui/UiButton.h"
#include "platform/ui/UiEdit.h"
#include "platform/ui/UiList.h"
#include "platform/ui/UiPicture.h"
#include "platform/ui/UiScrollWin.h"
#include "platform/ui/UiStatic.h"

class CGalleryWnd : public CMzHostWnd {
public:
    enum {
        ID_TITLE = 1,
        ID_PANEL = 100,
        ID_STRIP = 101,
        ID_COMMANDS = 102,
        ID_INTRO = 200,
        ID_PICTURE,
        ID_TIP_BUTTON,
        ID_BOX_BUTTON,
        ID_WAIT_BUTTON,
        ID_EDIT,
        ID_KEYPAD_BUTTON,
        ID_TEXT,
        ID_LIST,
        ID_STATUS,
    };

    CGalleryWnd();
    ~CGalleryWnd() override;
    LPCWSTR GetMzClassName() override;
    BOOL OnInitDialog() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Shows what happened last in the status line (and the dump).
    void SetStatus(LPCWSTR text);
    LPCWSTR GetStatus() const { return status_.GetText(); }

    static constexpr UINT WM_WAIT_CANCELLED = 0xFFF2000A;

private:
    // Rows in their market colour, as the quote screens show them.
    class QuoteList : public UiList {
    public:
        void DrawItem(HDC dc, int index, RECT* rcItem, RECT* rcWin, RECT* rcUpdate) override;
    };
    // The controls of OnInitDialog, top to bottom; w is the window's width.
    void AddCaption(int w);
    void AddDialogButtons(int w);
    void AddEdits(int w);
    void AddQuoteList(int w);
    void AddBars(int w, int barsTop);
    void OpenPopup();
    void OpenKeypad();

    UiPicture captionBg_;
    UiStatic title_;
    UiScrollWin panel_;
    UiCaptionLabel intro_;
    UiPicture picture_;
    UiImageButton tipButton_;
    CMzImage tipNormal_, tipPressed_;
    UiPushButton boxButton_, waitButton_, keypadButton_;
    UiLineEdit edit_;
    UiTextEdit text_;
    QuoteList list_;
    UiStatic status_;
    UiIconStrip strip_;
    UiCommandBar commands_;
    ProgressDialog wait_;
    CMzKeypadWnd* keypad_ = nullptr;
};
