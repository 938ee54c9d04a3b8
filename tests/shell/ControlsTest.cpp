// The small controls in a real window: labels measure and act as links, the menu list tells a tap from a drag,
// the code edit reports a complete code, and the keypad forwards its keys to its owner.
#include "shell/CmdChildWnd.h"
#include "shell/LabelCtrl.h"
#include "shell/MatchEdit.h"
#include "shell/MenuList.h"
#include "shell/WndMessages.h"

#include "tests/support/WindowFixture.h"

#include <tuple>

namespace {

class HostWnd : public CMzHostWnd {
public:
    LPCWSTR GetMzClassName() override { return u"TestControlsHost"; }
    void OnMzCommand(WPARAM w, LPARAM l) override { notes.emplace_back(LOWORD(w), HIWORD(w), l); }
    LRESULT WindowProc(UINT m, WPARAM w, LPARAM l) override
    {
        if (m == WM_KEYPAD_KEY)
            keys.emplace_back((int)w, (int)l);
        return CMzHostWnd::WindowProc(m, w, l);
    }
    std::vector<std::tuple<int, int, LPARAM>> notes;
    std::vector<std::pair<int, int>> keys;
};

void Press(HWND w, int x, int y)
{
    SendMessage(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELONG(x, y));
}
void Move(HWND w, int x, int y)
{
    SendMessage(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELONG(x, y));
}
void Release(HWND w, int x, int y)
{
    SendMessage(w, WM_LBUTTONUP, 0, MAKELONG(x, y));
}

} // namespace

class ControlsTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        RECT work = WorkRect();
        ASSERT_TRUE(host.Create(work.left, work.top, work.right - work.left, work.bottom - work.top));
        host.Show();
    }
    void TearDown() override
    {
        host.Destroy();
        WindowTest::TearDown();
    }
    HostWnd host;
};

TEST_F(ControlsTest, SingleLineLabelMeasuresOneLineHoweverLongItsText)
{
    CLabelCtrl label;
    label.SetPos(10, 10, 100, 40);
    label.SetFontSize(24);
    host.AddUiWin(&label);
    label.SetText(u"短");
    int one = label.MeasureHeight();
    EXPECT_GT(one, 0);
    label.SetText(u"客户服务电话请拨打客户服务电话请拨打客户服务电话");
    EXPECT_EQ(label.MeasureHeight(), one);
    label.SetSingleLine(0);
    EXPECT_GE(label.MeasureHeight(), 3 * one); // wraps over the 100-pixel width
    label.SetPos(10, 10, 0, 40);               // no width yet: one line, not a crash
    EXPECT_EQ(label.MeasureHeight(), one);
    host.RemoveUiWin(&label);
}

TEST_F(ControlsTest, LinkLabelIsBlueAndNotifiesWhenTheTapIsReleased)
{
    CLabelCtrl label;
    label.SetID(77);
    label.SetPos(20, 100, 300, 40);
    label.SetText(u"95599");
    label.SetLinkStyle(1);
    label.SetTextColor(RGB(255, 0, 0));
    host.AddUiWin(&label);
    host.Invalidate();
    host.Update();
    EXPECT_EQ(label.GetLabelColor(), 0xFF0000u);

    Press(host.m_hWnd, 50, 120);
    EXPECT_TRUE(label.IsPressed());
    EXPECT_EQ(label.GetPressedRect().left, 26);
    EXPECT_EQ(label.GetPressedRect().top, 103);
    Release(host.m_hWnd, 50, 120);
    PumpMessages();
    EXPECT_FALSE(label.IsPressed());
    ASSERT_EQ(host.notes.size(), 1u);
    EXPECT_EQ(host.notes[0], std::make_tuple(77, 1, (LPARAM)&label));

    CLabelCtrl plain; // a plain label says nothing
    plain.SetID(78);
    plain.SetPos(20, 200, 300, 40);
    plain.SetText(u"说明");
    host.AddUiWin(&plain);
    Press(host.m_hWnd, 50, 220);
    Release(host.m_hWnd, 50, 220);
    PumpMessages();
    EXPECT_EQ(host.notes.size(), 1u);
    host.RemoveUiWin(&label);
    host.RemoveUiWin(&plain);
}

TEST_F(ControlsTest, MenuListTapChoosesTheRowAndADragChoosesNothing)
{
    CMenuList list;
    list.SetID(300);
    list.SetPos(0, 50, 480, 500);
    list.SetItemHeight(70);
    list.showArrow = 1;
    for (int i = 0; i < 12; ++i)
        list.AddRow(u"行情报价", i % 2 ? u"第二行" : nullptr, RGB(0, 0, 0));
    host.AddUiWin(&list);
    host.Invalidate();
    host.Update();

    Press(host.m_hWnd, 100, 50 + 70 + 30); // row 1
    EXPECT_EQ(list.GetSelectedIndex(), 1);
    Release(host.m_hWnd, 100, 50 + 70 + 30);
    PumpMessages();
    ASSERT_EQ(host.notes.size(), 1u);
    EXPECT_EQ(host.notes[0], std::make_tuple(300, 12, LPARAM(1)));

    host.notes.clear();
    Press(host.m_hWnd, 100, 400);
    Move(host.m_hWnd, 100, 370);
    Move(host.m_hWnd, 100, 330);
    Release(host.m_hWnd, 100, 330);
    PumpMessages();
    EXPECT_TRUE(host.notes.empty());
    EXPECT_EQ(std::u16string(list.GetRow(1)->second.C_Str()), u"第二行");
    list.RemoveItem(0); // the row record goes with its item
    EXPECT_EQ(list.GetItemCount(), 11);
    host.RemoveUiWin(&list);
}

TEST_F(ControlsTest, CodeEditNotifiesEveryTimeATypedKeyLeavesItFull)
{
    CMatchEdit edit;
    edit.SetID(9);
    edit.SetPos(10, 300, 200, 60);
    edit.SetMaxChars(6);
    host.AddUiWin(&edit);
    Press(host.m_hWnd, 20, 320);
    Release(host.m_hWnd, 20, 320);
    ASSERT_TRUE(edit.IsFocused());
    auto type = [&](char16_t c) {
        SendMessage(host.m_hWnd, WM_CHAR, c, 0);
        PumpMessages();
    };
    for (char16_t c : std::u16string(u"60000"))
        type(c);
    EXPECT_TRUE(host.notes.empty());
    type(u'0');
    EXPECT_EQ(host.notes.size(), 1u);
    type(u'1'); // refused by the full edit, still reported
    EXPECT_EQ(host.notes.size(), 2u);
    EXPECT_EQ(std::u16string(edit.GetText()), u"600000");
    type(8);
    EXPECT_EQ(host.notes.size(), 2u);
    type(u'9');
    ASSERT_EQ(host.notes.size(), 3u);
    EXPECT_EQ(host.notes[2], std::make_tuple(9, 1, LPARAM(0)));

    CMatchEdit unlimited; // no maximum: never "complete"
    unlimited.SetPos(10, 400, 200, 60);
    host.AddUiWin(&unlimited);
    unlimited.SetFocus(true);
    type(u'1');
    EXPECT_EQ(host.notes.size(), 3u);
    host.RemoveUiWin(&edit);
    host.RemoveUiWin(&unlimited);
}

TEST_F(ControlsTest, KeypadForwardsKeysButNotHideClearAndDone)
{
    CCmdChildWnd keypad;
    keypad.SetId(5);
    RECT work = WorkRect();
    int h = CMzKeypadWnd::PreferredHeight();
    ASSERT_TRUE(keypad.Create(0, work.bottom - h, 480, h, host.m_hWnd));
    EXPECT_EQ(keypad.GetOwnerWnd(), host.m_hWnd);
    keypad.SetTarget(host.m_hWnd);
    SendMessage(keypad.m_hWnd, MZ_WM_COMMAND, MAKELONG(15, 0), 0);
    SendMessage(keypad.m_hWnd, MZ_WM_COMMAND, MAKELONG(24, 0), 0);
    SendMessage(keypad.m_hWnd, MZ_WM_COMMAND, MAKELONG(22, 0), 0);
    SendMessage(keypad.m_hWnd, MZ_WM_COMMAND, MAKELONG(21, 0), 0);
    PumpMessages();
    EXPECT_EQ(host.keys, (std::vector<std::pair<int, int>>{{5, 15}, {5, 24}}));
    EXPECT_EQ(keypad.GetLastKey(), 24); // 22 and 21 were not played either
    keypad.Destroy();
}
