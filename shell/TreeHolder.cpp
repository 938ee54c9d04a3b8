// The item-carrying base of menu nodes.
#include "shell/TreeHolder.h"

CTreeHolder::~CTreeHolder()
{
    delete item;
}
