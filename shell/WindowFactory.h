// The window factory: every screen except the log-on window, the sign-up frame and the main frame is opened by a
// short text key (from the server's menu records or from other windows). The keys are compared in a fixed order,
// ASCII case ignored and lengths equal; the first match wins. A key names a window class; the class's maker is
// installed by the library that builds it (the quote, chart, trading, fund and settings screens sit above the
// shell), so a key whose class has no maker yet tells the user so and counts as "back".
#pragma once

#include "platform/win/WinTypes.h"

class CBaseWnd;

// Makes a window object (not yet created) with its title and owner; extra is the key's extra argument.
typedef CBaseWnd* (*WindowMaker)(LPCWSTR title, HWND parent, int extra);
// Runs the program update over the parent window.
typedef void (*UpdateRunner)(HWND parent);

struct WindowKey {
    const char* key;
    const char* className;
    int extra;           // handed to the maker (the fund subscription/purchase mode)
    const char* title;   // 8-bit fixed title used instead of the caller's, or null
    bool initParamFirst; // OnInitParam (menu id, info, parameters) right after construction
};

class CWindowFactory {
public:
    static constexpr int RESULT_BACK = 1;
    static constexpr int RESULT_FAILED = -1;
    static constexpr int SHOW_ANIMATION = 12;
    static constexpr int HIDE_ANIMATION = 11;
    static constexpr DWORD POPUP_STYLE = 0x80000000u;

    // Opens the window of key over parent and runs it modally. 1 for "back" (also null) and the keys handled in
    // place, -1 for an unknown key or when no window could be made, otherwise the window's end result.
    static int OpenWindow(const char* key, int menuId, const char* title, const char* info, const char* params,
                          int flag, HWND parent);

    // Installs (or with null removes) the maker of a window class; FALSE when no key names the class.
    static BOOL SetMaker(const char* className, WindowMaker maker);
    static WindowMaker GetMaker(const char* className);
    static void SetUpdateRunner(UpdateRunner runner);
    // The table entry matching key, or null.
    static const WindowKey* FindKey(const char* key);
    // The whole table, in comparison order.
    static const WindowKey* GetKeys(int* count);
};

// The window manager's name for the same operation.
inline int OpenWindow(const char* key, int menuId, const char* title, const char* info, const char* params, int flag,
                      HWND parent)
{
    return CWindowFactory::OpenWindow(key, menuId, title, info, params, flag, parent);
}
