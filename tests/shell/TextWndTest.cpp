// The text window base: colours and sizes from the settings, the page of title and text, the measured text
// height, and the command bar's refresh.
#include "shell/TextWnd.h"

#include "tests/support/WindowFixture.h"

#include <string>

namespace {

class ProbeTextWnd : public CTextWnd {
public:
    ProbeTextWnd() : CTextWnd(u"公告", nullptr) {}
    void Request() override { ++requests; }
    int requests = 0;
};

class TextWndTest : public WindowTest {
protected:
    ProbeTextWnd* Make()
    {
        wnd = std::make_unique<ProbeTextWnd>();
        RECT work = WorkRect();
        wnd->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr);
        return wnd.get();
    }
    std::unique_ptr<ProbeTextWnd> wnd;
};

} // namespace

TEST_F(TextWndTest, SettingsChooseColoursAndSizesAndUnknownStylesActAsTheDefault)
{
    CAppData* app = CAppData::Instance();
    ASSERT_TRUE(app->SetConfig("UI_Style", "7", 0));
    ASSERT_TRUE(app->SetConfig("Font_Size", "30", 0));
    ProbeTextWnd* w = Make();
    EXPECT_EQ(w->textColor, 0xFFFFFFu);
    EXPECT_EQ(w->titleColor, 0x00FFFFu);
    EXPECT_EQ(w->titleFontSize, 31);
    EXPECT_EQ(w->textFontSize, 30);
    EXPECT_EQ(w->GetTextView().GetTextSize(), 30);

    app->SetConfig("UI_Style", "1", 0);
    ProbeTextWnd light;
    EXPECT_EQ(light.textColor, 0u);
    EXPECT_EQ(light.titleColor, 0x0A80FAu);
    app->SetConfig("UI_Style", "2", 0);
    ProbeTextWnd yellow;
    EXPECT_EQ(yellow.textColor, 0x00FFFFu);
    EXPECT_EQ(yellow.titleColor, 0xFFFFFFu);
}

TEST_F(TextWndTest, PageShowsTitleAndWaitingTextThenTheMeasuredText)
{
    ProbeTextWnd* w = Make();
    EXPECT_EQ(std::u16string(w->GetTitleLabel().GetText()), u"公告");
    EXPECT_EQ(std::u16string(w->GetTextView().GetText()), u"正在获取内容，请稍后...");
    EXPECT_EQ(w->GetTextView().GetHeight(), w->GetHeight());
    EXPECT_EQ(w->GetTextView().GetWidth(), w->GetWidth() - 20);
    EXPECT_GT(w->GetTextView().GetPosY(), 20);

    w->SetText(u"一行");
    int one = w->GetTextView().GetHeight();
    EXPECT_GT(one, 0);
    EXPECT_LT(one, 2 * w->textFontSize + 10);

    std::u16string longText;
    for (int i = 0; i < 40; ++i)
        longText += u"证券行情资讯服务内容正文第一段。\r\n\r\n";
    w->SetText(longText.c_str());
    EXPECT_EQ(std::u16string(w->GetText()), longText);
    EXPECT_GT(w->GetTextView().GetHeight(), 40 * one);

    // A rotation keeps the page measured at the new width.
    w->OnScreenModeChanged(0);
    EXPECT_GT(w->GetTextView().GetHeight(), 40 * one);
}

TEST_F(TextWndTest, CommandBarRefreshesAndOthersAreIgnored)
{
    ProbeTextWnd* w = Make();
    EXPECT_EQ(std::u16string(w->GetCommandBar().GetButtonText(1)), u"刷新");
    w->SendMessage(MZ_WM_COMMAND, MAKELONG(ID_COMMAND_BAR, 0), 1);
    w->SendMessage(MZ_WM_COMMAND, MAKELONG(ID_CONTENT_PANEL, 0), 1);
    EXPECT_EQ(w->requests, 1);
}
