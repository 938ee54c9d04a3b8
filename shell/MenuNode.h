// CMenuNode: a node of the menu tree: its id, its parent's id and its depth below the root.
#pragma once

#include "shell/TreeHolder.h"

class CMenuNode : public CTreeHolder {
public:
    CMenuNode() = default;
    CMenuNode(int nodeId, int parent, CMenuItem* nodeItem);
    ~CMenuNode() override = default;

    CMenuNode* FirstChild() const { return static_cast<CMenuNode*>(firstChild); }
    CMenuNode* NextSibling() const { return static_cast<CMenuNode*>(nextSibling); }
    CMenuItem* GetItem() const { return item; }

    int id = -1;
    int parentId = -1;
    int depth = 0; // the root 0, its children 1, ...
};
