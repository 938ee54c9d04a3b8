// Form list items and form cell rectangles.
#include "shell/FormLayout.h"

#include "core/TextHelpers.h"
#include "shell/WndManager.h"

#include <cstdlib>
#include <cstring>

void MakeListItem(const char* label, const char* code, BYTE flag, ListItem* item)
{
    if (item == nullptr)
        return;
    WCHAR* wide = nullptr;
    AnsiToWide(label != nullptr ? label : "", &wide);
    item->Text = wide; // null reads as empty
    free(wide);
    const char* source = code != nullptr ? code : "";
    size_t length = strlen(source);
    auto* payload = new ListItemPayload{new char[length + 1], flag};
    memcpy(payload->code, source, length + 1);
    item->Data = (DWORD_PTR)payload;
}

void FreeListItemPayload(ListItem* item)
{
    if (item == nullptr || item->Data == 0)
        return;
    auto* payload = reinterpret_cast<ListItemPayload*>(item->Data);
    delete[] payload->code;
    delete payload;
    item->Data = 0;
}

ListItem* CopyListItems(const UiList* source, int* count)
{
    int n = source != nullptr ? source->GetItemCount() : 0;
    if (count != nullptr)
        *count = n;
    if (n <= 0)
        return nullptr;
    auto* items = new ListItem[n];
    for (int i = 0; i < n; ++i) {
        const ListItem* from = source->GetItem(i);
        if (from != nullptr) {
            items[i].Text = from->Text;
            items[i].Data = from->Data;
        }
    }
    return items;
}

namespace {

void SetRowEdges(RECT* rect, int y, int row, int rowHeight)
{
    rect->top = y + row * rowHeight - 5;
    rect->bottom = rect->top + rowHeight - 10;
}

} // namespace

RECT* GetFormCellRect(RECT* rect, int x, int y, int column, int row, int rowHeight)
{
    if (rect == nullptr)
        return nullptr;
    RECT work;
    CWndManager::GetInstance()->GetWorkRect(&work);
    int width = work.right - work.left;
    SetRowEdges(rect, y, row, rowHeight);
    if (column == 0) {
        rect->left = x;
        rect->right = x + 120;
    } else {
        rect->left = x + 140;
        rect->right = width - x;
    }
    return rect;
}

RECT* GetFormCellRect3(RECT* rect, int x, int y, int column, int row, int rowHeight)
{
    if (rect == nullptr)
        return nullptr;
    SetRowEdges(rect, y, row, rowHeight);
    static const int edges[3][2] = {{0, 120}, {140, 360}, {380, 420}};
    int c = column < 0 ? 0 : (column > 2 ? 2 : column);
    rect->left = x + edges[c][0];
    rect->right = x + edges[c][1];
    return rect;
}
