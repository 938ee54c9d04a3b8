// Controls painted into a memory bitmap: what they draw where, and that painting any of them is safe.
#include "FakeHost.h"

#include "platform/ui/Style.h"
#include "platform/ui/UiBars.h"
#include "platform/ui/UiButton.h"
#include "platform/ui/UiDraw.h"
#include "platform/ui/UiEdit.h"
#include "platform/ui/UiList.h"
#include "platform/ui/UiPicture.h"
#include "platform/ui/UiScrollWin.h"
#include "platform/ui/UiStatic.h"
#include "platform/win/Gdi.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

struct Canvas {
    Canvas()
    {
        bitmap = CreateDIBSection32(480, 720, (void**)&bits);
        dc = CreateCompatibleDC(nullptr);
        old = SelectObject(dc, bitmap);
        RECT all{0, 0, 480, 720};
        UiFillRect(dc, all, RGB(0, 0, 0));
    }
    ~Canvas()
    {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    uint32_t At(int x, int y) const { return bits[y * 480 + x] & 0xFFFFFF; }
    HBITMAP bitmap;
    HDC dc;
    HGDIOBJ old;
    uint32_t* bits = nullptr;
};

} // namespace

TEST(ControlPainting, EveryControlPaintsWithoutFaultAndInItsOwnRectangle)
{
    setenv("MORWICK_HOME", MORWICK_BINARY_DIR "/app", 1);
    FakeHost host;
    UiWinManager m(&host);
    UiStatic label;
    label.SetPos(0, 0, 480, 40);
    label.SetText(u"详细报价:");
    label.SetTextColor(RGB(255, 255, 0));
    UiCaptionLabel caption;
    caption.SetPos(0, 40, 480, 80);
    caption.SetText(u"一段很长的说明文字，会自动换行显示在两行或者更多行里面。");
    UiPushButton button;
    button.SetPos(10, 130, 200, 60);
    button.SetText(u"确定");
    UiLineEdit edit;
    edit.SetPos(220, 130, 250, 60);
    edit.SetTip(u"代码");
    UiTextEdit text;
    text.SetPos(0, 200, 480, 100);
    text.SetText(u"第一行\n第二行");
    UiPicture picture;
    picture.SetPos(0, 300, 116, 155);
    picture.LoadImage(u"1.png");
    UiList list;
    list.SetPos(130, 300, 350, 200);
    list.SetItemHeight(50);
    list.AddItem(ListItem{u"甲", 0});
    list.AddItem(ListItem{u"乙", 0});
    list.SetSelectedIndex(1);
    UiScrollWin panel;
    panel.SetPos(0, 500, 480, 90);
    UiStatic inPanel;
    inPanel.SetPos(0, 0, 480, 30);
    inPanel.SetText(u"面板");
    panel.AddChild(&inPanel);
    UiCommandBar bar;
    bar.SetPos(0, 655, 480, 65);
    bar.SetButton(0, true, true, u"首页");
    bar.SetButton(2, false, true, u"返回");
    UiIconStrip strip;
    strip.SetPos(0, 590, 480, 65);
    strip.AddButton(113);
    strip.AddButton(116);
    for (UiWin* w :
         std::initializer_list<UiWin*>{&label, &caption, &button, &edit, &text, &picture, &list, &panel, &strip, &bar})
        m.AddUiWin(w);
    edit.SetFocus(true);

    Canvas canvas;
    RECT all{0, 0, 480, 720};
    m.Paint(canvas.dc, &all);
    EXPECT_TRUE(picture.GetImage() && picture.GetImage()->IsLoaded());
    // The selected row shows the selection background; the unselected one does not.
    EXPECT_NE(canvas.At(475, 365), 0u);
    EXPECT_EQ(canvas.At(475, 310), 0u);
    // The bar's background reaches its bottom row.
    EXPECT_NE(canvas.At(240, 719), 0u);

    // A partial update paints only inside it.
    Canvas second;
    RECT part{0, 0, 480, 40};
    m.Paint(second.dc, &part);
    EXPECT_EQ(second.At(240, 719), 0u);
}

TEST(ControlPainting, LineEditShowsItsTipOnlyWhileEmptyAndUnfocused)
{
    FakeHost host;
    UiWinManager m(&host);
    UiLineEdit edit;
    edit.SetPos(0, 0, 300, 60);
    edit.SetTip(u"代码或拼音缩写");
    m.AddUiWin(&edit);
    auto greyInk = [&]() {
        Canvas canvas;
        RECT all{0, 0, 480, 720};
        m.Paint(canvas.dc, &all);
        int n = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 300; ++x) {
                uint32_t c = canvas.At(x, y);
                int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
                n += r == g && g == b && r > 120 && r < 220; // the tip's grey and its anti-aliased edges
            }
        return n;
    };
    int withTip = greyInk();
    EXPECT_GT(withTip, 50);
    edit.SetText(u"600036");
    EXPECT_LT(greyInk(), withTip / 4);
    edit.SetText(u"");
    edit.SetFocus(true);
    EXPECT_LT(greyInk(), withTip / 4);
}

TEST(ControlPainting, StyleSixButtonsAndAFramedTextAreaShowAFrameAndOthersDoNot)
{
    FakeHost host;
    UiWinManager m(&host);
    UiPushButton framed, bare;
    framed.SetButtonType(MZC_BUTTON_FRAMED);
    bare.SetButtonType(MZC_BUTTON_NONE);
    UiTextEdit message, plain;
    message.SetFrame(true);
    struct Case {
        UiWin* control;
        bool frame;
    } cases[] = {{&framed, true}, {&bare, false}, {&message, true}, {&plain, false}};
    int top = 10;
    for (Case& c : cases) {
        c.control->SetPos(20, top, 200, 80);
        c.control->SetText(u"短信");
        m.AddUiWin(c.control);
        top += 100;
    }
    Canvas canvas;
    RECT all{0, 0, 480, 720};
    m.Paint(canvas.dc, &all);
    const uint32_t border = Style::Pixel(Style::BoxBorder) & 0xFFFFFF;
    for (const Case& c : cases) {
        RECT r = c.control->GetRect();
        int middle = (r.top + r.bottom) / 2;
        EXPECT_EQ(canvas.At(r.left, middle) == border, c.frame) << r.top;
        EXPECT_EQ(canvas.At(r.right - 1, middle) == border, c.frame) << r.top;
    }
}
