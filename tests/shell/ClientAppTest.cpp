// The application object: one copy per phone, and an exit after a failed start that leaves everything alone.
#include "shell/ClientApp.h"

#include "tests/support/WindowFixture.h"
#include "core/AppData.h"
#include "platform/ui/MzWnd.h"

#include <string>
#include <unistd.h>

namespace {

class NamedWnd : public CMzWnd {
public:
    explicit NamedWnd(std::u16string name) : name(std::move(name)) {}
    LPCWSTR GetMzClassName() override { return name.c_str(); }
    std::u16string name;
};

std::u16string UniqueName(const char* base)
{
    std::string text = std::string(base) + std::to_string(getpid());
    return std::u16string(text.begin(), text.end());
}

} // namespace

class ClientAppTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        CClientApp::SetInstanceWait(5);
    }
    void TearDown() override
    {
        CClientApp::SetInstanceWait(500);
        WindowTest::TearDown();
    }
};

TEST_F(ClientAppTest, ASecondCopyFindsTheFirstOnesWindowOrGoesOnWhenThereIsNone)
{
    std::u16string name = UniqueName("TestInstanceWnd");
    int found = -1;
    EXPECT_EQ(CClientApp::EnsureSingleInstance(nullptr, name.c_str(), &found), 0);
    EXPECT_EQ(found, 0);
    // The name is taken now, but no window of that class: after all attempts the start goes on.
    EXPECT_EQ(CClientApp::EnsureSingleInstance(nullptr, name.c_str(), &found), 0);
    EXPECT_EQ(found, 0);

    NamedWnd window(name);
    RECT work = WorkRect();
    ASSERT_TRUE(window.Create(work.left, work.top, work.right - work.left, work.bottom - work.top));
    EXPECT_EQ(CClientApp::EnsureSingleInstance(nullptr, name.c_str(), &found), 0);
    EXPECT_EQ(found, 1);
}

TEST_F(ClientAppTest, ExitAfterAFailedStartTouchesNeitherTheDataNorTheWindowManager)
{
    CAppData* data = CAppData::Instance();
    data->SetVersion("marker");
    CWndManager::GetInstance()->SetWorkAreaTop(77);
    {
        CClientApp app;
        app.m_initialised = 0;
        EXPECT_EQ(app.Exit(), 1);
    }
    EXPECT_STREQ(CAppData::Instance()->GetVersion(), "marker");
    EXPECT_EQ(CWndManager::GetInstance()->GetWorkAreaTop(), 77);
}
