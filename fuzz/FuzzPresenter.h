// Messages of a fuzz target go nowhere: a box or tip would wait for a user.
#pragma once

#include "core/AppData.h"

class FuzzPresenter : public CMessagePresenter {
public:
    void ShowBox(const WCHAR*, const WCHAR*, HWND) override {}
    void ShowTip(const WCHAR*, HWND, int) override {}
};
