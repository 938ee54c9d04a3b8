// The control set of one host window.
#include "platform/ui/UiWinManager.h"

#include "platform/win/Gdi.h"
#include "platform/win/Paths.h"

#include <algorithm>
#include <cstdio>

UiWinManager::~UiWinManager()
{
    std::vector<UiWin*> snapshot = controls;
    for (UiWin* c : snapshot)
        RemoveUiWin(c);
}

void UiWinManager::AddUiWin(UiWin* control)
{
    if (!control || Contains(control))
        return;
    if (control->GetManager() && control->GetManager() != this)
        control->GetManager()->RemoveUiWin(control);
    if (control->GetParent())
        control->GetParent()->RemoveChildControl(control);
    controls.push_back(control);
    control->Attach(this, nullptr);
    control->Invalidate();
}

void UiWinManager::RemoveUiWin(UiWin* control)
{
    auto it = std::find(controls.begin(), controls.end(), control);
    if (it == controls.end())
        return;
    control->Invalidate();
    controls.erase(it);
    control->Detach();
}

void UiWinManager::AddChild(UiWin* container, UiWin* control)
{
    if (!container || !control || control == container)
        return;
    if (control->GetParent())
        control->GetParent()->RemoveChildControl(control);
    auto it = std::find(controls.begin(), controls.end(), control);
    if (it != controls.end())
        controls.erase(it);
    control->Attach(container->GetManager(), container);
    control->Invalidate();
}

void UiWinManager::RemoveChild(UiWin* container, UiWin* control)
{
    if (!container || !control || control->GetParent() != container)
        return;
    control->Invalidate();
    container->RemoveChildControl(control);
    control->Detach();
}

bool UiWinManager::Contains(const UiWin* control) const
{
    return std::find(controls.begin(), controls.end(), control) != controls.end();
}

static UiWin* FindIn(const std::vector<UiWin*>& list, int id)
{
    for (UiWin* c : list) {
        if (c->GetID() == id)
            return c;
        if (UiWin* f = FindIn(c->GetChildren(), id))
            return f;
    }
    return nullptr;
}

UiWin* UiWinManager::FindByID(int id) const
{
    return FindIn(controls, id);
}

UiWin* UiWinManager::HitTest(int x, int y) const
{
    for (auto it = controls.rbegin(); it != controls.rend(); ++it)
        if (UiWin* hit = (*it)->HitTest(x, y))
            return hit;
    return nullptr;
}

void UiWinManager::Paint(HDC dc, const RECT* update)
{
    std::vector<UiWin*> snapshot = controls;
    for (UiWin* c : snapshot) {
        if (!c->IsVisible())
            continue;
        RECT rc = c->GetRect();
        RECT clip = rc;
        if (update) {
            clip.left = std::max(rc.left, update->left);
            clip.top = std::max(rc.top, update->top);
            clip.right = std::min(rc.right, update->right);
            clip.bottom = std::min(rc.bottom, update->bottom);
            if (clip.left >= clip.right || clip.top >= clip.bottom)
                continue;
        }
        // Each control stays inside its own rectangle and the update area.
        int saved = SaveDC(dc);
        IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
        c->PaintWin(dc, &rc, &clip);
        RestoreDC(dc, saved);
    }
}

UiWin* UiWinManager::RouteLButtonDown(UINT flags, int x, int y)
{
    if (capture)
        RouteLButtonUp(flags, x, y); // a lost release must not leave a control pressed
    UiWin* hit = HitTest(x, y);
    capture = hit;
    dragContainers.clear();
    if (!hit) {
        if (focus)
            SetFocus(nullptr);
        return nullptr;
    }
    if (focus && focus != hit)
        SetFocus(nullptr);
    for (UiWin* p = hit->ScrollsItself() ? nullptr : hit->GetParent(); p; p = p->GetParent())
        if (auto* dc = dynamic_cast<IUiDragContainer*>(p)) {
            dragContainers.push_back(p);
            dc->ChildPressBegin(x, y);
        }
    hit->OnLButtonDown(flags, x, y);
    if (capture == hit && hit->CanFocus() && hit->IsEnabled())
        SetFocus(hit);
    return hit;
}

UiWin* UiWinManager::RouteMouseMove(UINT flags, int x, int y)
{
    UiWin* target = capture;
    if (!target)
        return nullptr;
    // Indexing, not iterating: a handler may remove a container (Forget drops it from the list).
    for (size_t i = 0; i < dragContainers.size() && capture == target; ++i)
        if (dynamic_cast<IUiDragContainer*>(dragContainers[i])->ChildPressMove(x, y))
            target->SetMoved();
    if (capture == target)
        target->OnMouseMove(flags, x, y);
    return target;
}

UiWin* UiWinManager::RouteLButtonUp(UINT flags, int x, int y)
{
    UiWin* target = capture;
    capture = nullptr;
    if (!target) {
        dragContainers.clear();
        return nullptr;
    }
    target->OnLButtonUp(flags, x, y);
    for (size_t i = 0; i < dragContainers.size(); ++i)
        dynamic_cast<IUiDragContainer*>(dragContainers[i])->ChildPressEnd(x, y);
    dragContainers.clear();
    return target;
}

void UiWinManager::SetFocus(UiWin* control)
{
    if (control == focus)
        return;
    UiWin* old = focus;
    focus = nullptr;
    if (old) {
        old->OnKillFocus();
        old->Invalidate();
    }
    if (control && control->GetManager() == this && control->CanFocus()) {
        focus = control;
        control->OnSetFocus();
        control->Invalidate();
    }
}

bool UiWinManager::RouteChar(WCHAR ch)
{
    if (!focus)
        return false;
    focus->OnChar(ch);
    return true;
}

BOOL UiWinManager::SetControlTimer(UiWin* control, UINT_PTR id, UINT elapse)
{
    TimerKey key{control, id};
    auto it = timers.find(key);
    UINT_PTR hostId;
    if (it != timers.end()) {
        hostId = it->second;
    } else {
        hostId = nextTimer++;
        if (nextTimer == 0)
            nextTimer = TIMER_BASE;
        timers[key] = hostId;
        timerOwners[hostId] = key;
    }
    return host ? host->SetHostTimer(hostId, elapse) : FALSE;
}

BOOL UiWinManager::KillControlTimer(UiWin* control, UINT_PTR id)
{
    auto it = timers.find(TimerKey{control, id});
    if (it == timers.end())
        return FALSE;
    UINT_PTR hostId = it->second;
    timers.erase(it);
    timerOwners.erase(hostId);
    return host ? host->KillHostTimer(hostId) : FALSE;
}

bool UiWinManager::RouteTimer(UINT_PTR hostId)
{
    auto it = timerOwners.find(hostId);
    if (it == timerOwners.end())
        return hostId >= TIMER_BASE;
    it->second.control->OnTimer(it->second.id);
    return true;
}

static void DescribeAll(const std::vector<UiWin*>& list, std::vector<UiDescription>& out)
{
    for (UiWin* c : list) {
        if (!c->IsVisible())
            continue;
        UiDescription d;
        c->Describe(d);
        out.push_back(std::move(d));
        DescribeAll(c->GetChildren(), out);
    }
}

void UiWinManager::Describe(std::vector<UiDescription>& out) const
{
    DescribeAll(controls, out);
}

void UiWinManager::Forget(UiWin* control)
{
    auto it = std::find(controls.begin(), controls.end(), control);
    if (it != controls.end())
        controls.erase(it);
    if (capture == control)
        capture = nullptr;
    if (focus == control) {
        focus = nullptr;
        if (host)
            host->ShowInputPanel(FALSE, SIP_KIND_NONE);
    }
    dragContainers.erase(std::remove(dragContainers.begin(), dragContainers.end(), control), dragContainers.end());
    for (auto t = timers.begin(); t != timers.end();) {
        if (t->first.control == control) {
            if (host)
                host->KillHostTimer(t->second);
            timerOwners.erase(t->second);
            t = timers.erase(t);
        } else {
            ++t;
        }
    }
}

static void AppendJsonString(std::string& out, const std::u16string& text)
{
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

std::string UiWinManager::DescribeJson(POINT origin) const
{
    std::vector<UiDescription> list;
    Describe(list);
    std::string out = "[";
    for (size_t i = 0; i < list.size(); ++i) {
        const UiDescription& d = list[i];
        if (i)
            out += ",";
        out += "{\"kind\":\"" + d.kind + "\",\"id\":" + std::to_string(d.id) + ",\"rect\":[" +
               std::to_string(d.rect.left) + "," + std::to_string(d.rect.top) + "," + std::to_string(d.rect.right) +
               "," + std::to_string(d.rect.bottom) + "],\"visible\":" + (d.visible ? "true" : "false") +
               ",\"enabled\":" + (d.enabled ? "true" : "false") + ",\"text\":";
        AppendJsonString(out, d.text);
        out += ",\"items\":[";
        for (size_t k = 0; k < d.items.size(); ++k) {
            if (k)
                out += ",";
            AppendJsonString(out, d.items[k]);
        }
        out += "],\"selected\":" + std::to_string(d.selected) + ",\"extra\":";
        AppendJsonString(out, std::u16string(d.extra.begin(), d.extra.end()));
        out += ",\"screenRect\":[" + std::to_string(d.rect.left + origin.x) + "," +
               std::to_string(d.rect.top + origin.y) + "," + std::to_string(d.rect.right + origin.x) + "," +
               std::to_string(d.rect.bottom + origin.y) + "]}";
    }
    return out + "]";
}
