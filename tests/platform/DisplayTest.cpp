// The back ends: headless by request, mapping no display library, and the SDL window (its module on SDL's
// off-screen driver) showing the same frames, turning with the screen and photographed through the automation.
#include "platform/automation/Automation.h"
#include "platform/display/Display.h"
#include "platform/ui/MzImage.h"
#include "platform/ui/MzWnd.h"
#include "platform/win/Desktop.h"
#include "platform/win/FontEngine.h"
#include "platform/win/Shell.h"
#include "tests/support/BuildWindow.h"
#include "tests/support/HelperTest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace morwick::display;

namespace {

class PictureWnd : public CMzWnd {
public:
    LPCWSTR GetMzClassName() override { return u"TestPictureWnd"; }
    void PaintWin(HDC dc, RECT* win, RECT* update) override
    {
        CMzWnd::PaintWin(dc, win, update);
        CMzImage check;
        if (check.LoadPlatformImage(519))
            check.DrawAt(dc, 10, 10);
        SetBkMode(dc, TRANSPARENT);
        SelectObject(dc, CreateMzFont(26));
        RECT r{0, 0, win->right, win->bottom};
        DrawTextW(dc, u"测试窗口", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
};

void ShowTurnAndShoot(const std::string& tag)
{
    PictureWnd w;
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ASSERT_TRUE(w.Create(work.left, work.top, work.right - work.left, work.bottom - work.top));
    w.Show();
    morwick::automation::RunCommand("idle 2000");
    DEVMODEW mode{};
    mode.dmSize = 192;
    mode.dmFields = DM_DISPLAYORIENTATION;
    mode.dmDisplayOrientation = DMDO_0;
    ASSERT_EQ(ChangeDisplaySettingsEx(nullptr, &mode, nullptr, 0, nullptr), DISP_CHANGE_SUCCESSFUL);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    w.SetWindowPos(work.left, work.top, work.right - work.left, work.bottom - work.top);
    morwick::automation::RunCommand("idle 2000");
    std::string path = (std::filesystem::temp_directory_path() / ("morwick-" + tag + ".png")).string();
    std::string answer = morwick::automation::RunCommand("shot " + path);
    EXPECT_NE(answer.find("\"width\":720,\"height\":480"), std::string::npos) << answer;
    std::filesystem::remove(path);
    std::string dump = morwick::automation::RunCommand("dump");
    EXPECT_NE(dump.find("\"rect\":[0,30,720,480]"), std::string::npos) << dump;
    mode.dmDisplayOrientation = DMDO_90;
    ChangeDisplaySettingsEx(nullptr, &mode, nullptr, 0, nullptr);
}

std::string MappedFiles()
{
    std::ifstream maps("/proc/self/maps");
    std::stringstream text;
    text << maps.rdbuf();
    return text.str();
}

} // namespace

TEST(Display, HeadlessWhenAsked)
{
    setenv("MORWICK_DISPLAY", "headless", 1);
    EXPECT_EQ(StartDisplay(), "headless");
    ShowTurnAndShoot("headless");
    // The window back end and what it pulls in stay out of a headless client.
    std::string maps = MappedFiles();
    EXPECT_EQ(maps.find("libSDL2"), std::string::npos);
    EXPECT_EQ(maps.find("morwick-sdl"), std::string::npos);
    StopDisplay();
    unsetenv("MORWICK_DISPLAY");
}

TEST(Display, TheClientOpensTheWindowModuleOnlyFromBesideItself)
{
    // The build's module is not beside this test program: it must not be found through the build's folder.
    if (!std::filesystem::exists(MORWICK_BINARY_DIR "/app/morwick-sdl.so"))
        GTEST_SKIP() << "built without SDL";
    setenv("MORWICK_DISPLAY", "sdl", 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(StartDisplay(), "headless");
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("morwick-sdl.so is not beside the program"), std::string::npos) << said;
    EXPECT_EQ(MappedFiles().find("morwick-sdl"), std::string::npos);
    StopDisplay();
    unsetenv("MORWICK_DISPLAY");
}

namespace {

// Runs in a child process (below): SDL's drivers keep allocations the leak checker would report as ours.
void SdlChild()
{
    if (StartBuildsWindow() != "sdl")
        std::exit(77);
    ShowTurnAndShoot("sdl");
    StopDisplay();
    std::exit(::testing::Test::HasFailure() ? 1 : 0);
}

[[maybe_unused]] const bool sdlChild = RegisterHelperTest("Display", "SdlChild", "MORWICK_TEST_SDL_CHILD", SdlChild);

} // namespace

TEST(Display, SdlWindowShowsAndTurnsWithTheScreen)
{
    std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string command = "ASAN_OPTIONS=detect_leaks=0 SDL_VIDEODRIVER=offscreen MORWICK_TEST_SDL_CHILD=1 '" + self +
                          "' --gtest_filter=Display.SdlChild >/dev/null 2>&1";
    int status = std::system(command.c_str());
    // Where the module was built, its off-screen window must open.
    if (status != 0 && status / 256 == 77 && !std::filesystem::exists(MORWICK_BINARY_DIR "/app/morwick-sdl.so"))
        GTEST_SKIP() << "built without SDL";
    EXPECT_EQ(status, 0);
}

TEST(Display, AWindowModuleOfAnotherBuildOrNoneIsRefusedWithItsReason)
{
    // What an update leaves beside the new program, or a stray file: refused before anything of it runs (the
    // other build's module ends the process when opened), with the reason the client prints.
    std::string notModule = (std::filesystem::temp_directory_path() / "morwick-not-a-module.so").string();
    std::ofstream(notModule) << "not a module";
    struct Case {
        std::string path;
        const char* reason;
    };
    const Case cases[] = {
        {MORWICK_OTHER_BUILD_BACKEND, "is of another build (interface 2, this program's 1)"},
        {notModule, "morwick-not-a-module.so"},
        {"/nonexistent/morwick-sdl.so", "/nonexistent/morwick-sdl.so"},
    };
    for (const Case& c : cases) {
        std::string reason;
        EXPECT_EQ(OpenBackEndModule(c.path.c_str(), reason), nullptr) << c.path;
        EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    }
    std::filesystem::remove(notModule);
}

TEST(FontEngine, SizesAndWeightsDrawnInTurnKeepTheirOwnGlyphs)
{
    // Every size draws from one shared face: a glyph loaded for one size must not come out at another's.
    using morwick::display::FontEngine;
    struct Case {
        int height, weight;
    };
    const Case cases[] = {{20, 400}, {40, 400}, {26, 700}, {20, 700}, {33, 400}};
    std::vector<std::pair<int, int>> first;
    for (const Case& c : cases) {
        const morwick::display::Glyph& g = FontEngine::Instance().Face(c.height, c.weight)->GetGlyph(u'国');
        first.push_back({g.height, g.advance});
    }
    for (size_t i = 0; i < std::size(cases); ++i) {
        morwick::display::FontFace* face = FontEngine::Instance().Face(cases[i].height, cases[i].weight);
        EXPECT_EQ(face->GetGlyph(u'中').advance, first[i].second) << cases[i].height;
        EXPECT_LE(face->GetGlyph(u'中').height, cases[i].height) << cases[i].height;
    }
    // Larger cells give larger glyphs, bold ones wider advances.
    EXPECT_LT(first[0].first, first[1].first);
    EXPECT_LT(first[0].second, first[1].second);
    EXPECT_LE(first[0].second, first[3].second);
}
