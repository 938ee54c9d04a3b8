// What the fund query tables share beyond the paged query table: their tool bar, the paging fields of their
// requests and the account gate of the screens that act for a trade account.
#pragma once

#include "platform/win/WinTypes.h"

class CGridList;
class CNetWnd;
class CPopMenuWnd;
class CQueryTableWnd;

// Tool bar buttons of a fund query table, in order: action menu, previous page, next page, refresh, back.
enum FundQueryButton { QUERY_MENU, QUERY_PREV, QUERY_NEXT, QUERY_REFRESH, QUERY_BACK };

// Deferred step a fund screen posts to itself to run the trade log-in.
constexpr WPARAM STEP_TRADE_LOGIN = 0x7D1;

// The tool bar; a table without an action menu (fundMenu 0) has no menu button.
void AddQueryToolBar(CQueryTableWnd* wnd);
// Acts on a tool bar button or on a row tapped again once selected (OnOK with the row); false for other controls.
bool OnQueryCommand(CQueryTableWnd* wnd, WPARAM wParam, LPARAM lParam);

// The grid of a table of funds: the first column fixed and fewer, wider columns beside it than other tables have,
// so that a fund's name fits its cell (three side by side in portrait, four in landscape).
void ShapeFundGrid(CGridList& grid, int rowLimit, int shownColumns);
// Colours each cell of the rows shown by what it says, instead of whole rows by one column: a day's change by
// rise and fall, a return or a gain by its sign, everything else (names, net values, ratings) plain.
void ColourFundCells(CQueryTableWnd* wnd);
// The paged table's own handling of a reply, then its cells coloured; true when a new page is shown (false for a
// refusal or a failure, which leave the table as it was).
bool ShowFundPage(CQueryTableWnd* wnd, const BYTE* data, int length, int transportFailed);
// Appends an entry to a table's action menu.
void AddMenuEntry(CPopMenuWnd* menu, int id, const char16_t* text);
// The fields of a fund request: with the trade account's fields when logged in to trading (the fund lists then
// carry the account's columns too), else as they are. 0 when they do not fit.
int WriteFundRequest(char* part, int capacity, const char* fields);
// The paged query table's parameter text with its "count" set to the table's page size, extra ("name=value"
// pairs, or null) and "&poststr=" the current position (empty for the first page); through WriteFundRequest, or
// only with a trade log-in when account is set. 0: nothing is sent.
int BuildFundQuery(CQueryTableWnd* wnd, char* part, int capacity, bool account, const char* extra);

// Posts the log-in step once (asked keeps the state) when the user is not logged in to trading.
void AskTradeLoginOnce(CNetWnd* wnd, bool* asked);
// On the log-in step: runs the trade log-in over the window; logged in, the window asks the server again,
// otherwise it ends. False for any other message.
bool OnTradeLoginStep(CNetWnd* wnd, UINT message, WPARAM wParam);
