// Control logic through a recording host: routing, lists, bars and edits.
#include "FakeHost.h"

#include "platform/ui/UiBars.h"
#include "platform/ui/UiButton.h"
#include "platform/ui/UiEdit.h"
#include "platform/ui/UiList.h"
#include "platform/ui/UiScrollWin.h"
#include "platform/ui/UiStatic.h"
#include "platform/win/Time.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

// A control that records the events it receives, in window coordinates.
class Probe : public UiWin {
public:
    int OnLButtonDown(UINT f, int x, int y) override
    {
        events.push_back("down " + std::to_string(x) + "," + std::to_string(y));
        return UiWin::OnLButtonDown(f, x, y);
    }
    int OnLButtonUp(UINT f, int x, int y) override
    {
        events.push_back("up " + std::to_string(x) + "," + std::to_string(y));
        return UiWin::OnLButtonUp(f, x, y);
    }
    std::vector<std::string> events;
};

class CountingList : public UiList {
public:
    void OnRemoveItem(int index) override { removed.push_back((int)GetItem(index)->Data); }
    std::vector<int> removed;
};

void Tap(UiWinManager& m, int x, int y)
{
    m.RouteLButtonDown(0, x, y);
    m.RouteLButtonUp(0, x, y);
}

void Drag(UiWinManager& m, int x, int y0, int y1)
{
    m.RouteLButtonDown(0, x, y0);
    int steps = 5;
    for (int i = 1; i <= steps; ++i)
        m.RouteMouseMove(0, x, y0 + (y1 - y0) * i / steps);
    m.RouteLButtonUp(0, x, y1);
}

std::u16string Text(const UiWin& w)
{
    return std::u16string(w.GetText());
}

} // namespace

TEST(ControlRouting, TopmostControlGetsThePressAndTheReleaseGoesToThePressingControl)
{
    FakeHost host;
    UiWinManager m(&host);
    Probe below, above;
    below.SetPos(0, 0, 200, 200);
    above.SetPos(50, 50, 100, 100);
    m.AddUiWin(&below);
    m.AddUiWin(&above);

    m.RouteLButtonDown(0, 60, 60);
    m.RouteMouseMove(0, 300, 300);
    m.RouteLButtonUp(0, 300, 300); // released far outside: still the pressing control's release
    EXPECT_EQ(above.events, (std::vector<std::string>{"down 60,60", "up 300,300"}));
    EXPECT_TRUE(below.events.empty());

    Tap(m, 10, 10);
    EXPECT_EQ(below.events.size(), 2u);
    EXPECT_FALSE(above.IsPressed());
}

TEST(ControlRouting, HiddenAndDisabledControlsAreNotHitAndRemovedControlsAreForgotten)
{
    FakeHost host;
    UiWinManager m(&host);
    Probe below, above;
    below.SetPos(0, 0, 200, 200);
    above.SetPos(0, 0, 200, 200);
    m.AddUiWin(&below);
    m.AddUiWin(&above);
    above.SetVisible(false);
    EXPECT_EQ(m.HitTest(5, 5), &below);
    above.SetVisible(true);
    above.EnableControl(false);
    EXPECT_EQ(m.HitTest(5, 5), &below);
    above.EnableControl(true);

    m.RouteLButtonDown(0, 5, 5);
    m.RemoveUiWin(&above); // removed while it holds the press
    EXPECT_EQ(m.GetCapture(), nullptr);
    m.RouteLButtonUp(0, 5, 5);
    EXPECT_EQ(above.events.size(), 1u);
    {
        Probe temporary;
        temporary.SetPos(0, 0, 10, 10);
        m.AddUiWin(&temporary);
    } // destroyed while in the set
    EXPECT_EQ(m.HitTest(5, 5), &below);
}

TEST(ControlRouting, ChildrenOfAScrolledContainerAreHitWhereTheyAreShown)
{
    FakeHost host;
    UiWinManager m(&host);
    UiScrollWin panel;
    panel.SetPos(0, 100, 480, 300);
    m.AddUiWin(&panel);
    Probe child;
    child.SetPos(0, 400, 480, 100); // below the visible part at first
    panel.AddChild(&child);
    EXPECT_EQ(m.HitTest(10, 150), &panel);
    panel.SetTopPos(350);
    EXPECT_EQ(panel.GetTopPos(), 200); // content ends at 500: the offset stops at 500 - 300
    EXPECT_EQ(child.GetRect().top, 300);
    EXPECT_EQ(m.HitTest(10, 310), &child);
}

TEST(ControlRouting, DraggingOverAButtonInAScrollPanelScrollsAndDoesNotClick)
{
    FakeHost host;
    UiWinManager m(&host);
    UiScrollWin panel;
    panel.SetPos(0, 0, 480, 300);
    panel.SetDragScrollMode(1);
    m.AddUiWin(&panel);
    UiPushButton button;
    button.SetID(7);
    button.SetPos(10, 200, 200, 60);
    UiStatic filler;
    filler.SetPos(0, 900, 10, 100);
    panel.AddChild(&button);
    panel.AddChild(&filler);

    Drag(m, 50, 230, 100);
    EXPECT_GT(panel.GetTopPos(), 0);
    EXPECT_TRUE(host.Notifications().empty());

    panel.SetTopPos(0);
    Tap(m, 50, 230);
    ASSERT_EQ(host.Notifications().size(), 1u);
    EXPECT_EQ(host.Notifications()[0], std::make_tuple(7, 0, LPARAM(0)));
}

TEST(ControlRouting, ButtonFiresOnlyWhenReleasedOverItself)
{
    FakeHost host;
    UiWinManager m(&host);
    UiPushButton button;
    button.SetID(3);
    button.SetPos(0, 0, 100, 50);
    m.AddUiWin(&button);
    m.RouteLButtonDown(0, 10, 10);
    EXPECT_TRUE(button.IsDown());
    m.RouteMouseMove(0, 300, 10);
    EXPECT_FALSE(button.IsDown());
    m.RouteLButtonUp(0, 300, 10);
    EXPECT_TRUE(host.Notifications().empty());
    button.EnableControl(false);
    Tap(m, 10, 10);
    EXPECT_TRUE(host.Notifications().empty());
    // A finger that wobbles across the button, outside any scrolling panel, still clicks.
    button.EnableControl(true);
    m.RouteLButtonDown(0, 10, 10);
    m.RouteMouseMove(0, 40, 30);
    m.RouteLButtonUp(0, 60, 35);
    EXPECT_EQ(host.Notifications().size(), 1u);
}

TEST(ControlTimers, ControlTimersComeBackToTheirControlAndDieWithIt)
{
    class TimerProbe : public UiWin {
    public:
        void OnTimer(UINT_PTR id) override { fired.push_back(id); }
        std::vector<UINT_PTR> fired;
    };
    FakeHost host;
    UiWinManager m(&host);
    auto* a = new TimerProbe;
    TimerProbe b;
    m.AddUiWin(a);
    m.AddUiWin(&b);
    a->SetTimer(1, 100);
    b.SetTimer(1, 100);
    ASSERT_EQ(host.timers.size(), 2u);
    EXPECT_NE(host.timers[0], host.timers[1]);
    EXPECT_TRUE(m.RouteTimer(host.timers[1]));
    EXPECT_EQ(b.fired, std::vector<UINT_PTR>{1});
    EXPECT_FALSE(m.RouteTimer(500)); // the window's own timer
    delete a;
    EXPECT_EQ(host.timers.size(), 1u);
}

TEST(UiListBehaviour, RemovingCallsOnRemoveItemOncePerItem)
{
    FakeHost host;
    UiWinManager m(&host);
    CountingList list;
    m.AddUiWin(&list);
    for (int i = 0; i < 5; ++i)
        list.AddItem(ListItem{u"row", (DWORD_PTR)i});
    list.SetSelectedIndex(3);
    EXPECT_TRUE(list.RemoveItem(1));
    EXPECT_EQ(list.GetSelectedIndex(), 2); // the selected row moved up with the removal
    EXPECT_FALSE(list.RemoveItem(7));
    list.RemoveAll();
    EXPECT_EQ(list.removed, (std::vector<int>{1, 4, 3, 2, 0}));
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(list.GetSelectedIndex(), -1);
}

TEST(UiListBehaviour, InsertMoveAndSelectionStayConsistent)
{
    UiList list;
    list.AddItem(ListItem{u"a", 0});
    list.AddItem(ListItem{u"c", 0});
    list.SetSelectedIndex(1);
    EXPECT_EQ(list.InsertItem(ListItem{u"b", 0}, 1), 1);
    EXPECT_EQ(list.GetSelectedIndex(), 2);
    EXPECT_EQ(list.InsertItem(ListItem{u"z", 0}, 99), 3);
    EXPECT_TRUE(list.MoveItem(2, 0));
    EXPECT_EQ(list.GetSelectedIndex(), 0);
    EXPECT_TRUE(list.GetItem(0)->Text == u"c");
    EXPECT_FALSE(list.MoveItem(-1, 0));
    EXPECT_FALSE(list.MoveItem(0, 4));
    list.SetSelectedIndex(9);
    EXPECT_EQ(list.GetSelectedIndex(), -1);
}

TEST(UiListBehaviour, ADragScrollsWithoutSelectingAndATapSelects)
{
    FakeHost host;
    UiWinManager m(&host);
    UiList list;
    list.SetPos(0, 100, 480, 300);
    list.SetItemHeight(50);
    list.SetSelectOnTap(true);
    list.SetNotify(true);
    list.SetID(180);
    m.AddUiWin(&list);
    for (int i = 0; i < 20; ++i)
        list.AddItem(ListItem{u"row", (DWORD_PTR)i});

    Drag(m, 100, 350, 150);
    EXPECT_EQ(list.GetSelectedIndex(), -1);
    EXPECT_TRUE(list.IsMoved());
    EXPECT_GT(list.GetTopPos(), 150);

    list.SetTopPos(0);
    Tap(m, 100, 100 + 2 * 50 + 10);
    EXPECT_EQ(list.GetSelectedIndex(), 2);
    EXPECT_FALSE(list.IsMoved());
    // With the notify switch on, the window hears of press and release in the list's own coordinates.
    ASSERT_GE(host.sent.size(), 2u);
    const PostedMessage& down = host.sent[host.sent.size() - 2];
    EXPECT_EQ(down.message, 0xFFF10002u);
    EXPECT_EQ(HIWORD(down.wParam), 1);
    EXPECT_EQ(LOWORD(down.wParam), 180);
    EXPECT_EQ(HIWORD(down.lParam), 110);
}

TEST(UiListBehaviour, PerItemHeightsDecideWhichItemIsUnderThePoint)
{
    class TitledList : public UiList {
    public:
        int GetItemHeight(int index) override { return index == 0 ? 59 : GetItemHeightValue(); }
    };
    TitledList list;
    list.SetPos(0, 0, 480, 400);
    list.SetItemHeight(70);
    list.SetVariableItemHeight(true);
    for (int i = 0; i < 4; ++i)
        list.AddItem(ListItem{u"r", 0});
    EXPECT_EQ(list.CalcIndexOfPos(5, 58), 0);
    EXPECT_EQ(list.CalcIndexOfPos(5, 59), 1);
    EXPECT_EQ(list.CalcIndexOfPos(5, 59 + 70 * 3), -1);
    EXPECT_EQ(list.GetItemRect(2).top, 129);
}

TEST(UiListBehaviour, AFlingKeepsMovingAndAPressThatStopsItIsNotATap)
{
    FakeHost host;
    UiWinManager m(&host);
    UiList list;
    list.SetPos(0, 0, 480, 300);
    list.SetItemHeight(50);
    list.SetSelectOnTap(true);
    m.AddUiWin(&list);
    for (int i = 0; i < 100; ++i)
        list.AddItem(ListItem{u"row", (DWORD_PTR)i});
    // A quick flick: moves close together in time.
    m.RouteLButtonDown(0, 10, 280);
    for (int y = 260; y >= 60; y -= 40) {
        Sleep(4);
        m.RouteMouseMove(0, 10, y);
    }
    m.RouteLButtonUp(0, 10, 60);
    EXPECT_TRUE(list.IsScrolling());
    ASSERT_FALSE(host.timers.empty());
    Tap(m, 10, 100); // stops the motion only
    EXPECT_TRUE(list.IsStopPress());
    EXPECT_EQ(list.GetSelectedIndex(), -1);
    EXPECT_FALSE(list.IsScrolling());
}

TEST(UiListBehaviour, FillingAndClearingALongListWithPerItemHeightsMeasuresLinearlyAndKeepsItsScrollRange)
{
    // A reply of many rows once cost a measure of every row at every add: minutes for tens of thousands.
    class CountingList : public UiList {
    public:
        int GetItemHeight(int index) override
        {
            ++measured;
            return index == 0 ? 59 : GetItemHeightValue();
        }
        long long measured = 0;
    };
    for (int rows : {10, 3000}) {
        CountingList list;
        list.SetPos(0, 0, 480, 400);
        list.SetItemHeight(70);
        list.SetVariableItemHeight(true);
        for (int i = 0; i < rows; ++i)
            list.AddItem(ListItem{u"r", 0});
        EXPECT_LE(list.measured, 4LL * rows) << rows;
        list.SetTopPos(1 << 30);
        EXPECT_EQ(list.GetTopPos(), std::max(0, 59 + 70 * (rows - 1) - 400)) << rows;
        // Clearing all but the first row (a table keeps its title) is as cheap, and the offset comes back.
        list.measured = 0;
        list.RemoveFrom(1);
        EXPECT_EQ(list.GetItemCount(), 1);
        EXPECT_LE(list.measured, 4LL * rows) << rows;
        EXPECT_EQ(list.GetTopPos(), 0) << rows;
    }
}

TEST(UiListBehaviour, EnsureVisibleScrollsTheLeastNeeded)
{
    UiList list;
    list.SetPos(0, 0, 480, 200);
    list.SetItemHeight(50);
    for (int i = 0; i < 10; ++i)
        list.AddItem(ListItem{u"row", 0});
    list.EnsureVisible(5);
    EXPECT_EQ(list.GetTopPos(), 100);
    list.EnsureVisible(1);
    EXPECT_EQ(list.GetTopPos(), 50);
    list.EnsureVisible(2);
    EXPECT_EQ(list.GetTopPos(), 50);
}

TEST(CommandBar, ATapNotifiesTheButtonIndexAndSkipsHiddenOrDisabledButtons)
{
    FakeHost host;
    UiWinManager m(&host);
    UiCommandBar bar;
    bar.SetID(101);
    bar.SetPos(0, 655, 480, UI_BAR_HEIGHT_PORTRAIT);
    bar.SetButton(0, true, true, u"首页");
    bar.SetButton(2, true, true, u"返回");
    m.AddUiWin(&bar);
    Tap(m, 20, 680);
    Tap(m, 240, 680); // button 1 is not shown
    Tap(m, 470, 680);
    bar.EnableButton(0, false);
    Tap(m, 20, 680);
    auto n = host.Notifications();
    ASSERT_EQ(n.size(), 2u);
    EXPECT_EQ(n[0], std::make_tuple(101, 0, LPARAM(0)));
    EXPECT_EQ(n[1], std::make_tuple(101, 0, LPARAM(2)));
    // A press on one button released over another fires nothing.
    bar.EnableButton(0, true);
    m.RouteLButtonDown(0, 20, 680);
    m.RouteLButtonUp(0, 470, 680);
    EXPECT_EQ(host.Notifications().size(), 2u);
    EXPECT_EQ(bar.GetFormHeight(), 65);
    bar.SetLandscape(true);
    EXPECT_EQ(bar.GetFormHeight(), 50);
}

TEST(IconStrip, ItemsSplitTheWidthAndReportTheirIndex)
{
    FakeHost host;
    UiWinManager m(&host);
    UiIconStrip strip;
    strip.SetID(101);
    strip.SetPos(0, 0, 480, 65);
    for (UINT id : {126u, 118u, 124u, 123u, 115u, 116u})
        strip.AddButton(id);
    m.AddUiWin(&strip);
    Tap(m, 479, 30);
    Tap(m, 81, 30);
    auto n = host.Notifications();
    ASSERT_EQ(n.size(), 2u);
    EXPECT_EQ(std::get<2>(n[0]), 5);
    EXPECT_EQ(std::get<2>(n[1]), 1);
    strip.SetButtonImage(1, 133);
    UiDescription d;
    strip.Describe(d);
    EXPECT_EQ(d.items[1], u"133");
}

TEST(LineEdit, MaximumLengthBackspaceTipAndNumberPad)
{
    FakeHost host;
    UiWinManager m(&host);
    UiLineEdit edit;
    edit.SetPos(0, 0, 300, 60);
    edit.SetMaxChars(6);
    edit.SetTip(u"代码或拼音缩写");
    edit.SetSipMode(SIP_KIND_NUMBER);
    m.AddUiWin(&edit);

    Tap(m, 10, 10);
    EXPECT_TRUE(edit.IsFocused());
    EXPECT_TRUE(host.panelShown);
    EXPECT_EQ(host.panelKind, SIP_KIND_NUMBER);
    for (WCHAR c : std::u16string(u"60a0036x9"))
        m.RouteChar(c);
    EXPECT_EQ(Text(edit), u"600036"); // letters refused on the number pad, then full
    m.RouteChar(8);
    EXPECT_EQ(Text(edit), u"60003");
    m.RouteChar(u'7');
    EXPECT_EQ(Text(edit), u"600037");
    edit.SetText(u"12345678");
    EXPECT_EQ(Text(edit), u"123456");
    for (int i = 0; i < 10; ++i)
        m.RouteChar(8);
    EXPECT_EQ(Text(edit), u"");
    EXPECT_EQ(std::u16string(edit.GetTip()), u"代码或拼音缩写");

    Tap(m, 400, 400); // a press elsewhere takes the focus away and hides the panel
    EXPECT_FALSE(edit.IsFocused());
    EXPECT_FALSE(host.panelShown);
    edit.EnableControl(false);
    Tap(m, 10, 10);
    EXPECT_FALSE(edit.IsFocused());
}

TEST(DescribeJson, ListsShownControlsWithTextItemsAndSelection)
{
    FakeHost host;
    UiWinManager m(&host);
    UiList list;
    list.SetID(5);
    list.SetPos(0, 0, 100, 100);
    list.AddItem(ListItem{u"甲\"", 0});
    list.SetSelectedIndex(0);
    UiStatic hidden;
    hidden.SetVisible(false);
    m.AddUiWin(&list);
    m.AddUiWin(&hidden);
    std::string json = m.DescribeJson();
    EXPECT_NE(json.find("\"kind\":\"UiList\",\"id\":5,\"rect\":[0,0,100,100]"), std::string::npos) << json;
    EXPECT_NE(json.find("\"items\":[\"\xE7\x94\xB2\\\"\"],\"selected\":0"), std::string::npos) << json;
    EXPECT_EQ(json.find("UiStatic"), std::string::npos);
    // Beside the rectangle in the window, the one on the screen that a tap takes.
    json = m.DescribeJson(POINT{0, 30});
    EXPECT_NE(json.find("\"rect\":[0,0,100,100]"), std::string::npos) << json;
    EXPECT_NE(json.find("\"screenRect\":[0,30,100,130]}"), std::string::npos) << json;
}
