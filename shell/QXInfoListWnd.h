// CQXInfoListWnd: the news headline list of a menu entry: the headlines the server lists for the entry's
// parameters; a tapped headline opens its article ("newscontent") with the entry's article function.
#pragma once

#include "core/ReplyRecordSet.h"
#include "shell/ListWnd.h"

#include <memory>

class CQXInfoListWnd : public CListWnd {
public:
    // The deferred-step kind of a tapped headline.
    static constexpr WPARAM STEP_OPEN_ARTICLE = 12;

    CQXInfoListWnd(LPCWSTR title, HWND owner);
    ~CQXInfoListWnd() override;

    LPCWSTR GetMzClassName() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    int OnInitParam(int menuId, const char* info, const char* params) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    // Opens the article of headline row; -1 when there is no such headline.
    int OnOK(int row) override;
    void OnItemClick(int row) override;

    // The article request of a headline: "tc_mfuncno=%s&tc_sfuncno=%s&newsid=%d" from the list's parameter text
    // ("tc_mfuncno" and "cont_sfunc"; a missing value is sent empty). The caller frees it.
    static char* MakeArticleRequest(const char* listParams, int newsId);

protected:
    std::unique_ptr<CReplyRecordSet> reply;
};
