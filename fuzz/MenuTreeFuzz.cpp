// Feeds arbitrary bytes as the "Menus" file and as a server sub-menu: every tree built must have child chains
// that end, never list a node below itself, and merge into another tree without trouble.
#include "core/DataSet.h"
#include "shell/MenuTree.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void Walk(const CMenuTree& tree)
{
    int count = tree.GetCount();
    for (int i = 0; i < count; ++i) {
        const CMenuNode* node = tree.GetAt(i);
        int children = 0;
        for (const CMenuNode* c = node->FirstChild(); c != nullptr; c = c->NextSibling()) {
            if (c == node || ++children > count)
                abort(); // a node below itself, or a sibling chain that loops
            const CMenuItem* item = c->GetItem();
            if (item != nullptr && (item->GetTitle() == nullptr || item->GetKey() == nullptr))
                abort();
        }
        if (tree.GetChild(node, children) != nullptr)
            abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    CMenuTree* fromFile = BuildMenuTree(data, int(size));
    if (fromFile != nullptr)
        Walk(*fromFile);

    CDataSet** sets = nullptr;
    int count = ParseDataSets(data, DWORD(size), &sets);
    if (count > 0) {
        CMenuTree* sub = new CMenuTree();
        if (ParseMenuItems(sets[0], sub) == 1) {
            Walk(*sub);
            if (fromFile != nullptr) {
                fromFile->Merge(sub, 1);
                Walk(*fromFile);
            }
        }
        delete sub;
    }
    for (int i = 0; i < count; ++i) {
        sets[i]->Destroy();
        delete sets[i];
    }
    free(sets);
    delete fromFile;
    return 0;
}
