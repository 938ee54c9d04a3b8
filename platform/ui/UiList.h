// The list control: rows of {text, data word} drawn one under the other, scrolled by dragging with a fling,
// with a selected row, fixed or per-row heights and owner drawing.
#pragma once

#include "platform/ui/KineticScroll.h"
#include "platform/ui/MzStr.h"
#include "platform/ui/Style.h"
#include "platform/ui/UiWin.h"

#include <vector>

// One row of the list controls: its text and a word that is free for the owner (often a pointer).
struct ListItem {
    CMzStr Text;
    DWORD_PTR Data = 0;
};

class UiList : public UiWin {
public:
    UiList();
    ~UiList() override;

    // Item management; every removal calls OnRemoveItem for the item while it is still in the list.
    int AddItem(const ListItem& item);
    int InsertItem(const ListItem& item, int index); // index beyond the end appends
    bool RemoveItem(int index);
    void RemoveAll();           // from the last item to the first
    void RemoveFrom(int first); // the items from first on, from the last one back
    bool MoveItem(int from, int to);
    int GetItemCount() const { return (int)items.size(); }
    ListItem* GetItem(int index);
    const ListItem* GetItem(int index) const;

    void SetSelectedIndex(int index); // -1 (or any index out of range) clears the selection
    int GetSelectedIndex() const { return selected; }
    // The item under a point in window coordinates, -1 for none.
    int CalcIndexOfPos(int x, int y) const;
    // Scrolls as little as needed so the item is wholly in view.
    void EnsureVisible(int index);
    RECT GetItemRect(int index) const; // window coordinates, scroll applied

    void SetItemHeight(int height);
    int GetItemHeightValue() const { return itemHeight; }
    // Per-item heights: the list asks GetItemHeight for every item; otherwise all items have the item height.
    void SetVariableItemHeight(bool on) { variableHeights = on; }
    virtual int GetItemHeight(int index);

    // Owner drawing: rcItem is the item's rectangle in window coordinates.
    virtual void DrawItem(HDC dc, int index, RECT* rcItem, RECT* rcWin, RECT* rcUpdate);
    virtual void OnRemoveItem(int index);

    void EnableGridlines(bool on) { gridlines = on; }
    bool HasGridlines() const { return gridlines; }
    void SetGridlineColor(COLORREF color) { gridColor = color; }
    void SetDragScrollMode(int mode) { dragMode = mode; }
    void EnableScrollBarV(bool on) { indicator = on; }
    void SetBackgroundColor(COLORREF color, bool paint = true)
    {
        bgColor = color;
        paintBg = paint;
    }
    // A tap (press and release without movement) selects the item under it and, with the notify switch on,
    // posts MZ_WM_COMMAND code MZ_MOUSE_UP with the item index. Off by default: the client's lists choose their
    // own selection rules. With the notify switch on the list also sends MZ_WM_MOUSE_NOTIFY for its press,
    // moves and release, before it acts on them.
    void SetSelectOnTap(bool on) { selectOnTap = on; }

    int GetTopPos() const { return scroll.GetOffset(); }
    void SetTopPos(int offset);
    void ScrollToTop(bool animated = true);
    int GetContentHeight() const;
    bool IsScrolling() const { return scroll.IsDragging() || scroll.IsMoving(); }
    // A list whose rows all fit leaves a drag to the scrolling container it sits in.
    bool ScrollsItself() const override { return dragMode != 0 && GetContentHeight() > GetHeight(); }

    void SetPos(int x, int y, int w, int h, UINT flags = 0) override;
    void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) override;
    int OnLButtonDown(UINT flags, int x, int y) override;
    int OnLButtonUp(UINT flags, int x, int y) override;
    int OnMouseMove(UINT flags, int x, int y) override;
    void OnTimer(UINT_PTR id) override;
    void Describe(UiDescription& out) const override;

protected:
    int HeightOf(int index) const; // the height used for layout
    void UpdateRange();
    void SendMouseNotify(int code, int x, int y);

private:
    static constexpr UINT_PTR MOTION_TIMER = 1;
    std::vector<ListItem> items;
    int selected = -1;
    int itemHeight = 70;
    bool variableHeights = false;
    bool gridlines = true;
    COLORREF gridColor = Style::GridLine;
    int dragMode = 1;
    bool indicator = false;
    bool paintBg = false;
    COLORREF bgColor = Style::PaperFill;
    bool selectOnTap = false;
    KineticScroll scroll;
};
