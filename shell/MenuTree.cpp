// The menu tree: nodes in record order, links rebuilt from ids, the two loaders, the merge of server sub-menus,
// and the operations the application data object uses to own a tree without knowing its class.
#include "shell/MenuTree.h"

#include "core/AppData.h"
#include "core/DataSet.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <unordered_map>
#include <vector>

namespace {

void DestroyTree(CMenuTree* tree)
{
    delete tree;
}

int MergeTree(CMenuTree* tree, CMenuTree* source, int id)
{
    return tree != nullptr ? tree->Merge(source, id) : 0;
}

const MenuTreeOps menuTreeOps = {DestroyTree, MergeTree};

enum : BYTE { NOT_SEEN = 0, ON_PATH = 1, LINKED = 2 };

// Field i of the current row when it is an 8-bit text; "" otherwise (a missing or differently typed field).
const char* TextField(const CDataSet* set, int i)
{
    if (i >= set->GetFieldCount() || set->GetFieldInfo(i)->type != FIELD_TEXT)
        return "";
    const char* text = set->GetString(i);
    return text != nullptr ? text : "";
}

// A set without fields has rows of no width, so it may claim any number of them without carrying a byte:
// such rows hold no menu entries and are not turned into (possibly billions of) nodes.
bool HasMenuRows(const CDataSet* set)
{
    return set->GetRowCount() > 0 && set->GetFieldCount() > 0;
}

} // namespace

CMenuTree::CMenuTree()
{
    // Whoever builds a tree may hand it to the application data object, which then deletes or merges it.
    CAppData::SetMenuTreeOps(&menuTreeOps);
    CMenuNode* root = new CMenuNode();
    nodes.Append(root);
}

CMenuTree::~CMenuTree()
{
    for (UINT i = 0; i < nodes.count; ++i)
        delete nodes.data[i];
}

CMenuNode* CMenuTree::GetAt(int i) const
{
    if (i < 0 || UINT(i) >= nodes.count)
        return nullptr;
    return nodes.data[i];
}

CMenuNode* CMenuTree::FindById(int id) const
{
    for (UINT i = 0; i < nodes.count; ++i)
        if (nodes.data[i]->id == id)
            return nodes.data[i];
    return nullptr;
}

void CMenuTree::Add(int id, int parentId, CMenuItem* item)
{
    CMenuNode* node = new CMenuNode(id, parentId, item);
    if (nodes.Append(node) == nullptr)
        delete node;
}

int CMenuTree::MaxId() const
{
    int largest = -10;
    for (UINT i = 0; i < nodes.count; ++i)
        if (i == 0 || nodes.data[i]->id > largest)
            largest = nodes.data[i]->id;
    return largest;
}

void CMenuTree::Link(CMenuNode* node)
{
    int position = 0;
    if (node == nullptr) {
        node = GetRoot();
        if (node == nullptr)
            return;
    } else {
        position = -1;
        for (UINT i = 0; i < nodes.count; ++i)
            if (nodes.data[i] == node) {
                position = int(i);
                break;
            }
    }
    std::vector<BYTE> state(nodes.count, NOT_SEEN);
    LinkBelow(position, node, state.data());
}

// position: node's place in the array, or -1 for a node that is not in it. Walks with its own stack, so a
// deep chain of records cannot exhaust the thread's stack, and finds children through one index by parent id.
void CMenuTree::LinkBelow(int position, CMenuNode* node, BYTE* state)
{
    std::unordered_map<int, std::vector<UINT>> childrenOf;
    for (UINT i = 0; i < nodes.count; ++i)
        childrenOf[nodes.data[i]->parentId].push_back(i);

    struct Frame {
        CMenuNode* node;
        int position;
        std::vector<UINT> pending;
        size_t next;
    };
    std::vector<Frame> stack;
    auto enter = [&](CMenuNode* parent, int at) {
        if (at >= 0)
            state[at] = ON_PATH;
        Frame frame{parent, at, {}, 0};
        CMenuNode* previous = nullptr;
        parent->firstChild = nullptr;
        auto found = childrenOf.find(parent->id);
        if (found != childrenOf.end()) {
            for (UINT i : found->second) {
                if (state[i] == ON_PATH)
                    continue; // a loop of parent ids: never below itself
                CMenuNode* n = nodes.data[i];
                n->nextSibling = nullptr;
                if (previous == nullptr)
                    parent->firstChild = n;
                else
                    previous->nextSibling = n;
                previous = n;
                n->depth = parent->depth + 1;
                if (state[i] == NOT_SEEN)
                    frame.pending.push_back(i);
            }
        }
        stack.push_back(std::move(frame));
    };

    enter(node, position);
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next < top.pending.size()) {
            UINT i = top.pending[top.next++];
            // A node reached twice (duplicated ids) keeps the children it was given the first time.
            if (state[i] == NOT_SEEN)
                enter(nodes.data[i], int(i));
            continue;
        }
        if (top.position >= 0)
            state[top.position] = LINKED;
        stack.pop_back();
    }
}

int CMenuTree::Merge(const CMenuTree* source, int id)
{
    if (source == nullptr || source == this)
        return 0;
    const int64_t base = int64_t(MaxId()) + 1;
    int added = 0;
    for (int i = 0; i < source->GetCount(); ++i) {
        const CMenuNode* n = source->GetAt(i);
        if (n->id == -1)
            continue;
        int64_t newId = int64_t(n->id) + base;
        int64_t newParent = n->parentId == -1 ? int64_t(id) : int64_t(n->parentId) + base;
        // Shifted ids past the int32 range would wrap onto other nodes, or onto the root's -1.
        if (newId > INT_MAX || newId == -1 || newParent > INT_MAX)
            continue;
        Add(int(newId), int(newParent), n->item != nullptr ? n->item->Clone() : nullptr);
        ++added;
    }
    Link(nullptr);
    return added;
}

int ParseMenuItems(CDataSet* set, CMenuTree* tree)
{
    if (set == nullptr || tree == nullptr || tree->GetCount() >= 2)
        return 0;
    if (HasMenuRows(set)) {
        set->MoveFirst();
        do {
            CMenuItem* item = new CMenuItem();
            int id = set->GetAsInt(0);
            int parentId = set->GetAsInt(1);
            // GetAsText answers a missing field with a placeholder text; a missing title stays empty.
            item->SetTitle(set->GetFieldCount() > 2 ? set->GetAsText(2) : "");
            item->SetAction(TextField(set, 3));
            tree->Add(id, parentId, item);
        } while (set->MoveNext());
    }
    tree->Link(nullptr);
    return 1;
}

CMenuTree* BuildMenuTree(const BYTE* data, int size)
{
    if (data == nullptr || size <= 0)
        return nullptr;
    CDataSet** sets = nullptr;
    int count = ParseDataSets(data, DWORD(size), &sets, 0);
    CMenuTree* tree = nullptr;
    if (count == 1) {
        CDataSet* set = sets[0];
        tree = new CMenuTree();
        if (HasMenuRows(set)) {
            set->MoveFirst();
            do {
                CMenuItem* item = new CMenuItem();
                int id = set->GetInt(0);
                int parentId = set->GetInt(1);
                item->SetTitle(TextField(set, 2));
                item->SetAction(TextField(set, 3));
                tree->Add(id, parentId, item);
            } while (set->MoveNext());
        }
        tree->Link(nullptr);
    }
    for (int i = 0; i < count; ++i) {
        sets[i]->Destroy();
        delete sets[i];
    }
    free(sets);
    return tree;
}

int LoadMenus()
{
    CAppData* app = CAppData::Instance();
    BYTE* data = nullptr;
    int size = app->ReadDataFile("Menus", &data);
    if (size < 0)
        return 0;
    CMenuTree* tree = BuildMenuTree(data, size);
    free(data);
    if (tree == nullptr)
        return 0;
    app->SetMenuTree(tree);
    return 1;
}

BOOL StoreMenus(CDataSet* set)
{
    if (set == nullptr)
        return FALSE;
    BYTE* bytes = nullptr;
    DWORD size = set->Serialize(&bytes);
    if (size == 0 || bytes == nullptr) {
        free(bytes);
        return FALSE;
    }
    BOOL written = CAppData::Instance()->WriteDataFile("Menus", bytes, size);
    free(bytes);
    return written;
}
