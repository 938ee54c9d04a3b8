// Random presses, drags, removals and deletions in one control set: nothing may touch a control that has left
// (the sanitizers watch), and the set stays consistent.
#include "FakeHost.h"

#include "platform/ui/UiButton.h"
#include "platform/ui/UiList.h"
#include "platform/ui/UiScrollWin.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace {

// A button that removes itself from its set when released, as a screen does when a tap closes a panel.
class SelfRemovingButton : public UiPushButton {
public:
    int OnLButtonUp(UINT f, int x, int y) override
    {
        UiPushButton::OnLButtonUp(f, x, y);
        if (UiWinManager* m = GetManager()) {
            if (GetParent())
                m->RemoveChild(GetParent(), this);
            else
                m->RemoveUiWin(this);
        }
        return 1;
    }
};

} // namespace

TEST(ControlRoutingStress, RandomInputWithControlsComingAndGoingNeverTouchesALeftControl)
{
    std::mt19937 rnd(12345);
    FakeHost host;
    UiWinManager m(&host);
    UiScrollWin panel;
    panel.SetPos(0, 0, 480, 400);
    panel.SetDragScrollMode(1);
    m.AddUiWin(&panel);
    std::vector<std::unique_ptr<UiWin>> owned;
    auto coord = [&](int limit) { return (int)(rnd() % (unsigned)limit); };

    for (int step = 0; step < 20000; ++step) {
        switch (rnd() % 8) {
        case 0: { // a new control, at the top level or in the panel
            std::unique_ptr<UiWin> w;
            switch (rnd() % 3) {
            case 0:
                w = std::make_unique<UiPushButton>();
                break;
            case 1:
                w = std::make_unique<SelfRemovingButton>();
                break;
            default: {
                auto list = std::make_unique<UiList>();
                for (int i = 0; i < 20; ++i)
                    list->AddItem(ListItem{u"r", 0});
                list->SetItemHeight(40);
                list->SetSelectOnTap(true);
                w = std::move(list);
            }
            }
            w->SetPos(coord(400), coord(600), 40 + coord(200), 40 + coord(200));
            if (rnd() % 2)
                panel.AddChild(w.get());
            else
                m.AddUiWin(w.get());
            owned.push_back(std::move(w));
            break;
        }
        case 1: // destroy one, wherever it is, maybe in the middle of a press
            if (!owned.empty())
                owned.erase(owned.begin() + coord((int)owned.size()));
            break;
        case 2:
            m.RouteLButtonDown(0, coord(480), coord(720));
            break;
        case 3:
            m.RouteMouseMove(0, coord(480), coord(720));
            break;
        case 4:
            m.RouteLButtonUp(0, coord(480), coord(720));
            break;
        case 5:
            if (!host.timers.empty())
                m.RouteTimer(host.timers[coord((int)host.timers.size())]);
            break;
        case 6:
            if (!owned.empty())
                owned[coord((int)owned.size())]->SetVisible(rnd() % 2);
            break;
        default:
            if (!owned.empty())
                m.SetFocus(owned[coord((int)owned.size())].get());
            break;
        }
        if (UiWin* c = m.GetCapture()) {
            ASSERT_NE(c->GetManager(), nullptr);
        }
    }
    owned.clear();
    m.RouteLButtonUp(0, 0, 0); // a press may still be held on the panel
    EXPECT_EQ(m.GetControls().size(), 1u);
    EXPECT_TRUE(panel.GetChildren().empty());
    EXPECT_EQ(m.GetCapture(), nullptr);
}
