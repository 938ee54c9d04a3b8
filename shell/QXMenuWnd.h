// CQXMenuWnd: the menu screen of a server menu entry: the entry's children in the menu tree, a sub-menu fetched
// from the server (once per run) when the tree does not hold it yet, and the tapped entry opened through the
// window factory.
#pragma once

#include "core/ReplyRecordSet.h"
#include "shell/ListWnd.h"

#include <memory>

class CMenuNode;

class CQXMenuWnd : public CListWnd {
public:
    // Row colour meaning "none given": white rows.
    static constexpr COLORREF NO_COLOR = 0xFFFFFFFFu;

    CQXMenuWnd(LPCWSTR title, HWND owner);
    ~CQXMenuWnd() override;

    LPCWSTR GetMzClassName() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    int OnInitParam(int menuId, const char* info, const char* params) override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    void OnItemClick(int row) override;

    // One row per child of node, in sibling order; row 0 selected afterwards. Returns the rows added.
    int FillFromNode(CMenuNode* node, COLORREF color = NO_COLOR);
    void AddItem(LPCWSTR text, COLORREF color = NO_COLOR);

protected:
    std::unique_ptr<CReplyRecordSet> reply;
};
