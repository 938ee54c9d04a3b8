// The gallery driven headless through the automation commands, as a person would use it: every control shows
// in the dump, and each dialog opens, answers and closes. `MORWICK_GALLERY=1 tests_ui
// --gtest_filter=Gallery.OpensInAWindow` opens it in a window for a person instead.
#include "Gallery.h"

#include "platform/automation/Automation.h"
#include "platform/display/Display.h"
#include "platform/win/Desktop.h"
#include "platform/win/Shell.h"
#include "tests/support/BuildWindow.h"
#include "tests/support/HelperTest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

using morwick::automation::RunCommand;

namespace {

RECT WorkArea()
{
    RECT rc;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &rc, 0);
    return rc;
}

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// The screen rectangle of the topmost window of the class in a dump.
RECT WindowRect(const std::string& dump, const std::string& className)
{
    RECT r{0, 0, 0, 0};
    size_t at = dump.find("\"class\":\"" + className + "\"");
    if (at == std::string::npos)
        return r;
    at = dump.find("\"rect\":[", at);
    if (at == std::string::npos)
        return r;
    std::sscanf(dump.c_str() + at, "\"rect\":[%d,%d,%d,%d]", &r.left, &r.top, &r.right, &r.bottom);
    return r;
}

std::string Tap(int x, int y)
{
    std::string r = RunCommand("tap " + std::to_string(x) + " " + std::to_string(y));
    RunCommand("idle 3000");
    return r;
}

// A person at the gallery, on a thread of its own while the gallery runs: each step acts as a finger would and
// keeps the first thing that went wrong.
struct GalleryUser {
    explicit GalleryUser(RECT work) : work(work), top(work.top), panelTop(work.top + 42) {}

    RECT work;
    int top; // screen y of the gallery's client y 0
    int panelTop;
    // MORWICK_GALLERY_SHOTS=DIR keeps screen shots of the stages for a person to look at.
    const char* shots = std::getenv("MORWICK_GALLERY_SHOTS");
    std::string failure;

    void Check(bool ok, const std::string& what)
    {
        if (!ok && failure.empty())
            failure = what;
    }
    void Shot(const char* name)
    {
        if (shots)
            RunCommand(std::string("shot ") + shots + "/" + name + ".png");
    }

    void SeesEveryControl()
    {
        RunCommand("idle 3000");
        std::string dump = RunCommand("dump");
        for (const char* kind : {"UiStatic", "UiCaptionLabel", "UiPicture", "UiImageButton", "UiPushButton",
                                 "UiLineEdit", "UiTextEdit", "UiList", "UiScrollWin", "UiIconStrip", "UiCommandBar"})
            Check(Has(dump, std::string("\"kind\":\"") + kind + "\""), std::string("dump lacks ") + kind + ": " + dump);
        Check(Has(dump, "\"loaded=1\""), "the picture did not load: " + dump);
        Shot("gallery");
    }

    // Message box: yes.
    void AnswersTheMessageBox()
    {
        Tap(370, panelTop + 80 + 30);
        std::string dump = RunCommand("dump");
        Shot("messagebox");
        RECT box = WindowRect(dump, "MzMessageBoxWnd");
        Check(box.right > box.left && Has(dump, "您确定退出系统？"), "no message box: " + dump);
        Tap(box.left + 40, box.bottom - 45);
        Check(Has(RunCommand("dump"), "消息框：是"), "the box's answer did not arrive");
    }

    // Tip: shows, a tap closes it.
    void ClosesTheTip()
    {
        Tap(200, panelTop + 150);
        std::string dump = RunCommand("dump");
        RECT tip = WindowRect(dump, "MzTipWnd");
        Check(tip.right > tip.left && Has(dump, "我的基金添加成功!"), "no tip: " + dump);
        Tap((tip.left + tip.right) / 2, (tip.top + tip.bottom) / 2);
        Check(Has(RunCommand("dump"), "提示已关闭"), "the tip did not close");
    }

    // Wait dialog: its cancel reaches the window.
    void CancelsTheWait()
    {
        Tap(370, panelTop + 164 + 30);
        std::string dump = RunCommand("dump");
        Shot("wait");
        RECT wait = WindowRect(dump, "ProgressDialog");
        Check(wait.right > wait.left && Has(dump, "取消登录"), "no wait dialog: " + dump);
        Tap((wait.left + wait.right) / 2, wait.top + 150);
        Check(Has(RunCommand("dump"), "等待已取消"), "the wait dialog's cancel did not arrive");
    }

    // The line edit: focus, typing through the input panel, the number pad refusing letters.
    void TypesInTheEdit()
    {
        Tap(100, panelTop + 250 + 30);
        RunCommand("text 60a03");
        RunCommand("idle 3000");
        std::string dump = RunCommand("dump");
        Check(Has(dump, "\"text\":\"6003\"") && Has(dump, "focused=1"), "typing failed: " + dump);
    }

    // The keypad types into the edit too.
    void TypesWithTheKeypad()
    {
        Tap(480 - 85, panelTop + 250 + 30);
        std::string dump = RunCommand("dump");
        Shot("keypad");
        RECT pad = WindowRect(dump, "CMzKeypadWnd");
        Check(pad.right > pad.left, "no keypad: " + dump);
        int rh = (pad.bottom - pad.top - 10) / 4;
        Tap(pad.left + 60, pad.top + 5 + rh / 2);                        // "1"
        Tap(pad.left + 480 * 3 / 4 + 60, pad.top + 5 + 2 * rh + rh / 2); // hide
        dump = RunCommand("dump");
        Check(Has(dump, "\"text\":\"60031\"") && Has(dump, "键盘已关闭"), "the keypad did not type: " + dump);
    }

    // A list tap selects the row and reports it.
    void SelectsAListRow()
    {
        Tap(100, panelTop + 448 + 25);
        std::string dump = RunCommand("dump");
        Check(Has(dump, "\"selected\":0") && Has(dump, "选中：600036"), "the list tap did not select: " + dump);
    }

    // The pop-up menu from the command bar ends with the pressed item's id.
    void PicksFromThePopup()
    {
        Tap(60, top + (work.bottom - work.top) - 30);
        std::string dump = RunCommand("dump");
        Shot("popup");
        RECT popup = WindowRect(dump, "CMzPopupMenuWnd");
        Check(popup.right > popup.left && Has(dump, "加入自选"), "no pop-up: " + dump);
        Tap(popup.left + 100, popup.top + 14 + 10 + 30);
        Check(Has(RunCommand("dump"), "弹出菜单：126"), "the pop-up's result did not arrive");
    }

    // A drag on the panel scrolls it without pressing the picture under the finger.
    void ScrollsThePanel()
    {
        RunCommand("drag 60 " + std::to_string(panelTop + 200) + " 60 " + std::to_string(panelTop + 20) + " 8");
        RunCommand("idle 3000");
        std::string dump = RunCommand("dump");
        Check(!Has(dump, "top=0 content=760"), "the panel did not scroll: " + dump);
        Shot("scrolled");
    }

    // The icon strip marks the tapped item.
    void TapsTheStrip()
    {
        Tap(480 / 6 * 4 + 40, top + (work.bottom - work.top) - 65 - 30);
        Check(Has(RunCommand("dump"), "工具栏：4"), "the strip tap did not arrive");
    }

    // Exit through the command bar.
    void Exits() { RunCommand("tap 420 " + std::to_string(top + (work.bottom - work.top) - 30)); }
};

// Opens the gallery and drives it as a person would; failures are reported through the test's expectations.
void DriveGallery()
{
    setenv("MORWICK_HOME", MORWICK_BINARY_DIR "/app", 1);
    morwick::display::AttachGuiThread();
    RECT work = WorkArea();
    CGalleryWnd gallery;
    ASSERT_TRUE(gallery.Create(work.left, work.top, work.right - work.left, work.bottom - work.top));
    GalleryUser user(work);
    std::thread driver([&] {
        user.SeesEveryControl();
        user.AnswersTheMessageBox();
        user.ClosesTheTip();
        user.CancelsTheWait();
        user.TypesInTheEdit();
        user.TypesWithTheKeypad();
        user.SelectsAListRow();
        user.PicksFromThePopup();
        user.ScrollsThePanel();
        user.TapsTheStrip();
        user.Exits();
    });
    int result = gallery.DoModal();
    driver.join();
    EXPECT_TRUE(user.failure.empty()) << user.failure;
    EXPECT_EQ(result, 1);
}

} // namespace

TEST(Gallery, EveryControlAndDialogWorksThroughTheAutomation)
{
    setenv("MORWICK_DISPLAY", "headless", 1);
    EXPECT_EQ(morwick::display::StartDisplay(), "headless");
    DriveGallery();
    morwick::display::StopDisplay();
    unsetenv("MORWICK_DISPLAY");
}

namespace {

// Runs in a child process (below): SDL's drivers keep allocations the leak checker would report as ours.
void SdlChild()
{
    if (StartBuildsWindow() != "sdl")
        std::exit(77);
    DriveGallery();
    morwick::display::StopDisplay();
    std::exit(::testing::Test::HasFailure() ? 1 : 0);
}

// The gallery for a person to look at and try: MORWICK_GALLERY=1 tests_ui --gtest_filter=Gallery.OpensInAWindow
void OpenForAPerson()
{
    setenv("MORWICK_HOME", MORWICK_BINARY_DIR "/app", 0);
    morwick::display::AttachGuiThread();
    StartBuildsWindow();
    RECT work = WorkArea();
    CGalleryWnd gallery;
    ASSERT_TRUE(gallery.Create(work.left, work.top, work.right - work.left, work.bottom - work.top));
    gallery.DoModal();
    morwick::display::StopDisplay();
}

[[maybe_unused]] const bool sdlChild = RegisterHelperTest("Gallery", "SdlChild", "MORWICK_TEST_SDL_CHILD", SdlChild);
[[maybe_unused]] const bool forAPerson =
    RegisterHelperTest("Gallery", "OpensInAWindow", "MORWICK_GALLERY", OpenForAPerson);

} // namespace

TEST(Gallery, EveryControlAndDialogWorksInTheSdlWindowToo)
{
    std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string command = "ASAN_OPTIONS=detect_leaks=0 SDL_VIDEODRIVER=offscreen MORWICK_TEST_SDL_CHILD=1 '" + self +
                          "' --gtest_filter=Gallery.SdlChild >/dev/null 2>&1";
    int status = std::system(command.c_str());
    if (status != 0 && status / 256 == 77)
        GTEST_SKIP() << "built without SDL, or SDL cannot open a window here";
    EXPECT_EQ(status, 0);
}
