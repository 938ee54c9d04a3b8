// The base of the class library's lightweight controls: a rectangle inside a host window that paints itself,
// takes stylus input routed by the host, and reports to its window through control notifications.
#pragma once

#include "platform/ui/MzStr.h"
#include "platform/ui/Style.h"
#include "platform/win/WinTypes.h"

#include <string>
#include <vector>

// Control notification to the host window: wParam = MAKELONG(control id, code), lParam per control.
#ifndef MZ_WM_COMMAND
#define MZ_WM_COMMAND 0xFFF10001
#endif
// Stylus notification of a control whose notify switch is on: wParam = MAKELONG(control id, MZ_MOUSE_*),
// lParam = MAKELONG(x, y) in the control's own coordinates. Sent, so the window sees it before the control acts.
#define MZ_WM_MOUSE_NOTIFY 0xFFF10002u
#define MZ_MOUSE_DOWN 1
#define MZ_MOUSE_UP 2
#define MZ_MOUSE_MOVE 3

// Kinds of the input panel a focused edit asks for.
#define SIP_KIND_NONE 0
#define SIP_KIND_DEFAULT 1
#define SIP_KIND_LANDSCAPE 2
#define SIP_KIND_SEARCH 5
#define SIP_KIND_NUMBER 9

class UiWin;
class UiWinManager;

// What a control tells the automation about itself.
struct UiDescription {
    std::string kind;
    int id = 0;
    RECT rect{}; // window coordinates
    bool visible = true;
    bool enabled = true;
    std::u16string text;
    std::vector<std::u16string> items; // list rows or bar buttons
    int selected = -1;
    std::string extra; // kind-specific "key=value" pairs
};

// The window side of a control set: the services a host window gives its controls.
class IUiHost {
public:
    virtual ~IUiHost() = default;
    virtual HWND GetHostWnd() const = 0;
    virtual void InvalidateHostRect(const RECT* rect) = 0; // window coordinates; null = whole window
    virtual BOOL PostToHost(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual LRESULT SendToHost(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual BOOL SetHostTimer(UINT_PTR id, UINT elapse) = 0;
    virtual BOOL KillHostTimer(UINT_PTR id) = 0;
    // Shows the input panel of the kind (SIP_KIND_*) for a focused edit, or hides it.
    virtual void ShowInputPanel(BOOL show, int kind) = 0;
};

class UiWin {
public:
    UiWin();
    virtual ~UiWin();
    UiWin(const UiWin&) = delete;
    UiWin& operator=(const UiWin&) = delete;

    // Placement relative to the parent (the host window, or a scroll window's content).
    virtual void SetPos(int x, int y, int w, int h, UINT flags = 0);
    int GetPosX() const { return posX; }
    int GetPosY() const { return posY; }
    int GetWidth() const { return width; }
    int GetHeight() const { return height; }
    // The rectangle in window coordinates (scroll offsets of the containers applied).
    RECT GetRect() const;
    bool ContainsPoint(int x, int y) const; // window coordinates

    void SetID(int id) { controlId = id; }
    int GetID() const { return controlId; }
    virtual void SetVisible(bool visible);
    bool IsVisible() const { return visible; }
    // Visible itself and every container above it.
    bool IsShown() const;
    virtual void EnableControl(bool enabled);
    bool IsEnabled() const { return enabled; }

    virtual void SetText(LPCWSTR text);
    virtual LPCWSTR GetText() const { return text.C_Str(); }
    void SetTextSize(int size) { textSize = size; }
    int GetTextSize() const { return textSize; }
    void SetTextColor(COLORREF color) { textColor = color; }
    COLORREF GetTextColor() const { return textColor; }
    void SetTextWeight(int weight) { textWeight = weight; }
    int GetTextWeight() const { return textWeight; }
    // The notify switch: controls that report optional events (list taps, stylus notifications) do so only when on.
    void SetNotify(bool on) { notify = on; }
    bool GetNotify() const { return notify; }

    void Invalidate(const RECT* rect = nullptr); // window coordinates; null = the control
    void SetFocus(bool focus);
    bool IsFocused() const;
    virtual bool CanFocus() const { return false; }
    virtual void OnSetFocus() {}
    virtual void OnKillFocus() {}
    virtual int OnChar(WCHAR ch);

    // Painting: rcWin is the control's rectangle in window coordinates, rcUpdate the part to repaint.
    virtual void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate);

    // Stylus, in window coordinates. The base keeps the press state below; overrides call it.
    virtual int OnLButtonDown(UINT flags, int x, int y);
    virtual int OnLButtonUp(UINT flags, int x, int y);
    virtual int OnMouseMove(UINT flags, int x, int y);
    virtual void OnTimer(UINT_PTR id);

    // Press state: a press is in progress; the finger moved (or the content scrolled) since the press;
    // the press landed while the content was still moving and only stopped it.
    bool IsPressed() const { return pressed; }
    bool IsMoved() const { return moved; }
    bool IsStopPress() const { return stopPress; }
    void SetMoved() { moved = true; }
    void SetStopPress(bool on) { stopPress = on; }
    POINT GetPressPoint() const { return pressPoint; }

    // Containment.
    UiWin* GetParent() const { return parent; }
    UiWinManager* GetManager() const;
    IUiHost* GetHost() const;
    HWND GetHostWnd() const;
    const std::vector<UiWin*>& GetChildren() const { return children; }
    // Offset of the children's origin from this control's top-left (a scroll window's content offset).
    virtual POINT GetChildOffset() const { return POINT{0, 0}; }
    // True for controls that scroll their own content with the finger; a drag that starts on one stays with it
    // instead of scrolling the container around it.
    virtual bool ScrollsItself() const { return false; }
    // True while a container around this control scrolls its content with the finger.
    bool IsContainerDragging() const;
    // The topmost visible, enabled control under the point: a child, this control, or null.
    virtual UiWin* HitTest(int x, int y);

    // To the host window.
    BOOL PostToHost(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT SendToHost(UINT message, WPARAM wParam, LPARAM lParam);
    // Posts MZ_WM_COMMAND with this control's id and the code.
    BOOL PostNotify(int code, LPARAM lParam);
    // Timers run on the host window; their WM_TIMER comes back to OnTimer with the same id.
    BOOL SetTimer(UINT_PTR id, UINT elapse);
    BOOL KillTimer(UINT_PTR id);

    virtual void Describe(UiDescription& out) const;

    // Bookkeeping of the containers and the control set; callers use AddUiWin and the containers' AddChild.
    void AddChildControl(UiWin* child);
    void RemoveChildControl(UiWin* child);
    void Attach(UiWinManager* manager, UiWin* parent);
    void Detach();

protected:
    virtual void OnChildrenChanged() {}

    CMzStr text;
    int textSize = Style::TextSize;
    COLORREF textColor = Style::PaperText;
    int textWeight = 400;

private:
    UiWinManager* manager = nullptr;
    UiWin* parent = nullptr;
    std::vector<UiWin*> children;
    int posX = 0, posY = 0, width = 0, height = 0;
    int controlId = 0;
    bool visible = true;
    bool enabled = true;
    bool notify = false;
    bool pressed = false;
    bool moved = false;
    bool stopPress = false;
    POINT pressPoint{-1, -1};
};

// Distance in pixels a finger may wander before a press counts as a drag.
constexpr int UI_DRAG_THRESHOLD = 10;
