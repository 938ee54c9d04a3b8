// The menu tree: links built from ids, the loaders of "sys.menu" sets and of the "Menus" file, and the merge of
// server sub-menus into the application's tree.
#include "shell/MenuTree.h"

#include "core/AppData.h"
#include "core/DataSet.h"
#include "server/DataSetWriter.h"
#include "server/ServerFunctions.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Row {
    int id;
    int parent;
    std::string title;
    std::string action;
};

// A "sys.menu" set in the bytes the server sends.
std::string MenuBytes(const std::vector<Row>& rows, int idType = FIELD_INT)
{
    CDataSetWriter set("sys.menu");
    set.AddField("id", idType);
    set.AddField("parent", idType);
    set.AddField("title", FIELD_TEXT);
    set.AddField("action", FIELD_TEXT);
    for (const Row& r : rows) {
        set.AddRow();
        set.SetInt(0, r.id);
        set.SetInt(1, r.parent);
        set.SetText(2, r.title);
        set.SetText(3, r.action);
    }
    return set.ToBytes();
}

CDataSet* ParseOne(const std::string& bytes)
{
    auto* set = new CDataSet();
    DWORD remaining = DWORD(bytes.size());
    EXPECT_EQ(set->Parse(reinterpret_cast<const BYTE*>(bytes.data()), &remaining), 0);
    return set;
}

CMenuTree* TreeOf(const std::vector<Row>& rows)
{
    CDataSet* set = ParseOne(MenuBytes(rows));
    auto* tree = new CMenuTree();
    EXPECT_EQ(ParseMenuItems(set, tree), 1);
    delete set;
    return tree;
}

std::vector<int> ChildIds(const CMenuTree&, const CMenuNode* parent)
{
    std::vector<int> ids;
    for (const CMenuNode* n = parent->FirstChild(); n != nullptr && ids.size() < 100; n = n->NextSibling())
        ids.push_back(n->id);
    return ids;
}

// No node is reached again by going down from it (through children and their siblings).
void ExpectNoNodeBelowItself(const CMenuTree& tree)
{
    for (int i = 0; i < tree.GetCount(); ++i) {
        const CMenuNode* start = tree.GetAt(i);
        std::vector<const CMenuNode*> pending{start->FirstChild()};
        int visited = 0;
        while (!pending.empty() && visited < 10000) {
            const CMenuNode* n = pending.back();
            pending.pop_back();
            if (n == nullptr)
                continue;
            ++visited;
            ASSERT_NE(n, start) << "node at " << i << " is below itself";
            pending.push_back(n->NextSibling());
            pending.push_back(n->FirstChild());
        }
        ASSERT_LT(visited, 10000) << "links below node " << i << " do not end";
    }
}

std::vector<Row> ServerMainMenu()
{
    std::vector<Row> rows;
    for (const CMenuRow& r : CServerFunctions::MainMenu())
        rows.push_back({r.id, r.parent, r.title, r.action});
    return rows;
}

} // namespace

TEST(MenuItem, ActionSplitsAtItsFirstQuestionMark)
{
    CMenuItem item;
    item.SetAction("collist");
    EXPECT_STREQ(item.GetKey(), "collist");
    EXPECT_EQ(item.GetParams(), nullptr);

    item.SetAction("xxhq?");
    EXPECT_STREQ(item.GetKey(), "xxhq");
    EXPECT_STREQ(item.GetParams(), "");

    item.SetAction("newslist?type=1?x=2");
    EXPECT_STREQ(item.GetKey(), "newslist");
    EXPECT_STREQ(item.GetParams(), "type=1?x=2");

    item.SetAction("?a=1");
    EXPECT_STREQ(item.GetKey(), "");
    EXPECT_STREQ(item.GetParams(), "a=1");

    item.SetTitle("t");
    CMenuItem* copy = item.Clone();
    item.SetTitle(nullptr);
    EXPECT_EQ(item.GetTitle(), nullptr);
    EXPECT_STREQ(copy->GetTitle(), "t");
    EXPECT_STREQ(copy->GetParams(), "a=1");
    delete copy;
}

TEST(MenuTree, ChildrenFollowRecordOrderWhereverTheirParentStands)
{
    // 20's children come before and after it; 30 names a parent nobody has.
    CMenuTree* tree = TreeOf({{21, 20, "b", "k"},
                              {10, -1, "a", "k"},
                              {20, -1, "c", "k"},
                              {22, 20, "d", "k"},
                              {30, 99, "lost", "k"},
                              {23, 22, "e", "k"}});
    ASSERT_EQ(tree->GetCount(), 7);
    EXPECT_EQ(ChildIds(*tree, tree->GetRoot()), (std::vector<int>{10, 20}));
    CMenuNode* twenty = tree->FindById(20);
    EXPECT_EQ(ChildIds(*tree, twenty), (std::vector<int>{21, 22}));
    EXPECT_EQ(tree->GetChild(twenty, 1)->id, 22);
    EXPECT_EQ(tree->GetChild(twenty, 2), nullptr);
    EXPECT_EQ(tree->GetChild(nullptr, 0), nullptr);
    EXPECT_EQ(tree->FindById(23)->depth, 3);
    EXPECT_EQ(tree->FindById(10)->depth, 1);

    CMenuNode* lost = tree->FindById(30);
    ASSERT_NE(lost, nullptr);
    for (int i = 0; i < tree->GetCount(); ++i)
        for (CMenuNode* c = tree->GetAt(i)->FirstChild(); c != nullptr; c = c->NextSibling())
            EXPECT_NE(c, lost);

    EXPECT_EQ(tree->GetAt(7), nullptr);
    EXPECT_EQ(tree->GetAt(-1), nullptr);
    EXPECT_EQ(tree->FindById(-1), tree->GetRoot());
    EXPECT_EQ(tree->MaxId(), 30); // ids count, parent ids do not
    delete tree;

    CMenuTree empty;
    EXPECT_EQ(empty.MaxId(), -1);
}

TEST(MenuTree, DuplicatedIdsShareTheirChildrenAndTheEarlierOneIsFound)
{
    CMenuTree* tree = TreeOf({{1, -1, "first", "a"}, {1, -1, "second", "b"}, {2, 1, "child", "c"}, {3, 1, "x", "d"}});
    CMenuNode* found = tree->FindById(1);
    EXPECT_STREQ(found->GetItem()->GetTitle(), "first");
    EXPECT_EQ(ChildIds(*tree, tree->GetAt(1)), (std::vector<int>{2, 3}));
    EXPECT_EQ(ChildIds(*tree, tree->GetAt(2)), (std::vector<int>{2, 3}));
    delete tree;
}

TEST(MenuTree, LoopsOfParentIdsEndAndNeverPutANodeBelowItself)
{
    // 5 names itself; 7 and 8 name each other; 1 -> 2 -> (another 1) would lead back down to 2.
    CMenuTree* tree = TreeOf({{5, -1, "top", "a"},
                              {5, 5, "self", "b"},
                              {7, 8, "x", "c"},
                              {8, 7, "y", "d"},
                              {1, -1, "one", "e"},
                              {2, 1, "two", "f"},
                              {1, 2, "again", "g"}});
    // Records that would lead back up are nobody's children; the rest links as usual.
    EXPECT_EQ(tree->GetAt(1)->FirstChild(), nullptr);
    EXPECT_EQ(ChildIds(*tree, tree->GetRoot()), (std::vector<int>{5, 1}));
    EXPECT_EQ(ChildIds(*tree, tree->FindById(1)), (std::vector<int>{2}));
    EXPECT_EQ(tree->FindById(2)->FirstChild(), nullptr);
    ExpectNoNodeBelowItself(*tree);
    // Linking again from a node inside a loop ends too.
    tree->Link(tree->FindById(7));
    EXPECT_EQ(ChildIds(*tree, tree->FindById(7)), (std::vector<int>{8}));
    EXPECT_EQ(tree->FindById(8)->FirstChild(), nullptr);
    delete tree;
}

TEST(MenuTree, SelfNamingRecordsSharingAnIdWithOthersStayOutOfEverySiblingChain)
{
    // Several records of id 0 naming 0 as parent, reached through a record of id 0 under 1, and another id-0
    // record under 3: every parent of id 0 shows the same children and none of them lies below itself.
    CMenuTree* tree = TreeOf({{1, -1, "a", "k"},
                              {3, -1, "b", "k"},
                              {0, 1, "c", "k"},
                              {0, 0, "d", "k"},
                              {0, 0, "e", "k"},
                              {4, 0, "f", "k"},
                              {0, 0, "g", "k"},
                              {0, 3, "h", "k"},
                              {4, -1, "i", "k"},
                              {9, 4, "j", "k"}});
    ExpectNoNodeBelowItself(*tree);
    EXPECT_EQ(ChildIds(*tree, tree->GetAt(3)), (std::vector<int>{4}));
    EXPECT_EQ(ChildIds(*tree, tree->GetAt(8)), (std::vector<int>{4}));
    EXPECT_EQ(ChildIds(*tree, tree->FindById(4)), (std::vector<int>{9}));
    delete tree;
}

TEST(MenuTree, ADeepChainOfRecordsLinksWithoutExhaustingTheStack)
{
    std::vector<Row> rows;
    for (int i = 0; i < 50000; ++i)
        rows.push_back({i, i - 1, "n", "k"});
    CMenuTree* tree = TreeOf(rows);
    EXPECT_EQ(tree->FindById(49999)->depth, 50000);
    delete tree;
}

TEST(MenuTree, ParseMenuItemsFillsOnlyAnEmptyTree)
{
    CDataSet* set = ParseOne(MenuBytes({{1, -1, "a", "k?p=1"}}));
    CMenuTree tree;
    EXPECT_EQ(ParseMenuItems(nullptr, &tree), 0);
    EXPECT_EQ(ParseMenuItems(set, nullptr), 0);
    EXPECT_EQ(ParseMenuItems(set, &tree), 1);
    EXPECT_EQ(ParseMenuItems(set, &tree), 0);
    EXPECT_EQ(tree.GetCount(), 2);
    EXPECT_STREQ(tree.FindById(1)->GetItem()->GetParams(), "p=1");
    delete set;

    CDataSet* none = ParseOne(MenuBytes({}));
    CMenuTree empty;
    EXPECT_EQ(ParseMenuItems(none, &empty), 1);
    EXPECT_EQ(empty.GetCount(), 1);
    delete none;
}

TEST(MenuTree, ParseMenuItemsReadsShortIdsAndToleratesMissingTexts)
{
    // Ids as int16 columns; a second set with only id and parent.
    CDataSet* set = ParseOne(MenuBytes({{3, -1, "a", "k"}, {4, 3, "b", "m?x"}}, FIELD_SHORT));
    CMenuTree tree;
    ASSERT_EQ(ParseMenuItems(set, &tree), 1);
    EXPECT_EQ(ChildIds(tree, tree.FindById(3)), (std::vector<int>{4}));
    delete set;

    CDataSetWriter bare("sys.menu");
    bare.AddField("id", FIELD_INT);
    bare.AddField("parent", FIELD_INT);
    bare.AddRow();
    bare.SetInt(0, 6);
    bare.SetInt(1, -1);
    CDataSet* thin = ParseOne(bare.ToBytes());
    CMenuTree other;
    ASSERT_EQ(ParseMenuItems(thin, &other), 1);
    ASSERT_NE(other.FindById(6), nullptr);
    EXPECT_STREQ(other.FindById(6)->GetItem()->GetTitle(), "");
    EXPECT_STREQ(other.FindById(6)->GetItem()->GetKey(), "");
    delete thin;
}

class MenuFileTest : public ::testing::Test {
protected:
    void TearDown() override { CAppData::Destroy(); }
    void WriteMenus(const std::string& bytes) { std::ofstream(home.File("Menus.dat"), std::ios::binary) << bytes; }
    ScopedProgramHome home;
};

TEST_F(MenuFileTest, TheServersMenuSetStoredAsMenusLoadsIntoTheApplication)
{
    CAppData* app = CAppData::Instance();
    CDataSet* set = ParseOne(MenuBytes(ServerMainMenu()));
    ASSERT_TRUE(StoreMenus(set));
    delete set;

    ASSERT_EQ(LoadMenuTree(), 1);
    CMenuTree* tree = app->GetMenuTree();
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->GetCount(), int(CServerFunctions::MainMenu().size()) + 1);
    CMenuNode* mine = tree->GetChild(tree->GetRoot(), 1);
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(mine->id, 2);
    EXPECT_STREQ(mine->GetItem()->GetKey(), "zxhq");
    EXPECT_STREQ(mine->GetItem()->GetParams(), "tc_mfuncno=31000&tc_sfuncno=4");
    EXPECT_EQ(tree->GetChild(tree->FindById(1), 0)->id, 101);

    // Loading again replaces the tree; the old one is deleted (the sanitizer would report it otherwise).
    ASSERT_EQ(LoadMenuTree(), 1);
    EXPECT_NE(app->GetMenuTree(), nullptr);
}

TEST_F(MenuFileTest, NoUsableMenusFileLeavesTheApplicationWithoutATree)
{
    CAppData* app = CAppData::Instance();
    EXPECT_EQ(LoadMenuTree(), 0); // absent
    WriteMenus("");
    EXPECT_EQ(LoadMenuTree(), 0); // empty
    WriteMenus(MenuBytes({{1, -1, "a", "b"}}) + MenuBytes({{2, -1, "c", "d"}}));
    EXPECT_EQ(LoadMenuTree(), 0); // two sets
    WriteMenus(MenuBytes({{1, -1, "a", "b"}}).substr(0, 40));
    EXPECT_EQ(LoadMenuTree(), 0); // cut short
    EXPECT_EQ(app->GetMenuTree(), nullptr);
}

TEST_F(MenuFileTest, RowsOfNoWidthClaimedByTheBillionMakeNoNodes)
{
    // Name, no fields, a billion rows of no width, an empty blob: 28 bytes.
    std::string bytes(28, '\0');
    bytes.replace(0, 8, "sys.menu");
    const int rows = 1000000000;
    memcpy(&bytes[20], &rows, 4);
    WriteMenus(bytes);
    ASSERT_EQ(LoadMenuTree(), 1);
    EXPECT_EQ(CAppData::Instance()->GetMenuTree()->GetCount(), 1);

    CDataSet* set = ParseOne(bytes);
    CMenuTree tree;
    EXPECT_EQ(ParseMenuItems(set, &tree), 1);
    EXPECT_EQ(tree.GetCount(), 1);
    delete set;

    // The same with one field of an unknown type that takes no bytes: 88 bytes.
    std::string oneField(88, '\0');
    oneField.replace(0, 8, "sys.menu");
    oneField[16] = 1;
    oneField.replace(20, 2, "id");
    memcpy(&oneField[80], &rows, 4);
    WriteMenus(oneField);
    ASSERT_EQ(LoadMenuTree(), 1);
    EXPECT_EQ(CAppData::Instance()->GetMenuTree()->GetCount(), 1);
}

TEST_F(MenuFileTest, ASubMenuIsMergedOnceBelowItsWindowsNode)
{
    CAppData* app = CAppData::Instance();
    app->RegisterMenu(TreeOf({{1, -1, "x", "y"}}), 305); // no application tree: dropped, nothing recorded
    EXPECT_EQ(app->IsMenuRegistered(305), 0);

    app->SetMenuTree(TreeOf(ServerMainMenu()));
    CMenuTree* tree = app->GetMenuTree();
    int before = tree->GetCount();
    int base = tree->MaxId() + 1;

    // The server's reply to the research menu: three entries, one with a child of its own.
    app->RegisterMenu(TreeOf({{1, -1, "行业研究", "newslist?type=7"},
                              {2, -1, "公司研究", "newslist?type=8"},
                              {3, -1, "晨会纪要", "newscontent?newsid=801"},
                              {4, 3, "more", "newslist?type=9"}}),
                      305);
    EXPECT_EQ(app->IsMenuRegistered(305), 1);
    ASSERT_EQ(tree->GetCount(), before + 4);
    CMenuNode* research = tree->FindById(305);
    EXPECT_EQ(ChildIds(*tree, research), (std::vector<int>{base + 1, base + 2, base + 3}));
    EXPECT_STREQ(tree->GetChild(research, 2)->GetItem()->GetKey(), "newscontent");
    EXPECT_EQ(ChildIds(*tree, tree->FindById(base + 3)), (std::vector<int>{base + 4}));
    EXPECT_EQ(tree->FindById(base + 4)->depth, research->depth + 2);

    // The same id again changes nothing.
    app->RegisterMenu(TreeOf({{1, -1, "dup", "k"}}), 305);
    EXPECT_EQ(tree->GetCount(), before + 4);

    // A new application tree forgets what was merged into the old one.
    app->SetMenuTree(TreeOf(ServerMainMenu()));
    EXPECT_EQ(app->IsMenuRegistered(305), 0);
}

TEST_F(MenuFileTest, MergedIdsThatWouldOverflowAreLeftOut)
{
    CAppData* app = CAppData::Instance();
    app->SetMenuTree(TreeOf({{1, -1, "a", "k"}, {2000000000, -1, "big", "k"}}));
    app->RegisterMenu(TreeOf({{5, -1, "fits", "k"}, {200000000, -1, "too big", "k"}, {6, 200000000, "under", "k"}}), 1);
    CMenuTree* tree = app->GetMenuTree();
    // base = 2000000001: 5 fits, 200000000 does not, and its child's shifted parent does not either.
    EXPECT_EQ(tree->GetCount(), 4);
    EXPECT_EQ(ChildIds(*tree, tree->FindById(1)), (std::vector<int>{2000000006}));
}
