// CCheckList: a list whose rows carry a check mark, single- or multi-choice. A row's data word points to a
// payload laid out as ListItemPayload {owner's word; check flag}; a row without payload is never checked.
#pragma once

#include "platform/ui/UiList.h"
#include "shell/FormLayout.h"

class UiStatic;

class CCheckList : public UiList {
public:
    // Notification codes (wParam MAKELONG(list id, code), lParam the row).
    static constexpr int NOTIFY_TAPPED = 2;
    static constexpr int NOTIFY_RETAPPED = 12;
    static constexpr int CHECK_WIDTH = 50;

    CCheckList() = default;
    ~CCheckList() override;

    int OnLButtonUp(UINT flags, int x, int y) override;
    void DrawItem(HDC dc, int index, RECT* rcItem, RECT* rcWin, RECT* rcUpdate) override;
    // Frees the row's payload through the release function (none when the payloads are someone else's).
    void OnRemoveItem(int index) override;
    void Describe(UiDescription& out) const override;

    int IsChecked(int row) const;
    // Only the low byte of the flag is taken.
    void SetChecked(int row, int flag);
    int CountChecked() const;

    // Set directly by the owner after construction.
    BYTE reTapNotify = 0;
    BYTE tapNotify = 0;
    BYTE multiChoice = 1;
    // How a removed row's payload is freed; null leaves the payloads to whoever made them (a picker shows
    // payloads that its opening form keeps and reads again afterwards).
    void (*releasePayload)(ListItem* item) = FreeListItemPayload;

private:
    ListItemPayload* PayloadOf(int row) const;
};

// A picker's single-choice list under its caption, styled alike in every picker: the caption in 26-pixel heading
// text, rows of 45 pixels in black 23-pixel text, dragged to scroll, a tap checks a row and notifies no one.
void StyleChoiceList(UiStatic& caption, const char16_t* text, int captionId, CCheckList& list, int listId);
