#include "funds/FundFormWnd.h"

#include "funds/FundQuery.h"
#include "shell/WndMessages.h"

namespace {

constexpr WPARAM STEP_SUBMIT = 0x7D2;

} // namespace

CFundFormWnd::CFundFormWnd(LPCWSTR title, HWND owner) : CFormWnd(title, owner) {}

CFundFormWnd::~CFundFormWnd() = default;

LRESULT CFundFormWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (OnTradeLoginStep(this, message, wParam))
        return 1;
    if (message == WM_DEFERRED_STEP && wParam == STEP_SUBMIT) {
        SubmitPosted();
        return 1;
    }
    if (message == WM_MULTI_CHOICE) { // an answer no row asked for is still freed
        if (!choices.TakeAnswer(wParam, lParam))
            TakeChoice(lParam);
        return 1;
    }
    return CFormWnd::WindowProc(message, wParam, lParam);
}

void CFundFormWnd::OnActive()
{
    CFormWnd::OnActive();
    AskTradeLoginOnce(this, &loginAsked);
}

int CFundFormWnd::BuildRequest(char* part, int capacity, const char*)
{
    return BuildLookup(lookup, part, capacity);
}

void CFundFormWnd::PostSubmit()
{
    PostMessage(WM_DEFERRED_STEP, STEP_SUBMIT, 0);
}
