// CAppData: the one process-wide object that holds everything without a window: the configuration store and
// data files, the program directory, the per-run session key, the session and trade session from the server,
// the trade accounts and trading password, the registry sign-up record, the colour scheme, the fund-data
// cache, the traffic counters, the shared request worker, the menu tree, and the message operation every
// window uses. The store, the session key, the session text and the traffic counters may be used from the
// request worker's thread as well as the GUI thread; everything else belongs to the GUI thread.
#pragma once

#include "core/AString.h"
#include "core/SecretText.h"
#include "core/DeviceRegRecord.h"
#include "core/GrowArray.h"
#include "core/WString.h"
#include "platform/win/WinTypes.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CColorScheme;
class CQuoteNumber;
class CConfigStore;
class CDataSet;
class CFundDataCache;
class CHttpClient;
class CMenuTree;
class CNetThread;
class CNetEnvironment;
class CServerConfig;

// Where texts reach the user: by default the platform's message box and self-closing tip; another presenter can
// be installed (tests record what would be shown). Every text shown is also written to the debug output.
class CMessagePresenter {
public:
    virtual ~CMessagePresenter() = default;
    // A message box with one button (button set 0); returns when it is closed.
    virtual void ShowBox(const WCHAR* text, const WCHAR* caption, HWND owner) = 0;
    // A tip that closes itself after the given time; returns when it is gone.
    virtual void ShowTip(const WCHAR* text, HWND owner, int milliseconds) = 0;
};

// The trading windows that a trade log-in runs, installed by the trading screens: each creates its window over
// the work area as a pop-up owned by owner (show animation 10, hide animation 9), runs it modally, deletes it
// and returns its end result.
class CTradeLoginWindows {
public:
    virtual ~CTradeLoginWindows() = default;
    // "交易登录", with the action to post back to the owner after a successful log-in.
    virtual int RunTradeLogin(HWND owner, int action) = 0;
    // "营业部设置", the choice of branch offices; the log-in does not follow (the user asks for it again).
    virtual int RunSalesDeptSet(HWND owner) = 0;
};

// The menu tree's class lives in the shell, above the core: the object keeps its tree through these operations,
// which the shell's tree installs when it is made (a tree that exists has installed them).
struct MenuTreeOps {
    void (*destroy)(CMenuTree* tree);
    // Adds source's nodes below the node `id` of tree and relinks it; returns how many were added.
    int (*merge)(CMenuTree* tree, CMenuTree* source, int id);
};

struct MenuRegistration {
    const void* source; // null in every record kept
    int nodeCount;
    int id; // -10 in a free record
};

class CAppData {
public:
    static constexpr int SESSION_KEY_LENGTH = 16;
    static constexpr int NO_MESSAGE_ID = -1;

    // The object; the first call creates it and runs Init (the pointer is stored first, so what Init triggers
    // may call Instance again).
    static CAppData* Instance();
    // The object when one exists, without creating it (for code that may run before start or after exit).
    static CAppData* Existing();
    // Deletes the object (application exit).
    static void Destroy();
    // Runs hook first when the object is destroyed (latest first), before the shared worker stops: owners of
    // other workers stop them there. A hook must not call Instance.
    void AtDestroy(void (*hook)());
    // A window's private worker, stopped with the object when the window is still open then (exit with screens
    // open). StopWorker stops one adopted here and forgets it; a worker not (or no longer) adopted is left alone.
    void AdoptWorker(CNetThread* worker);
    void StopWorker(CNetThread* worker);

    virtual ~CAppData();
    CAppData(const CAppData&) = delete;
    CAppData& operator=(const CAppData&) = delete;

    // Configuration store and data files.
    // The value text, or null when no record has the key. The text stays valid for the run; it is for the GUI
    // thread, where settings change. Numbers: use GetConfigInt, which gives the default for a missing key.
    const char* GetConfig(const char* key) const;
    int GetConfigInt(const char* key, int defaultValue) const;
    // Copies the value under the store's lock (any thread); FALSE with out emptied when the key is missing.
    BOOL CopyConfig(const char* key, char* out, UINT size) const;
    // TRUE when the key exists and, when save is set, the file was written.
    BOOL SetConfig(const char* key, const char* value, int save);
    // FALSE when the file could not be written (the old one is kept).
    BOOL WriteDataFile(const char* name, const void* data, UINT size);
    // Size of the file and a new malloc'ed buffer (zero bytes after the data), or -1 with the buffer untouched.
    int ReadDataFile(const char* name, BYTE** buffer) const;
    // appDir + name.
    CWString GetFullPath(const WCHAR* name) const;
    const CWString& GetAppDir() const { return appDir; }
    CConfigStore* GetConfigStore() const { return config.get(); }

    // Version: the stored "System_Version" at start, the server's version after log-on.
    const char* GetVersion() const { return version.GetText(); }
    void SetVersion(const char* text) { version.Assign(text != nullptr ? text : ""); }
    // "System_Version" = "3.2" + the version from its second "." on; saved.
    BOOL FixVersion();

    // Session.
    // 16 characters of the Base64 alphabet from the strong random source, the same for the whole run.
    // Null only when the system's random source fails, in which case the next call tries again.
    const char* GetSessionKey();
    // The session text (GUI thread); "" before log-on.
    const char* GetSessionString() const;
    // Keeps a copy of the whole text; null empties it.
    void SetSessionString(const char* text);
    // The trade session text, or null when empty.
    const char* GetTradeSession() const;
    void SetTradeSession(const char* text);
    void SetPopMsg(int value) { popMsg = value; }
    void SetRefreshFlag(int value) { refreshFlag = value; }
    void NextPacketId() { ++packetCounter; }
    int GetPacketCounter() const { return packetCounter; }

    // Trading.
    CDataSet* GetTradeAccounts() const { return tradeAccounts; }
    // 1 when there are trade accounts with at least one row: logged in to trading.
    int HasTradeAccounts() const;
    // Takes the set over (the old one is destroyed unless it is the same); without rows the trade session and
    // the fund entries of the log-in are dropped.
    void SetTradeAccounts(CDataSet* set);
    // The password is held in memory only, and wiped when replaced, at the trade log-out and at exit.
    const char* GetTradePassword() const { return tradePassword.Get(); }
    void SetTradePassword(const char* text);
    void TradeLogout();
    // "fundid" of the account whose "secuid" matches (ASCII case ignored); of the first account for null;
    // "" when nothing matches.
    const char* GetFundId(const char* secuid);
    // "secuid" of the first account whose "market" matches; "" when none or market is null.
    const char* GetSecuId(const char* market);
    // -1 at once when logged in to trading; otherwise runs the trade log-in window, or, without branch offices,
    // explains and runs the branch-office window only, and returns that window's result. 1 when no trading
    // windows exist.
    int ShowTradeLogin(HWND owner, int action);
    // Installed once by the program (the trading screens sit above the core); kept across objects.
    static void SetTradeLoginWindows(CTradeLoginWindows* windows) { tradeLoginWindows = windows; }

    // Messages: below 1000 ms a message box captioned "Message", from 1000 ms a tip for that long. A null owner
    // means the main frame. Returns when the box or tip is gone.
    void ShowMessage(const char* text, HWND owner, int milliseconds);
    // A message box with the given caption (button set 0).
    void ShowMessageBox(const WCHAR* text, const WCHAR* caption, HWND owner);
    void SetMessagePresenter(CMessagePresenter* presenter) { messagePresenter = presenter; }

    // Requests.
    // Appends the common fields to a request text (see the .cpp). The pointer form writes into a buffer of
    // capacity bytes and returns the new length, or -1 with the text unchanged when the fields do not fit.
    void AppendSessionParams(CAString* request);
    int AppendSessionParams(char* request, UINT capacity);
    // The shared request worker, created on first use; null when it cannot be made (the next call tries again).
    CNetThread* GetConnection();
    CHttpClient* GetHttpClient();

    // Traffic (any thread): direction 0 = sent, 1 = received; other directions do nothing / read 0.
    void AddTraffic(int bytes, int direction);
    int GetTraffic(int direction) const;
    int GetConnectFallback() const { return connectFallback; }
    void SetConnectFallback(int value) { connectFallback = value; }

    // Identity.
    // The phone-line identifiers ("One", "Thing"), read from the line on first use.
    const WCHAR* GetDeviceId();
    const WCHAR* GetDeviceId2();
    // The signed-up mobile number ("Focus").
    const WCHAR* GetMobileNumber() const { return deviceRecord.GetFocus(); }
    DeviceRegRecord* GetDeviceRecord() { return &deviceRecord; }

    COLORREF GetColor(int index) const;
    // The rise, fall or unchanged colour of a value against its reference (a previous close, or zero).
    COLORREF ChartPriceColor(const CQuoteNumber& reference, const CQuoteNumber& value) const;
    // The quote and chart screens' server configuration: made and loaded from the cached "config" file on
    // first use, the same object afterwards (its users load it again before reading).
    CServerConfig* GetQuoteParamDict();
    // Creates the cache when there is none.
    CFundDataCache* GetFundCache();

    CMenuTree* GetMenuTree() const { return menuTree; }
    // Takes the tree over; a different tree held before is deleted, and with it the record of the sub-menus
    // merged into it.
    void SetMenuTree(CMenuTree* tree);
    // Merges source's nodes into the application's tree below the node `id`, once per id, and deletes source
    // (also when nothing is merged, since the caller hands it over either way).
    void RegisterMenu(CMenuTree* source, int id);
    int IsMenuRegistered(int id) const;
    static void SetMenuTreeOps(const MenuTreeOps* ops);

    HWND GetMainFrameWnd() const { return mainFrameWnd; }
    void SetMainFrameWnd(HWND wnd) { mainFrameWnd = wnd; }
    int GetScreenMode() const { return screenMode; }
    // The screen mode the windows last rotated to.
    void SetScreenMode(int mode) { screenMode = mode; }

    // Registered message ids of the platform's USB, call and accelerometer notifications; -1 until the window
    // base registers them.
    int usbMessageId = NO_MESSAGE_ID;
    int callMessageId = NO_MESSAGE_ID;
    int accelMessageId = NO_MESSAGE_ID;
    // Set by the trade log-in window on success, cleared by TradeLogout; read by the caption bar.
    static std::atomic<int> tradeLoggedIn;

private:
    CAppData();
    void Init();
    void EnsureLineIds();
    std::string SessionFields(const char* request);

    std::atomic<int> packetCounter{0};
    CAString version;
    CWString appDir;
    std::unique_ptr<CConfigStore> config;
    CSecretText sessionKey;
    // The server decides the length of its session texts: they are kept whole.
    CAString sessionString;
    CAString tradeSession;
    CMenuTree* menuTree = nullptr;
    DeviceRegRecord deviceRecord;
    int screenMode = 0;
    CDataSet* tradeAccounts = nullptr;
    CSecretText tradePassword;
    CFundDataCache* fundCache = nullptr;
    CColorScheme* colorScheme = nullptr;
    std::atomic<int> bytesUp{0};
    std::atomic<int> bytesDown{0};
    std::atomic<int> connectFallback{1};
    CNetThread* netThread = nullptr;
    int popMsg = 0;
    int refreshFlag = 1;
    HWND mainFrameWnd = nullptr;
    GrowArray<MenuRegistration> menuRegistrations{64};

    // Guards the session key's making and the session and trade session texts.
    mutable std::mutex sessionLock;
    CMessagePresenter* messagePresenter = nullptr;
    std::vector<void (*)()> destroyHooks;
    std::vector<CNetThread*> privateWorkers;
    static CTradeLoginWindows* tradeLoginWindows;
    std::unique_ptr<CNetEnvironment> netEnvironment;
    std::unique_ptr<CServerConfig> quoteParamDict;
};

// The application's quote parameter dictionary (CAppData::GetQuoteParamDict); null without an object.
CServerConfig* GetQuoteParamDict(CAppData* app);
