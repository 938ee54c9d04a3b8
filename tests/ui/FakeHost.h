// A host window stand-in that records what controls ask of it, so control logic is tested without a screen.
#pragma once

#include "platform/ui/UiWinManager.h"

#include <tuple>
#include <vector>

struct PostedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class FakeHost : public IUiHost {
public:
    HWND GetHostWnd() const override { return nullptr; }
    void InvalidateHostRect(const RECT*) override { ++invalidations; }
    BOOL PostToHost(UINT m, WPARAM w, LPARAM l) override
    {
        posted.push_back({m, w, l});
        return TRUE;
    }
    LRESULT SendToHost(UINT m, WPARAM w, LPARAM l) override
    {
        sent.push_back({m, w, l});
        return 0;
    }
    BOOL SetHostTimer(UINT_PTR id, UINT) override
    {
        timers.push_back(id);
        return TRUE;
    }
    BOOL KillHostTimer(UINT_PTR id) override
    {
        std::erase(timers, id);
        return TRUE;
    }
    void ShowInputPanel(BOOL show, int kind) override
    {
        panelShown = show;
        panelKind = kind;
    }

    // Control notifications posted so far, as (id, code, lParam).
    std::vector<std::tuple<int, int, LPARAM>> Notifications() const
    {
        std::vector<std::tuple<int, int, LPARAM>> out;
        for (const auto& p : posted)
            if (p.message == 0xFFF10001u)
                out.emplace_back(LOWORD(p.wParam), HIWORD(p.wParam), p.lParam);
        return out;
    }

    std::vector<PostedMessage> posted;
    std::vector<PostedMessage> sent;
    std::vector<UINT_PTR> timers;
    int invalidations = 0;
    BOOL panelShown = FALSE;
    int panelKind = -1;
};
