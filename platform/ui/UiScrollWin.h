// A container of controls whose content scrolls vertically with the finger (drag scrolling) and a fling.
#pragma once

#include "platform/ui/KineticScroll.h"
#include "platform/ui/Style.h"
#include "platform/ui/UiWin.h"
#include "platform/ui/UiWinManager.h"

class UiScrollWin : public UiWin, public IUiDragContainer {
public:
    UiScrollWin();
    ~UiScrollWin() override;

    // Children are placed in content coordinates (0, 0 = the content's top-left).
    void AddChild(UiWin* child);
    void RemoveChild(UiWin* child);

    // 0 off; any other mode drags the content with the finger and flings it on release.
    void SetDragScrollMode(int mode) { dragMode = mode; }
    int GetDragScrollMode() const { return dragMode; }
    void EnableScrollBarV(bool on) { indicator = on; }
    bool IsScrollBarV() const { return indicator; }
    void SetBackgroundColor(COLORREF color, bool paint = true)
    {
        bgColor = color;
        paintBg = paint;
    }

    // Content height: the lowest child bottom, or the height set here when larger.
    void SetContentHeight(int height);
    int GetContentHeight() const;
    int GetTopPos() const { return scroll.GetOffset(); }
    void SetTopPos(int offset);
    void ScrollToTop(bool animated = true);
    bool IsScrolling() const { return scroll.IsDragging() || scroll.IsMoving(); }

    POINT GetChildOffset() const override { return POINT{0, -scroll.GetOffset()}; }
    UiWin* HitTest(int x, int y) override;
    void SetPos(int x, int y, int w, int h, UINT flags = 0) override;
    void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) override;
    int OnLButtonDown(UINT flags, int x, int y) override;
    int OnLButtonUp(UINT flags, int x, int y) override;
    int OnMouseMove(UINT flags, int x, int y) override;
    void OnTimer(UINT_PTR id) override;
    void Describe(UiDescription& out) const override;

    void ChildPressBegin(int x, int y) override;
    bool ChildPressMove(int x, int y) override;
    void ChildPressEnd(int x, int y) override;
    bool IsDraggingContent() const override { return scroll.IsDragging(); }

protected:
    void OnChildrenChanged() override;
    void UpdateRange();
    void StartMotion();
    KineticScroll scroll;

private:
    static constexpr UINT_PTR MOTION_TIMER = 1;
    int dragMode = 0;
    bool indicator = false;
    bool paintBg = false;
    COLORREF bgColor = Style::PaperFill;
    int contentHeight = 0;
};
