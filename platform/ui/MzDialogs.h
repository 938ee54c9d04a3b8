// The class library's small windows: the modal message box, the self-closing tip, the pop-up of buttons that
// rises from the bottom, and the wait (progress) dialog.
#pragma once

#include "platform/ui/MzHostWnd.h"
#include "platform/ui/MzStr.h"
#include "platform/ui/UiBars.h"
#include "platform/ui/UiButton.h"
#include "platform/ui/UiEdit.h"
#include "platform/ui/UiScrollWin.h"
#include "platform/ui/UiStatic.h"

#include <memory>
#include <vector>

// Button sets of the message box and its results.
#define MZ_MB_OK 0
#define MZ_MB_YESNO 4
#define MZ_IDOK 1
#define MZ_IDYES 1
#define MZ_IDNO 2

// Shows text with a caption and the button set modally over owner; returns the pressed button (MZ_IDYES/MZ_IDOK 1,
// MZ_IDNO 2), or 0 when the box could not be shown or was closed another way.
int MzMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT buttons);

// Shows text for the given milliseconds and returns when the tip has closed (a tap closes it early). Meanwhile
// the thread's messages, also those sent from other threads, are handled as usual.
void MzShowTip(HWND owner, LPCWSTR text, DWORD milliseconds);

// The window of the message box and the tip; exposed for windows that want the same look.
class CMzMessageBoxWnd : public CMzHostWnd {
public:
    CMzMessageBoxWnd(LPCWSTR text, LPCWSTR caption, UINT buttons, DWORD autoCloseMs = 0);
    LPCWSTR GetMzClassName() override;
    BOOL OnInitDialog() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    void OnTimer(UINT_PTR id) override;
    void OnLButtonUp(UINT keys, int x, int y) override;
    void PaintWin(HDC dc, RECT* window, RECT* update) override;
    // Creates the box centred over the work area and runs it modally.
    int Run(HWND owner);

private:
    CMzStr text, caption;
    UINT buttons;
    DWORD autoCloseMs;
    UiStatic captionLabel;
    UiCaptionLabel textLabel;
    UiTextEdit longText; // a text taller than the screen allows scrolls instead of being cut
    UiPushButton yes, no;
};

// An entry of the rising pop-up: its text, push-button style and command id (the id is the modal result).
struct MzPopupItem {
    CMzStr text;
    DWORD style = 1;
    DWORD id = 0;
};

// The pop-up window that rises from the bottom: a panel of buttons (added by the derived window in its
// OnInitDialog) whose tap ends the modal loop with the button's id. An optional text sits above the buttons.
class CMzPopupTextWnd : public CMzHostWnd {
public:
    explicit CMzPopupTextWnd(LPCWSTR text = nullptr);
    LPCWSTR GetMzClassName() override;
    BOOL OnInitDialog() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    int OnClickMKey() override;
    void PaintWin(HDC dc, RECT* window, RECT* update) override;
    // The result when the pop-up ends without a button (the front key): 0.
    static constexpr int NO_CHOICE = 0;

protected:
    CMzStr text;
    UiCaptionLabel textLabel;
};

// A ready-made pop-up of items, one full-width button per item from the top.
class CMzPopupMenuWnd : public CMzPopupTextWnd {
public:
    void AddItem(const MzPopupItem& item) { items.push_back(item); }
    // The height the items need: n x 95 + 28.
    int GetHeight() const { return (int)items.size() * 95 + 28; }
    LPCWSTR GetMzClassName() override;
    BOOL OnInitDialog() override;

private:
    std::vector<MzPopupItem> items;
    UiScrollWin area;
    std::vector<std::unique_ptr<UiPushButton>> buttons;
};

// The wait dialog: an info text, a bar that runs through its range, and a cancel button whose tap posts the
// cancel message to the owner. It does not block: the owner's messages keep coming while it shows.
class ProgressDialog {
public:
    ProgressDialog();
    ~ProgressDialog();
    ProgressDialog(const ProgressDialog&) = delete;
    ProgressDialog& operator=(const ProgressDialog&) = delete;

    void SetRange(int low, int high);
    void SetCurValue(int position);
    int GetCurValue() const { return position; }
    void SetInfo(LPCWSTR text);
    void SetButtonText(LPCWSTR text);
    // Speed of the bar's own animation (steps per second; 0 still) and the look (0 bar only, 1 bar and button).
    void SetValue(int speed) { value = speed; }
    void SetStyle(int kind) { style = kind; }
    // Posted to the owner (wParam 0, lParam 0) when the cancel button is tapped; the dialog then closes.
    void SetCancelMessage(UINT message) { cancelMessage = message; }
    // Shows the dialog over the owner (again, when it was closed; made anew over another owner); FALSE when it
    // could not be made.
    BOOL Show(HWND owner);
    void Close();
    BOOL IsShown() const;
    void Update();
    // Closes every wait dialog of the process.
    static void CloseAll();

    class Window;

private:
    friend class Window;
    std::unique_ptr<Window> window;
    int low = 0, high = 100, position = 0;
    int value = 0, style = 1;
    UINT cancelMessage = 0;
    HWND owner = nullptr;
    CMzStr info, button;
};
