// CQXNoticeWnd: "更新信息", the notice of a downloaded new version: its release notes, and a command bar to
// go home, install it now or go back.
#pragma once

#include "shell/QXInfoTxtWnd.h"

class CQXNoticeWnd : public CQXInfoTxtWnd {
public:
    CQXNoticeWnd(LPCWSTR title, HWND owner);
    ~CQXNoticeWnd() override;

    LPCWSTR GetMzClassName() override;
    BOOL OnInitDialog() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;

    // After ShowWnd: true when the user chose "安装".
    bool IsInstallChosen() const { return installChosen; }

private:
    bool installChosen = false;
};
