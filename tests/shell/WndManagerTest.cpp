// The window manager's work rectangle and chart option, and the form helpers of the order screens.
#include "shell/FormLayout.h"
#include "shell/WndManager.h"

#include "platform/win/Shell.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(WndManager, OneInstanceUntilDestroyedThenAFreshOne)
{
    CWndManager* first = CWndManager::GetInstance();
    EXPECT_EQ(first, CWndManager::GetInstance());
    first->SetChartFlag(1);
    first->SetWorkAreaTop(26);
    CWndManager::Destroy();
    CWndManager* second = CWndManager::GetInstance();
    EXPECT_EQ(second->GetChartFlag(), 0);
    EXPECT_EQ(second->GetWorkAreaTop(), 0);
    CWndManager::Destroy();
    CWndManager::Destroy(); // twice is harmless
}

TEST(WndManager, WorkAreaFromZeroIsMovedBelowTheStoredTopOtherwiseKept)
{
    RECT fromZero{0, 0, 480, 720};
    CWndManager::ApplyWorkAreaTop(&fromZero, 26);
    EXPECT_EQ(fromZero.top, 26);
    EXPECT_EQ(fromZero.bottom, 720);
    RECT below{0, 30, 480, 720};
    CWndManager::ApplyWorkAreaTop(&below, 26);
    EXPECT_EQ(below.top, 30);

    RECT platform{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &platform, 0);
    CWndManager::GetInstance()->SetWorkAreaTop(99);
    RECT work{};
    EXPECT_EQ(CWndManager::GetInstance()->GetWorkRect(&work), &work);
    EXPECT_EQ(work.top, platform.top); // the platform's top is not 0, so the stored one is not used
    EXPECT_EQ(work.right, platform.right);
    CWndManager::Destroy();
}

TEST(FormLayout, TwoColumnCellsFollowTheRowAndTheWorkWidth)
{
    RECT work{};
    CWndManager::GetInstance()->GetWorkRect(&work);
    RECT r{};
    GetFormCellRect(&r, 10, 10, 0, 2, 60);
    EXPECT_EQ(r.top, 125);
    EXPECT_EQ(r.bottom, 175);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.right, 130);
    GetFormCellRect(&r, 10, 10, 1, 0, 60);
    EXPECT_EQ(r.top, 5);
    EXPECT_EQ(r.left, 150);
    EXPECT_EQ(r.right, work.right - work.left - 10);
    GetFormCellRect3(&r, 20, 0, 2, 1, 50);
    EXPECT_EQ(r.left, 400);
    EXPECT_EQ(r.right, 440);
    EXPECT_EQ(r.top, 45);
    EXPECT_EQ(r.bottom, 85);
    CWndManager::Destroy();
}

TEST(FormLayout, ListItemsCarryACopiedCodeAndCopiesShareThePayload)
{
    char code[] = "600000";
    ListItem item;
    MakeListItem("\xC9\xCF\xBA\xA3", code, 1, &item); // "上海" in code page 936
    code[0] = 'X';                                    // the item keeps its own copy
    EXPECT_EQ(std::u16string(item.Text.C_Str()), u"上海");
    auto* payload = reinterpret_cast<ListItemPayload*>(item.Data);
    ASSERT_NE(payload, nullptr);
    EXPECT_STREQ(payload->code, "600000");
    EXPECT_EQ(payload->flag, 1);

    UiList list;
    list.AddItem(item);
    ListItem other;
    MakeListItem(nullptr, nullptr, 0, &other);
    list.AddItem(other);
    int count = -1;
    ListItem* copies = CopyListItems(&list, &count);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(std::u16string(copies[0].Text.C_Str()), u"上海");
    EXPECT_EQ(copies[0].Data, item.Data);
    EXPECT_STREQ(reinterpret_cast<ListItemPayload*>(copies[1].Data)->code, "");
    delete[] copies;
    EXPECT_EQ(CopyListItems(nullptr, &count), nullptr);
    EXPECT_EQ(count, 0);
    FreeListItemPayload(&item);
    FreeListItemPayload(&other);
    EXPECT_EQ(item.Data, 0u);
}
