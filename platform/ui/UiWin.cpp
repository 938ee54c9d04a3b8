// The base of the lightweight controls.
#include "platform/ui/UiWin.h"

#include "platform/ui/UiWinManager.h"

#include <algorithm>
#include <cstdlib>

UiWin::UiWin() = default;

UiWin::~UiWin() {
    // A control that dies while still in a set leaves it first, so the host never paints a dead control.
    if (manager_) manager_->Forget(this);
    if (parent_) parent_->RemoveChildControl(this);
    for (UiWin* child : children_) {
        child->parent_ = nullptr;
        child->Detach();
    }
}

void UiWin::SetPos(int x, int y, int w, int h, UINT) {
    Invalidate();
    x_ = x;
    y_ = y;
    w_ = w < 0 ? 0 : w;
    h_ = h < 0 ? 0 : h;
    if (parent_) parent_->OnChildrenChanged();
    Invalidate();
}

RECT UiWin::GetRect() const {
    int left = x_, top = y_;
    for (const UiWin* p = parent_; p; p = p->parent_) {
        POINT off = p->GetChildOffset();
        left += p->x_ + off.x;
        top += p->y_ + off.y;
    }
    return RECT{left, top, left + w_, top + h_};
}

bool UiWin::ContainsPoint(int x, int y) const {
    RECT r = GetRect();
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

void UiWin::SetVisible(bool visible) {
    if (visible_ == visible) return;
    if (!visible) Invalidate();
    visible_ = visible;
    if (visible) Invalidate();
    if (!visible && manager_) {
        if (manager_->GetFocus() == this) manager_->SetFocus(nullptr);
    }
}

bool UiWin::IsShown() const {
    for (const UiWin* w = this; w; w = w->parent_)
        if (!w->visible_) return false;
    return true;
}

void UiWin::EnableControl(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Invalidate();
}

void UiWin::SetText(LPCWSTR text) {
    text_ = text;
    Invalidate();
}

UiWinManager* UiWin::GetManager() const { return manager_; }

IUiHost* UiWin::GetHost() const { return manager_ ? manager_->GetHost() : nullptr; }

HWND UiWin::GetHostWnd() const {
    IUiHost* host = GetHost();
    return host ? host->GetHostWnd() : nullptr;
}

void UiWin::Invalidate(const RECT* rect) {
    IUiHost* host = GetHost();
    if (!host || !visible_) return;
    RECT r = rect ? *rect : GetRect();
    host->InvalidateHostRect(&r);
}

void UiWin::SetFocus(bool focus) {
    if (!manager_) return;
    if (focus)
        manager_->SetFocus(this);
    else if (manager_->GetFocus() == this)
        manager_->SetFocus(nullptr);
}

bool UiWin::IsFocused() const { return manager_ && manager_->GetFocus() == this; }

int UiWin::OnChar(WCHAR) { return 0; }

void UiWin::PaintWin(HDC, RECT*, RECT*) {}

int UiWin::OnLButtonDown(UINT, int x, int y) {
    pressed_ = true;
    moved_ = false;
    pressPoint_ = POINT{x, y};
    return 1;
}

int UiWin::OnLButtonUp(UINT, int, int) {
    pressed_ = false;
    return 1;
}

int UiWin::OnMouseMove(UINT, int x, int y) {
    if (pressed_ && !moved_ &&
        (std::abs(x - pressPoint_.x) > UI_DRAG_THRESHOLD || std::abs(y - pressPoint_.y) > UI_DRAG_THRESHOLD))
        moved_ = true;
    return 1;
}

void UiWin::OnTimer(UINT_PTR) {}

bool UiWin::IsContainerDragging() const {
    for (const UiWin* p = parent_; p; p = p->parent_)
        if (auto* c = dynamic_cast<const IUiDragContainer*>(p); c && c->IsDraggingContent()) return true;
    return false;
}

UiWin* UiWin::HitTest(int x, int y) {
    if (!visible_ || !enabled_ || !ContainsPoint(x, y)) return nullptr;
    for (auto it = children_.rbegin(); it != children_.rend(); ++it)
        if (UiWin* hit = (*it)->HitTest(x, y)) return hit;
    return this;
}

BOOL UiWin::PostToHost(UINT message, WPARAM wParam, LPARAM lParam) {
    IUiHost* host = GetHost();
    return host ? host->PostToHost(message, wParam, lParam) : FALSE;
}

LRESULT UiWin::SendToHost(UINT message, WPARAM wParam, LPARAM lParam) {
    IUiHost* host = GetHost();
    return host ? host->SendToHost(message, wParam, lParam) : 0;
}

BOOL UiWin::PostNotify(int code, LPARAM lParam) {
    return PostToHost(MZ_WM_COMMAND, (WPARAM)MAKELONG((WORD)id_, (WORD)code), lParam);
}

BOOL UiWin::SetTimer(UINT_PTR id, UINT elapse) {
    return manager_ ? manager_->SetControlTimer(this, id, elapse) : FALSE;
}

BOOL UiWin::KillTimer(UINT_PTR id) { return manager_ ? manager_->KillControlTimer(this, id) : FALSE; }

void UiWin::Describe(UiDescription& out) const {
    out.kind = "UiWin";
    out.id = id_;
    out.rect = GetRect();
    out.visible = IsShown();
    out.enabled = enabled_;
    out.text.assign(text_.C_Str(), text_.Length());
}

void UiWin::AddChildControl(UiWin* child) {
    if (std::find(children_.begin(), children_.end(), child) == children_.end()) children_.push_back(child);
    child->parent_ = this;
    OnChildrenChanged();
}

void UiWin::RemoveChildControl(UiWin* child) {
    auto it = std::find(children_.begin(), children_.end(), child);
    if (it != children_.end()) children_.erase(it);
    child->parent_ = nullptr;
    OnChildrenChanged();
}

void UiWin::Attach(UiWinManager* manager, UiWin* parent) {
    manager_ = manager;
    if (parent) parent->AddChildControl(this);
    for (UiWin* child : children_) child->Attach(manager, nullptr);
}

void UiWin::Detach() {
    if (manager_) manager_->Forget(this);
    manager_ = nullptr;
    pressed_ = false;
    for (UiWin* child : children_) child->Detach();
}
