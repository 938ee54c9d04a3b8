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

enum : BYTE { ON_PATH = 1, LINKED = 2 };

// Field i of the current row when it is an 8-bit text; "" otherwise (a missing or differently typed field).
const char* TextField(const CDataSet* set, int i)
{
    if (i >= set->GetFieldCount() || set->GetFieldInfo(i)->type != FIELD_TEXT)
        return "";
    const char* text = set->GetString(i);
    return text != nullptr ? text : "";
}

// Rows of no width (a set without fields, or whose fields take no bytes) may be claimed in any number without
// carrying a byte: such rows hold no menu entries and are not turned into (possibly billions of) nodes.
bool HasMenuRows(const CDataSet* set)
{
    if (set->GetRowCount() <= 0)
        return false;
    for (int i = 0; i < set->GetFieldCount(); ++i)
        if (set->GetFieldInfo(i)->size > 0)
            return true;
    return false;
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
    if (node == nullptr) {
        node = GetRoot();
        if (node == nullptr)
            return;
        // A whole relink starts clean, so no node keeps a link from a pass in which it was still reachable.
        for (UINT i = 0; i < nodes.count; ++i) {
            nodes.data[i]->firstChild = nullptr;
            nodes.data[i]->nextSibling = nullptr;
        }
    }
    LinkBelow(node);
}

// Every node with a given id shares one list of children (the records naming that id as parent, in array
// order), so nodes of the same id show the same children and each node sits in exactly one sibling chain.
// A record whose id is already on the way down from node would lead back up: it is left out of its parent's
// list, which breaks every loop of parent ids, a record naming itself included. Walks with its own stack, so
// a deep chain of records cannot exhaust the thread's stack.
void CMenuTree::LinkBelow(CMenuNode* node)
{
    std::unordered_map<int, std::vector<UINT>> childrenOf;
    for (UINT i = 0; i < nodes.count; ++i)
        if (nodes.data[i] != node)
            childrenOf[nodes.data[i]->parentId].push_back(i);

    std::unordered_map<int, BYTE> idState;
    std::unordered_map<int, CMenuNode*> firstChildOf;
    struct Frame {
        int id;
        std::vector<UINT> children;
        size_t next;
    };
    std::vector<Frame> stack;
    auto enter = [&](CMenuNode* parent) {
        idState[parent->id] = ON_PATH;
        Frame frame{parent->id, {}, 0};
        auto found = childrenOf.find(parent->id);
        if (found != childrenOf.end())
            for (UINT i : found->second) {
                auto seen = idState.find(nodes.data[i]->id);
                if (seen == idState.end() || seen->second != ON_PATH)
                    frame.children.push_back(i);
            }
        CMenuNode* previous = nullptr;
        parent->firstChild = nullptr;
        for (UINT i : frame.children) {
            CMenuNode* n = nodes.data[i];
            n->nextSibling = nullptr;
            n->depth = parent->depth + 1;
            if (previous == nullptr)
                parent->firstChild = n;
            else
                previous->nextSibling = n;
            previous = n;
        }
        firstChildOf[parent->id] = static_cast<CMenuNode*>(parent->firstChild);
        stack.push_back(std::move(frame));
    };

    enter(node);
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next < top.children.size()) {
            CMenuNode* child = nodes.data[top.children[top.next++]];
            if (idState.find(child->id) == idState.end())
                enter(child);
            else
                child->firstChild = firstChildOf[child->id]; // an id already linked: the same children
            continue;
        }
        idState[top.id] = LINKED;
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
    int count = ParseDataSets(data, DWORD(size), &sets);
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

int LoadMenuTree()
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
