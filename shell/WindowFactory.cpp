#include "shell/WindowFactory.h"

#include "core/AppData.h"
#include "core/TextHelpers.h"
#include "platform/win/Debug.h"
#include "platform/win/WideFormat.h"
#include "shell/BaseWnd.h"
#include "shell/WndManager.h"

#include <cstdlib>
#include <cstring>

namespace {

// "基金开户风险提示" in code page 936.
const char RISK_NOTICE_TITLE[] = "\xbb\xf9\xbd\xf0\xbf\xaa\xbb\xa7\xb7\xe7\xcf\xd5\xcc\xe1\xca\xbe";

// The comparison order is part of the protocol: menu records name these keys.
const WindowKey KEYS[] = {
    {"collist", "CQXMenuWnd", 0, nullptr, false},
    {"lczq", "CQXMenuWnd", 0, nullptr, false},
    {"help", "CCustomerServiceWnd", 0, nullptr, false},
    {"newslist", "CQXInfoListWnd", 0, nullptr, false},
    {"newscontent", "CQXInfoTxtWnd", 0, nullptr, false},
    {"pxhq", "CQXStockTableWnd", 0, nullptr, false},
    {"fschart", "CFSFrame", 0, nullptr, false},
    {"kxchart", "CKXFrame", 0, nullptr, false},
    {"F10", "CStocInfoMenuWnd", 0, nullptr, false},
    {"zxhq", "CMyStockWnd", 0, nullptr, false},
    {"buysale", "CTradeBuySaleWnd", 0, nullptr, false},
    {"openfund", "CQXTradeMenuWnd", 0, nullptr, false},
    {"of_wdjj", "CFundInfoQueryWnd", 0, nullptr, false},
    {"of_jjzx", "CFundMenuWnd", 0, nullptr, false},
    {"of_fecx", "CFundShareQueryWnd", 0, nullptr, false},
    {"of_jjmc", "CFundSearchWnd", 0, nullptr, false},
    {"of_jjxx", "CFundSearchResultWnd", 0, nullptr, false},
    {"of_jjcx", "CFundInfoListWnd", 0, nullptr, false},
    {"of_jjpx", "CFundSortWnd", 0, nullptr, false},
    {"of_jjpj", "CFundRatingWnd", 0, nullptr, false},
    {"of_fhsz", "CFundFHConfigWnd", 0, nullptr, false},
    {"of_jycx", "CFundTradeQueryWnd", 0, nullptr, false},
    {"of_jjkh", "CFundOpenAccountWnd", 0, nullptr, false},
    {"of_jjkhfxts", "CFundRiskAnnounceWnd", 0, RISK_NOTICE_TITLE, false},
    {"of_jjrg", "CFundRgSgWnd", 1, nullptr, false},
    {"of_jjsg", "CFundRgSgWnd", 0, nullptr, false},
    {"of_wtcd", "CFundTradeCancelWnd", 0, nullptr, false},
    {"of_jjsh", "CFundRedemptionWnd", 0, nullptr, false},
    {"of_jjzh", "CFundTransformWnd", 0, nullptr, false},
    {"xgsg", "CNewStockListWnd", 0, nullptr, false},
    {"qzxq", "CWarrantWnd", 0, nullptr, false},
    {"trademenu", "CQXTradeMenuWnd", 0, nullptr, false},
    {"qlncp", "CQuillonProductWnd", 0, nullptr, false},
    {"banktransfer", "CBankTransferWnd", 0, nullptr, false},
    {"bankbalance", "CBankBalanceWnd", 0, nullptr, false},
    {"banktranquery", "CBankTransferQueryWnd", 0, nullptr, false},
    {"tradequery", "CTradeQueryTableWnd", 0, nullptr, true},
    {"wtcd", "CTradeCancelWnd", 0, nullptr, true},
    {"hisquery", "CTradeHisQueryTableWnd", 0, nullptr, false},
    {"qlnmr", "CQlnBuyWnd", 0, nullptr, false},
    {"qlnzz", "CQuillonTerminateWnd", 0, nullptr, false},
    {"zgzs", "CChinaIndexWnd", 0, nullptr, false},
    {"sjzs", "CGlobalIndexWnd", 0, nullptr, false},
    {"yybsz", "CSalesDeptSetWnd", 0, nullptr, false},
    {"lltj", "CGPRSTextWnd", 0, nullptr, false},
    {"cssz", "CSysConfigWnd", 0, nullptr, false},
    {"xgmm", "CTradePasswordWnd", 0, nullptr, false},
    {"xxhq", "CStockDetaiPriceWnd", 0, nullptr, false},
};
constexpr int KEY_COUNT = (int)(sizeof KEYS / sizeof KEYS[0]);

// Makers by class name, installed by the libraries that build the classes.
struct MakerSlot {
    const char* className;
    WindowMaker maker;
};
MakerSlot makers[KEY_COUNT];
int makerCount = 0;
UpdateRunner updateRunner = nullptr;

// Shows a wide text as a tip (from 1000 ms) or a box through the application's message path.
void ShowWideMessage(const WCHAR* text, HWND parent, int milliseconds)
{
    char* ansi = nullptr;
    WideToAnsi(text, &ansi);
    CAppData::Instance()->ShowMessage(ansi != nullptr ? ansi : "", parent, milliseconds);
    free(ansi);
}

void TellNotAvailable(HWND parent)
{
    OutputDebugStringW(u"Window not available in this build\n");
    CAppData::Instance()->ShowMessageBox(u"该功能暂未开放！", u"提示", parent);
}

int RunUpdateKey(HWND parent)
{
    CAppData* app = CAppData::Instance();
    const char* local = app->GetConfig("System_Version");
    DWORD behind = CompareVersion(local != nullptr ? local : "", app->GetVersion());
    if ((behind & 3u) != 0) {
        if (updateRunner != nullptr)
            updateRunner(parent);
        else
            TellNotAvailable(parent);
    } else {
        app->ShowMessageBox(u"已是最新版本，不需要升级！", u"提示", parent);
    }
    return CWindowFactory::RESULT_BACK;
}

int RunAboutKey(HWND parent)
{
    CAppData* app = CAppData::Instance();
    const char* version = app->GetConfig("System_Version");
    WCHAR* wideVersion = nullptr;
    AnsiToWide(version != nullptr ? version : "3.1.2", &wideVersion);
    WCHAR text[256];
    _snwprintf(text, 256, u"Korvat证券WinCE(M8)版\n当前软件版本:%s", wideVersion != nullptr ? wideVersion : u"");
    text[255] = 0;
    free(wideVersion);
    app->ShowMessageBox(text, u"About", parent);
    return CWindowFactory::RESULT_BACK;
}

} // namespace

const WindowKey* CWindowFactory::GetKeys(int* count)
{
    if (count != nullptr)
        *count = KEY_COUNT;
    return KEYS;
}

const WindowKey* CWindowFactory::FindKey(const char* key)
{
    if (key == nullptr)
        return nullptr;
    for (const WindowKey& entry : KEYS)
        if (StrEqualNoCase(key, entry.key) == 0)
            return &entry;
    return nullptr;
}

BOOL CWindowFactory::SetMaker(const char* className, WindowMaker maker)
{
    if (className == nullptr)
        return FALSE;
    const char* known = nullptr;
    for (const WindowKey& entry : KEYS)
        if (strcmp(entry.className, className) == 0)
            known = entry.className;
    if (known == nullptr)
        return FALSE;
    for (int i = 0; i < makerCount; ++i)
        if (makers[i].className == known) {
            makers[i].maker = maker;
            return TRUE;
        }
    if (makerCount >= KEY_COUNT)
        return FALSE;
    makers[makerCount++] = MakerSlot{known, maker};
    return TRUE;
}

WindowMaker CWindowFactory::GetMaker(const char* className)
{
    if (className == nullptr)
        return nullptr;
    for (int i = 0; i < makerCount; ++i)
        if (strcmp(makers[i].className, className) == 0)
            return makers[i].maker;
    return nullptr;
}

void CWindowFactory::SetUpdateRunner(UpdateRunner runner)
{
    updateRunner = runner;
}

int CWindowFactory::OpenWindow(const char* key, int menuId, const char* title, const char* info, const char* params,
                               int /*flag*/, HWND parent)
{
    if (key == nullptr || StrEqualNoCase(key, "back") == 0)
        return RESULT_BACK;
    if (StrEqualNoCase(key, "tradeexit") == 0) {
        CAppData* app = CAppData::Instance();
        if (app->HasTradeAccounts()) {
            app->TradeLogout();
            ShowWideMessage(u"您已经成功退出交易登录！", parent, 2000);
        } else {
            ShowWideMessage(u"您尚未登录交易系统！", parent, 2000);
        }
        return RESULT_BACK;
    }

    const WindowKey* entry = FindKey(key);
    if (entry == nullptr) {
        if (StrEqualNoCase(key, "update") == 0)
            return RunUpdateKey(parent);
        if (StrEqualNoCase(key, "bbxx") == 0)
            return RunAboutKey(parent);
        OutputDebugStringA("Undefined window type!\n");
        return RESULT_FAILED;
    }

    WindowMaker maker = GetMaker(entry->className);
    if (maker == nullptr) {
        // The class is not part of this build: say so rather than pretend, and let the caller carry on.
        TellNotAvailable(parent);
        return RESULT_BACK;
    }

    WCHAR* wideTitle = nullptr;
    AnsiToWide(entry->title != nullptr ? entry->title : (title != nullptr ? title : ""), &wideTitle);
    CBaseWnd* window = maker(wideTitle != nullptr ? wideTitle : u"", parent, entry->extra);
    if (window == nullptr) {
        free(wideTitle);
        return RESULT_FAILED;
    }
    if (entry->initParamFirst)
        window->OnInitParam(menuId, info, params);

    RECT work;
    CWndManager::GetInstance()->GetWorkRect(&work);
    if (!window->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, parent, 0, POPUP_STYLE,
                        0)) {
        delete window;
        free(wideTitle);
        return RESULT_FAILED;
    }
    window->SetShowAnimation(SHOW_ANIMATION);
    window->SetHideAnimation(HIDE_ANIMATION);
    int result = window->ShowWnd(menuId, info, params, 1);
    free(wideTitle);
    return result;
}
