// The application data object: life cycle, session, trading state, messages and the common request fields.
#include "core/AppData.h"

#include <algorithm>
#include "core/Base64.h"
#include "core/ColorScheme.h"
#include "core/ConfigStore.h"
#include "core/DataSet.h"
#include "core/FundDataCache.h"
#include "core/NetEnvironment.h"
#include "core/NetThread.h"
#include "core/PhoneLineInfo.h"
#include "core/ServerConfig.h"
#include "core/TextHelpers.h"
#include "platform/device/Random.h"
#include "platform/ui/MzDialogs.h"
#include "platform/win/Debug.h"
#include "platform/win/ModulePath.h"
#include "platform/win/SecureMemory.h"
#include "platform/win/WideText.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>

namespace {

std::atomic<CAppData*> instance{nullptr};

const WCHAR MESSAGE_CAPTION[] = u"Message";
const WCHAR TIPS_CAPTION[] = u"提示";
const WCHAR NO_BRANCH_OFFICES[] = u"请先设置好营业部（之后也可以在“软件设置”中添加和删除营业部）";
const int BOX_LIMIT_MS = 1000;

// The transport's view of the application: settings copied out under the store's lock (so a value never
// changes under the reader), the traffic counters, the session key and the fallback flag.
class CAppNetEnvironment : public CNetEnvironment {
public:
    explicit CAppNetEnvironment(CAppData* app) : app(app) {}
    // Each thread keeps one copy per key, so a caller may hold one setting's text while it asks for another
    // (the server's address, then its port); asking for the same key again refreshes that copy.
    const char* GetConfig(const char* key) override
    {
        char value[32];
        if (key == nullptr || !app->CopyConfig(key, value, sizeof value))
            return nullptr;
        thread_local std::map<std::string, std::array<char, 32>> copies;
        std::array<char, 32>& copy = copies[key];
        memcpy(copy.data(), value, sizeof value);
        return copy.data();
    }
    void SetConfig(const char* key, const char* value, int save) override { app->SetConfig(key, value, save); }
    void AddTraffic(int bytes, int direction) override { app->AddTraffic(bytes, direction); }
    const char* GetSessionKey() override { return app->GetSessionKey(); }
    int GetConnectFallback() override { return app->GetConnectFallback(); }
    void SetConnectFallback(int value) override { app->SetConnectFallback(value); }

private:
    CAppData* app;
};

// Finds the first row whose field `match` equals value (ASCII case ignored, same length) and returns its field
// `wanted`; a null value takes the first row. The set's cursor is put back where it was.
const char* LookUpAccount(CDataSet* set, const char* matchField, const char* value, const char* wantedField)
{
    if (set == nullptr || set->GetRowCount() <= 0)
        return "";
    int saved = set->GetCursor();
    const char* found = nullptr;
    for (BOOL more = set->MoveFirst(); more && !set->IsEOF(); more = set->MoveNext()) {
        const char* candidate = value != nullptr ? set->GetString(matchField) : nullptr;
        if (value == nullptr || StrEqualNoCase(candidate, value) == 0) {
            found = set->GetString(wantedField);
            break;
        }
    }
    set->MoveFirst();
    set->Move(saved);
    return found != nullptr ? found : "";
}

// The server configuration's error texts, shown over the main frame.
void ShowServerConfigMessage(const char* text, DWORD milliseconds)
{
    CAppData::Instance()->ShowMessage(text, nullptr, (int)milliseconds);
}

} // namespace

std::atomic<int> CAppData::tradeLoggedIn{0};

CAppData* CAppData::Instance()
{
    CAppData* app = instance.load();
    if (app == nullptr) {
        app = new CAppData();
        instance.store(app);
        app->Init();
    }
    return app;
}

CAppData* CAppData::Existing()
{
    return instance.load();
}

void CAppData::Destroy()
{
    CAppData* app = instance.exchange(nullptr);
    delete app;
}

CAppData::CAppData()
{
    MenuRegistration free{nullptr, 0, -10};
    for (UINT i = 0; i < menuRegistrations.capacity; ++i)
        menuRegistrations.data[i] = free;
}

void CAppData::AtDestroy(void (*hook)())
{
    if (hook != nullptr)
        destroyHooks.push_back(hook);
}

void CAppData::AdoptWorker(CNetThread* worker)
{
    if (worker != nullptr && std::find(privateWorkers.begin(), privateWorkers.end(), worker) == privateWorkers.end())
        privateWorkers.push_back(worker);
}

void CAppData::StopWorker(CNetThread* worker)
{
    auto found = std::find(privateWorkers.begin(), privateWorkers.end(), worker);
    if (found == privateWorkers.end())
        return;
    privateWorkers.erase(found);
    worker->Stop();
}

CAppData::~CAppData()
{
    // Other workers first: they reach the environment and settings as the shared one does.
    while (!destroyHooks.empty()) {
        void (*hook)() = destroyHooks.back();
        destroyHooks.pop_back();
        hook();
    }
    while (!privateWorkers.empty())
        StopWorker(privateWorkers.back());
    // The worker goes first and is joined, so it cannot reach the environment or settings freed below.
    if (netThread != nullptr) {
        netThread->Stop();
        netThread = nullptr;
    }
    if (netEnvironment != nullptr && GetNetEnvironment() == netEnvironment.get())
        SetNetEnvironment(nullptr);
    // Configurations made later must not reach the store freed below.
    CServerConfig::SetServices(nullptr, nullptr);
    quoteParamDict.reset();
    delete colorScheme;
    SetMenuTree(nullptr);
    tradePassword.Clear();
    sessionKey.Clear();
    if (tradeAccounts != nullptr) {
        tradeAccounts->Destroy();
        delete tradeAccounts;
    }
    delete fundCache;
}

void CAppData::Init()
{
    std::u16string dir = GetProgramDirectory();
    appDir.Assign(dir.c_str());
    sessionKey.Clear();
    sessionString.Assign("");
    tradeSession.Assign("");
    menuTree = nullptr;
    tradeAccounts = nullptr;
    tradePassword.Clear();
    colorScheme = new CDefaultColorScheme();
    config = std::make_unique<CConfigStore>(appDir.GetText());
    config->Load(&version);
    CServerConfig::SetServices(config.get(), ShowServerConfigMessage);
    bytesUp = 0;
    bytesDown = 0;
    connectFallback = 1;
    netThread = nullptr;
    popMsg = 0;
    deviceRecord.ClearLineIds();
    packetCounter = 0;
    refreshFlag = 1;
    fundCache = new CFundDataCache();
    screenMode = config->GetConfigInt("Screen_Mode", 4);
    usbMessageId = callMessageId = accelMessageId = NO_MESSAGE_ID;
    netEnvironment = std::make_unique<CAppNetEnvironment>(this);
    SetNetEnvironment(netEnvironment.get());
}

// ---- configuration ----

const char* CAppData::GetConfig(const char* key) const
{
    return config->GetConfig(key);
}

int CAppData::GetConfigInt(const char* key, int defaultValue) const
{
    return config->GetConfigInt(key, defaultValue);
}

BOOL CAppData::CopyConfig(const char* key, char* out, UINT size) const
{
    return config->CopyConfig(key, out, size);
}

BOOL CAppData::SetConfig(const char* key, const char* value, int save)
{
    return config->SetConfig(key, value, save);
}

BOOL CAppData::WriteDataFile(const char* name, const void* data, UINT size)
{
    return config->WriteDataFile(name, data, size);
}

int CAppData::ReadDataFile(const char* name, BYTE** buffer) const
{
    return config->ReadDataFile(name, buffer);
}

CWString CAppData::GetFullPath(const WCHAR* name) const
{
    return appDir.Concat(name != nullptr ? name : u"");
}

BOOL CAppData::FixVersion()
{
    return config->FixVersion(version.GetText());
}

// ---- session ----

const char* CAppData::GetSessionKey()
{
    std::lock_guard<std::mutex> hold(sessionLock);
    if (sessionKey.Get() == nullptr) {
        // The key guards every enciphered request of the run: it comes from the system's strong random
        // source, never from a seeded generator another party could replay.
        BYTE random[SESSION_KEY_LENGTH];
        char key[SESSION_KEY_LENGTH + 1] = {};
        if (!CeGenRandom(sizeof random, random))
            return nullptr;
        for (int i = 0; i < SESSION_KEY_LENGTH; ++i)
            key[i] = Base64Char(random[i]);
        sessionKey.Set(key);
        SecureZeroMemory(random, sizeof random);
        SecureZeroMemory(key, sizeof key);
    }
    return sessionKey.Get();
}

const char* CAppData::GetSessionString() const
{
    std::lock_guard<std::mutex> hold(sessionLock);
    return sessionString.GetText();
}

void CAppData::SetSessionString(const char* text)
{
    std::lock_guard<std::mutex> hold(sessionLock);
    sessionString.Assign(text != nullptr ? text : "");
}

const char* CAppData::GetTradeSession() const
{
    std::lock_guard<std::mutex> hold(sessionLock);
    return tradeSession.IsEmpty() ? nullptr : tradeSession.GetText();
}

void CAppData::SetTradeSession(const char* text)
{
    std::lock_guard<std::mutex> hold(sessionLock);
    tradeSession.Assign(text != nullptr ? text : "");
}

CTradeLoginWindows* CAppData::tradeLoginWindows = nullptr;

// ---- trading ----

int CAppData::HasTradeAccounts() const
{
    return tradeAccounts != nullptr && tradeAccounts->GetRowCount() > 0 ? 1 : 0;
}

void CAppData::SetTradeAccounts(CDataSet* set)
{
    bool replaced = set != tradeAccounts;
    if (replaced) {
        if (tradeAccounts != nullptr) {
            tradeAccounts->Destroy();
            delete tradeAccounts;
        }
        tradeAccounts = set;
    }
    if (!HasTradeAccounts())
        SetTradeSession(nullptr);
    // The held fund holdings and their prices belong to the accounts they were asked for: another log-in
    // (even without a log-out between) must not show them.
    if (replaced || !HasTradeAccounts()) {
        GetFundCache()->SetEntry1(nullptr);
        GetFundCache()->SetEntry7(nullptr);
    }
}

void CAppData::SetTradePassword(const char* text)
{
    tradePassword.Set(text);
}

void CAppData::TradeLogout()
{
    SetTradeAccounts(nullptr);
    SetTradeSession(nullptr);
    tradePassword.Clear();
    tradeLoggedIn = 0;
}

const char* CAppData::GetFundId(const char* secuid)
{
    return LookUpAccount(tradeAccounts, "secuid", secuid, "fundid");
}

const char* CAppData::GetSecuId(const char* market)
{
    if (market == nullptr)
        return "";
    return LookUpAccount(tradeAccounts, "market", market, "secuid");
}

int CAppData::ShowTradeLogin(HWND owner, int action)
{
    if (HasTradeAccounts())
        return -1;
    BYTE* branches = nullptr;
    int size = ReadDataFile("yyb", &branches);
    bool haveBranches = size > 0 && branches != nullptr && branches[0] != 0;
    free(branches);
    if (!haveBranches)
        ShowMessageBox(NO_BRANCH_OFFICES, TIPS_CAPTION, owner);
    if (tradeLoginWindows == nullptr)
        return 1; // no trading windows in this build: as if the user went back
    return haveBranches ? tradeLoginWindows->RunTradeLogin(owner, action) : tradeLoginWindows->RunSalesDeptSet(owner);
}

// ---- messages ----

void CAppData::ShowMessage(const char* text, HWND owner, int milliseconds)
{
    WCHAR* wide = nullptr;
    AnsiToWide(text != nullptr ? text : "", &wide);
    const WCHAR* shown = wide != nullptr ? wide : u"";
    if (owner == nullptr)
        owner = mainFrameWnd;
    if (milliseconds < BOX_LIMIT_MS) {
        ShowMessageBox(shown, MESSAGE_CAPTION, owner);
    } else {
        OutputDebugStringW((std::u16string(u"[tip] ") + shown + u"\n").c_str());
        if (messagePresenter != nullptr)
            messagePresenter->ShowTip(shown, owner, milliseconds);
        else
            MzShowTip(owner, shown, (DWORD)milliseconds);
    }
    free(wide);
}

void CAppData::ShowMessageBox(const WCHAR* text, const WCHAR* caption, HWND owner)
{
    OutputDebugStringW((std::u16string(u"[") + caption + u"] " + text + u"\n").c_str());
    if (messagePresenter != nullptr)
        messagePresenter->ShowBox(text, caption, owner);
    else
        MzMessageBox(owner, text, caption, MZ_MB_OK);
}

// ---- requests ----

// The common fields, in this order: hwID (the two line identifiers), netaddr (the signed-up mobile number),
// softName, sysVer, tc_packageid (requests the worker accepted so far), supportCompress and, after log-on,
// TC_SESSION. An "&" joins them to the request unless it already ends with one (or is empty).
std::string CAppData::SessionFields(const char* request)
{
    std::string fields;
    size_t length = request != nullptr ? strlen(request) : 0;
    if (length > 0 && request[length - 1] != '&')
        fields += '&';
    fields += "hwID=" + WideToAnsiString(GetDeviceId()) + "," + WideToAnsiString(GetDeviceId2());
    fields += "&netaddr=" + WideToAnsiString(GetMobileNumber());
    fields += "&softName=RuvAv";
    char systemVersion[32] = {};
    CopyConfig("System_Version", systemVersion, sizeof systemVersion);
    fields += "&sysVer=";
    fields += systemVersion;
    fields += "&tc_packageid=" + std::to_string(packetCounter.load());
    fields += "&supportCompress=18";
    std::lock_guard<std::mutex> hold(sessionLock);
    if (!sessionString.IsEmpty()) {
        fields += "&TC_SESSION={";
        fields += sessionString.GetText();
        fields += "}";
    }
    return fields;
}

void CAppData::AppendSessionParams(CAString* request)
{
    if (request == nullptr)
        return;
    request->Append(SessionFields(request->GetText()).c_str());
}

int CAppData::AppendSessionParams(char* request, UINT capacity)
{
    if (request == nullptr)
        return -1;
    size_t length = strnlen(request, capacity);
    if (length >= capacity)
        return -1; // not even terminated inside its buffer
    std::string fields = SessionFields(request);
    if (length + fields.size() + 1 > capacity)
        return -1;
    memcpy(request + length, fields.c_str(), fields.size() + 1);
    return (int)(length + fields.size());
}

CNetThread* CAppData::GetConnection()
{
    // Made on first use; when the thread cannot start, the next call tries again.
    if (netThread == nullptr)
        netThread = CNetThread::Create();
    return netThread;
}

CHttpClient* CAppData::GetHttpClient()
{
    CNetThread* worker = GetConnection();
    return worker != nullptr ? worker->GetHttpClient() : nullptr;
}

// ---- traffic and identity ----

void CAppData::AddTraffic(int bytes, int direction)
{
    std::atomic<int>* counter = direction == 0 ? &bytesUp : direction == 1 ? &bytesDown : nullptr;
    if (counter == nullptr || bytes <= 0)
        return;
    // A long run (a few large downloads) stops at the largest count rather than wrapping to a negative one.
    int now = counter->load();
    int next;
    do {
        next = now > INT_MAX - bytes ? INT_MAX : now + bytes;
    } while (!counter->compare_exchange_weak(now, next));
}

int CAppData::GetTraffic(int direction) const
{
    if (direction == 0)
        return bytesUp;
    if (direction == 1)
        return bytesDown;
    return 0;
}

void CAppData::EnsureLineIds()
{
    if (deviceRecord.GetOne()[0] != 0)
        return;
    std::u16string serial = u" ", subscriber = u" ";
    CPhoneLineInfo line;
    if (line.Open()) {
        serial = line.GetInfo(CPhoneLineInfo::INFO_SERIAL_NUMBER);
        subscriber = line.GetInfo(CPhoneLineInfo::INFO_SUBSCRIBER_NUMBER);
        // Cut to what the record holds, so a long identifier is kept instead of asked for again and again.
        serial = serial.substr(0, DeviceRegRecord::ONE_SIZE - 1);
        subscriber = subscriber.substr(0, DeviceRegRecord::THING_SIZE - 1);
        if (serial.empty())
            serial = u" ";
        if (subscriber.empty())
            subscriber = u" ";
    }
    deviceRecord.Set(nullptr, nullptr, serial.c_str(), subscriber.c_str());
    deviceRecord.Save();
}

const WCHAR* CAppData::GetDeviceId()
{
    EnsureLineIds();
    return deviceRecord.GetOne();
}

const WCHAR* CAppData::GetDeviceId2()
{
    EnsureLineIds();
    return deviceRecord.GetThing();
}

COLORREF CAppData::GetColor(int index) const
{
    return colorScheme != nullptr ? colorScheme->GetColor(index) : 0;
}

COLORREF CAppData::ChartPriceColor(const CQuoteNumber& reference, const CQuoteNumber& value) const
{
    return colorScheme != nullptr ? colorScheme->ChartPriceColor(reference, value) : 0;
}

CServerConfig* CAppData::GetQuoteParamDict()
{
    if (quoteParamDict == nullptr) {
        quoteParamDict = std::make_unique<CServerConfig>();
        quoteParamDict->Load(0);
    }
    return quoteParamDict.get();
}

CServerConfig* GetQuoteParamDict(CAppData* app)
{
    return app != nullptr ? app->GetQuoteParamDict() : nullptr;
}

CFundDataCache* CAppData::GetFundCache()
{
    if (fundCache == nullptr)
        fundCache = new CFundDataCache();
    return fundCache;
}

// ---- menus ----

namespace {
std::atomic<const MenuTreeOps*> menuTreeOps{nullptr};
}

void CAppData::SetMenuTreeOps(const MenuTreeOps* ops)
{
    menuTreeOps.store(ops);
}

void CAppData::SetMenuTree(CMenuTree* tree)
{
    if (tree == menuTree)
        return;
    const MenuTreeOps* ops = menuTreeOps.load();
    if (menuTree != nullptr && ops != nullptr)
        ops->destroy(menuTree);
    menuTree = tree;
    // Sub-menus merged into the old tree are not in the new one: they are merged again when asked for.
    MenuRegistration free{nullptr, 0, -10};
    for (UINT i = 0; i < menuRegistrations.count; ++i)
        menuRegistrations.data[i] = free;
    menuRegistrations.count = 0;
}

void CAppData::RegisterMenu(CMenuTree* source, int id)
{
    const MenuTreeOps* ops = menuTreeOps.load();
    if (source == nullptr || ops == nullptr)
        return;
    if (menuTree != nullptr && source != menuTree && !IsMenuRegistered(id)) {
        int count = ops->merge(menuTree, source, id);
        menuRegistrations.Append(MenuRegistration{nullptr, count, id});
    }
    // The caller has handed the tree over; it is not kept, merged or not (never the application's own).
    if (source != menuTree)
        ops->destroy(source);
}

int CAppData::IsMenuRegistered(int id) const
{
    for (UINT i = 0; i < menuRegistrations.count; ++i)
        if (menuRegistrations.data[i].id == id)
            return 1;
    return 0;
}
