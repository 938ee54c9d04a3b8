// Stylus and key input as the phone routes it: the pressed window keeps the stroke, capture wins, disabled
// windows are skipped, keys and typed text reach the active window; painting is coalesced and skips hidden
// windows; text and picture files that are damaged are refused without harm.
#include "platform/automation/Automation.h"
#include "platform/display/PngCodec.h"
#include "platform/ui/MzWnd.h"
#include "platform/win/Desktop.h"
#include "platform/win/Paths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using morwick::automation::RunCommand;
using namespace morwick::display;

namespace {

class InputWnd : public CMzWnd {
public:
    LPCWSTR GetMzClassName() override { return u"TestInputWnd"; }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_CHAR)
            typed += (char16_t)wParam;
        if (message == WM_KEYDOWN)
            keys.push_back((UINT)wParam);
        if (message == WM_PAINT)
            ++paints;
        return CMzWnd::WindowProc(message, wParam, lParam);
    }
    void OnLButtonDown(UINT, int x, int y) override { events.push_back("down " + Point(x, y)); }
    void OnMouseMove(UINT keys, int x, int y) override
    {
        if (keys & MK_LBUTTON)
            events.push_back("move " + Point(x, y));
    }
    void OnLButtonUp(UINT, int x, int y) override { events.push_back("up " + Point(x, y)); }
    static std::string Point(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
    std::vector<std::string> events;
    std::u16string typed;
    std::vector<UINT> keys;
    int paints = 0;
};

} // namespace

TEST(Input, AStrokeStaysWithThePressedWindowAndCaptureWins)
{
    InputWnd lower, upper;
    ASSERT_TRUE(lower.Create(0, 30, 480, 690));
    lower.Show();
    ASSERT_TRUE(upper.Create(0, 330, 480, 200, lower.m_hWnd));
    upper.Show();
    // Input goes to the topmost window even where the stylus is outside it (a partial window is modal to input).
    RunCommand("drag 10 400 10 100 2");
    RunCommand("idle 1000");
    std::vector<std::string> expected = {"down 10,70", "move 10,-80", "move 10,-230", "up 10,-230"};
    EXPECT_EQ(upper.events, expected);
    EXPECT_TRUE(lower.events.empty());

    upper.events.clear();
    SetCapture(lower.m_hWnd);
    RunCommand("tap 20 400");
    RunCommand("idle 1000");
    EXPECT_TRUE(upper.events.empty());
    ASSERT_EQ(lower.events.size(), 2u);
    EXPECT_EQ(lower.events[0], "down 20,370");
    ReleaseCapture();

    EnableWindow(upper.m_hWnd, FALSE);
    RunCommand("tap 20 400");
    RunCommand("idle 1000");
    EXPECT_TRUE(upper.events.empty()); // a disabled window takes no taps
}

TEST(Input, KeysAndTextReachTheActiveWindow)
{
    InputWnd w;
    ASSERT_TRUE(w.Create(0, 30, 480, 690));
    w.Show();
    RunCommand("text 600036招商");
    RunCommand("key back");
    RunCommand("key enter");
    EXPECT_NE(RunCommand("key nosuchkey").find("\"ok\":false"), std::string::npos);
    RunCommand("idle 1000");
    EXPECT_EQ(w.typed, u"600036招商\b\r");
    ASSERT_EQ(w.keys.size(), 2u);
    EXPECT_EQ(w.keys[0], (UINT)VK_BACK);
}

TEST(Input, InvalidationsAreCoalescedAndHiddenWindowsAreNotPainted)
{
    InputWnd w;
    ASSERT_TRUE(w.Create(0, 30, 480, 690));
    w.Invalidate();
    RunCommand("idle 1000");
    EXPECT_EQ(w.paints, 0); // hidden
    w.Show();
    RunCommand("idle 1000");
    EXPECT_EQ(w.paints, 1);
    for (int i = 0; i < 5; ++i) {
        RECT r{i * 10, 0, i * 10 + 5, 5};
        w.Invalidate(&r);
    }
    RunCommand("idle 1000");
    EXPECT_EQ(w.paints, 2);
    w.Invalidate();
    w.Update(); // painted at once, nothing left for the queue
    EXPECT_EQ(w.paints, 3);
    RunCommand("idle 1000");
    EXPECT_EQ(w.paints, 3);
}

TEST(Input, DamagedPicturesAndTextAreRefusedWithoutHarm)
{
    Surface s;
    const unsigned char garbage[] = {0x89, 'P',  'N',  'G',  0x0d, 0x0a, 0x1a, 0x0a, 0,    0, 0, 13, 'I', 'H', 'D',
                                     'R',  0x7f, 0xff, 0xff, 0xff, 0x7f, 0xff, 0xff, 0xff, 8, 6, 0,  0,   0};
    EXPECT_FALSE(DecodePng(garbage, sizeof garbage, s));
    EXPECT_FALSE(DecodePng(garbage, 4, s));
    EXPECT_FALSE(LoadPng("/nonexistent/picture.png", s));

    // UTF-8 and UTF-16 conversions keep what is valid and mark what is not.
    std::u16string wide = u"价格\U0001F600a";
    EXPECT_EQ(WideFromUtf8(Utf8FromWide(wide.c_str())), wide);
    EXPECT_EQ(WideFromUtf8("a\xE4\xB8"), u"a\xFFFD"); // cut short at the end
    EXPECT_EQ(WideFromUtf8("\xC0\x41z"), u"\xFFFD"
                                         u"Az");                      // a lead byte without its follower
    EXPECT_EQ(WideFromUtf8(std::string("\xC0\x80/", 3)), u"\xFFFD/"); // an overlong NUL is not a NUL
    EXPECT_EQ(WideFromUtf8("\xE0\x80\xAF"), u"\xFFFD");               // nor an overlong slash
    const char16_t lone[] = {u'a', 0xD800, u'b', 0};
    EXPECT_EQ(Utf8FromWide(lone), "a\xEF\xBF\xBD"
                                  "b");
    EXPECT_EQ(morwick::automation::JsonString(std::string("q\"\\\n\x01")), "\"q\\\"\\\\\\n\\u0001\"");
}
