// Menu tree nodes.
#include "shell/MenuNode.h"

CMenuNode::CMenuNode(int nodeId, int parent, CMenuItem* nodeItem) : id(nodeId), parentId(parent)
{
    item = nodeItem;
}
