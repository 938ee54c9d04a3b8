// The client's private window messages (wParam and lParam as noted) and the window-type numbers of its screens.
#pragma once

#include "core/ClientSocket.h" // WM_NET_REQUEST, WM_NET_CANCEL and WM_NET_REPLY: the request worker's three
#include "platform/win/WinTypes.h"

// Posted by a window to itself: build and send a request. wParam main function (-1: the window's own request
// text only), lParam sub function.
constexpr UINT WM_SEND_REQUEST = 0xFFF20003u;
// Posted by a window to itself: a deferred step. wParam a step kind of the receiving class, lParam an index/value.
constexpr UINT WM_DEFERRED_STEP = 0xFFF20004u;
// Posted by a window to itself: end with lParam as result.
constexpr UINT WM_END_WND = 0xFFF20005u;
// The touch driver's multi-touch gesture, registered by the K-line chart; wParam and lParam the driver's data.
constexpr UINT WM_MULTITOUCH_GESTURE = 0xFFF20006u;
// Posted by a window that ends or hides to its owner: wParam result, lParam the child window object, which the
// owner deletes.
constexpr UINT WM_CHILD_CLOSED = 0xFFF20007u;
// Answered 0 by the networked window.
constexpr UINT WM_NET_IGNORED = 0xFFF20008u;
// Log-on window: restart the progress display; the progress dialog's cancel.
constexpr UINT WM_LOGON_RESTART = 0xFFF20009u;
constexpr UINT WM_LOGON_CANCEL = 0xFFF2000Au;
// Not a message: a notification code carried inside the control notification.
constexpr UINT NOTIFY_CODE_CLIENT = 0xFFF2000Cu;
// Posted to the owner: sort or chart parameters chosen; lParam a parameter record the receiver frees.
constexpr UINT WM_PARAMS_CHOSEN = 0xFFF2000Du;
// Posted to the owner: a multi-choice result; wParam cookie, lParam array of chosen indexes.
constexpr UINT WM_MULTI_CHOICE = 0xFFF2000Eu;
// Posted by the trade log-in window: log-in done; lParam the pending action index.
constexpr UINT WM_TRADE_LOGIN_DONE = 0xFFF20010u;
// Posted to the owner by the fund risk notice: open the fund account opening; lParam menu id.
constexpr UINT WM_OPEN_FUND_ACCOUNT = 0xFFF20011u;
// Posted to the owner: open the time-share (K-line) chart; lParam a heap parameter text the receiver frees.
constexpr UINT WM_OPEN_FS_CHART = 0xFFF20012u;
constexpr UINT WM_OPEN_KX_CHART = 0xFFF20013u;
// Posted by a networked window to itself: the server no longer knows the trade log-in (see CNetWnd).
constexpr UINT WM_TRADE_LOGIN_LOST = 0xFFF20014u;
// Keypad window to its owner: wParam the keypad's id, lParam the key number.
constexpr UINT WM_KEYPAD_KEY = 0xFFF2FFFFu;
// The caption bar's icons: the trade-state icon (log-in or log-out) and the home icon. wParam 0, lParam 0.
constexpr UINT WM_CAPTION_TRADE = 0xFFFFF661u;
constexpr UINT WM_CAPTION_HOME = 0xFFFFF662u;

// Results a window ends with: home (every window back to the main frame ends), back with refresh, back without.
constexpr int END_HOME = 0;
constexpr int END_BACK = 1;
constexpr int END_RETURN = 2;

// Kinds of window (CBaseWnd::GetWndType).
enum WndType {
    WND_TYPE_BASE = 0,
    WND_TYPE_NET = 1,
    WND_TYPE_MAIN_FRAME = 2,
    WND_TYPE_LOGON = 3,
    WND_TYPE_SIGNUP_HELP = 5,
    WND_TYPE_CUSTOMER_SERVICE = 6,
    WND_TYPE_BRANCH_OFFICE = 7,
    WND_TYPE_BRANCH_OFFICE_LIST = 8,
    WND_TYPE_MENU_LIST = 9,
    WND_TYPE_SERVER_MENU = 10,
    WND_TYPE_INFO_LIST = 11,
    WND_TYPE_INFO_TEXT = 12,
    WND_TYPE_STOCK_EDITOR = 13,
    WND_TYPE_TRADE_LOGIN = 15,
    WND_TYPE_FORM = 17,
    WND_TYPE_SIGNUP_FRAME = 19,
    WND_TYPE_TRADE_MENU = 20,
};

// Control ids of a screen's standard frame.
constexpr int ID_CONTENT_PANEL = 100;
constexpr int ID_TOOL_BAR = 101;
constexpr int ID_COMMAND_BAR = 101;
constexpr int ID_CAPTION_BAR = 113;
