// CWndManager: the process-wide window manager. It keeps the work area's top edge as it was at start, so every
// window is placed below the phone's status area even when the platform later reports a work area from 0, and one
// on/off option shared by the chart screens.
#pragma once

#include "platform/win/WinTypes.h"

class CWndManager {
public:
    // The one instance, created on first use.
    static CWndManager* GetInstance();
    // Deletes the instance (application exit); the next GetInstance makes a new one.
    static void Destroy();

    virtual ~CWndManager() = default;
    CWndManager(const CWndManager&) = delete;
    CWndManager& operator=(const CWndManager&) = delete;

    // The platform's work area; a top of 0 is moved down by the stored top. Returns rect.
    RECT* GetWorkRect(RECT* rect) const;
    // A work area reported from 0 is moved down by the stored top; any other stays as it is.
    static void ApplyWorkAreaTop(RECT* rect, int storedTop);

    void SetWorkAreaTop(int top) { workAreaTop = top; }
    int GetWorkAreaTop() const { return workAreaTop; }
    void SetChartFlag(BYTE flag) { chartFlag = flag; }
    BYTE GetChartFlag() const { return chartFlag; }

private:
    CWndManager() = default;

    int workAreaTop = 0;
    BYTE chartFlag = 0;
};
