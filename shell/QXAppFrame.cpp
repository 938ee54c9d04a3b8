#include "shell/QXAppFrame.h"

#include "core/AppData.h"
#include "core/HttpClient.h"
#include "core/NetThread.h"
#include "platform/ui/MzDialogs.h"
#include "platform/ui/Style.h"
#include "platform/win/Message.h"
#include "platform/win/Shell.h"
#include "platform/win/Sync.h"
#include "shell/MenuTree.h"
#include "shell/WndManager.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

namespace {

const WCHAR* const NORMAL_IMAGES[CQXAppFrame::BUTTON_COUNT] = {
    u"1.png", u"2.png", u"3.png", u"4.png", u"5.png", u"6.png", u"7.png", u"8.png", u"9.png",
};
const WCHAR PRESSED_IMAGE[] = u"menubg.png";
constexpr int PORTRAIT_COLUMN_STEP = 162;
constexpr int PORTRAIT_ROW_STEP = 190;
constexpr int PORTRAIT_TOP = 60;

// A stored total plus this run's counter, kept within what the setting's "%d" can hold.
int AddTotals(const char* stored, int counter)
{
    long long sum = (long long)atoll(stored != nullptr ? stored : "0") + (long long)counter;
    if (sum > INT_MAX)
        return INT_MAX;
    if (sum < 0)
        return 0;
    return (int)sum;
}

} // namespace

CQXAppFrame::CQXAppFrame(LPCWSTR title, HWND ownerWnd) : CNetWnd(title, ownerWnd)
{
    wndType = WND_TYPE_MAIN_FRAME;
    firstActivation = 0;
    requestOnActive = 0;
    LoadMenus();
}

CQXAppFrame::~CQXAppFrame() = default;

LPCWSTR CQXAppFrame::GetMzClassName()
{
    return u"CQXAppFrame";
}

void CQXAppFrame::LoadMenus()
{
    LoadMenuTree();
}

CQXAppFrame::GridMetrics CQXAppFrame::ComputeGrid(int orientation, int w, int h)
{
    GridMetrics g{0, 0, 0, 0};
    if (orientation == DMDO_90 || orientation == DMDO_270) {
        g.x0 = w / 24;
        g.y0 = (h * 3) / 32;
        g.columnStep = PORTRAIT_COLUMN_STEP;
        g.rowStep = PORTRAIT_ROW_STEP;
    } else if (orientation == DMDO_0 || orientation == DMDO_180) {
        g.x0 = (int)((w - 348 - w * 2 * 0.1) / 2.0);
        g.y0 = (h * 3) / 32;
        g.columnStep = (int)(w * 0.1 + 116.0);
        g.rowStep = (int)(h * 0.07 + 155.0);
    }
    return g;
}

void CQXAppFrame::PlaceButtons(const GridMetrics& grid)
{
    for (int k = 0; k < BUTTON_COUNT; ++k)
        buttons[k].SetPos(grid.x0 + grid.columnStep * (k % 3), grid.y0 + grid.rowStep * (k / 3), BUTTON_WIDTH,
                          BUTTON_HEIGHT);
}

BOOL CQXAppFrame::OnInitDialog()
{
    if (!CNetWnd::OnInitDialog())
        return FALSE;
    captionBar.EnableHome(FALSE);
    RemoveUiWin(&toolBar);

    RECT client;
    GetClientRect(&client);
    int width = client.right - client.left;
    int height = client.bottom - client.top;
    contentPanel.SetPos(0, CAPTION_HEIGHT, width, height - CAPTION_HEIGHT);
    contentPanel.SetDragScrollMode(1);

    CAppData* app = CAppData::Instance();
    for (int k = 0; k < BUTTON_COUNT; ++k) {
        images[2 * k].LoadImage(app->GetFullPath(NORMAL_IMAGES[k]).GetText());
        images[2 * k + 1].LoadImage(app->GetFullPath(PRESSED_IMAGE).GetText());
    }
    GridMetrics grid{width / 24, PORTRAIT_TOP, PORTRAIT_COLUMN_STEP, PORTRAIT_ROW_STEP};
    PlaceButtons(grid);
    for (int k = 0; k < BUTTON_COUNT; ++k) {
        buttons[k].SetID(FIRST_BUTTON_ID + k);
        buttons[k].SetButtonType(0);
        buttons[k].SetImage_Normal(&images[2 * k]);
        buttons[k].SetImage_Pressed(&images[2 * k + 1]);
        buttons[k].SetTextColor(Style::DarkText);
        contentPanel.AddChild(&buttons[k]);
    }
    SetBgColor(Style::DarkFill);
    return TRUE;
}

void CQXAppFrame::OnActive()
{
    CNetWnd::OnActive();
}

void CQXAppFrame::OnScreenModeChanged(int orientation)
{
    RECT client;
    GetClientRect(&client);
    int width = client.right - client.left;
    int height = client.bottom - client.top - CAPTION_HEIGHT;
    contentPanel.SetPos(0, CAPTION_HEIGHT, width, height);
    contentPanel.ScrollToTop(true);
    PlaceButtons(ComputeGrid(orientation, width, height));
    Invalidate();
}

LRESULT CQXAppFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DEFERRED_STEP) {
        if (OnOK((int)lParam) == -1)
            CAppData::Instance()->ShowMessageBox(u"Show window error！", u"ERR", m_hWnd);
        return 0;
    }
    return CNetWnd::WindowProc(message, wParam, lParam);
}

void CQXAppFrame::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam);
    if (id >= FIRST_BUTTON_ID && id < EXIT_BUTTON_ID) {
        PostMessage(WM_DEFERRED_STEP, 0, id - FIRST_BUTTON_ID);
        return;
    }
    if (id == EXIT_BUTTON_ID) {
        if (MzMessageBox(m_hWnd, u"您确定退出系统？", u"退出系统", MZ_MB_YESNO) != MZ_IDYES)
            return;
        ExitClient();
        return;
    }
    (void)lParam;
}

void CQXAppFrame::SaveTrafficTotals()
{
    CAppData* app = CAppData::Instance();
    char number[16];
    snprintf(number, sizeof number, "%d", AddTotals(app->GetConfig("Upload_Bytes"), app->GetTraffic(0)));
    app->SetConfig("Upload_Bytes", number, 0);
    snprintf(number, sizeof number, "%d", AddTotals(app->GetConfig("Download_Bytes"), app->GetTraffic(1)));
    app->SetConfig("Download_Bytes", number, 1);
}

void CQXAppFrame::ExitClient()
{
    CAppData* app = CAppData::Instance();
    SaveTrafficTotals();

    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage((int)msg.wParam);
            break;
        }
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }

    char request[CNetThread::REQUEST_SIZE] = "TC_MFUNCNO=100&TC_SFUNCNO=22";
    int length = app->AppendSessionParams(request, sizeof request);
    CNetThread* thread = app->GetConnection();
    if (length >= 0 && thread != nullptr && thread->Cancel(LOGOUT_IDLE_WAIT_MS) == 0) {
        CHttpClient* client = thread->GetHttpClient();
        HANDLE sent = client != nullptr ? client->sentEvent : nullptr;
        if (sent != nullptr)
            ResetEvent(sent);
        if (thread->Send(request, nullptr, 0, 0) == 1 && sent != nullptr)
            WaitForSingleObject(sent, LOGOUT_SENT_WAIT_MS);
    }
    PostQuitMessage(0);
}

bool OpenAppFrame(HWND owner)
{
    RECT work;
    CWndManager::GetInstance()->GetWorkRect(&work);
    auto* frame = new CQXAppFrame(u"Morwick", nullptr);
    if (!frame->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr, 0, 0, 0)) {
        delete frame;
        CAppData::Instance()->ShowMessageBox(u"Show window error！", u"ERR", owner);
        PostQuitMessage(0);
        return false;
    }
    CAppData::Instance()->SetMainFrameWnd(frame->m_hWnd);
    frame->ShowChild(-1, nullptr, nullptr, TRUE, TRUE);
    return true;
}
