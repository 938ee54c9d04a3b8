// The brokerage part of morwick-server --help: demo accounts, branch offices and the trade, fund and cash-product
// functions with their fields.
#include "server/Brokerage.h"

namespace {

// How the accounts are kept, and what a damaged file or a full disk does.
std::string AccountFilesHelp()
{
    return "\nsimulated brokerage (accounts kept in DIR/brokerage/<account>.txt, folder 0700, files 0600):\n"
           "  each change is appended to the account's file as one record with its CRC-32 and flushed to disk before\n"
           "  it is answered; one the disk refuses is undone and answered "
           "\"<what>未受理：系统暂时无法保存，请稍后再试\"\n"
           "  (委托, 撤单, 转账...); a torn last record (cut short by a kill, or with zeros a power cut left in it)\n"
           "  is dropped at start, the server saying where it was on standard error; the file is written anew at\n"
           "  start and when it has grown\n"
           "  a file that exists but cannot be read as the account's (a record other than the last failing its check,\n"
           "  a last one whole in length failing it, a record reaching past the end over later ones, zeros before the\n"
           "  last record, another account's text) is left as it is: that account\n"
           "  is out of service (its log-in answers \"" +
           std::string(CBrokerage::DAMAGED_ACCOUNT) +
           "\"), the others work; the server says so at start\n"
           "  and in the control's /status (\"damaged ACCOUNT WHY\"); only an account without a file starts as a demo\n"
           "  passwords are kept as PBKDF2-HMAC-SHA256 digests, random salt, " +
           std::to_string(CBrokerage::PASSWORD_ITERATIONS) +
           " rounds (about 6 ms a check);\n"
           "  an older MD5 digest (trading or bank password) is replaced at the next good check of that password\n";
}

} // namespace

std::string CBrokerage::Help()
{
    std::string text = AccountFilesHelp() + "  demo accounts (资金账号 / trading password / branch / holder):\n";
    for (const CDemoAccount& d : DemoAccounts())
        text += std::string("    ") + d.fundId + " / " + d.password + " / " + d.branch + " / " + d.holder + "\n";
    text +=
        "  bank password of every demo bank account: 888888; fund password (zjmm) = trading password\n"
        "  3 wrong passwords in a row lock for 15 minutes: the trading and fund passwords (one count) the account,\n"
        "  a bank password (its own count) that bank account's transfers and balance; the count and the lock hold\n"
        "  while the disk refuses them, and a right password whose wrong tries cannot be cleared on disk is refused\n"
        "  control: /advance?minutes=N runs the market and the accounts on by N trading minutes at once\n"
        "  the market's date and minute are kept in DIR/brokerage/market.clock; a restart starts there, or at\n"
        "  --minute and today when they are later: the market never goes back\n"
        "  branch offices:";
    for (const CBranchOffice& b : Branches())
        text += std::string(" ") + b.code + " " + b.name;
    text +=
        "\n"
        "  every request below but 600/1 and 600/5 carries the trade session of 600/1 (trdtoken=..&inputid=..);\n"
        "  paged queries take count (1..200, default 20) and poststr (last row's poststr), and answer a poststr "
        "column;\n"
        "  order-like replies carry the order number in wtbh; refusals are error sets\n"
        "  600/1  trade log-in: yyb, accounttype (0 fund account, 1 holder code), account, password\n"
        "         -> accounts(market, secuid, fundid, custname), trdsession(session)\n"
        "  600/2  trade log-out            600/5 branch offices -> yyb(yybdm, yybmc, dz, dh)\n"
        "  600/3  order form lookup: code, market, mmlb, price -> stock(zqdm, zqmc, market, zxj, zsp, ztj, dtj, jydw,\n"
        "         mrjw1-5, mrsl1-5, mcjw1-5, mcsl1-5, kyzj, kysl, zdsl, sgdm (1 a new share), jgdw (price step in\n"
        "         yuan: prices off it are refused), tpbz (1 suspended: orders refused))\n"
        "  600/6  order: code, market, mmlb (0 buy, 1 sell), price, sl[, secuid] -> order(wtbh, zqdm, zqmc, mmlb, jg,\n"
        "         sl, msg); buys in lots of 100, an odd lot sold alone or with whole lots, sells of today's buys\n"
        "         refused (T+1), prices within +-10% of the previous close;\n"
        "         fills minute by minute when the market crosses the price, a quarter of the minute's volume at most\n"
        "  600/7  cancel: wtbh -> cancel(wtbh, zt, cdsl)\n"
        "  600/10 positions (paged)  600/11 orders of the day (paged; kcd=1 cancellable only)  600/12 deals (paged)\n"
        "  600/13 history (paged): ksrq, jsrq, lb (1 deals, 0 orders)   600/14 cash -> cash(bz, zzc, kyzj, djzj, zxsz, "
        "fdyk)\n"
        "  600/20 bank transfer: yhdm, zzfx (1 bank to securities, 2 back), je, yhmm, zjmm -> transfer(wtbh, .., yhye, "
        "kyzj)\n"
        "  600/21 bank balance: yhdm, yhmm -> balance(yhdm, yhmc, bz, yhye)   600/22 transfers (paged): ksrq, jsrq\n"
        "  600/23 banks -> banks(yhdm, yhmc, yhzh, bz)   600/30 new shares -> xgsg(sgdm, zqdm, zqmc, market, fxj, "
        "sgsx,\n"
        "         sgdw, sgrq); subscribe with 600/6 code=sgdm, multiples of 500; allotted the next trading day\n"
        "  600/31 warrant exercise: qzdm, sl   600/32 warrants -> qz(qzdm, qzmc, bddm, bdmc, xqjg, xqbl, kysl, xqqj)\n"
        "  600/40 password change: oldpwd, newpwd (6 digits)\n"
        "  700/1  my funds (paged): codes=a,b,c   700/18 fund search (paged): name or ofcode, jjlx\n"
        "         rows: tradingcode, SecuAbbr, dwjz, zdf, ljjz, jzrq, jjlx, zt, jjgs, tacode\n"
        "  700/2  fund shares (paged): tradingcode, SecuAbbr, fe, sz, fdyk, kyfe, cbj, dwjz, fhfs, jjgs, jjzh, tacode, "
        "fhfsdm\n"
        "  700/3  query categories -> jjcx(id, title, params: the parameter text of the results table)\n"
        "  700/4  ranking (paged): sortcol (any reply column; default zf1m), direct (0 ascending, 1 descending), jjlx\n"
        "         -> SecuAbbr, pm, tradingcode, jjlx, dwjz, zdf, zf1w, zf1m, zf3m, zf6m, zf1y, zfjn (the name first)\n"
        "  700/5  rating (paged): sortcol (default pj), direct -> SecuAbbr, pm, tradingcode, pj, pjdm, zf1y, zdf, "
        "jjgs\n"
        "  700/6  fund detail: ofcode -> fund(.., zt, ksg, krg, ksh, zdje, sgfl, fxdj, rgqj, fhfs, kyzj, kyfe, jjzh)\n"
        "  700/7  funds of a company: tacode   700/8 fund companies -> tacode(tacode, jjgs, ykh, jjzh)\n"
        "  700/9  dictionary: dict (fhfs, jjlx, zjlx, shms) -> dict(dm, mc)\n"
        "  700/10 subscription, 700/11 purchase: ofcode, je   700/12 redemption: ofcode, fe (or all)\n"
        "  700/13 conversion: ofcode, toofcode, fe   700/14 dividend method: ofcode, fhfs (0 cash, 1 reinvest)\n"
        "         fund orders are confirmed at 15:00 of their trading day at that day's net value; a conversion's new\n"
        "         holding costs what the shares were worth then; shares, values and cost prices are rounded, not cut\n"
        "  700/15 fund orders (paged): ksrq, jsrq (YYYYMMDD, entry dates; both default to today; open orders always\n"
        "         when jsrq reaches today) -> SecuAbbr, mmlb, zt, je, fe, qrjz, qrfe, qrje, rq, sj, wtbh, tradingcode\n"
        "         (confirmed net value, shares and amount once confirmed)\n"
        "  700/16 cancellable fund orders (paged)   700/20 cancel: wtbh\n"
        "  700/17 account-opening risk notice -> text(content)\n"
        "  700/19 net-value history of a fund (the fund news menu's page): ofcode or code -> jzls(id, line)\n"
        "  700/21 open a fund account: tacode, xm, zjlx, zjhm, dh, dz, email -> order(wtbh, tacode, jjgs, jjzh, msg)\n"
        "         (zjlx 0: 15 or 18 digits, a birth date since 1900 and not after today, a check character)\n"
        "  610/1  cash products (paged)   610/2 purchase: cpdm, je   610/3 holdings (paged)   610/4 terminate: wtbh\n"
        "         (je: at least the product's qgje, in whole thousands of yuan)\n";
    return text;
}
