// The table window base (grid placement, cells, row moves) and the form window base (row geometry, command bar,
// choice-list helpers) on real headless windows.
#include "shell/FundBaseWnd.h"
#include "shell/TableWnd.h"

#include "tests/support/PaintedWindow.h"
#include "tests/support/WindowFixture.h"

#include <cstdlib>
#include <string>

namespace {

std::u16string W(const WCHAR* text)
{
    return text != nullptr ? std::u16string(text) : std::u16string(u"<null>");
}

class TableWndTest : public WindowTest {
protected:
    CTableWnd* MakeTable()
    {
        table = std::make_unique<CTableWnd>(u"表", nullptr);
        RECT work = WorkRect();
        table->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr);
        return table.get();
    }
    std::unique_ptr<CTableWnd> table;
};

class ProbeForm : public CFundBaseWnd {
public:
    ProbeForm() : CFundBaseWnd(u"表单", nullptr) {}
    void CreateControls() override { ++created; }
    void OnActionButton() override { ++actions; }
    RECT GetPanelRect() override { return RECT{10, 10, 100, 100}; }
    int created = 0;
    int actions = 0;
};

class SwipeCounter : public CTableWnd {
public:
    SwipeCounter() : CTableWnd(u"表", nullptr) {}
    void OnSwipeRight() override { ++swipes; }
    int swipes = 0;
};

void AddRow(CTableWnd* t, LPCWSTR a, LPCWSTR b, DWORD da, DWORD db)
{
    LPCWSTR texts[] = {a, b};
    COLORREF colors[] = {RGB(255, 0, 0), 0};
    DWORD data[] = {da, db};
    t->SetCells(texts, colors, data, 2);
}

} // namespace

TEST_F(TableWndTest, GridFillsTheSpaceBetweenCaptionAndToolBarAndTakesNoSwipes)
{
    CTableWnd* t = MakeTable();
    CGridList& g = t->GetGrid();
    EXPECT_EQ(g.GetID(), 171);
    EXPECT_EQ(g.GetPosY(), 42);
    EXPECT_EQ(g.GetWidth(), t->GetWidth());
    EXPECT_EQ(g.GetHeight(), t->GetHeight() - 42 - t->GetToolBar().GetHeight());
    EXPECT_EQ(g.GetItemHeightValue(), 50);
    RECT none = t->GetGestureRect();
    EXPECT_EQ(none.left, -1);
    EXPECT_EQ(none.bottom, -1);
    EXPECT_EQ(W(t->GetMzClassName()), std::u16string(u"CTableWnd"));
}

TEST_F(TableWndTest, ARightSwipeOverTheTableIsNoSwipe)
{
    SwipeCounter t;
    RECT work = WorkRect();
    t.Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr);
    t.OnLButtonDown(0, 30, 300);
    t.OnLButtonUp(0, 400, 300);
    EXPECT_EQ(t.swipes, 0);
    // The same stroke counts once the window takes swipes again.
    t.SetGestureRect(RECT{0, 42, t.GetWidth(), t.GetHeight()});
    t.OnLButtonDown(0, 30, 300);
    t.OnLButtonUp(0, 400, 300);
    EXPECT_EQ(t.swipes, 1);
}

TEST_F(TableWndTest, CellsReadBackAndMissingCellsGiveNullOrMinusOne)
{
    CTableWnd* t = MakeTable();
    t->GetGrid().SetTable(0, 2, 1, 2, 0);
    t->AddCell(u"名称");
    t->AddCell(u"代码");
    AddRow(t, u"浦发银行", u"600000", 5, 6);
    t->SetCells(nullptr, nullptr, nullptr, 0);
    ASSERT_EQ(t->GetGrid().GetRowCount(), 1);
    EXPECT_EQ(W(t->GetCellText(0, 0)), std::u16string(u"浦发银行"));
    EXPECT_EQ(t->GetCell(0, 0)->textColor, RGB(255, 0, 0));
    EXPECT_EQ(t->GetCellData(0, 1), 6);
    char* narrow = t->GetCellTextA(0, 1);
    EXPECT_STREQ(narrow, "600000");
    free(narrow);
    EXPECT_EQ(t->GetCellText(0, 2), nullptr);
    EXPECT_EQ(t->GetCellTextA(3, 0), nullptr);
    EXPECT_EQ(t->GetCellData(0, 2), -1);
    EXPECT_EQ(t->GetCellData(1, 0), -1);
}

TEST_F(TableWndTest, RowsMoveWithinTheTableAndNeverPastItsEnds)
{
    CTableWnd* t = MakeTable();
    t->GetGrid().SetTable(0, 2, 0, 2, 0);
    AddRow(t, u"a", u"1", 0, 0);
    AddRow(t, u"b", u"2", 0, 0);
    AddRow(t, u"c", u"3", 0, 0);
    t->MoveRowUp(0);
    t->MoveRowUp(7);
    EXPECT_EQ(t->MoveRowDown(2), 3);
    EXPECT_EQ(t->MoveRowDown(-1), 3);
    EXPECT_EQ(W(t->GetCellText(0, 0)), std::u16string(u"a"));
    EXPECT_EQ(W(t->GetCellText(2, 0)), std::u16string(u"c"));

    t->MoveRowUp(2);
    EXPECT_EQ(W(t->GetCellText(1, 0)), std::u16string(u"c"));
    EXPECT_EQ(t->GetGrid().GetCurSel(), 1);
    t->MoveRowDown(0);
    EXPECT_EQ(W(t->GetCellText(0, 0)), std::u16string(u"c"));
    EXPECT_EQ(W(t->GetCellText(1, 0)), std::u16string(u"a"));
    EXPECT_EQ(t->GetGrid().GetCurSel(), 1);
}

TEST_F(TableWndTest, FormRowsCommandBarAndActionFollowTheFixedGrid)
{
    ProbeForm form;
    RECT work = WorkRect();
    form.Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr);
    EXPECT_EQ(form.created, 1);
    EXPECT_EQ(form.GetWndType(), WND_TYPE_FORM);
    EXPECT_EQ(form.encrypt, 1);
    EXPECT_EQ(form.keep, 0);
    RECT r;
    form.GetRowRect(&r, 0, 3);
    EXPECT_EQ(r.left, 20);
    EXPECT_EQ(r.top, 255);
    EXPECT_EQ(r.right, 140);
    EXPECT_EQ(r.bottom, 325);
    form.GetRowRect(&r, 1, 3);
    EXPECT_EQ(r.left, 160);
    EXPECT_EQ(r.right, form.GetWidth() - 20);
    form.GetRowRect3(&r, 2, 0);
    EXPECT_EQ(r.left, 400);
    EXPECT_EQ(r.top, 15);
    EXPECT_EQ(r.right, 440);
    EXPECT_EQ(r.bottom, 85);

    EXPECT_EQ(W(form.GetCommandBar().GetButtonText(0)), std::u16string(u"首页"));
    EXPECT_EQ(W(form.GetCommandBar().GetButtonText(1)), std::u16string(u"确定"));
    EXPECT_EQ(W(form.GetCommandBar().GetButtonText(2)), std::u16string(u"返回"));
    form.SendMessage(MZ_WM_COMMAND, MAKELONG(ID_COMMAND_BAR, 0), 1);
    form.SendMessage(MZ_WM_COMMAND, MAKELONG(55, 0), 1);
    EXPECT_EQ(form.actions, 1);
    form.EnableToolbar(FALSE);
    EXPECT_FALSE(form.GetCommandBar().IsButtonEnabled(1));

    EXPECT_FALSE(form.DrawsPanel()); // no rows: no panel even with a rectangle
    form.rowCount = 2;
    EXPECT_TRUE(form.DrawsPanel());
    // The panel shows: the window's background is painted before it, not over it.
    PaintedWindow shown(form);
    EXPECT_GT(shown.Count(0xF3F3F3), 90 * 90);
}

TEST(FormListItems, CopiesShareThePayloadAndOutOfRangeIndexesGiveNull)
{
    ListItem items[2];
    CFundBaseWnd::MakeListItem("Fund A", "000001", 1, &items[0]);
    CFundBaseWnd::MakeListItem("Fund B", "000002", 0, &items[1]);
    int count = -1;
    ListItem* copy = CFundBaseWnd::CopyListItems(items, 2, &count);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(copy[1].Data, items[1].Data);
    EXPECT_EQ(W(copy[0].Text.C_Str()), std::u16string(u"Fund A"));
    EXPECT_STREQ(CFundBaseWnd::GetItemData(copy, count, 1), "000002");
    EXPECT_EQ(CFundBaseWnd::GetItemData(copy, count, -1), nullptr);
    EXPECT_EQ(CFundBaseWnd::GetItemData(copy, count, 2), nullptr);
    EXPECT_EQ(CFundBaseWnd::GetItemData(nullptr, 0, 0), nullptr);
    EXPECT_EQ(CFundBaseWnd::CopyListItems(nullptr, 3, &count), nullptr);
    EXPECT_EQ(count, 0);
    delete[] copy;
    FreeListItemPayload(&items[0]);
    FreeListItemPayload(&items[1]);
}
