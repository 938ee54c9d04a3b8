// Log-in, sign-up, configuration, sessions and enciphered requests of the stand-in server, over sockets.
#include "ServerTestClient.h"

#include "core/KeyValueMap.h"
#include "platform/device/ServerCipher.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <thread>

namespace {

std::string Text(CDataSet& set, const char* field)
{
    const char* s = set.GetString(field);
    return s ? s : "";
}

} // namespace

TEST(ServerSignOn, LogInHandsOutASessionWithTheFieldsTheLogOnWindowReads)
{
    CServerUnderTest server;
    CTestClient client(server);
    TestReply r = client.LogIn();
    ASSERT_TRUE(r.ok);
    ASSERT_TRUE(r.hasEtag);
    EXPECT_EQ(r.etag[0], 0);
    EXPECT_EQ(r.etag[2], 0);
    EXPECT_EQ(r.etag[3], 0);
    EXPECT_NE(r.header.find("HTTP/1.1 200"), std::string::npos);
    TestSets sets(r.plain);
    ASSERT_EQ(sets.size(), 1u);
    ASSERT_TRUE(sets[0].MoveFirst());
    for (const char* f :
         {"session", "prd_soft_versn", "prd_updateinfo", "reginfo", "help", "isok", "servurl", "popmsg", "refresh"})
        EXPECT_GE(sets[0].FindField(f), 0) << f;
    EXPECT_FALSE(client.session.empty());
    EXPECT_EQ(Text(sets[0], "prd_soft_versn"), "3.2.2.0.1");
    EXPECT_EQ(sets[0].GetAsInt("isok"), 0); // no identity sent
    EXPECT_EQ(Text(sets[0], "servurl"), "");
    EXPECT_EQ(Text(sets[0], "refresh"), "1");
    EXPECT_NE(Text(sets[0], "reginfo").find("DB A"), std::string::npos);
}

TEST(ServerSignOn, SignUpCodeThenIdentifiedLogInWithEitherPasswordFieldName)
{
    CServerUnderTest server;
    CTestClient client(server);
    client.LogIn();
    TestReply r = client.Call(100, 3, "mobile=13912345678");
    TestSets sets(r.plain);
    ASSERT_EQ(sets.size(), 1u);
    ASSERT_TRUE(sets[0].MoveFirst());
    std::string code = sets[0].GetString(0);
    EXPECT_FALSE(code.empty());
    EXPECT_LE(code.size(), 9u);

    std::string digest = ServerMd5Hex("13912345678" + code);
    for (const char* name : {"loginPwd", "loginPWD"}) {
        CTestClient again(server);
        TestReply login = again.LogIn(std::string("loginType=1&loginID=13912345678&") + name + "=" + digest);
        TestSets s(login.plain);
        ASSERT_TRUE(s[0].MoveFirst());
        EXPECT_EQ(s[0].GetAsInt("isok"), 1) << name;
    }
    CTestClient wrong(server);
    TestSets s(
        wrong.LogIn("loginType=1&loginID=13912345678&loginPwd=" + ServerMd5Hex("13912345678" + code + "0")).plain);
    ASSERT_TRUE(s[0].MoveFirst());
    EXPECT_EQ(s[0].GetAsInt("isok"), 0);
}

TEST(ServerSignOn, SignUpRefusesNumbersThatAreNotElevenDigits)
{
    CServerUnderTest server;
    CTestClient client(server);
    for (const char* mobile : {"1391234567", "139123456789", "1391234567a"}) {
        TestSets sets(client.Call(100, 3, std::string("mobile=") + mobile).plain);
        ASSERT_EQ(sets.size(), 1u);
        EXPECT_TRUE(sets[0].IsError()) << mobile;
    }
}

TEST(ServerSignOn, KeyNotMadeWithThisServersPublicKeyIsRefused)
{
    CServerUnderTest server;
    CTestClient client(server);
    CRsaKeyPair other;
    ASSERT_TRUE(other.Generate(1024));
    std::vector<unsigned char> sealed;
    other.Encrypt(reinterpret_cast<const unsigned char*>("AbCdEfGh01234567"), 16, sealed);
    TestSets sets(client.Call(100, 1, "userKey=" + HexLower(sealed.data(), sealed.size()) + "&loginType=0").plain);
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_TRUE(sets[0].IsError());
    TestSets garbage(client.Call(100, 1, "userKey=zz&loginType=0").plain);
    EXPECT_TRUE(garbage[0].IsError());
}

TEST(ServerSignOn, EncipheredConfigurationReturnsMenuAndPairListsTheClientCanRead)
{
    CServerUnderTest server;
    CTestClient client(server);
    client.LogIn();
    TestReply r = client.CallEnciphered(100, 2, "&curver=3.2.2.0.0&lastver=3.2.2.0.1");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.etag[0], 0);
    EXPECT_EQ(r.etag[2], 18); // large, and the request says zlib is understood
    TestSets sets(r.plain);
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_STREQ(sets[0].GetName(), "sys.menu");
    EXPECT_STREQ(sets[1].GetName(), "sys.conf");

    // Menu: eight home entries first, F10 and the fund news menu also at the top level, every key known.
    static const std::set<std::string> keys = {
        "collist", "lczq",         "help",        "newslist",      "newscontent", "pxhq",    "fschart",  "kxchart",
        "F10",     "zxhq",         "buysale",     "openfund",      "of_wdjj",     "of_jjzx", "of_fecx",  "of_jjmc",
        "of_jjxx", "of_jjcx",      "of_jjpx",     "of_jjpj",       "of_fhsz",     "of_jycx", "of_jjkh",  "of_jjkhfxts",
        "of_jjrg", "of_jjsg",      "of_wtcd",     "of_jjsh",       "of_jjzh",     "xgsg",    "qzxq",     "trademenu",
        "qlncp",   "banktransfer", "bankbalance", "banktranquery", "tradequery",  "wtcd",    "hisquery", "qlnmr",
        "qlnzz",   "zgzs",         "sjzs",        "yybsz",         "lltj",        "cssz",    "xgmm",     "xxhq",
        "back",    "tradeexit",    "update",      "bbxx"};
    CDataSet& menu = sets[0];
    int topLevel = 0;
    bool f10 = false, fundNews = false;
    std::set<int> ids;
    while (menu.MoveNext()) {
        int id = menu.GetInt(0), parent = menu.GetInt(1);
        std::string action = menu.GetString(3);
        std::string key = action.substr(0, action.find('?'));
        EXPECT_TRUE(keys.count(key)) << action;
        EXPECT_TRUE(ids.insert(id).second) << id;
        if (parent == -1) {
            ++topLevel;
            f10 |= key == "F10";
            fundNews |= key == "of_jjzx";
            if (topLevel <= 8) {
                EXPECT_TRUE(key != "F10" && key != "of_jjzx");
            }
        } else {
            EXPECT_TRUE(ids.count(parent)) << "parent before child: " << id;
        }
    }
    EXPECT_GE(topLevel, 10);
    EXPECT_TRUE(f10);
    EXPECT_TRUE(fundNews);

    CDataSet& conf = sets[1];
    std::set<std::string> found;
    while (conf.MoveNext()) {
        std::string key = conf.GetString(0);
        found.insert(key);
        KeyValueMap pairs(conf.GetString(1));
        EXPECT_GE(pairs.GetCount(), 2) << key;
        for (int i = 0; i < pairs.GetCount(); ++i)
            EXPECT_LE(std::string(pairs.GetKey(i)).size(), 9u) << key;
    }
    EXPECT_EQ(found, (std::set<std::string>{"market", "type", "sort", "tech"}));
}

TEST(ServerSignOn, RequestsWithoutALiveSessionGetResult100WithATextBody)
{
    CServerUnderTest server;
    CTestClient client(server);
    TestReply r = client.Call(31000, 4, "code=600010.01&field=4|3");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.etag[0], 100);
    EXPECT_FALSE(r.body.empty());

    client.LogIn();
    EXPECT_EQ(client.Call(31000, 4, "code=600010.01&field=4|3").etag[0], 0);
    server.Http().Control("expire");
    EXPECT_EQ(client.Call(31000, 4, "code=600010.01&field=4|3").etag[0], 100);
    // The silent re-login carries the expired session and is still served.
    client.LogIn();
    EXPECT_EQ(client.Call(31000, 4, "code=600010.01&field=4|3").etag[0], 0);
}

TEST(ServerSignOn, ASessionIdHeldFromBeforeARestartIsNeverAnotherClientsAndGetsResult100)
{
    std::string held;
    {
        CServerUnderTest first;
        CTestClient a(first);
        a.LogIn();
        held = a.session;
    }
    // The same seed again, as a restarted server: another client logs in first.
    CServerUnderTest restarted;
    CTestClient b(restarted), a(restarted);
    b.LogIn();
    EXPECT_TRUE(std::regex_match(held, std::regex("MW[0-9A-F]{32}"))) << held;
    EXPECT_NE(b.session, held);
    a.session = held;
    TestReply r = a.CallEnciphered(31000, 4, "code=600010.01&field=4|3");
    EXPECT_EQ(r.etag[0], 100) << "not the other client's session, and no decipher failure";
    EXPECT_EQ(b.CallEnciphered(31000, 4, "code=600010.01&field=4|3").etag[0], 0);
}

TEST(ServerSignOn, IdleSessionsExpire)
{
    CServerUnderTest server;
    server.Functions().Sessions().SetIdleSeconds(2); // room for a busy machine between log-on and first use
    CTestClient client(server);
    client.LogIn();
    EXPECT_EQ(client.Call(31000, 4, "code=600010&field=4").etag[0], 0);
    CTestClient other(server);
    other.LogIn();
    EXPECT_EQ(server.Functions().Sessions().Count(), 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(2300));
    EXPECT_EQ(client.Call(31000, 4, "code=600010&field=4").etag[0], 100);
    server.Functions().Sessions().Sweep(); // the other one, never used again, is dropped too
    EXPECT_EQ(server.Functions().Sessions().Count(), 0);
}

TEST(ServerSignOn, DamagedEncipheredRequestsGetAnErrorSet)
{
    CServerUnderTest server;
    CTestClient client(server);
    client.LogIn();
    std::string goodKey = client.sessionKey;
    client.sessionKey = "WrongKey12345678";
    TestSets wrongKey(client.CallEnciphered(31000, 4, "code=600010&field=4|3").plain);
    ASSERT_EQ(wrongKey.size(), 1u);
    EXPECT_TRUE(wrongKey[0].IsError());
    client.sessionKey = goodKey;

    std::string common = client.CommonFields();
    TestSets badLength(client
                           .Exchange("TC_MFUNCNO=31000&TC_SFUNCNO=4&TC_REQDATA=AAAA&TC_REQLENGTH=3&TC_SESSION={" +
                                     client.session + "}&TC_ENCRYPT=36")
                           .plain);
    ASSERT_EQ(badLength.size(), 1u);
    EXPECT_TRUE(badLength[0].IsError());

    TestSets noCommon(
        client.Exchange("TC_MFUNCNO=31000&TC_SFUNCNO=4&code=600010&TC_SESSION={" + client.session + "}").plain);
    ASSERT_EQ(noCommon.size(), 1u);
    EXPECT_TRUE(noCommon[0].IsError());
}

TEST(ServerSignOn, ShortBusinessFieldsTravelPlainWithEncryptZero)
{
    CServerUnderTest server;
    CTestClient client(server);
    client.LogIn();
    TestReply r = client.Exchange("TC_MFUNCNO=100&TC_SFUNCNO=22&code=1&" + client.CommonFields() + "&TC_ENCRYPT=0");
    TestSets sets(r.plain);
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_FALSE(sets[0].IsError());
    // Logged out: the session is gone.
    EXPECT_EQ(client.Call(31000, 4, "code=600010&field=4").etag[0], 100);
}

TEST(ServerSignOn, SubMenuAndPopMessageReplies)
{
    CServerUnderTest server;
    CTestClient client(server);
    client.LogIn();
    TestSets menu(client.Exchange("tc_mfuncno=100&tc_sfuncno=5&menuid=305&" + client.CommonFields()).plain);
    ASSERT_EQ(menu.size(), 1u);
    EXPECT_EQ(menu[0].GetRowCount(), 3);
    while (menu[0].MoveNext())
        EXPECT_EQ(menu[0].GetInt(1), -1);

    server.Http().Control("pop?text=%E6%B5%8B%E8%AF%95");
    TestSets pop(client.Exchange("tc_mfuncno=20000&tc_sfuncno=50&" + client.CommonFields()).plain);
    ASSERT_TRUE(pop[0].MoveFirst());
    EXPECT_GE(pop[0].GetInt("times"), 0);
    EXPECT_EQ(GbToUtf8(pop[0].GetString("popmsg")), "测试");
    EXPECT_GT(pop[0].GetInt("id"), 0);
}
