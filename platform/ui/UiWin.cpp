// The base of the lightweight controls.
#include "platform/ui/UiWin.h"

#include "platform/ui/UiWinManager.h"

#include <algorithm>
#include <cstdlib>

UiWin::UiWin() = default;

UiWin::~UiWin()
{
    // A control that dies while still in a set leaves it first, so the host never paints a dead control.
    if (manager)
        manager->Forget(this);
    if (parent)
        parent->RemoveChildControl(this);
    for (UiWin* child : children) {
        child->parent = nullptr;
        child->Detach();
    }
}

void UiWin::SetPos(int x, int y, int w, int h, UINT)
{
    Invalidate();
    posX = x;
    posY = y;
    width = w < 0 ? 0 : w;
    height = h < 0 ? 0 : h;
    if (parent)
        parent->OnChildrenChanged();
    Invalidate();
}

RECT UiWin::GetRect() const
{
    int left = posX, top = posY;
    for (const UiWin* p = parent; p; p = p->parent) {
        POINT off = p->GetChildOffset();
        left += p->posX + off.x;
        top += p->posY + off.y;
    }
    return RECT{left, top, left + width, top + height};
}

bool UiWin::ContainsPoint(int x, int y) const
{
    RECT r = GetRect();
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

void UiWin::SetVisible(bool show)
{
    if (visible == show)
        return;
    if (!show)
        Invalidate();
    visible = show;
    if (show)
        Invalidate();
    if (!show && manager) {
        if (manager->GetFocus() == this)
            manager->SetFocus(nullptr);
    }
}

bool UiWin::IsShown() const
{
    for (const UiWin* w = this; w; w = w->parent)
        if (!w->visible)
            return false;
    return true;
}

void UiWin::EnableControl(bool on)
{
    if (enabled == on)
        return;
    enabled = on;
    Invalidate();
}

void UiWin::SetText(LPCWSTR value)
{
    text = value;
    Invalidate();
}

UiWinManager* UiWin::GetManager() const
{
    return manager;
}

IUiHost* UiWin::GetHost() const
{
    return manager ? manager->GetHost() : nullptr;
}

HWND UiWin::GetHostWnd() const
{
    IUiHost* host = GetHost();
    return host ? host->GetHostWnd() : nullptr;
}

void UiWin::Invalidate(const RECT* rect)
{
    IUiHost* host = GetHost();
    if (!host || !visible)
        return;
    RECT r = rect ? *rect : GetRect();
    host->InvalidateHostRect(&r);
}

void UiWin::SetFocus(bool focus)
{
    if (!manager)
        return;
    if (focus)
        manager->SetFocus(this);
    else if (manager->GetFocus() == this)
        manager->SetFocus(nullptr);
}

bool UiWin::IsFocused() const
{
    return manager && manager->GetFocus() == this;
}

int UiWin::OnChar(WCHAR)
{
    return 0;
}

void UiWin::PaintWin(HDC, RECT*, RECT*) {}

int UiWin::OnLButtonDown(UINT, int x, int y)
{
    pressed = true;
    moved = false;
    pressPoint = POINT{x, y};
    return 1;
}

int UiWin::OnLButtonUp(UINT, int, int)
{
    pressed = false;
    return 1;
}

int UiWin::OnMouseMove(UINT, int x, int y)
{
    if (pressed && !moved &&
        (std::abs(x - pressPoint.x) > UI_DRAG_THRESHOLD || std::abs(y - pressPoint.y) > UI_DRAG_THRESHOLD))
        moved = true;
    return 1;
}

void UiWin::OnTimer(UINT_PTR) {}

bool UiWin::IsContainerDragging() const
{
    for (const UiWin* p = parent; p; p = p->parent)
        if (auto* c = dynamic_cast<const IUiDragContainer*>(p); c && c->IsDraggingContent())
            return true;
    return false;
}

UiWin* UiWin::HitTest(int x, int y)
{
    if (!visible || !enabled || !ContainsPoint(x, y))
        return nullptr;
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        if (UiWin* hit = (*it)->HitTest(x, y))
            return hit;
    return this;
}

BOOL UiWin::PostToHost(UINT message, WPARAM wParam, LPARAM lParam)
{
    IUiHost* host = GetHost();
    return host ? host->PostToHost(message, wParam, lParam) : FALSE;
}

LRESULT UiWin::SendToHost(UINT message, WPARAM wParam, LPARAM lParam)
{
    IUiHost* host = GetHost();
    return host ? host->SendToHost(message, wParam, lParam) : 0;
}

BOOL UiWin::PostNotify(int code, LPARAM lParam)
{
    return PostToHost(MZ_WM_COMMAND, (WPARAM)MAKELONG((WORD)controlId, (WORD)code), lParam);
}

BOOL UiWin::SetTimer(UINT_PTR id, UINT elapse)
{
    return manager ? manager->SetControlTimer(this, id, elapse) : FALSE;
}

BOOL UiWin::KillTimer(UINT_PTR id)
{
    return manager ? manager->KillControlTimer(this, id) : FALSE;
}

void UiWin::Describe(UiDescription& out) const
{
    out.kind = "UiWin";
    out.id = controlId;
    out.rect = GetRect();
    out.visible = IsShown();
    out.enabled = enabled;
    out.text.assign(text.C_Str(), text.Length());
}

void UiWin::AddChildControl(UiWin* child)
{
    if (std::find(children.begin(), children.end(), child) == children.end())
        children.push_back(child);
    child->parent = this;
    OnChildrenChanged();
}

void UiWin::RemoveChildControl(UiWin* child)
{
    auto it = std::find(children.begin(), children.end(), child);
    if (it != children.end())
        children.erase(it);
    child->parent = nullptr;
    OnChildrenChanged();
}

void UiWin::Attach(UiWinManager* newManager, UiWin* newParent)
{
    manager = newManager;
    if (newParent)
        newParent->AddChildControl(this);
    for (UiWin* child : children)
        child->Attach(newManager, nullptr);
}

void UiWin::Detach()
{
    if (manager)
        manager->Forget(this);
    manager = nullptr;
    pressed = false;
    for (UiWin* child : children)
        child->Detach();
}
