// The check list and the choice picker in real windows: taps toggle or move the single check, the picker posts
// the chosen rows to its form with the form's cookie, and an empty choice is refused with a box.
#include "shell/CheckList.h"
#include "shell/MakeChoiceWnd.h"

#include "tests/support/WindowFixture.h"

#include <tuple>

namespace {

class FormWnd : public CBaseWnd {
public:
    FormWnd() : CBaseWnd(u"表单", nullptr) {}
    LPCWSTR GetMzClassName() override { return u"TestPickerForm"; }
    void OnMzCommand(WPARAM w, LPARAM l) override { notes.emplace_back(LOWORD(w), HIWORD(w), l); }
    LRESULT WindowProc(UINT m, WPARAM w, LPARAM l) override
    {
        if (m == WM_MULTI_CHOICE) {
            auto* indexes = reinterpret_cast<int32_t*>(l);
            choices.emplace_back((int)w, indexes[0]);
            delete[] indexes;
            return 1;
        }
        return CBaseWnd::WindowProc(m, w, l);
    }
    std::vector<std::tuple<int, int, LPARAM>> notes;
    std::vector<std::pair<int, int>> choices;
};

void Tap(HWND w, int x, int y)
{
    PostMessage(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELONG(x, y));
    PostMessage(w, WM_LBUTTONUP, 0, MAKELONG(x, y));
}

// Three form items whose payloads the form keeps; the second flagged.
struct Choices {
    Choices()
    {
        MakeListItem("上海A股", "SHA", 0, &items[0]);
        MakeListItem("深圳A股", "SZA", 1, &items[1]);
        MakeListItem("基金", "JJ", 0, &items[2]);
    }
    ~Choices()
    {
        for (ListItem& item : items)
            FreeListItemPayload(&item);
    }
    int Flag(int i) const { return reinterpret_cast<ListItemPayload*>(items[i].Data)->flag; }
    ListItem items[3];
};

} // namespace

class ChoicePickerTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        RECT work = WorkRect();
        ASSERT_TRUE(form.Create(work.left, work.top, work.right - work.left, work.bottom - work.top));
        form.Show();
    }
    void TearDown() override
    {
        form.Destroy();
        WindowTest::TearDown();
    }
    // Creates the picker the way a form does; returns its handle.
    HWND Open(CMakeChoiceWnd& picker)
    {
        RECT work = WorkRect();
        EXPECT_TRUE(picker.Create(work.left, work.top, work.right - work.left, work.bottom - work.top, form.m_hWnd, 0,
                                  WS_POPUP));
        return picker.m_hWnd;
    }
    static int RowY(int row) { return 82 + row * 45 + 22; }

    FormWnd form;
};

TEST_F(ChoicePickerTest, OpensOnTheFlaggedChoiceAndTappingAnotherMovesTheCheckAndPostsIt)
{
    Choices c;
    auto* picker = new CMakeChoiceWnd(u"选择市场", form.m_hWnd, 7);
    picker->SetItems(c.items, 3);
    HWND w = Open(*picker);
    CCheckList& list = picker->GetCheckList();
    EXPECT_EQ(list.GetSelectedIndex(), 1);
    EXPECT_EQ(list.IsChecked(1), 1);
    EXPECT_EQ(picker->GetCommandBar().GetButtonText(0), std::u16string(u"确定"));
    Tap(w, 100, RowY(2));
    EXPECT_EQ(picker->ShowWnd(-1, nullptr, nullptr, 1), END_BACK);
    delete picker;
    PumpMessages();
    EXPECT_EQ(c.Flag(1), 0);
    EXPECT_EQ(c.Flag(2), 1);
    ASSERT_EQ(form.choices.size(), 1u);
    EXPECT_EQ(form.choices[0], std::make_pair(7, 2));
    EXPECT_TRUE(messages.Boxes().empty());
}

TEST_F(ChoicePickerTest, TappingTheCheckedRowAgainPostsItWithoutUncheckingIt)
{
    Choices c;
    auto* picker = new CMakeChoiceWnd(u"选择市场", form.m_hWnd, 3);
    picker->SetItems(c.items, 3);
    HWND w = Open(*picker);
    Tap(w, 100, RowY(1));
    EXPECT_EQ(picker->ShowWnd(-1, nullptr, nullptr, 1), END_BACK);
    delete picker;
    PumpMessages();
    // The payloads are the form's: the picker's end leaves them alive and as chosen.
    EXPECT_EQ(c.Flag(1), 1);
    ASSERT_EQ(form.choices.size(), 1u);
    EXPECT_EQ(form.choices[0], std::make_pair(3, 1));
    // Opened again, it shows the last choice.
    auto* again = new CMakeChoiceWnd(u"选择市场", form.m_hWnd, 3);
    again->SetItems(c.items, 3);
    Open(*again);
    EXPECT_EQ(again->GetCheckList().GetSelectedIndex(), 1);
    delete again;
}

TEST_F(ChoicePickerTest, ConfirmingWithNothingCheckedShowsTheTipsBoxAndPostsNothing)
{
    ListItem items[2];
    MakeListItem("甲", "A", 0, &items[0]);
    MakeListItem("乙", "B", 0, &items[1]);
    auto* picker = new CMakeChoiceWnd(u"选择", form.m_hWnd, 1);
    picker->SetItems(items, 2);
    picker->SetItems(items, 0); // no items: keeps the two
    EXPECT_EQ(picker->GetChoiceCount(), 2);
    HWND w = Open(*picker);
    EXPECT_EQ(picker->GetCheckList().GetSelectedIndex(), -1);
    PostMessage(w, MZ_WM_COMMAND, MAKELONG(ID_COMMAND_BAR, 0), 0);
    EXPECT_EQ(picker->ShowWnd(-1, nullptr, nullptr, 1), END_BACK);
    delete picker;
    PumpMessages();
    ASSERT_EQ(messages.Boxes().size(), 1u);
    EXPECT_EQ(messages.Boxes()[0].text, u"您未选中任何选项！");
    EXPECT_EQ(messages.Boxes()[0].caption, u"Tips");
    EXPECT_TRUE(form.choices.empty());
    for (ListItem& item : items)
        FreeListItemPayload(&item);
}

TEST_F(ChoicePickerTest, APickerWithoutChoicesEndsAtOnceOnConfirm)
{
    auto* picker = new CMakeChoiceWnd(u"选择", form.m_hWnd, 1);
    HWND w = Open(*picker);
    PostMessage(w, MZ_WM_COMMAND, MAKELONG(ID_COMMAND_BAR, 0), 0);
    EXPECT_EQ(picker->ShowWnd(-1, nullptr, nullptr, 1), END_BACK);
    delete picker;
    PumpMessages();
    EXPECT_TRUE(messages.Boxes().empty());
    EXPECT_TRUE(form.choices.empty());
}

TEST_F(ChoicePickerTest, MultiChoiceListTogglesAnyRowOnEachTapAndReportsNothing)
{
    CCheckList list;
    list.SetPos(0, 50, 480, 300);
    list.SetItemHeight(50);
    list.SetID(170);
    form.AddUiWin(&list);
    for (int i = 0; i < 3; ++i) {
        ListItem item;
        MakeListItem("行", "X", 0, &item);
        list.AddItem(item);
    }
    ListItem bare;
    bare.Text = u"无数据";
    list.AddItem(bare);
    HWND w = form.m_hWnd;
    auto tap = [&](int row) {
        Tap(w, 100, 50 + row * 50 + 25);
        PumpMessages();
    };
    tap(0);
    tap(2);
    EXPECT_EQ(list.CountChecked(), 2);
    tap(2); // the selected row toggles too in multi-choice mode
    EXPECT_EQ(list.IsChecked(2), 0);
    tap(3); // no payload: never checked
    EXPECT_EQ(list.IsChecked(3), 0);
    EXPECT_EQ(list.IsChecked(0), 1);
    EXPECT_TRUE(form.notes.empty());
    // A drag is no tap.
    PostMessage(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELONG(100, 80));
    PostMessage(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELONG(100, 160));
    PostMessage(w, WM_LBUTTONUP, 0, MAKELONG(100, 160));
    PumpMessages();
    EXPECT_EQ(list.IsChecked(0), 1);
    EXPECT_EQ(list.IsChecked(1), 0);
    list.SetChecked(1, 0x101); // only the low byte counts
    EXPECT_EQ(list.IsChecked(1), 1);
    EXPECT_EQ(list.IsChecked(9), 0);
    form.RemoveUiWin(&list);
}

TEST_F(ChoicePickerTest, ReTapOfTheSelectedRowIsReportedInsteadOfToggling)
{
    CCheckList list;
    list.SetPos(0, 50, 480, 300);
    list.SetItemHeight(50);
    list.SetID(171);
    list.reTapNotify = 1;
    form.AddUiWin(&list);
    ListItem item;
    MakeListItem("行", "X", 0, &item);
    list.AddItem(item);
    Tap(form.m_hWnd, 100, 75);
    PumpMessages();
    EXPECT_EQ(list.IsChecked(0), 1);
    Tap(form.m_hWnd, 100, 75);
    PumpMessages();
    EXPECT_EQ(list.IsChecked(0), 1);
    ASSERT_EQ(form.notes.size(), 1u);
    EXPECT_EQ(form.notes[0], std::make_tuple(171, CCheckList::NOTIFY_RETAPPED, (LPARAM)0));
    form.RemoveUiWin(&list);
}
