// Child access shared by every tree of menu nodes.
#include "shell/TreeWalker.h"

#include "shell/MenuNode.h"

CMenuNode* CTreeWalker::GetChild(const CMenuNode* parent, int i) const
{
    if (parent == nullptr || i < 0)
        return nullptr;
    CMenuNode* child = parent->FirstChild();
    while (child != nullptr && i > 0) {
        child = child->NextSibling();
        --i;
    }
    return child;
}
