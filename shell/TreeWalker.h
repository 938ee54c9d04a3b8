// CTreeWalker: reading access to a tree of menu nodes, by position and by child index.
#pragma once

class CMenuNode;

class CTreeWalker {
public:
    virtual ~CTreeWalker() = default;
    // The node at position i, or null when i is not below the count.
    virtual CMenuNode* GetAt(int i) const = 0;
    // The i-th child (from 0) of parent along its child and sibling links; null for a null parent or when it
    // has fewer children.
    virtual CMenuNode* GetChild(const CMenuNode* parent, int i) const;
    virtual int GetCount() const = 0;
    virtual CMenuNode* GetRoot() const = 0;
};
