// The turned phone in the real client: a portrait-only window in front (the trade log-in, a fund form, the
// cash-product purchase) stays whole on the screen and usable while the phone turns, and the window behind it,
// which follows the phone, takes the phone's orientation when it comes to the front again.
#include "tests/support/ClientDriver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

using namespace e2e;

namespace {

struct Box {
    int left = 0, top = 0, right = -1, bottom = -1;
    bool Inside(const Box& outer) const
    {
        return left >= outer.left && top >= outer.top && right <= outer.right && bottom <= outer.bottom;
    }
    std::string Text() const
    {
        return "[" + std::to_string(left) + "," + std::to_string(top) + "," + std::to_string(right) + "," +
               std::to_string(bottom) + "]";
    }
};

Box Found(const std::string& text, const std::string& pattern)
{
    std::smatch m;
    if (!std::regex_search(text, m, std::regex(pattern)))
        return {};
    auto at = [&](size_t i) { return i < m.size() && m[i].matched ? std::stoi(m[i]) : 0; };
    return {at(1), at(2), at(3), at(4)};
}

class RotationEndToEndTest : public ClientTest {
protected:
    CServerOptions ServerOptions() override { return TradingMorning(); }
    void SetUp() override
    {
        ClientTest::SetUp();
        // The user's branch office is chosen already: the trade log-in opens at once.
        FILE* offices = fopen((home + "yyb.dat").c_str(), "wb");
        ASSERT_NE(offices, nullptr);
        fputs("0101^\xb1\xb1\xbe\xa9\xbd\xf0\xc8\xda\xbd\xd6\xd3\xaa\xd2\xb5\xb2\xbf#", offices);
        fclose(offices);
        client = Start("turn");
        ASSERT_TRUE(client != nullptr);
        std::string dump = client->WaitForTop("CRegisterVerifyFrame");
        Type(CentreOf(dump, RectOfId(300)), "13800138000");
        TapBar(0);
        ASSERT_EQ(TopWindowClass(client->WaitForTop("CQXAppFrame")), "CQXAppFrame");
    }

    std::string Rotate(int orientation)
    {
        client->Command("rotate " + std::to_string(orientation));
        client->Idle();
        return client->Dump();
    }
    static int ScreenWidth(const std::string& dump)
    {
        std::smatch m;
        return std::regex_search(dump, m, std::regex(R"re("screen":\{"width":(\d+))re")) ? std::stoi(m[1]) : -1;
    }
    // Why the top window is not whole on the screen: it fills the screen below the status strip, and its
    // command bar lies inside the screen. Empty when it is whole.
    static std::string NotWhole(const std::string& dump, bool withBar = true)
    {
        Box screen = Found(dump, R"re("screen":\{"width":(\d+),"height":(\d+))re");
        screen = {0, 0, screen.left, screen.top};
        std::string top = TopWindow(dump);
        Box window = Found(top, R"re("rect":\[(-?\d+),(-?\d+),(-?\d+),(-?\d+)\])re");
        Box bar = Found(top, R"re("id":101,[^{}]*"screenRect":\[(-?\d+),(-?\d+),(-?\d+),(-?\d+)\])re");
        if (!window.Inside(screen) || window.right != screen.right || window.bottom != screen.bottom)
            return TopWindowClass(dump) + " at " + window.Text() + " on a screen of " + screen.Text();
        if (withBar && (bar.right < 0 || !bar.Inside(screen) || !bar.Inside(window)))
            return "its command bar at " + bar.Text() + " on a screen of " + screen.Text();
        return "";
    }
    // Turns the phone to landscape and back with the window on top: it stays whole, in portrait.
    void TurnAndBack(const std::string& className)
    {
        std::string dump = Rotate(3);
        EXPECT_EQ(TopWindowClass(dump), className);
        EXPECT_EQ(ScreenWidth(dump), 480) << dump;
        EXPECT_EQ(NotWhole(dump), "") << dump;
        Shot(className + "-turned.png");
        dump = Rotate(0);
        EXPECT_EQ(NotWhole(dump), "") << dump;
    }
    void Shot(const std::string& name)
    {
        const char* keep = getenv("MORWICK_SHOTS");
        client->Command("shot " + (keep != nullptr && keep[0] != 0 ? std::string(keep) + "/" : root.Path()) + name);
    }
    void Type(Point field, const std::string& text)
    {
        client->Tap(field);
        client->Command("text " + text);
        client->Idle();
    }
    // Types into the nth edit of the top window (plain, code-matching or number edits alike).
    void TypeInto(int nth, const std::string& text)
    {
        std::string top = TopWindow(client->Dump());
        Box window = Found(top, R"re("rect":\[(-?\d+),(-?\d+),(-?\d+),(-?\d+)\])re");
        static const std::regex edit(R"re("kind":"\w*Edit","id":-?\d+,"rect":\[(\d+),(\d+),(\d+),(\d+)\])re");
        for (std::sregex_iterator it(top.begin(), top.end(), edit), end; it != end; ++it)
            if (nth-- == 0) {
                const std::smatch& m = *it;
                return Type({window.left + (std::stoi(m[1]) + std::stoi(m[3])) / 2,
                             window.top + (std::stoi(m[2]) + std::stoi(m[4])) / 2},
                            text);
            }
        ADD_FAILURE() << "too few edits in " << top;
    }
    // Button n of the top window's bottom bar of `buttons` equal buttons.
    void TapBar(int n, int buttons = 3)
    {
        Point bar = CentreOf(client->Dump(), RectOfId(101));
        bar.x = bar.x * (2 * n + 1) / buttons;
        client->Tap(bar);
    }
    // Row n of the top window's list `id`, rows `pitch` pixels high, opened (the list not scrolled).
    void TapRow(int id, int row, int pitch, int times = 1)
    {
        std::string dump = client->Dump();
        Box window = Found(TopWindow(dump), R"re("rect":\[(-?\d+),(-?\d+),(-?\d+),(-?\d+)\])re");
        Box list = Found(TopWindow(dump), RectOfId(id));
        for (int i = 0; i < times; ++i)
            client->Tap({window.left + 240, window.top + list.top + row * pitch + pitch / 2});
    }
    // With the phone turned: types the texts into the form's edits and taps its action, whose confirmation is
    // whole on the screen; back on the form, in portrait.
    void OrderTurned(const std::string& form, const std::vector<std::string>& texts)
    {
        Rotate(3);
        for (size_t i = 0; i < texts.size(); ++i)
            TypeInto((int)i, texts[i]);
        TapBar(1);
        std::string dump = Expect("CTradeConfirmWnd");
        EXPECT_EQ(NotWhole(dump), "") << dump;
        TapBar(2);
        dump = Expect(form);
        EXPECT_EQ(ScreenWidth(dump), 480) << dump;
        EXPECT_EQ(NotWhole(dump), "") << dump;
    }
    std::string Expect(const std::string& className)
    {
        std::string dump = client->WaitForTop(className);
        EXPECT_EQ(TopWindowClass(dump), className) << dump;
        return dump;
    }

    std::unique_ptr<ClientProcess> client;
};

} // namespace

TEST_F(RotationEndToEndTest, PortraitFormsStayWholeAndUsableAndTheWindowBehindTurnsWhenItComesBack)
{
    // The home grid follows the phone.
    EXPECT_EQ(ScreenWidth(Rotate(2)), 720);
    EXPECT_EQ(NotWhole(client->Dump(), false), "");
    EXPECT_EQ(ScreenWidth(Rotate(0)), 480);

    // 基金 and 基金申购: the trade log-in comes first; turned, it stays whole, and its 登录 logs in.
    client->Tap(CentreOf(client->Dump(), RectOfId(108)));
    Expect("CQXTradeMenuWnd");
    TapRow(170, 6, 55);
    std::string dump = Expect("CQXTradeLoginWnd");
    TurnAndBack("CQXTradeLoginWnd");
    Rotate(3);
    TypeInto(0, "880012345");
    TypeInto(1, "123456");
    TapBar(1);
    dump = Expect("CFundRgSgWnd");
    EXPECT_EQ(NotWhole(dump), "") << dump;

    // The purchase form: turned and back it is whole, and with the phone turned its 申购 asks for confirmation.
    TurnAndBack("CFundRgSgWnd");
    OrderTurned("CFundRgSgWnd", {"161101", "5000"});

    // 首页 with the phone still turned: the home grid, behind all along, comes to the front in landscape.
    TapBar(0);
    dump = Expect("CQXAppFrame");
    EXPECT_EQ(ScreenWidth(dump), 720) << dump;
    EXPECT_EQ(NotWhole(dump, false), "") << dump;
    Shot("home-landscape.png");
    Rotate(0);

    // 理财: the cash-product purchase over the product list.
    client->Tap(CentreOf(client->Dump(), RectOfId(109)));
    Expect("CQXMenuWnd");
    TapRow(170, 0, 55);
    dump = client->WaitForTop("CQuillonProductWnd");
    for (int i = 0; i < 50 && TopWindow(dump).find("\"id\":171,") == std::string::npos; ++i)
        dump = client->Dump();
    TapRow(171, 1, 50, 2);
    dump = Expect("CQlnBuyWnd");
    TurnAndBack("CQlnBuyWnd");
    OrderTurned("CQlnBuyWnd", {"50000"});

    // 返回: the product list, which follows the phone, turns as it comes back.
    TapBar(2);
    dump = Expect("CQuillonProductWnd");
    EXPECT_EQ(ScreenWidth(dump), 720) << dump;
    EXPECT_EQ(NotWhole(dump), "") << dump;
    Shot("products-landscape.png");
}

TEST_F(RotationEndToEndTest, AWindowThatFollowsThePhoneTurnsWhenABoxThatHeardTheTurnCloses)
{
    // 退出 asks first; the phone turns while the question is in front, and the answer 否 leaves the home grid,
    // which follows the phone, turned with it.
    client->Tap(CentreOf(client->Dump(), RectOfId(111)));
    std::string dump = Expect("MzMessageBoxWnd");
    dump = Rotate(2);
    client->Tap(CentreOf(dump, RectOfText("否")));
    dump = Expect("CQXAppFrame");
    EXPECT_EQ(ScreenWidth(dump), 720) << dump;
    EXPECT_EQ(NotWhole(dump, false), "") << dump;
}
