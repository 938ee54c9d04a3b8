// Helpers of the two- and three-column forms of the order screens: list items that carry a code and a flag, and
// the cell rectangles of a form row.
#pragma once

#include "platform/ui/UiList.h"
#include "platform/win/WinTypes.h"

// What the data word of a form list item points to: the item's code (owned, 8-bit) and a flag.
struct ListItemPayload {
    char* code;
    int flag;
};

// item.Text = the wide form of the 8-bit label; item.Data = a new payload with a copy of code and the flag.
// A null label or code reads as empty.
void MakeListItem(const char* label, const char* code, BYTE flag, ListItem* item);
// Frees the payload a form list item points to (its code and itself) and clears the data word.
void FreeListItemPayload(ListItem* item);
// A new array of count items copying the texts of the source's items and sharing their data words (payloads are
// not copied). The caller deletes the array with delete[]; null (count 0) when the source is null or empty.
ListItem* CopyListItems(const UiList* source, int* count);
// Two columns: the label at x .. x + 120, the field from x + 140 to the work area's width less x.
RECT* GetFormCellRect(RECT* rect, int x, int y, int column, int row, int rowHeight);
// Three columns: x .. x + 120, x + 140 .. x + 360, x + 380 .. x + 420.
RECT* GetFormCellRect3(RECT* rect, int x, int y, int column, int row, int rowHeight);
