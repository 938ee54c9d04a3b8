// CPopMenuWnd: the modal menu of large buttons that rises from the bottom of the work area; the owner fills it with
// items {text, button style, command id} and receives the pressed button's command id as the modal result (0 when
// it ends without a press).
#pragma once

#include "platform/ui/MzDialogs.h"
#include "platform/ui/UiButton.h"
#include "platform/ui/UiScrollWin.h"

#include <memory>
#include <vector>

// One row of an action menu: the command id it returns and its caption.
struct PopMenuChoice {
    int id;
    const char16_t* text;
};

class CPopMenuWnd : public CMzPopupTextWnd {
public:
    static constexpr int ROW_PITCH = 95;
    static constexpr int BUTTON_HEIGHT = 75;

    CPopMenuWnd();
    ~CPopMenuWnd() override;

    LPCWSTR GetMzClassName() override;
    BOOL OnInitDialog() override;

    // Keeps a copy; items are added before the window is created.
    void AddItem(const MzPopupItem& item);
    int GetItemCount() const { return (int)items.size(); }
    // n x 95 + 28 for n items, at most the work area's height.
    int GetHeight();
    // The way every owner runs it: rising (animations 1 and 2) over the full width of the work area with its
    // bottom on the work area's bottom, modal over owner. Returns the command id pressed, or 0.
    int RunModal(HWND owner);
    UiPushButton* GetButton(int index);

    // Fills a fresh menu with choices, in order, and runs it over owner. Returns the command id pressed, or 0.
    static int RunChoices(HWND owner, const PopMenuChoice* choices, int count);
    template <int N> static int RunChoices(HWND owner, const PopMenuChoice (&choices)[N])
    {
        return RunChoices(owner, choices, N);
    }

private:
    UiScrollWin scrollArea;
    std::vector<std::unique_ptr<MzPopupItem>> items;
    std::vector<std::unique_ptr<UiPushButton>> buttons;
};
