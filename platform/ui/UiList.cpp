// The list control.
#include "platform/ui/UiList.h"

#include "platform/ui/Style.h"
#include "platform/ui/UiDraw.h"
#include "platform/ui/UiScrollWin.h"
#include "platform/win/Gdi.h"
#include "platform/win/Time.h"

#include <algorithm>

UiList::UiList()
{
    textSize = 24;
}

// Derived lists free their payloads in their own destructors (OnRemoveItem is no longer theirs here).
UiList::~UiList() = default;

// Adding only lengthens the content, so the scroll offset stays valid; the range is brought up to date where it is
// used (a press, a jump, EnsureVisible). Measuring every row at every add made a long reply take minutes.
int UiList::AddItem(const ListItem& item)
{
    items.push_back(item);
    Invalidate();
    return (int)items.size() - 1;
}

int UiList::InsertItem(const ListItem& item, int index)
{
    if (index < 0 || index > (int)items.size())
        index = (int)items.size();
    items.insert(items.begin() + index, item);
    if (selected >= index)
        ++selected;
    Invalidate();
    return index;
}

bool UiList::RemoveItem(int index)
{
    if (index < 0 || index >= (int)items.size())
        return false;
    OnRemoveItem(index);
    // The handler may have changed the list; remove by the same index only while it still exists.
    if (index >= (int)items.size())
        return false;
    items.erase(items.begin() + index);
    if (selected == index)
        selected = -1;
    else if (selected > index)
        --selected;
    UpdateRange();
    Invalidate();
    return true;
}

void UiList::RemoveAll()
{
    for (int i = (int)items.size() - 1; i >= 0; --i) {
        if (i >= (int)items.size())
            continue;
        OnRemoveItem(i);
        if (i < (int)items.size())
            items.erase(items.begin() + i);
    }
    selected = -1;
    scroll.SetRange(0);
    scroll.SetOffset(0);
    Invalidate();
}

void UiList::RemoveFrom(int first)
{
    if (first < 0)
        first = 0;
    for (int i = (int)items.size() - 1; i >= first; --i) {
        if (i >= (int)items.size())
            continue;
        OnRemoveItem(i);
        if (i < (int)items.size())
            items.erase(items.begin() + i);
    }
    if (selected >= (int)items.size())
        selected = -1;
    UpdateRange(); // once: measuring the rest at every removal made clearing a long list take minutes
    Invalidate();
}

bool UiList::MoveItem(int from, int to)
{
    int n = (int)items.size();
    if (from < 0 || from >= n || to < 0 || to >= n)
        return false;
    if (from == to)
        return true;
    ListItem moving = std::move(items[from]);
    items.erase(items.begin() + from);
    items.insert(items.begin() + to, std::move(moving));
    if (selected == from)
        selected = to;
    else if (from < selected && to >= selected)
        --selected;
    else if (from > selected && to <= selected && selected >= 0)
        ++selected;
    Invalidate();
    return true;
}

ListItem* UiList::GetItem(int index)
{
    return index >= 0 && index < (int)items.size() ? &items[index] : nullptr;
}

const ListItem* UiList::GetItem(int index) const
{
    return index >= 0 && index < (int)items.size() ? &items[index] : nullptr;
}

void UiList::SetSelectedIndex(int index)
{
    if (index < 0 || index >= (int)items.size())
        index = -1;
    if (index == selected)
        return;
    selected = index;
    Invalidate();
}

int UiList::GetItemHeight(int)
{
    return itemHeight;
}

int UiList::HeightOf(int index) const
{
    if (!variableHeights)
        return itemHeight;
    int h = const_cast<UiList*>(this)->GetItemHeight(index);
    return h < 0 ? 0 : h;
}

void UiList::SetItemHeight(int rowHeight)
{
    itemHeight = rowHeight > 0 ? rowHeight : 1;
    UpdateRange();
    Invalidate();
}

int UiList::GetContentHeight() const
{
    if (!variableHeights)
        return itemHeight * (int)items.size();
    int total = 0;
    for (int i = 0; i < (int)items.size(); ++i)
        total += HeightOf(i);
    return total;
}

void UiList::UpdateRange()
{
    scroll.SetRange(GetContentHeight() - GetHeight());
}

void UiList::SetPos(int x, int y, int w, int h, UINT flags)
{
    UiWin::SetPos(x, y, w, h, flags);
    UpdateRange();
}

RECT UiList::GetItemRect(int index) const
{
    RECT rc = GetRect();
    int top = rc.top - scroll.GetOffset();
    if (!variableHeights) {
        top += index * itemHeight;
    } else {
        for (int i = 0; i < index; ++i)
            top += HeightOf(i);
    }
    return RECT{rc.left, top, rc.right, top + HeightOf(index)};
}

int UiList::CalcIndexOfPos(int x, int y) const
{
    if (!ContainsPoint(x, y))
        return -1;
    RECT rc = GetRect();
    int yy = y - rc.top + scroll.GetOffset();
    if (yy < 0)
        return -1;
    if (!variableHeights) {
        int i = yy / itemHeight;
        return i < (int)items.size() ? i : -1;
    }
    int top = 0;
    for (int i = 0; i < (int)items.size(); ++i) {
        int h = HeightOf(i);
        if (yy >= top && yy < top + h)
            return i;
        top += h;
    }
    return -1;
}

void UiList::EnsureVisible(int index)
{
    if (index < 0 || index >= (int)items.size())
        return;
    UpdateRange();
    RECT rc = GetRect();
    RECT item = GetItemRect(index);
    int offset = scroll.GetOffset();
    if (item.top < rc.top)
        offset -= rc.top - item.top;
    else if (item.bottom > rc.bottom)
        offset += std::min(item.bottom - rc.bottom, item.top - rc.top);
    if (offset != scroll.GetOffset()) {
        scroll.SetOffset(offset);
        Invalidate();
    }
}

void UiList::SetTopPos(int offset)
{
    UpdateRange();
    scroll.SetOffset(offset);
    Invalidate();
}

void UiList::ScrollToTop(bool animated)
{
    UpdateRange();
    if (!animated) {
        SetTopPos(0);
        return;
    }
    scroll.AnimateTo(0, GetTickCount());
    if (scroll.IsMoving())
        SetTimer(MOTION_TIMER, KineticScroll::STEP_MS);
}

void UiList::OnRemoveItem(int) {}

void UiList::DrawItem(HDC dc, int index, RECT* rcItem, RECT*, RECT*)
{
    const ListItem& item = items[index];
    bool isSelected = index == selected;
    if (isSelected)
        Style::DrawSelectionBackground(dc, *rcItem);
    RECT textRect = *rcItem;
    textRect.left += 12;
    textRect.right -= 12;
    UiDrawText(dc, item.Text.C_Str(), textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS, textSize,
               textWeight, isSelected ? Style::SelectedText : textColor);
}

void UiList::PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate)
{
    int saved = SaveDC(dc);
    IntersectClipRect(dc, rcUpdate->left, rcUpdate->top, rcUpdate->right, rcUpdate->bottom);
    if (paintBg)
        UiFillRect(dc, *rcUpdate, bgColor);
    int top = rcWin->top - scroll.GetOffset();
    for (int i = 0; i < (int)items.size(); ++i) {
        int h = HeightOf(i);
        RECT item{rcWin->left, top, rcWin->right, top + h};
        top += h;
        if (item.bottom <= rcUpdate->top)
            continue;
        if (item.top >= rcUpdate->bottom)
            break;
        DrawItem(dc, i, &item, rcWin, rcUpdate);
        if (gridlines)
            UiDrawLine(dc, item.left, item.bottom - 1, item.right, item.bottom - 1, gridColor);
        if (i >= (int)items.size())
            break; // an owner-drawn item may have changed the list
    }
    if (indicator && IsScrolling())
        Style::DrawScrollIndicator(dc, *rcWin, scroll.GetOffset(), GetContentHeight());
    RestoreDC(dc, saved);
}

void UiList::SendMouseNotify(int code, int x, int y)
{
    if (!GetNotify())
        return;
    RECT rc = GetRect();
    SendToHost(MZ_WM_MOUSE_NOTIFY, (WPARAM)MAKELONG((WORD)GetID(), (WORD)code),
               (LPARAM)MAKELONG((WORD)(x - rc.left), (WORD)(y - rc.top)));
}

int UiList::OnLButtonDown(UINT flags, int x, int y)
{
    UiWin::OnLButtonDown(flags, x, y);
    UpdateRange();
    bool stopped = dragMode != 0 && scroll.Press(y, GetTickCount());
    SetStopPress(stopped);
    if (stopped) {
        KillTimer(MOTION_TIMER);
        SetMoved(); // the press only stopped the motion: it is not a tap
    }
    SendMouseNotify(MZ_MOUSE_DOWN, x, y);
    return 1;
}

int UiList::OnMouseMove(UINT flags, int x, int y)
{
    UiWin::OnMouseMove(flags, x, y);
    if (dragMode != 0) {
        int before = scroll.GetOffset();
        if (scroll.Move(y, GetTickCount()))
            SetMoved();
        if (scroll.GetOffset() != before)
            Invalidate();
    }
    SendMouseNotify(MZ_MOUSE_MOVE, x, y);
    return 1;
}

int UiList::OnLButtonUp(UINT flags, int x, int y)
{
    bool tap = !IsMoved();
    UiWin::OnLButtonUp(flags, x, y);
    if (dragMode != 0) {
        bool wasDragging = scroll.IsDragging();
        if (scroll.Release(y, GetTickCount()))
            SetTimer(MOTION_TIMER, KineticScroll::STEP_MS);
        if (wasDragging)
            Invalidate();
    }
    if (tap && selectOnTap) {
        int index = CalcIndexOfPos(x, y);
        if (index >= 0) {
            SetSelectedIndex(index);
            EnsureVisible(index);
            if (GetNotify())
                PostNotify(MZ_MOUSE_UP, index);
        }
    }
    SendMouseNotify(MZ_MOUSE_UP, x, y);
    return 1;
}

void UiList::OnTimer(UINT_PTR id)
{
    if (id != MOTION_TIMER)
        return;
    if (!scroll.Step(GetTickCount()))
        KillTimer(MOTION_TIMER);
    Invalidate();
}

void UiList::Describe(UiDescription& out) const
{
    UiWin::Describe(out);
    out.kind = "UiList";
    for (const ListItem& item : items)
        out.items.emplace_back(item.Text.C_Str(), item.Text.Length());
    out.selected = selected;
    out.extra = "top=" + std::to_string(scroll.GetOffset()) + " row=" + std::to_string(itemHeight);
}
