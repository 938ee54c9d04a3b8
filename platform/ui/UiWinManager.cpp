// The control set of one host window.
#include "platform/ui/UiWinManager.h"

#include "platform/display/Paths.h"
#include "platform/win/Gdi.h"

#include <algorithm>
#include <cstdio>

UiWinManager::~UiWinManager() {
    std::vector<UiWin*> controls = controls_;
    for (UiWin* c : controls) RemoveUiWin(c);
}

void UiWinManager::AddUiWin(UiWin* control) {
    if (!control || Contains(control)) return;
    if (control->GetManager() && control->GetManager() != this) control->GetManager()->RemoveUiWin(control);
    if (control->GetParent()) control->GetParent()->RemoveChildControl(control);
    controls_.push_back(control);
    control->Attach(this, nullptr);
    control->Invalidate();
}

void UiWinManager::RemoveUiWin(UiWin* control) {
    auto it = std::find(controls_.begin(), controls_.end(), control);
    if (it == controls_.end()) return;
    control->Invalidate();
    controls_.erase(it);
    control->Detach();
}

void UiWinManager::AddChild(UiWin* container, UiWin* control) {
    if (!container || !control || control == container) return;
    if (control->GetParent()) control->GetParent()->RemoveChildControl(control);
    auto it = std::find(controls_.begin(), controls_.end(), control);
    if (it != controls_.end()) controls_.erase(it);
    control->Attach(container->GetManager(), container);
    control->Invalidate();
}

void UiWinManager::RemoveChild(UiWin* container, UiWin* control) {
    if (!container || !control || control->GetParent() != container) return;
    control->Invalidate();
    container->RemoveChildControl(control);
    control->Detach();
}

bool UiWinManager::Contains(const UiWin* control) const {
    return std::find(controls_.begin(), controls_.end(), control) != controls_.end();
}

static UiWin* FindIn(const std::vector<UiWin*>& list, int id) {
    for (UiWin* c : list) {
        if (c->GetID() == id) return c;
        if (UiWin* f = FindIn(c->GetChildren(), id)) return f;
    }
    return nullptr;
}

UiWin* UiWinManager::FindByID(int id) const { return FindIn(controls_, id); }

UiWin* UiWinManager::HitTest(int x, int y) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
        if (UiWin* hit = (*it)->HitTest(x, y)) return hit;
    return nullptr;
}

void UiWinManager::Paint(HDC dc, const RECT* update) {
    std::vector<UiWin*> controls = controls_;
    for (UiWin* c : controls) {
        if (!c->IsVisible()) continue;
        RECT rc = c->GetRect();
        RECT clip = rc;
        if (update) {
            clip.left = std::max(rc.left, update->left);
            clip.top = std::max(rc.top, update->top);
            clip.right = std::min(rc.right, update->right);
            clip.bottom = std::min(rc.bottom, update->bottom);
            if (clip.left >= clip.right || clip.top >= clip.bottom) continue;
        }
        // Each control stays inside its own rectangle and the update area.
        int saved = SaveDC(dc);
        IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
        c->PaintWin(dc, &rc, &clip);
        RestoreDC(dc, saved);
    }
}

UiWin* UiWinManager::RouteLButtonDown(UINT flags, int x, int y) {
    if (capture_) RouteLButtonUp(flags, x, y); // a lost release must not leave a control pressed
    UiWin* hit = HitTest(x, y);
    capture_ = hit;
    dragContainers_.clear();
    if (!hit) {
        if (focus_) SetFocus(nullptr);
        return nullptr;
    }
    if (focus_ && focus_ != hit) SetFocus(nullptr);
    for (UiWin* p = hit->ScrollsItself() ? nullptr : hit->GetParent(); p; p = p->GetParent())
        if (auto* dc = dynamic_cast<IUiDragContainer*>(p)) {
            dragContainers_.push_back(p);
            dc->ChildPressBegin(x, y);
        }
    hit->OnLButtonDown(flags, x, y);
    if (capture_ == hit && hit->CanFocus() && hit->IsEnabled()) SetFocus(hit);
    return hit;
}

UiWin* UiWinManager::RouteMouseMove(UINT flags, int x, int y) {
    UiWin* target = capture_;
    if (!target) return nullptr;
    // Indexing, not iterating: a handler may remove a container (Forget drops it from the list).
    for (size_t i = 0; i < dragContainers_.size() && capture_ == target; ++i)
        if (dynamic_cast<IUiDragContainer*>(dragContainers_[i])->ChildPressMove(x, y)) target->SetMoved();
    if (capture_ == target) target->OnMouseMove(flags, x, y);
    return target;
}

UiWin* UiWinManager::RouteLButtonUp(UINT flags, int x, int y) {
    UiWin* target = capture_;
    capture_ = nullptr;
    if (!target) {
        dragContainers_.clear();
        return nullptr;
    }
    target->OnLButtonUp(flags, x, y);
    for (size_t i = 0; i < dragContainers_.size(); ++i)
        dynamic_cast<IUiDragContainer*>(dragContainers_[i])->ChildPressEnd(x, y);
    dragContainers_.clear();
    return target;
}

void UiWinManager::SetFocus(UiWin* control) {
    if (control == focus_) return;
    UiWin* old = focus_;
    focus_ = nullptr;
    if (old) {
        old->OnKillFocus();
        old->Invalidate();
    }
    if (control && control->GetManager() == this && control->CanFocus()) {
        focus_ = control;
        control->OnSetFocus();
        control->Invalidate();
    }
}

bool UiWinManager::RouteChar(WCHAR ch) {
    if (!focus_) return false;
    focus_->OnChar(ch);
    return true;
}

BOOL UiWinManager::SetControlTimer(UiWin* control, UINT_PTR id, UINT elapse) {
    TimerKey key{control, id};
    auto it = timers_.find(key);
    UINT_PTR hostId;
    if (it != timers_.end()) {
        hostId = it->second;
    } else {
        hostId = nextTimer_++;
        if (nextTimer_ == 0) nextTimer_ = TIMER_BASE;
        timers_[key] = hostId;
        timerOwners_[hostId] = key;
    }
    return host_ ? host_->SetHostTimer(hostId, elapse) : FALSE;
}

BOOL UiWinManager::KillControlTimer(UiWin* control, UINT_PTR id) {
    auto it = timers_.find(TimerKey{control, id});
    if (it == timers_.end()) return FALSE;
    UINT_PTR hostId = it->second;
    timers_.erase(it);
    timerOwners_.erase(hostId);
    return host_ ? host_->KillHostTimer(hostId) : FALSE;
}

bool UiWinManager::RouteTimer(UINT_PTR hostId) {
    auto it = timerOwners_.find(hostId);
    if (it == timerOwners_.end()) return hostId >= TIMER_BASE;
    it->second.control->OnTimer(it->second.id);
    return true;
}

static void DescribeAll(const std::vector<UiWin*>& list, std::vector<UiDescription>& out) {
    for (UiWin* c : list) {
        if (!c->IsVisible()) continue;
        UiDescription d;
        c->Describe(d);
        out.push_back(std::move(d));
        DescribeAll(c->GetChildren(), out);
    }
}

void UiWinManager::Describe(std::vector<UiDescription>& out) const { DescribeAll(controls_, out); }

void UiWinManager::Forget(UiWin* control) {
    auto it = std::find(controls_.begin(), controls_.end(), control);
    if (it != controls_.end()) controls_.erase(it);
    if (capture_ == control) capture_ = nullptr;
    if (focus_ == control) {
        focus_ = nullptr;
        if (host_) host_->ShowInputPanel(FALSE, SIP_KIND_NONE);
    }
    dragContainers_.erase(std::remove(dragContainers_.begin(), dragContainers_.end(), control),
                          dragContainers_.end());
    for (auto t = timers_.begin(); t != timers_.end();) {
        if (t->first.control == control) {
            if (host_) host_->KillHostTimer(t->second);
            timerOwners_.erase(t->second);
            t = timers_.erase(t);
        } else {
            ++t;
        }
    }
}

static void AppendJsonString(std::string& out, const std::u16string& text) {
    out += '"';
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += (char)c;
        } else if (c < 0x20) {
            char buf[8];
            snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            morwick::display::AppendUtf8(out, c);
        }
    }
    out += '"';
}

std::string UiWinManager::DescribeJson(POINT origin) const {
    std::vector<UiDescription> list;
    Describe(list);
    std::string out = "[";
    for (size_t i = 0; i < list.size(); ++i) {
        const UiDescription& d = list[i];
        if (i) out += ",";
        out += "{\"kind\":\"" + d.kind + "\",\"id\":" + std::to_string(d.id) + ",\"rect\":[" +
               std::to_string(d.rect.left) + "," + std::to_string(d.rect.top) + "," + std::to_string(d.rect.right) +
               "," + std::to_string(d.rect.bottom) + "],\"visible\":" + (d.visible ? "true" : "false") +
               ",\"enabled\":" + (d.enabled ? "true" : "false") + ",\"text\":";
        AppendJsonString(out, d.text);
        out += ",\"items\":[";
        for (size_t k = 0; k < d.items.size(); ++k) {
            if (k) out += ",";
            AppendJsonString(out, d.items[k]);
        }
        out += "],\"selected\":" + std::to_string(d.selected) + ",\"extra\":";
        AppendJsonString(out, std::u16string(d.extra.begin(), d.extra.end()));
        out += ",\"screenRect\":[" + std::to_string(d.rect.left + origin.x) + "," + std::to_string(d.rect.top + origin.y) +
               "," + std::to_string(d.rect.right + origin.x) + "," + std::to_string(d.rect.bottom + origin.y) + "]}";
    }
    return out + "]";
}
