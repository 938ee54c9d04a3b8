// The popup action menu in a real window: buttons stacked from the last item added, the height capped by the
// work area with the rest scrolled, and the pressed button's command id as the result.
#include "shell/PopMenuWnd.h"

#include "tests/support/WindowFixture.h"
#include "platform/win/Time.h"

#include <thread>

class PopMenuWndTest : public WindowTest {};

TEST_F(PopMenuWndTest, ThreeItemsStackFromTheLastAddedAndTheTappedOneIsTheResult)
{
    CPopMenuWnd menu;
    menu.AddItem(MzPopupItem{u"返回首页", 1, 120});
    menu.AddItem(MzPopupItem{u"加入自选", 1, 126});
    menu.AddItem(MzPopupItem{u"取消", 1, 121});
    EXPECT_EQ(menu.GetHeight(), 313);
    // The owners' calling order, with the tap queued before the loop runs: the middle button's centre.
    RECT work = WorkRect();
    HWND posted = nullptr;
    menu.SetShowAnimation(1);
    menu.SetHideAnimation(2);
    ASSERT_TRUE(menu.Create(work.left, work.bottom - 313, work.right - work.left, 313, nullptr, 0, WS_POPUP));
    posted = menu.m_hWnd;
    ASSERT_EQ(menu.GetItemCount(), 3);
    UiPushButton* last = menu.GetButton(0);
    UiPushButton* first = menu.GetButton(2);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(last->GetID(), 121);
    EXPECT_EQ(last->GetPosY(), 10);
    EXPECT_EQ(first->GetID(), 120);
    EXPECT_EQ(first->GetPosY(), 200);
    EXPECT_EQ(first->GetWidth(), 480 - 30);
    int y = 14 + 10 + 95 + 37;
    PostMessage(posted, WM_LBUTTONDOWN, MK_LBUTTON, MAKELONG(200, y));
    PostMessage(posted, WM_LBUTTONUP, 0, MAKELONG(200, y));
    EXPECT_EQ(menu.DoModal(), 126);
}

TEST_F(PopMenuWndTest, MoreItemsThanFitAreCappedToTheWorkAreaAndScroll)
{
    RECT work = WorkRect();
    int workHeight = work.bottom - work.top;
    CPopMenuWnd menu;
    for (int i = 0; i < 12; ++i)
        menu.AddItem(MzPopupItem{u"菜单", 1, (DWORD)(200 + i)});
    EXPECT_EQ(menu.GetHeight(), workHeight);
    // The front key ends it without a choice.
    HWND self = nullptr;
    menu.SetShowAnimation(1);
    ASSERT_TRUE(menu.Create(work.left, work.bottom - workHeight, 480, workHeight, nullptr, 0, WS_POPUP));
    self = menu.m_hWnd;
    PostMessage(self, WM_MZ_FRONTKEY, 0, 0);
    EXPECT_EQ(menu.DoModal(), CPopMenuWnd::NO_CHOICE);
    // The first item added sits at the very bottom of the scrolled content.
    UiPushButton* first = menu.GetButton(11);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetID(), 200);
    EXPECT_EQ(first->GetPosY(), 10 + 95 * 11);
    EXPECT_GT(first->GetPosY() + 75, workHeight - 28);
}

TEST_F(PopMenuWndTest, RunModalRisesFromTheBottomOfTheWorkArea)
{
    CPopMenuWnd menu;
    menu.AddItem(MzPopupItem{u"取消", 1, 121});
    menu.AddItem(MzPopupItem{u"个股资讯", 1, 133});
    // Queue the tap for the window the menu is about to make: the top button is the last added.
    std::thread tapper([] {
        for (DWORD start = GetTickCount(); GetTickCount() - start < 20000;) {
            for (HWND w : ListWindowHandles()) {
                WCHAR name[32] = {};
                if (GetClassNameW(w, name, 32) > 0 && std::u16string(name) == u"CPopMenuWnd" && IsWindowVisible(w)) {
                    SendMessage(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELONG(100, 14 + 10 + 30));
                    SendMessage(w, WM_LBUTTONUP, 0, MAKELONG(100, 14 + 10 + 30));
                    return;
                }
            }
            Sleep(5);
        }
    });
    EXPECT_EQ(menu.RunModal(nullptr), 133);
    tapper.join();
    RECT rect;
    GetWindowRect(menu.m_hWnd, &rect);
    RECT work = WorkRect();
    EXPECT_EQ(rect.bottom, work.bottom);
    EXPECT_EQ(rect.bottom - rect.top, 2 * 95 + 28);
}
