// The scrolling container.
#include "platform/ui/UiScrollWin.h"

#include "platform/ui/Style.h"
#include "platform/win/Gdi.h"
#include "platform/win/Time.h"

#include <algorithm>

UiScrollWin::UiScrollWin() = default;

UiScrollWin::~UiScrollWin() = default;

void UiScrollWin::AddChild(UiWin* child)
{
    if (!child)
        return;
    if (UiWinManager* m = GetManager()) {
        m->AddChild(this, child);
    } else {
        if (child->GetManager())
            child->GetManager()->RemoveUiWin(child);
        if (child->GetParent())
            child->GetParent()->RemoveChildControl(child);
        child->Attach(nullptr, this);
    }
    UpdateRange();
}

void UiScrollWin::RemoveChild(UiWin* child)
{
    if (!child || child->GetParent() != this)
        return;
    if (UiWinManager* m = GetManager())
        m->RemoveChild(this, child);
    else
        RemoveChildControl(child);
    UpdateRange();
}

void UiScrollWin::SetContentHeight(int newHeight)
{
    contentHeight = newHeight;
    UpdateRange();
}

int UiScrollWin::GetContentHeight() const
{
    int bottom = contentHeight;
    for (UiWin* c : GetChildren())
        if (c->IsVisible())
            bottom = std::max(bottom, c->GetPosY() + c->GetHeight());
    return bottom;
}

void UiScrollWin::UpdateRange()
{
    scroll.SetRange(GetContentHeight() - GetHeight());
}

void UiScrollWin::OnChildrenChanged()
{
    UpdateRange();
}

void UiScrollWin::SetPos(int x, int y, int w, int h, UINT flags)
{
    UiWin::SetPos(x, y, w, h, flags);
    UpdateRange();
}

void UiScrollWin::SetTopPos(int offset)
{
    UpdateRange();
    scroll.SetOffset(offset);
    Invalidate();
}

void UiScrollWin::ScrollToTop(bool animated)
{
    UpdateRange();
    if (!animated) {
        SetTopPos(0);
        return;
    }
    scroll.AnimateTo(0, GetTickCount());
    StartMotion();
}

void UiScrollWin::StartMotion()
{
    if (scroll.IsMoving())
        SetTimer(MOTION_TIMER, KineticScroll::STEP_MS);
}

void UiScrollWin::OnTimer(UINT_PTR id)
{
    if (id != MOTION_TIMER)
        return;
    if (!scroll.Step(GetTickCount()))
        KillTimer(MOTION_TIMER);
    Invalidate();
}

UiWin* UiScrollWin::HitTest(int x, int y)
{
    // Children outside the visible part of the content cannot be touched.
    if (!IsVisible() || !IsEnabled() || !ContainsPoint(x, y))
        return nullptr;
    return UiWin::HitTest(x, y);
}

void UiScrollWin::ChildPressBegin(int, int y)
{
    if (dragMode == 0)
        return;
    UpdateRange();
    if (scroll.Press(y, GetTickCount()))
        KillTimer(MOTION_TIMER);
}

bool UiScrollWin::ChildPressMove(int, int y)
{
    if (dragMode == 0)
        return false;
    int before = scroll.GetOffset();
    bool dragging = scroll.Move(y, GetTickCount());
    if (scroll.GetOffset() != before)
        Invalidate();
    return dragging;
}

void UiScrollWin::ChildPressEnd(int, int y)
{
    if (dragMode == 0)
        return;
    bool wasDragging = scroll.IsDragging();
    if (scroll.Release(y, GetTickCount()))
        StartMotion();
    if (wasDragging)
        Invalidate(); // the indicator goes away
}

int UiScrollWin::OnLButtonDown(UINT flags, int x, int y)
{
    UiWin::OnLButtonDown(flags, x, y);
    ChildPressBegin(x, y);
    return 1;
}

int UiScrollWin::OnMouseMove(UINT flags, int x, int y)
{
    UiWin::OnMouseMove(flags, x, y);
    if (ChildPressMove(x, y))
        SetMoved();
    return 1;
}

int UiScrollWin::OnLButtonUp(UINT flags, int x, int y)
{
    UiWin::OnLButtonUp(flags, x, y);
    ChildPressEnd(x, y);
    return 1;
}

void UiScrollWin::PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate)
{
    int saved = SaveDC(dc);
    IntersectClipRect(dc, rcUpdate->left, rcUpdate->top, rcUpdate->right, rcUpdate->bottom);
    if (paintBg) {
        HBRUSH brush = CreateSolidBrush(bgColor);
        FillRect(dc, rcUpdate, brush);
        DeleteObject(brush);
    }
    for (UiWin* c : GetChildren()) {
        if (!c->IsVisible())
            continue;
        RECT rc = c->GetRect();
        RECT clip;
        if (!IntersectRect(&clip, &rc, rcUpdate))
            continue;
        int inner = SaveDC(dc);
        IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
        c->PaintWin(dc, &rc, &clip);
        RestoreDC(dc, inner);
    }
    if (indicator && IsScrolling())
        Style::DrawScrollIndicator(dc, *rcWin, scroll.GetOffset(), GetContentHeight());
    RestoreDC(dc, saved);
}

void UiScrollWin::Describe(UiDescription& out) const
{
    UiWin::Describe(out);
    out.kind = "UiScrollWin";
    out.extra = "top=" + std::to_string(scroll.GetOffset()) + " content=" + std::to_string(GetContentHeight());
}
