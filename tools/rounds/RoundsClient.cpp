// The flooding client of the journal rounds: plain requests as the phone sends them (no session key, so plain
// replies; the server is told not to pack them), read with the client's own record-set parser.
#include "tools/rounds/RoundsClient.h"

#include "bench/ServerBenchSupport.h"
#include "core/DataSet.h"
#include "server/Brokerage.h"
#include "server/ServerText.h"

#include <cstdlib>

namespace {

const char* const COMMON = "&hwID=1,2&netaddr=&softName=RuvAv&sysVer=3.2.2.0.0&tc_packageid=1&supportCompress=18";

// The sets of a reply body, owned.
struct Reply {
    explicit Reply(const std::string& body)
    {
        count = ParseDataSets(reinterpret_cast<const BYTE*>(body.data()), static_cast<DWORD>(body.size()), &sets);
    }
    ~Reply()
    {
        for (int i = 0; i < count; ++i)
            delete sets[i];
        free(sets); // the parser's array is malloc'ed
    }
    // A field of the first row of set index; empty when there is none.
    std::string Field(int index, const char* name) const
    {
        const char* text = index < count && sets[index]->MoveFirst() ? sets[index]->GetAsText(name) : nullptr;
        return text ? text : "";
    }
    // The refusal's text (UTF-8); empty when the reply is not one.
    std::string Refusal() const
    {
        if (count < 1 || !sets[0]->IsError() || !sets[0]->MoveFirst())
            return std::string();
        const char* text = sets[0]->GetAsText(0);
        return text && text[0] ? GbToUtf8(text) : "?";
    }
    CDataSet** sets = nullptr;
    int count = 0;
};

} // namespace

RoundsClient::RoundsClient(int p, std::string a, std::string pw, std::string b, uint64_t seed)
    : port(p), account(std::move(a)), password(std::move(pw)), branch(std::move(b)), random(seed)
{}

bool RoundsClient::Call(const std::string& fields, std::string* body)
{
    std::string m = Message(fields + COMMON + (session.empty() ? "" : "&TC_SESSION={" + session + "}") + trade);
    return connection.WriteAll(m.data(), static_cast<int>(m.size())) && ReadReply(connection, pending, *body, 30000);
}

bool RoundsClient::LogIn(std::string* why)
{
    std::string body;
    *why = "no answer";
    if (!connection.Connect(static_cast<unsigned short>(port)) ||
        !Call("TC_MFUNCNO=100&TC_SFUNCNO=1&loginType=0", &body))
        return false;
    session = Reply(body).Field(0, "session");
    return TradeLogIn(password, why) && why->empty();
}

bool RoundsClient::TradeLogIn(const std::string& secret, std::string* refusal)
{
    std::string body;
    if (!Call("tc_mfuncno=600&tc_sfuncno=1&yyb=" + branch + "&account=" + account + "&password=" + secret, &body))
        return false;
    Reply reply(body);
    std::string token = reply.Field(1, "session");
    *refusal = token.empty() ? reply.Refusal() : std::string();
    if (!token.empty())
        trade = "&" + token; // each log-in makes the one before it void
    return true;
}

Change RoundsClient::TryPassword(ChangeKind kind, bool right, const MarketFacts& facts)
{
    Change c;
    c.kind = kind;
    c.right = right;
    const char* const WRONG = "000000"; // no demo account's
    bool answered;
    if (kind == ChangeKind::BankPassword) {
        std::string body;
        answered = Call("tc_mfuncno=600&tc_sfuncno=20&yhdm=" + facts.bank +
                            "&je=1000&zzfx=1&yhmm=" + (right ? "888888" : WRONG),
                        &body);
        c.reason = answered ? Reply(body).Refusal() : std::string();
    } else {
        answered = TradeLogIn(right ? password : WRONG, &c.reason);
    }
    if (answered)
        c.outcome = c.reason.empty() ? Outcome::Taken : Outcome::Refused;
    return c;
}

bool RoundsClient::LookUpStock(MarketFacts& facts)
{
    std::string body;
    if (!Call("tc_mfuncno=600&tc_sfuncno=3&code=" + facts.stockCode + "&mmlb=0", &body))
        return false;
    facts.lowPrice = Reply(body).Field(0, "dtj");
    return !facts.lowPrice.empty();
}

Change RoundsClient::Send(ChangeKind kind, const MarketFacts& facts, int target)
{
    std::string fields;
    switch (kind) {
    case ChangeKind::Order:
        fields = "tc_mfuncno=600&tc_sfuncno=6&code=" + facts.stockCode + "&mmlb=0&sl=100&price=" + facts.lowPrice;
        break;
    case ChangeKind::Cancel:
        fields = "tc_mfuncno=600&tc_sfuncno=7&wtbh=" + std::to_string(target);
        break;
    case ChangeKind::TransferIn:
    case ChangeKind::TransferOut:
        fields = "tc_mfuncno=600&tc_sfuncno=20&yhdm=" + facts.bank + "&je=1000&yhmm=888888&zjmm=" + password +
                 "&zzfx=" + (kind == ChangeKind::TransferIn ? "1" : "2");
        break;
    case ChangeKind::FundPurchase:
        fields = "tc_mfuncno=700&tc_sfuncno=11&ofcode=" + facts.fundCode + "&je=" + Money(facts.fundMinimumFen);
        break;
    case ChangeKind::FundCancel:
        fields = "tc_mfuncno=700&tc_sfuncno=20&wtbh=" + std::to_string(target);
        break;
    case ChangeKind::FundAccount:
        fields = "tc_mfuncno=700&tc_sfuncno=21&tacode=11&xm=x&zjlx=1&zjhm=E1234567&dh=010-12345678";
        break;
    }
    Change c;
    c.kind = kind;
    c.target = target;
    std::string body;
    if (!Call(fields, &body))
        return c; // the server went away: taken or not, no one knows
    Reply reply(body);
    c.reason = reply.Refusal();
    c.outcome = c.reason.empty() ? Outcome::Taken : Outcome::Refused;
    c.id = std::atoi(reply.Field(0, "wtbh").c_str());
    return c;
}

void RoundsClient::Flood(const MarketFacts& facts, std::vector<int> openOrders, std::vector<int> openFunds,
                         bool hasFundAccount)
{
    std::uniform_int_distribution<int> pick(0, 99);
    for (;;) {
        int roll = pick(random);
        ChangeKind kind = roll < 35   ? ChangeKind::Order
                          : roll < 60 ? ChangeKind::Cancel
                          : roll < 72 ? ChangeKind::TransferIn
                          : roll < 84 ? ChangeKind::TransferOut
                          : roll < 95 ? ChangeKind::FundPurchase
                                      : ChangeKind::FundCancel;
        if (!hasFundAccount && (kind == ChangeKind::FundPurchase || kind == ChangeKind::FundCancel))
            kind = ChangeKind::FundAccount;
        std::vector<int>& open = kind == ChangeKind::Cancel ? openOrders : openFunds;
        int target = 0;
        if (kind == ChangeKind::Cancel || kind == ChangeKind::FundCancel) {
            if (open.empty())
                continue;
            size_t at = std::uniform_int_distribution<size_t>(0, open.size() - 1)(random);
            target = open[at];
            open.erase(open.begin() + static_cast<std::ptrdiff_t>(at)); // a second cancel is never sent
        }
        Change c = Send(kind, facts, target);
        changes.push_back(c);
        if (c.outcome == Outcome::Unknown)
            return;
        if (taken && c.outcome == Outcome::Taken)
            ++*taken;
        if (c.outcome == Outcome::Taken && kind == ChangeKind::Order)
            openOrders.push_back(c.id);
        if (c.outcome == Outcome::Taken && kind == ChangeKind::FundPurchase)
            openFunds.push_back(c.id);
        hasFundAccount = hasFundAccount || (kind == ChangeKind::FundAccount && c.outcome == Outcome::Taken);
    }
}
