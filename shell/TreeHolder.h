// CTreeHolder: the part of a menu node that carries its item and its links into the tree.
#pragma once

#include "shell/MenuItem.h"

class CTreeHolder {
public:
    CTreeHolder() = default;
    // Destroys the item; the linked nodes belong to their tree.
    virtual ~CTreeHolder();
    CTreeHolder(const CTreeHolder&) = delete;
    CTreeHolder& operator=(const CTreeHolder&) = delete;

    CMenuItem* item = nullptr;          // owned; may be none
    CTreeHolder* firstChild = nullptr;  // link, not owned
    CTreeHolder* nextSibling = nullptr; // link, not owned
};
