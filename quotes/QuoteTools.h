// The tool bar of the quote tables: which buttons a table shows, in order, and what a tap on one runs. Search,
// refresh and back run alike in every table; a table gives the taps of its own buttons.
#pragma once

#include <functional>
#include <vector>

class CNetWnd;
class UiIconStrip;

enum class QuoteTool { Menu, Search, Edit, KLine, PreviousPage, NextPage, Refresh, Back };

struct QuoteToolButton {
    QuoteTool tool;
    std::function<void()> tap = {}; // none for search, refresh and back
};

// Adds the buttons' images to the bar, in order.
void AddQuoteTools(UiIconStrip& bar, const std::vector<QuoteToolButton>& buttons);
// Runs what a tap on button index of wnd's bar asks for; nothing past the last button.
void TapQuoteTool(CNetWnd* wnd, const std::vector<QuoteToolButton>& buttons, int index);
