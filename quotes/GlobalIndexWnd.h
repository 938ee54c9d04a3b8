// CGlobalIndexWnd: the world index table. It knows no columns in advance: it sends the parameter text of its menu
// item as it is, takes its headings from the field names of the first good reply that has fields and shows every
// field as text, colouring five fixed column positions by the sign of their value.
#pragma once

#include "platform/ui/Style.h"
#include "shell/TableWnd.h"

class CGlobalIndexWnd : public CTableWnd {
public:
    static constexpr int ROW_LIMIT = 20;
    static constexpr int COLUMNS = 12;
    static constexpr int TEXT_SIZE = Style::IndexTextSize;
    static constexpr int ITEM_HEIGHT = 48;
    static constexpr int CELL_TEXT_LIMIT = 60;

    CGlobalIndexWnd(LPCWSTR title, HWND parent);
    ~CGlobalIndexWnd() override;

    LPCWSTR GetMzClassName() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;

    // 1 for the columns whose colour follows the sign of their value (2, 3, 7, 8 and 9).
    static int IsSignColumn(int column);
    // Scheme colour index of a cell: 15 above zero, 16 below, 14 for zero, text that is no number and every
    // column that is not a sign column.
    static int CellColorIndex(int column, const char* text);

private:
    // The headings made: they come once, from the first reply that is not an error and names fields.
    int headings = 0;
};
