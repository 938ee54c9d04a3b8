// The drop-down box in a real window: the field and the button open and close the list, a tap on a row puts it
// in the field and closes the list, a drag only scrolls, and the look-ups by key and by row.
#include "shell/ComboBoxWnd.h"

#include "tests/support/WindowFixture.h"

#include <string>

class ComboBoxWndTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        box = new CComboBoxWnd(u"营业部设置", nullptr);
        RECT work = WorkRect();
        ASSERT_TRUE(box->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr));
        box->Show();
        for (int i = 0; i < 10; ++i) {
            keys[i] = u"YYB" + std::u16string(1, char16_t(u'0' + i));
            box->AddItem((u"营业部" + keys[i]).c_str(), (DWORD_PTR)keys[i].c_str());
        }
    }
    void TearDown() override
    {
        delete box;
        WindowTest::TearDown();
    }
    void Press(int x, int y) { SendMessage(box->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELONG(x, y)); }
    void Release(int x, int y) { SendMessage(box->m_hWnd, WM_LBUTTONUP, 0, MAKELONG(x, y)); }
    void Tap(int x, int y)
    {
        Press(x, y);
        Release(x, y);
        PumpMessages();
    }
    // The field is at (40, 40, 310, 60); the list under it at (43, 100), rows of 40.
    void TapField() { Tap(150, 70); }
    void TapRow(int row) { Tap(150, 100 + row * 40 + 20); }

    CComboBoxWnd* box = nullptr;
    std::u16string keys[10];
};

TEST_F(ComboBoxWndTest, FieldOpensAndClosesTheListAndATapElsewhereClosesIt)
{
    EXPECT_FALSE(box->IsListOpen());
    EXPECT_FALSE(box->GetList().IsVisible());
    TapField();
    EXPECT_TRUE(box->IsListOpen());
    EXPECT_TRUE(box->GetList().IsVisible());
    TapField();
    EXPECT_FALSE(box->GetList().IsVisible());
    TapField();
    Tap(450, 500); // outside the list
    EXPECT_FALSE(box->IsListOpen());
    // The drop button toggles too, and opens on the remembered row.
    box->SetCurSel(3);
    Tap(40 + 310 - 15, 70);
    EXPECT_TRUE(box->IsListOpen());
    EXPECT_EQ(box->GetCurSel(), 3);
    Tap(40 + 310 - 15, 70);
    EXPECT_FALSE(box->IsListOpen());
}

TEST_F(ComboBoxWndTest, TappingARowShowsItInTheFieldAndClosesTheList)
{
    TapField();
    TapRow(2);
    EXPECT_FALSE(box->IsListOpen());
    EXPECT_EQ(std::u16string(box->GetFieldText()), u"营业部YYB2");
    EXPECT_EQ(box->GetCurSel(), 2);
    EXPECT_EQ(box->GetItemData(2), (DWORD_PTR)keys[2].c_str());
    EXPECT_EQ(std::u16string(box->GetItemText(2).C_Str()), u"营业部YYB2");
}

TEST_F(ComboBoxWndTest, DraggingTheListScrollsItWithoutPickingOrClosing)
{
    TapField();
    Press(150, 260);
    for (int y = 250; y >= 130; y -= 20)
        SendMessage(box->m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELONG(150, y));
    Release(150, 130);
    PumpMessages();
    EXPECT_TRUE(box->IsListOpen());
    EXPECT_GT(box->GetList().GetTopPos(), 0);
    EXPECT_EQ(std::u16string(box->GetFieldText()), u"");
}

TEST_F(ComboBoxWndTest, LookUpsByKeyAndByRowStayWithinTheList)
{
    EXPECT_EQ(box->FindItem(u"YYB7"), 7);
    EXPECT_EQ(box->FindItem(u"YYB"), -1);
    EXPECT_EQ(box->FindItem(nullptr), -1);
    // An empty key finds nothing, even a row whose key is empty.
    static const char16_t empty[] = u"";
    box->AddItem(u"无代码", (DWORD_PTR)empty);
    box->AddItem(u"无数据", 0);
    EXPECT_EQ(box->FindItem(u""), -1);
    EXPECT_EQ(box->FindItem(u"YYB9"), 9);
    // A key no row has walks past the row without a key text.
    EXPECT_EQ(box->FindItem(u"ZZZ"), -1);

    box->SetCurSel(4);
    EXPECT_EQ(std::u16string(box->GetFieldText()), u"营业部YYB4");
    box->SetCurSel(40);
    box->SetCurSel(-1);
    EXPECT_EQ(box->GetCurSel(), 4);
    EXPECT_EQ(std::u16string(box->GetFieldText()), u"营业部YYB4");
    EXPECT_EQ(box->GetItemData(40), 0u);
    EXPECT_EQ(std::u16string(box->GetItemText(-1).C_Str()), u"");

    box->RemoveAllItems();
    box->RemoveAllItems();
    EXPECT_EQ(box->GetList().GetItemCount(), 0);
    EXPECT_EQ(box->FindItem(u"YYB7"), -1);
}
