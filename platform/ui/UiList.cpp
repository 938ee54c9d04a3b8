// The list control.
#include "platform/ui/UiList.h"

#include "platform/ui/Style.h"
#include "platform/ui/UiDraw.h"
#include "platform/ui/UiScrollWin.h"
#include "platform/win/Gdi.h"
#include "platform/win/Time.h"

#include <algorithm>

UiList::UiList() { textSize_ = 24; }

// Derived lists free their payloads in their own destructors (OnRemoveItem is no longer theirs here).
UiList::~UiList() = default;

// Adding only lengthens the content, so the scroll offset stays valid; the range is brought up to date where it is
// used (a press, a jump, EnsureVisible). Measuring every row at every add made a long reply take minutes.
int UiList::AddItem(const ListItem& item) {
    items_.push_back(item);
    Invalidate();
    return (int)items_.size() - 1;
}

int UiList::InsertItem(const ListItem& item, int index) {
    if (index < 0 || index > (int)items_.size()) index = (int)items_.size();
    items_.insert(items_.begin() + index, item);
    if (selected_ >= index) ++selected_;
    Invalidate();
    return index;
}

bool UiList::RemoveItem(int index) {
    if (index < 0 || index >= (int)items_.size()) return false;
    OnRemoveItem(index);
    // The handler may have changed the list; remove by the same index only while it still exists.
    if (index >= (int)items_.size()) return false;
    items_.erase(items_.begin() + index);
    if (selected_ == index)
        selected_ = -1;
    else if (selected_ > index)
        --selected_;
    UpdateRange();
    Invalidate();
    return true;
}

void UiList::RemoveAll() {
    for (int i = (int)items_.size() - 1; i >= 0; --i) {
        if (i >= (int)items_.size()) continue;
        OnRemoveItem(i);
        if (i < (int)items_.size()) items_.erase(items_.begin() + i);
    }
    selected_ = -1;
    scroll_.SetRange(0);
    scroll_.SetOffset(0);
    Invalidate();
}

void UiList::RemoveFrom(int first) {
    if (first < 0) first = 0;
    for (int i = (int)items_.size() - 1; i >= first; --i) {
        if (i >= (int)items_.size()) continue;
        OnRemoveItem(i);
        if (i < (int)items_.size()) items_.erase(items_.begin() + i);
    }
    if (selected_ >= (int)items_.size()) selected_ = -1;
    UpdateRange(); // once: measuring the rest at every removal made clearing a long list take minutes
    Invalidate();
}

bool UiList::MoveItem(int from, int to) {
    int n = (int)items_.size();
    if (from < 0 || from >= n || to < 0 || to >= n) return false;
    if (from == to) return true;
    ListItem moving = std::move(items_[from]);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, std::move(moving));
    if (selected_ == from)
        selected_ = to;
    else if (from < selected_ && to >= selected_)
        --selected_;
    else if (from > selected_ && to <= selected_ && selected_ >= 0)
        ++selected_;
    Invalidate();
    return true;
}

ListItem* UiList::GetItem(int index) {
    return index >= 0 && index < (int)items_.size() ? &items_[index] : nullptr;
}

const ListItem* UiList::GetItem(int index) const {
    return index >= 0 && index < (int)items_.size() ? &items_[index] : nullptr;
}

void UiList::SetSelectedIndex(int index) {
    if (index < 0 || index >= (int)items_.size()) index = -1;
    if (index == selected_) return;
    selected_ = index;
    Invalidate();
}

int UiList::GetItemHeight(int) { return itemHeight_; }

int UiList::HeightOf(int index) const {
    if (!variableHeights_) return itemHeight_;
    int h = const_cast<UiList*>(this)->GetItemHeight(index);
    return h < 0 ? 0 : h;
}

void UiList::SetItemHeight(int height) {
    itemHeight_ = height > 0 ? height : 1;
    UpdateRange();
    Invalidate();
}

int UiList::GetContentHeight() const {
    if (!variableHeights_) return itemHeight_ * (int)items_.size();
    int total = 0;
    for (int i = 0; i < (int)items_.size(); ++i) total += HeightOf(i);
    return total;
}

void UiList::UpdateRange() { scroll_.SetRange(GetContentHeight() - GetHeight()); }

void UiList::SetPos(int x, int y, int w, int h, UINT flags) {
    UiWin::SetPos(x, y, w, h, flags);
    UpdateRange();
}

RECT UiList::GetItemRect(int index) const {
    RECT rc = GetRect();
    int top = rc.top - scroll_.GetOffset();
    if (!variableHeights_) {
        top += index * itemHeight_;
    } else {
        for (int i = 0; i < index; ++i) top += HeightOf(i);
    }
    return RECT{rc.left, top, rc.right, top + HeightOf(index)};
}

int UiList::CalcIndexOfPos(int x, int y) const {
    if (!ContainsPoint(x, y)) return -1;
    RECT rc = GetRect();
    int yy = y - rc.top + scroll_.GetOffset();
    if (yy < 0) return -1;
    if (!variableHeights_) {
        int i = yy / itemHeight_;
        return i < (int)items_.size() ? i : -1;
    }
    int top = 0;
    for (int i = 0; i < (int)items_.size(); ++i) {
        int h = HeightOf(i);
        if (yy >= top && yy < top + h) return i;
        top += h;
    }
    return -1;
}

void UiList::EnsureVisible(int index) {
    if (index < 0 || index >= (int)items_.size()) return;
    UpdateRange();
    RECT rc = GetRect();
    RECT item = GetItemRect(index);
    int offset = scroll_.GetOffset();
    if (item.top < rc.top)
        offset -= rc.top - item.top;
    else if (item.bottom > rc.bottom)
        offset += std::min(item.bottom - rc.bottom, item.top - rc.top);
    if (offset != scroll_.GetOffset()) {
        scroll_.SetOffset(offset);
        Invalidate();
    }
}

void UiList::SetTopPos(int offset) {
    UpdateRange();
    scroll_.SetOffset(offset);
    Invalidate();
}

void UiList::ScrollToTop(bool animated) {
    UpdateRange();
    if (!animated) {
        SetTopPos(0);
        return;
    }
    scroll_.AnimateTo(0, GetTickCount());
    if (scroll_.IsMoving()) SetTimer(MOTION_TIMER, KineticScroll::STEP_MS);
}

void UiList::OnRemoveItem(int) {}

void UiList::DrawItem(HDC dc, int index, RECT* rcItem, RECT*, RECT*) {
    const ListItem& item = items_[index];
    bool selected = index == selected_;
    if (selected) DrawSelectionBackground(dc, *rcItem);
    RECT text = *rcItem;
    text.left += 12;
    text.right -= 12;
    UiDrawText(dc, item.Text.C_Str(), text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS, textSize_,
               textWeight_, selected ? Style::SelectedText : textColor_);
}

void UiList::PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) {
    int saved = SaveDC(dc);
    IntersectClipRect(dc, rcUpdate->left, rcUpdate->top, rcUpdate->right, rcUpdate->bottom);
    if (paintBg_) UiFillRect(dc, *rcUpdate, bgColor_);
    int top = rcWin->top - scroll_.GetOffset();
    for (int i = 0; i < (int)items_.size(); ++i) {
        int h = HeightOf(i);
        RECT item{rcWin->left, top, rcWin->right, top + h};
        top += h;
        if (item.bottom <= rcUpdate->top) continue;
        if (item.top >= rcUpdate->bottom) break;
        DrawItem(dc, i, &item, rcWin, rcUpdate);
        if (gridlines_) UiDrawLine(dc, item.left, item.bottom - 1, item.right, item.bottom - 1, gridColor_);
        if (i >= (int)items_.size()) break; // an owner-drawn item may have changed the list
    }
    if (indicator_ && IsScrolling()) DrawScrollIndicator(dc, *rcWin, scroll_.GetOffset(), GetContentHeight());
    RestoreDC(dc, saved);
}

void UiList::SendMouseNotify(int code, int x, int y) {
    if (!GetNotify()) return;
    RECT rc = GetRect();
    SendToHost(MZ_WM_MOUSE_NOTIFY, (WPARAM)MAKELONG((WORD)GetID(), (WORD)code),
               (LPARAM)MAKELONG((WORD)(x - rc.left), (WORD)(y - rc.top)));
}

int UiList::OnLButtonDown(UINT flags, int x, int y) {
    UiWin::OnLButtonDown(flags, x, y);
    UpdateRange();
    bool stopped = dragMode_ != 0 && scroll_.Press(y, GetTickCount());
    SetStopPress(stopped);
    if (stopped) {
        KillTimer(MOTION_TIMER);
        SetMoved(); // the press only stopped the motion: it is not a tap
    }
    SendMouseNotify(MZ_MOUSE_DOWN, x, y);
    return 1;
}

int UiList::OnMouseMove(UINT flags, int x, int y) {
    UiWin::OnMouseMove(flags, x, y);
    if (dragMode_ != 0) {
        int before = scroll_.GetOffset();
        if (scroll_.Move(y, GetTickCount())) SetMoved();
        if (scroll_.GetOffset() != before) Invalidate();
    }
    SendMouseNotify(MZ_MOUSE_MOVE, x, y);
    return 1;
}

int UiList::OnLButtonUp(UINT flags, int x, int y) {
    bool tap = !IsMoved();
    UiWin::OnLButtonUp(flags, x, y);
    if (dragMode_ != 0) {
        bool wasDragging = scroll_.IsDragging();
        if (scroll_.Release(y, GetTickCount())) SetTimer(MOTION_TIMER, KineticScroll::STEP_MS);
        if (wasDragging) Invalidate();
    }
    if (tap && selectOnTap_) {
        int index = CalcIndexOfPos(x, y);
        if (index >= 0) {
            SetSelectedIndex(index);
            EnsureVisible(index);
            if (GetNotify()) PostNotify(MZ_MOUSE_UP, index);
        }
    }
    SendMouseNotify(MZ_MOUSE_UP, x, y);
    return 1;
}

void UiList::OnTimer(UINT_PTR id) {
    if (id != MOTION_TIMER) return;
    if (!scroll_.Step(GetTickCount())) KillTimer(MOTION_TIMER);
    Invalidate();
}

void UiList::Describe(UiDescription& out) const {
    UiWin::Describe(out);
    out.kind = "UiList";
    for (const ListItem& item : items_) out.items.emplace_back(item.Text.C_Str(), item.Text.Length());
    out.selected = selected_;
    out.extra = "top=" + std::to_string(scroll_.GetOffset()) + " row=" + std::to_string(itemHeight_);
}
