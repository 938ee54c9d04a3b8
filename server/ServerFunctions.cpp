// Request envelope, dispatch and reply packing of the stand-in server, and the sign-on functions.
#include "server/ServerFunctions.h"

#include "platform/device/RsaKeyPair.h"
#include "platform/device/ServerCipher.h"
#include "server/BodyCodec.h"
#include "server/Brokerage.h"
#include "server/DataSetWriter.h"
#include "server/PacketCodec.h"
#include "server/ServerText.h"

#include <algorithm>
#include <cctype>
#include <ctime>

namespace {

int LocalDate()
{
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return (tm.tm_year + 1900) * 10000 + (tm.tm_mon + 1) * 100 + tm.tm_mday;
}

// Trading minutes already done at the local time (0 before 09:30, 240 after 15:00).
int LocalTradingMinute()
{
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    int m = tm.tm_hour * 60 + tm.tm_min;
    if (m < 9 * 60 + 30)
        return 0;
    if (m < 11 * 60 + 30)
        return m - (9 * 60 + 30);
    if (m < 13 * 60)
        return 120;
    if (m < 15 * 60)
        return 120 + m - 13 * 60;
    return 240;
}

// Where the market starts: the configured (or local) day and minute, or the kept clock when that is later.
struct MarketStart {
    int date;
    int minute;
};
MarketStart StartOf(const CServerOptions& o, const CMarketClock& clock)
{
    MarketStart start;
    start.date = PreviousTradingDate(NextTradingDate(o.today ? o.today : LocalDate())); // a weekend: the Friday
    start.minute = o.startMinute >= 0 ? o.startMinute : LocalTradingMinute();
    clock.StartNoEarlier(&start.date, &start.minute);
    return start;
}

std::string StripBraces(const std::string& s)
{
    if (s.size() >= 2 && s.front() == '{' && s.back() == '}')
        return s.substr(1, s.size() - 2);
    return s;
}

bool IsDigits(const std::string& s)
{
    if (s.empty())
        return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

} // namespace

CServerFunctions::CServerFunctions(const CServerOptions& o, const CRsaKeyPair* k)
    : options(o), keys(k), marketClock(o.dataDir),
      market(o.seed, StartOf(o, marketClock).minute, StartOf(o, marketClock).date),
      brokerage(std::make_unique<CBrokerage>(o.seed, o.dataDir, market)), started(std::chrono::steady_clock::now()),
      compressMode(o.compressMode), cipherMode(o.cipherMode)
{
    sessions.SetIdleSeconds(o.idleSeconds);
    popMessage = Gb("欢迎使用Morwick手机证券，行情数据为模拟数据，仅供测试。");
    if (options.marketMinutesPerSecond > 0)
        clock = std::thread([this] { RunClock(); });
}

CServerFunctions::~CServerFunctions()
{
    {
        std::lock_guard<std::mutex> guard(clockLock);
        clockStop = true;
    }
    clockWake.notify_all();
    if (clock.joinable())
        clock.join();
}

void CServerFunctions::SetPopMessage(const std::string& utf8Text)
{
    std::lock_guard<std::mutex> guard(popLock);
    popMessage = Gb(utf8Text);
    ++popId;
}

std::string CServerFunctions::SignUpCode(const std::string& mobile) const
{
    std::string digest = ServerMd5Hex("morwick-signup-" + std::to_string(options.seed) + "-" + mobile);
    std::string code;
    for (size_t i = 0; i < digest.size() && code.size() < 6; ++i)
        code += static_cast<char>('0' + (static_cast<unsigned char>(digest[i]) % 10));
    return code;
}

void CServerFunctions::RunClock()
{
    using namespace std::chrono;
    std::unique_lock<std::mutex> guard(clockLock);
    while (!clockStop) {
        double seconds = duration<double>(steady_clock::now() - started).count();
        int64_t target = static_cast<int64_t>(seconds * options.marketMinutesPerSecond);
        guard.unlock();
        int64_t done;
        {
            std::lock_guard<std::mutex> step(tickLock);
            // Only this thread and AdvanceMinutes move the market, both under tickLock.
            for (done = market.GetStepsDone(); done < target; ++done) {
                StepMarket();
                std::lock_guard<std::mutex> stopGuard(clockLock);
                if (clockStop)
                    break;
            }
        }
        guard.lock();
        auto due = started + duration_cast<steady_clock::duration>(
                                 duration<double>((std::max(target, done) + 1) / options.marketMinutesPerSecond));
        clockWake.wait_until(guard, std::min(due, steady_clock::now() + std::chrono::seconds(1)),
                             [this] { return clockStop; });
    }
}

void CServerFunctions::SetSavesFail(bool fail)
{
    brokerage->SetSavesFail(fail);
}

std::vector<std::pair<std::string, std::string>> CServerFunctions::DamagedAccounts() const
{
    return brokerage->Damaged();
}

void CServerFunctions::AdvanceMinutes(int minutes)
{
    std::lock_guard<std::mutex> step(tickLock);
    for (int i = 0; i < minutes; ++i)
        StepMarket();
}

void CServerFunctions::StepMarket()
{
    {
        std::lock_guard<std::mutex> waiting(gate);
        std::unique_lock<std::shared_mutex> write(market.Lock());
        market.AdvanceTo(market.GetStepsDone() + 1);
    }
    // Orders fill at the prices of the minute just done: the market stays there until every account has had it.
    for (CTradeAccount* a : brokerage->Accounts()) {
        auto hold = brokerage->Hold(*a);
        std::shared_lock<std::shared_mutex> read(market.Lock());
        bool changed = brokerage->OnMinute(*a);
        read.unlock();
        if (changed)
            brokerage->Save(*a); // a failed save puts the account back: those fills are lost, later minutes fill
    }
    marketClock.Write(market.GetDate(), market.GetMinuteOfDay()); // before any reply shows the new time
}

CServerFunctions::Answer CServerFunctions::Error(const std::string& utf8Text)
{
    Answer a;
    a.body = ErrorSet(Gb(utf8Text));
    return a;
}

CServerFunctions::Answer CServerFunctions::Failure(int result, const std::string& utf8Text)
{
    Answer a;
    a.result = result;
    a.body = Gb(utf8Text);
    return a;
}

CServerReply CServerFunctions::Handle(const std::string& body)
{
    Context c;
    c.params.Append(body);
    std::string sessionId = StripBraces(c.params.Get("TC_SESSION"));
    if (!sessionId.empty())
        c.hasSession = sessions.Use(sessionId, &c.session);

    // Enciphered business fields: open them with the session's key and add them to the plain ones.
    int encrypt = c.params.GetInt("TC_ENCRYPT", 0);
    if (c.params.Has("TC_REQDATA") || encrypt == 36) {
        if (!c.hasSession)
            return Pack(c, Failure(RESULT_SESSION_EXPIRED, "会话已过期，请重新登录"));
        std::vector<unsigned char> packet;
        std::string plain;
        if (c.session.key.empty())
            return Pack(c, Error("会话密钥无效，无法解开请求"));
        if (!Base64Decode(c.params.Get("TC_REQDATA"), packet))
            return Pack(c, Error("请求数据格式错误"));
        int n = OpenPacket(c.session.key, std::string(packet.begin(), packet.end()), plain);
        if (n < 0 || (c.params.Has("TC_REQLENGTH") && c.params.GetInt("TC_REQLENGTH", -1) != n))
            return Pack(c, Error("请求数据解密失败"));
        c.params.Append(plain);
    }

    c.mfunc = c.params.GetInt("tc_mfuncno", -1);
    c.sfunc = c.params.GetInt("tc_sfuncno", -1);
    std::string note;
    for (const char* field : {"hwID", "netaddr", "softName", "sysVer", "tc_packageid", "supportCompress"})
        if (!c.params.Has(field))
            note += std::string(note.empty() ? "missing " : ",") + field;
    if (!c.params.Has("hwID") || !c.params.Has("softName")) {
        CServerReply r = Pack(c, Error("请求缺少公共字段"));
        r.note = note;
        return r;
    }

    bool open = (c.mfunc == 100 && (c.sfunc == 1 || c.sfunc == 3 || c.sfunc == 22));
    if (!open && !c.hasSession) {
        CServerReply r = Pack(c, Failure(RESULT_SESSION_EXPIRED, "会话已过期，请重新登录"));
        r.note = note;
        return r;
    }

    // A trade or fund request naming a trade log-in this session does not hold (expired with the session, or
    // given by another session): one answer, which the client takes for the end of its trade log-in.
    if (c.params.Has("trdtoken") &&
        (c.session.tradeToken.empty() || c.params.Get("trdtoken") != c.session.tradeToken)) {
        CServerReply r = Pack(c, Failure(RESULT_TRADE_EXPIRED, "交易登录已失效，请重新登录"));
        r.note = note;
        return r;
    }

    // What a screen built for another account is refused, never done for this one (the trade log-in itself names
    // the account it logs in to).
    if (c.mfunc != 100 && !(c.mfunc == 600 && c.sfunc == 1) && NamesAnotherAccount(c)) {
        CServerReply r = Pack(c, Error("账号与当前交易登录不符，未予受理"));
        r.note = note + (note.empty() ? "" : ",") + "another account";
        return r;
    }

    {
        std::lock_guard<std::mutex> pass(gate); // behind a waiting market step, so it is never starved
    }
    CServerReply r = Pack(c, Dispatch(c));
    r.note = note;
    return r;
}

bool CServerFunctions::NamesAnotherAccount(const Context& c) const
{
    const std::string& own = c.session.fundId;
    if (c.session.tradeToken.empty())
        return false;
    for (const char* field : {"fundid", "inputid"})
        if (c.params.Has(field) && c.params.Get(field) != own)
            return true;
    if (!c.params.Has("secuid"))
        return false;
    std::string holder = c.params.Get("secuid");
    for (int market : {1, 2}) // the holder codes the trade log-in hands out
        if (holder == brokerage->HolderCode(own, market))
            return false;
    return true;
}

CServerFunctions::Answer CServerFunctions::Dispatch(Context& c)
{
    switch (c.mfunc) {
    case 100:
        switch (c.sfunc) {
        case 1:
            return LogIn(c);
        case 2:
            return Configuration(c);
        case 3:
            return SignUp(c);
        case 5:
            return SubMenu(c);
        case 22:
            return LogOut(c);
        }
        break;
    case 20000:
        if (c.sfunc == 50)
            return PopMessage(c);
        break;
    case 31000:
        switch (c.sfunc) {
        case 1:
            return TimeShare(c);
        case 2:
            return KLine(c);
        case 3:
            return RankedTable(c);
        case 4:
            return QuoteList(c);
        case 6:
            return DomesticIndices(c);
        case 7:
            return WorldIndices(c);
        case 9:
            return Deals(c);
        case 10:
            return PinyinSearch(c);
        }
        break;
    case 504:
        if (c.sfunc == 11)
            return Radar(c);
        if (c.sfunc == 12)
            return StockInfo(c);
        break;
    case 300:
        if (c.sfunc == 1)
            return Headlines(c);
        if (c.sfunc == 2)
            return Article(c);
        break;
    case 600:
        return Trade(c);
    case 610:
    case 700:
        return Fund(c);
    case 800:
        if (c.sfunc == 1)
            return CustomerService(c);
        if (c.sfunc == 2)
            return UpdateAnnouncement(c);
        if (c.sfunc == 3)
            return PackageBytes(c);
        break;
    }
    return Error("该功能暂未开放");
}

CServerReply CServerFunctions::Pack(const Context& c, Answer a)
{
    CServerReply r;
    r.mfunc = c.mfunc;
    r.sfunc = c.sfunc;
    r.result = a.result;
    r.body = std::move(a.body);
    if (r.result != 0 || a.raw)
        return r; // error texts, expiry and raw bytes go plain

    int mode = compressMode;
    int compression = 0;
    if (mode == 17 || mode == 18)
        compression = mode;
    else if (mode < 0 && static_cast<int>(r.body.size()) >= options.compressThreshold)
        compression = c.params.Get("supportCompress").find("18") != std::string::npos ? 18 : 17;
    if (compression == 17) {
        r.body = LzssEncode(r.body);
        r.compression = 17;
    } else if (compression == 18) {
        // Up to 64 KB zlib's fastest level: half the time of its default for a few per cent more bytes.
        std::string packed = ZlibPack(r.body, r.body.size() <= 64 * 1024 ? 1 : -1);
        if (!packed.empty()) {
            r.body.swap(packed);
            r.compression = 18;
        }
    }

    int cipher = cipherMode;
    bool wanted = cipher == 1 || (cipher < 0 && a.account);
    // The key of a fresh log-in comes with that request; later requests find it in their session.
    std::string key = c.hasSession ? c.session.key : std::string();
    if (wanted && key.size() >= 6 && r.body.size() >= 16) {
        std::string sealed = SealPacket(key, r.body);
        if (!sealed.empty()) {
            r.body.swap(sealed);
            r.cipher = 36;
        }
    }
    return r;
}

CServerFunctions::Answer CServerFunctions::LogIn(Context& c)
{
    std::string key;
    std::string userKey = c.params.Get("userKey");
    if (!userKey.empty()) {
        std::vector<unsigned char> sealed, plain;
        if (!keys || !HexDecode(userKey, sealed) ||
            keys->Decrypt(sealed.data(), static_cast<int>(sealed.size()), plain) < 0)
            return Error("会话密钥无法解开，请使用本服务器的公钥文件");
        key.assign(plain.begin(), plain.end());
        if (key.size() < 6 || key.size() > 64)
            return Error("会话密钥长度不符");
    }

    bool identified = false;
    std::string mobile;
    if (c.params.GetInt("loginType", 0) == 1) {
        mobile = c.params.Get("loginID");
        std::string given = c.params.Has("loginPwd") ? c.params.Get("loginPwd") : c.params.Get("loginPWD");
        identified = !mobile.empty() && EqualNoCase(given, ServerMd5Hex(mobile + SignUpCode(mobile)));
    }
    std::string id = sessions.Open(key, mobile, identified);
    if (id.empty())
        return Error("系统繁忙，请稍后再试");

    CDataSetWriter set("login");
    const char* names[] = {"session", "prd_soft_versn", "prd_updateinfo", "reginfo",
                           "help",    "servurl",        "popmsg",         "refresh"};
    for (const char* n : names)
        set.AddField(n, FIELD_TEXT);
    int isok = set.AddField("isok", FIELD_INT);
    set.AddRow();
    set.SetText(0, id);
    set.SetText(1, options.version);
    set.SetText(2, Gb(UpdateNotes()));
    set.SetText(3, Gb("您的手机尚未注册。请发送短信DB A注册，注册后输入手机号码登录即可使用。"));
    set.SetText(4, Gb("登录帮助\n1. 发送短信DB A完成注册；\n2. 输入11位手机号码后点击登录；\n3. "
                      "登录成功后系统会记住您的注册信息。\n"));
    set.SetText(5, "");
    set.SetText(6, "1");
    set.SetText(7, "1");
    set.SetInt(isok, identified ? 1 : 0);
    Answer a;
    a.body = set.ToBytes();
    return a;
}

CServerFunctions::Answer CServerFunctions::SignUp(Context& c)
{
    std::string mobile = c.params.Get("mobile");
    if (mobile.size() != 11 || !IsDigits(mobile))
        return Error("手机号码无效，请输入11位手机号码");
    if (c.hasSession) {
        c.session.mobile = mobile;
        c.session.identified = true;
        sessions.Update(c.session);
    }
    CDataSetWriter set("signup");
    set.AddField("code", FIELD_TEXT);
    set.AddField("mobile", FIELD_TEXT);
    set.AddRow();
    set.SetText(0, SignUpCode(mobile));
    set.SetText(1, mobile);
    Answer a;
    a.body = set.ToBytes();
    return a;
}

CServerFunctions::Answer CServerFunctions::Configuration(Context&)
{
    CDataSetWriter menu("sys.menu");
    menu.AddField("id", FIELD_INT);
    menu.AddField("parent", FIELD_INT);
    menu.AddField("title", FIELD_TEXT);
    menu.AddField("action", FIELD_TEXT);
    for (const CMenuRow& row : MainMenu()) {
        menu.AddRow();
        menu.SetInt(0, row.id);
        menu.SetInt(1, row.parent);
        menu.SetText(2, Gb(row.title));
        menu.SetText(3, row.action);
    }
    CDataSetWriter conf("sys.conf");
    conf.AddField("key", FIELD_TEXT);
    conf.AddField("value", FIELD_TEXT);
    for (const auto& pair : ConfigPairs()) {
        conf.AddRow();
        conf.SetText(0, pair.first);
        conf.SetText(1, Gb(pair.second));
    }
    Answer a;
    menu.AppendTo(a.body);
    conf.AppendTo(a.body);
    return a;
}

CServerFunctions::Answer CServerFunctions::LogOut(Context& c)
{
    if (c.hasSession)
        sessions.Close(c.session.id);
    CDataSetWriter set("logout");
    set.AddField("isok", FIELD_INT);
    set.AddRow();
    set.SetInt(0, 1);
    Answer a;
    a.body = set.ToBytes();
    return a;
}

CServerFunctions::Answer CServerFunctions::PopMessage(Context&)
{
    CDataSetWriter set("popmsg");
    set.AddField("times", FIELD_INT);
    set.AddField("popmsg", FIELD_TEXT);
    set.AddField("id", FIELD_INT);
    set.AddRow();
    std::lock_guard<std::mutex> guard(popLock);
    set.SetInt(0, 2);
    set.SetText(1, popMessage);
    set.SetInt(2, popId);
    Answer a;
    a.body = set.ToBytes();
    return a;
}
