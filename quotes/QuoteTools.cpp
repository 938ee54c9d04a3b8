#include "quotes/QuoteTools.h"

#include "platform/ui/UiBars.h"
#include "shell/NetWnd.h"
#include "shell/WndMessages.h"

namespace {

UINT ToolImage(QuoteTool tool)
{
    switch (tool) {
    case QuoteTool::Menu:
        return 126;
    case QuoteTool::Search:
        return 118;
    case QuoteTool::Edit:
        return 133;
    case QuoteTool::KLine:
        return 114;
    case QuoteTool::PreviousPage:
        return 124;
    case QuoteTool::NextPage:
        return 123;
    case QuoteTool::Refresh:
        return 115;
    case QuoteTool::Back:
        return 116;
    }
    return 0;
}

} // namespace

void AddQuoteTools(UiIconStrip& bar, const std::vector<QuoteToolButton>& buttons)
{
    for (const QuoteToolButton& button : buttons)
        bar.AddButton(ToolImage(button.tool));
}

void TapQuoteTool(CNetWnd* wnd, const std::vector<QuoteToolButton>& buttons, int index)
{
    if (index < 0 || index >= (int)buttons.size())
        return;
    const QuoteToolButton& button = buttons[(size_t)index];
    if (button.tap) {
        button.tap();
        return;
    }
    switch (button.tool) {
    case QuoteTool::Search:
        wnd->OpenStockSearch();
        break;
    case QuoteTool::Refresh:
        wnd->Refresh(0, 0);
        break;
    case QuoteTool::Back:
        wnd->EndWnd(END_BACK);
        break;
    default:
        break;
    }
}
