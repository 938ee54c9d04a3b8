// CMenuTree: the client's menus as the server sends them: nodes kept in the order of the records, linked by
// id and parent id below a root (id -1). Also the loaders that build trees from "sys.menu" record sets and the
// cached "Menus" data file, and the merge of a server sub-menu into the application's tree.
#pragma once

#include "core/GrowArray.h"
#include "platform/win/WinTypes.h"
#include "shell/MenuNode.h"
#include "shell/TreeWalker.h"

class CDataSet;

class CMenuTree : public CTreeWalker {
public:
    static constexpr UINT FIRST_CAPACITY = 64;

    // Starts with the root node (id -1, parent -1, no item) at position 0.
    CMenuTree();
    // Deletes every node and with it every item.
    ~CMenuTree() override;
    CMenuTree(const CMenuTree&) = delete;
    CMenuTree& operator=(const CMenuTree&) = delete;

    CMenuNode* GetAt(int i) const override;
    int GetCount() const override { return int(nodes.count); }
    CMenuNode* GetRoot() const override { return nodes.count > 0 ? nodes.data[0] : nullptr; }

    // The first node in array order with this id (the root for -1); null when none.
    CMenuNode* FindById(int id) const;
    // Appends a node with no links; the tree takes the item (deleted at once when no room is left).
    void Add(int id, int parentId, CMenuItem* item);
    // The largest node id; -10 without nodes, -1 with only the root.
    int MaxId() const;
    // Rebuilds child and sibling links and depths below node (the root for null). Children follow the
    // order of the array; nodes sharing an id share their children. A record that would lead back to an id
    // already on the way down is left out, so parent ids forming a loop (or a record naming itself) never put a
    // node below itself; each id's children are gathered once per call.
    void Link(CMenuNode* node);

    // Adds copies of source's nodes (all but those with id -1) below the node `id` of this tree: the
    // source's top-level nodes get `id` as parent, other ids and parent ids are shifted past this tree's
    // largest id. Nodes whose shifted id would not fit an int32 (or would read as -1) are left out.
    // Relinks the tree and returns the number of nodes added.
    int Merge(const CMenuTree* source, int id);

private:
    void LinkBelow(CMenuNode* node);

    PtrArray<CMenuNode> nodes{FIRST_CAPACITY};
};

// Fills an empty tree (only its root) from the rows of a "sys.menu" set: field 0 id, 1 parent id (any number
// type), 2 title, 3 action (key '?' parameters). 1 on success; 0 for a null set or tree or a tree that holds
// more than its root.
int ParseMenuItems(CDataSet* set, CMenuTree* tree);

// Builds a tree from the bytes of the "Menus" data file: exactly one record set, ids read as 32-bit integers
// (shorter fields read as 0). Null when the bytes hold no set or more than one.
CMenuTree* BuildMenuTree(const BYTE* data, int size);

// Builds the application's menu tree from the "Menus" data file and hands it to the application data object
// (the main frame's LoadMenus calls it); without a usable file no tree is handed over. 1 when a tree was.
int LoadMenuTree();

// Keeps a "sys.menu" set whole, serialised, as the "Menus" data file. FALSE when it could not be written.
BOOL StoreMenus(CDataSet* set);
