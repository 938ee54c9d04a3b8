#include "trading/OneShotSend.h"

#include "core/AppData.h"
#include "core/NetThread.h"
#include "shell/FundBaseWnd.h"
#include "shell/NetWnd.h"
#include "trading/FormRows.h"
#include "trading/TradeText.h"
#include "platform/win/SecureMemory.h"

namespace {

constexpr DWORD SHARED_WORKER_WAIT_MS = 1000;

} // namespace

int SendOnce(CNetWnd* wnd)
{
    if (wnd == nullptr)
        return 0;
    wnd->keep = 0;
    char text[CNetWnd::REQUEST_CAPACITY];
    int length = wnd->ComposeRequest(-1, 0, text, sizeof text);
    int sent = 0;
    if (length > 0) {
        CNetThread* worker = wnd->GetWorker();
        if (worker == nullptr || worker->WaitIdle(SHARED_WORKER_WAIT_MS) != WAIT_OBJECT_0) {
            CNetThread* own = CNetThread::Create();
            if (own != nullptr) {
                wnd->SetPrivateWorker(own);
                worker = own;
            }
        }
        if (worker != nullptr && worker->Send(text, wnd->GetHWND(), 0, 0) == 1) {
            CAppData::Instance()->NextPacketId();
            wnd->GetCaptionBar().SetActivity(TRUE);
            wnd->SetOneShotUnderWay();
            sent = 1;
        }
    }
    // The text held the business fields in plain before they were enciphered.
    SecureZeroMemory(text, sizeof text);
    return sent;
}

bool SendFormOnce(CFundBaseWnd* form, bool* underWay)
{
    *underWay = true;
    form->SetSubmitFlag(underWay);
    form->EnableToolbar(FALSE);
    if (!SendOnce(form)) {
        *underWay = false;
        form->EnableToolbar(TRUE);
        ShowText(u"系统繁忙，请稍后再试！", form->GetHWND(), 2000);
    }
    return *underWay;
}
