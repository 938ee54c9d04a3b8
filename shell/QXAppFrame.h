// CQXAppFrame: the home screen. A 3 x 3 grid of image buttons: the first eight open the first eight top-level
// entries of the server's menu tree, the ninth ends the client after asking, saving the traffic totals and
// telling the server that the user logs out. Built once after log-in; lives for the rest of the run.
#pragma once

#include "platform/ui/MzImage.h"
#include "platform/ui/UiButton.h"
#include "shell/NetWnd.h"

// Makes the main frame over the work area and shows it. When it cannot be made there is nothing to go on with:
// the user is told (a box over owner) and the program ends; false then.
bool OpenAppFrame(HWND owner);

class CQXAppFrame : public CNetWnd {
public:
    static constexpr int BUTTON_COUNT = 9;
    static constexpr int FIRST_BUTTON_ID = 103;
    static constexpr int EXIT_BUTTON_ID = 111;
    static constexpr int BUTTON_WIDTH = 116;
    static constexpr int BUTTON_HEIGHT = 155;
    static constexpr DWORD LOGOUT_IDLE_WAIT_MS = 2000;
    static constexpr DWORD LOGOUT_SENT_WAIT_MS = 8000;

    CQXAppFrame(LPCWSTR title, HWND owner);
    ~CQXAppFrame() override;

    LPCWSTR GetMzClassName() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void OnActive() override;
    void OnScreenModeChanged(int orientation) override;

    // Builds the application's menu tree from the "Menus" data file.
    void LoadMenus();

    // Grid metrics for a display orientation and the client size below the caption.
    struct GridMetrics {
        int x0, y0, columnStep, rowStep;
    };
    static GridMetrics ComputeGrid(int orientation, int width, int height);

    UiImageButton& GetButton(int index) { return buttons[index]; }
    // Stored totals plus this run's counters, written back (the file once, with both).
    void SaveTrafficTotals();
    // The exit road after the user confirmed (also after an installed update): traffic totals, the log-out
    // request, the quit message.
    void ExitClient();

protected:
    void PlaceButtons(const GridMetrics& grid);

    UiImageButton buttons[BUTTON_COUNT];
    CMzImage images[BUTTON_COUNT * 2];
};
