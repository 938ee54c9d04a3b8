// The control set of one host window: paint order, hit-testing topmost first, stylus routing with capture,
// drag hand-over to scrolling containers, focus, and the timers of the controls.
#pragma once

#include "platform/ui/UiWin.h"

#include <map>
#include <string>
#include <vector>

class UiWinManager {
public:
    explicit UiWinManager(IUiHost* owner) : host(owner) {}
    ~UiWinManager();
    UiWinManager(const UiWinManager&) = delete;
    UiWinManager& operator=(const UiWinManager&) = delete;

    IUiHost* GetHost() const { return host; }

    // Controls paint in the order added; the last added lies on top.
    void AddUiWin(UiWin* control);
    void RemoveUiWin(UiWin* control);
    // Adds or removes a child of a container, with the same bookkeeping.
    void AddChild(UiWin* container, UiWin* control);
    void RemoveChild(UiWin* container, UiWin* control);
    const std::vector<UiWin*>& GetControls() const { return controls; }
    bool Contains(const UiWin* control) const;
    UiWin* FindByID(int id) const;

    UiWin* HitTest(int x, int y) const;
    void Paint(HDC dc, const RECT* update);

    // Stylus routing; each returns the control that received the event (or null).
    UiWin* RouteLButtonDown(UINT flags, int x, int y);
    UiWin* RouteLButtonUp(UINT flags, int x, int y);
    UiWin* RouteMouseMove(UINT flags, int x, int y);
    UiWin* GetCapture() const { return capture; }

    void SetFocus(UiWin* control);
    UiWin* GetFocus() const { return focus; }
    // A typed character for the focused control; false when none took it.
    bool RouteChar(WCHAR ch);

    // Host timer ids carry the owning control: ids from this base up belong to controls.
    static constexpr UINT_PTR TIMER_BASE = 0x7F000000;
    BOOL SetControlTimer(UiWin* control, UINT_PTR id, UINT elapse);
    BOOL KillControlTimer(UiWin* control, UINT_PTR id);
    // A WM_TIMER of the host; true when it belonged to a control.
    bool RouteTimer(UINT_PTR hostId);

    // Every shown control, depth first in paint order.
    void Describe(std::vector<UiDescription>& out) const;
    // The same as a JSON array of objects {kind, id, rect:[l,t,r,b], visible, enabled, text, items, selected, extra,
    // screenRect:[l,t,r,b]}: rect is relative to the host window, screenRect on the screen (rect moved by origin,
    // the host window's top-left), the coordinates a tap takes.
    std::string DescribeJson(POINT origin = POINT{0, 0}) const;

    // Called when a control leaves (removal or destruction) so no pointer to it survives here.
    void Forget(UiWin* control);

private:
    struct TimerKey {
        UiWin* control;
        UINT_PTR id;
        bool operator<(const TimerKey& o) const { return control != o.control ? control < o.control : id < o.id; }
    };
    IUiHost* host;
    std::vector<UiWin*> controls;
    UiWin* capture = nullptr;
    UiWin* focus = nullptr;
    std::vector<UiWin*> dragContainers; // scrolling containers above the captured control
    std::map<TimerKey, UINT_PTR> timers;
    std::map<UINT_PTR, TimerKey> timerOwners;
    UINT_PTR nextTimer = TIMER_BASE;
};

// Scrolling containers take over a drag that starts on one of their children.
class IUiDragContainer {
public:
    virtual ~IUiDragContainer() = default;
    virtual void ChildPressBegin(int x, int y) = 0;
    // True once the container scrolls with the finger; the pressed child is then marked moved.
    virtual bool ChildPressMove(int x, int y) = 0;
    virtual void ChildPressEnd(int x, int y) = 0;
    // True while the content follows the finger.
    virtual bool IsDraggingContent() const = 0;
};
