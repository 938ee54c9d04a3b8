// CCmdChildWnd: the on-screen numeric keypad that forwards its keys to the window it serves (WM_KEYPAD_KEY with
// its id and the key number); hide, clear and done (21-23) are neither forwarded nor played.
#pragma once

#include "platform/ui/MzKeypadWnd.h"

class CCmdChildWnd : public CMzKeypadWnd {
public:
    static constexpr UINT POINT_KEY_IMAGE = 136;

    CCmdChildWnd() = default;
    ~CCmdChildWnd() override = default;

    LPCWSTR GetMzClassName() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;

    void SetId(int value) { id = value; }
    int GetId() const { return id; }
    HWND GetOwnerWnd() const { return ownerWnd; }
    void SetOwnerWnd(HWND window) { ownerWnd = window; }

private:
    HWND ownerWnd = nullptr;
    int id = -1;
};
