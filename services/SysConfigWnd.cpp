// The settings window: rows of choices written to the configuration store, the server, branch offices and the
// removal of the sign-up.
#include "services/SysConfigWnd.h"

#include "core/AppData.h"
#include "core/DeviceRegRecord.h"
#include "core/HttpClient.h"
#include "core/NetThread.h"
#include "core/TextHelpers.h"
#include "platform/ui/MzDialogs.h"
#include "platform/ui/Style.h"
#include "shell/PopMenuWnd.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int MARGIN = 20;
constexpr int ROW_TOP = 10;
// Every row fits the portrait screen without scrolling.
constexpr int ROW_PITCH = 58;
constexpr int ROW_HEIGHT = 50;
// The server row sits between the choices and the branch offices.
constexpr int SERVER_ROW = 6;
// "营业部设置" in code page 936.
const char BRANCHES_TITLE[] = "\xd3\xaa\xd2\xb5\xb2\xbf\xc9\xe8\xd6\xc3";

struct Choice {
    const char* value;
    const WCHAR* text;
};

struct ChoiceRow {
    const char* key;
    const WCHAR* label;
    Choice choices[6];
    int count;
};

const ChoiceRow CHOICE_ROWS[] = {
    {"UI_Style", u"界面风格：", {{"0", u"黑底白字"}, {"1", u"白底黑字"}, {"2", u"黑底黄字"}}, 3},
    {"Font_Size", u"字体大小：", {{"22", u"22"}, {"24", u"24"}, {"26", u"26"}, {"28", u"28"}, {"30", u"30"}}, 5},
    {"Quote_RefeWait",
     u"刷新间隔：",
     {{"5", u"5秒"}, {"10", u"10秒"}, {"15", u"15秒"}, {"30", u"30秒"}, {"60", u"60秒"}},
     5},
    {"Screen_Mode", u"屏幕方向：", {{"4", u"自动旋转"}, {"0", u"竖屏"}, {"2", u"横屏"}}, 3},
    {"Screen_Lock", u"自动锁屏：", {{"1", u"开启"}, {"0", u"关闭"}}, 2},
    {"Connect_Type", u"接入方式：", {{"0", u"自动"}, {"1", u"网关(CMWAP)"}, {"2", u"直连(CMNET)"}}, 3},
};
constexpr int CHOICE_ROW_COUNT = (int)(sizeof CHOICE_ROWS / sizeof CHOICE_ROWS[0]);

int RowTop(int row)
{
    return ROW_TOP + (row < SERVER_ROW ? row : row + 1) * ROW_PITCH;
}

// Four decimal numbers of 0 to 255 joined by dots, each of one to three digits.
bool ValidIpv4(const std::string& address)
{
    int parts = 0;
    size_t start = 0;
    while (start <= address.size()) {
        size_t dot = address.find('.', start);
        size_t end = dot == std::string::npos ? address.size() : dot;
        if (end == start || end - start > 3 || atoi(address.substr(start, end - start).c_str()) > 255)
            return false;
        ++parts;
        if (dot == std::string::npos)
            break;
        start = dot + 1;
    }
    return parts == 4;
}

bool ValidAddress(const std::string& address)
{
    if (address.empty() || address.size() > 31)
        return false;
    for (char c : address)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' || c == '-'))
            return false;
    // Digits and dots alone are an IPv4 address, and must be a whole one.
    if (address.find_first_not_of("0123456789.") == std::string::npos)
        return ValidIpv4(address);
    return true;
}

int ValidPort(const std::string& port)
{
    if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    int value = atoi(port.c_str());
    return value >= 1 && value <= 65535 ? value : 0;
}

} // namespace

CSysConfigWnd::CSysConfigWnd(LPCWSTR title, HWND owner) : CNetWnd(title, owner)
{
    firstActivation = 0;
    requestOnActive = 0;
}

CSysConfigWnd::~CSysConfigWnd() = default;

LPCWSTR CSysConfigWnd::GetMzClassName()
{
    return u"CSysConfigWnd";
}

CWString CSysConfigWnd::RowText(int row)
{
    if (row == ROW_BRANCHES)
        return CWString(u"营业部设置");
    if (row == ROW_SIGN_UP)
        return CWString(u"删除本机注册信息");
    if (row < 0 || row >= CHOICE_ROW_COUNT)
        return CWString();
    const ChoiceRow& r = CHOICE_ROWS[row];
    const char* value = CAppData::Instance()->GetConfig(r.key);
    CWString text(r.label);
    const WCHAR* shown = nullptr;
    for (int i = 0; i < r.count && value != nullptr; ++i)
        if (strcmp(r.choices[i].value, value) == 0)
            shown = r.choices[i].text;
    if (shown != nullptr)
        text.Append(shown);
    else
        text.Append(value != nullptr ? value : ""); // a value set elsewhere is shown as it is
    return text;
}

void CSysConfigWnd::ShowRows()
{
    for (int i = 0; i < ROW_COUNT; ++i)
        rows[i].SetText(RowText(i).GetText());
    contentPanel.Invalidate();
}

BOOL CSysConfigWnd::OnInitDialog()
{
    if (!CNetWnd::OnInitDialog())
        return FALSE;
    for (int i = 0; i < ROW_COUNT; ++i) {
        rows[i].SetID(ID_FIRST_ROW + i);
        rows[i].SetButtonType(MZC_BUTTON_LIGHT);
        rows[i].SetTextColor(Style::ButtonText);
        contentPanel.AddChild(&rows[i]);
    }
    ShowRows();

    CAppData* app = CAppData::Instance();
    addressEdit.SetID(ID_ADDRESS);
    addressEdit.SetTip(u"服务器地址");
    addressEdit.SetMaxChars(31);
    addressEdit.SetTextColor(Style::EditText);
    addressEdit.SetText(
        CWString(app->GetConfig("Server_Addr") != nullptr ? app->GetConfig("Server_Addr") : "").GetText());
    contentPanel.AddChild(&addressEdit);
    portEdit.SetID(ID_PORT);
    portEdit.SetTip(u"端口");
    portEdit.SetMaxChars(5);
    portEdit.SetSipMode(SIP_KIND_NUMBER);
    portEdit.SetTextColor(Style::EditText);
    portEdit.SetText(CWString(app->GetConfig("Server_Port") != nullptr ? app->GetConfig("Server_Port") : "").GetText());
    contentPanel.AddChild(&portEdit);
    saveServerButton.SetID(ID_SAVE_SERVER);
    saveServerButton.SetButtonType(MZC_BUTTON_LIGHT);
    saveServerButton.SetTextColor(Style::ButtonText);
    saveServerButton.SetText(u"保存");
    contentPanel.AddChild(&saveServerButton);
    PlaceControls();

    RemoveUiWin(&toolBar);
    commandBar.SetButton(0, true, true, u"首页");
    commandBar.SetButton(2, true, true, u"返回");
    AddUiWin(&commandBar);
    return TRUE;
}

void CSysConfigWnd::PlaceControls()
{
    // Rows span the window's width, so they follow a turn of the screen.
    int width = GetWidth();
    for (int i = 0; i < ROW_COUNT; ++i)
        rows[i].SetPos(MARGIN, RowTop(i), width - 2 * MARGIN, ROW_HEIGHT);
    int top = ROW_TOP + SERVER_ROW * ROW_PITCH;
    int saveWidth = 90;
    int portWidth = 100;
    int addressWidth = width - 2 * MARGIN - portWidth - saveWidth - 20;
    addressEdit.SetPos(MARGIN, top, addressWidth, ROW_HEIGHT);
    portEdit.SetPos(MARGIN + addressWidth + 10, top, portWidth, ROW_HEIGHT);
    saveServerButton.SetPos(width - MARGIN - saveWidth, top, saveWidth, ROW_HEIGHT);
}

void CSysConfigWnd::OnScreenModeChanged(int orientation)
{
    CNetWnd::OnScreenModeChanged(orientation);
    PlaceControls();
}

BOOL CSysConfigWnd::ApplySetting(const char* key, const char* value)
{
    CAppData* app = CAppData::Instance();
    const char* current = app->GetConfig(key);
    if (current == nullptr || value == nullptr)
        return FALSE;
    std::string old = current;
    if (!app->SetConfig(key, value, 1)) {
        // The file keeps the old value (written whole or not at all); memory follows it.
        app->SetConfig(key, old.c_str(), 0);
        app->ShowMessageBox(u"设置保存失败，原设置未改变！", u"提示", m_hWnd);
        return FALSE;
    }
    return TRUE;
}

BOOL CSysConfigWnd::SaveServer(LPCWSTR addressText, LPCWSTR portText)
{
    CAppData* app = CAppData::Instance();
    std::string address = WideToAnsiString(addressText != nullptr ? addressText : u"");
    std::string portValue = WideToAnsiString(portText != nullptr ? portText : u"");
    if (!ValidAddress(address)) {
        app->ShowMessageBox(u"服务器地址无效，请输入域名或IP地址！", u"提示", m_hWnd);
        return FALSE;
    }
    int port = ValidPort(portValue);
    if (port == 0) {
        app->ShowMessageBox(u"端口无效，请输入1-65535之间的数字！", u"提示", m_hWnd);
        return FALSE;
    }
    std::string oldAddress = app->GetConfig("Server_Addr") != nullptr ? app->GetConfig("Server_Addr") : "";
    std::string oldPort = app->GetConfig("Server_Port") != nullptr ? app->GetConfig("Server_Port") : "";
    // Both or neither: one file write carries the two values.
    app->SetConfig("Server_Addr", address.c_str(), 0);
    if (!app->SetConfig("Server_Port", std::to_string(port).c_str(), 1)) {
        app->SetConfig("Server_Addr", oldAddress.c_str(), 0);
        app->SetConfig("Server_Port", oldPort.c_str(), 0);
        app->ShowMessageBox(u"设置保存失败，原设置未改变！", u"提示", m_hWnd);
        return FALSE;
    }
    // The next request goes to the new server; the worker is idle between this window's requests.
    CNetThread* shared = app->GetConnection();
    if (shared != nullptr && shared->WaitIdle(2000) == WAIT_OBJECT_0)
        shared->GetHttpClient()->SetServer(address.c_str(), port);
    app->ShowMessage(WideToAnsiString(u"服务器设置已保存").c_str(), m_hWnd, 2000);
    return TRUE;
}

void CSysConfigWnd::RemoveSignUp()
{
    CAppData* app = CAppData::Instance();
    if (MzMessageBox(m_hWnd, u"删除本机注册信息后，下次启动需要重新注册。确定删除？", u"提示", MZ_MB_YESNO) != MZ_IDYES)
        return;
    if (DeleteSignUpValues())
        app->ShowMessageBox(u"注册信息已删除，下次启动时需要重新注册。", u"提示", m_hWnd);
    else
        app->ShowMessageBox(u"注册信息删除失败！", u"提示", m_hWnd);
}

void CSysConfigWnd::ChooseFor(int row)
{
    const ChoiceRow& r = CHOICE_ROWS[row];
    PopMenuChoice choices[6];
    for (int i = 0; i < r.count; ++i)
        choices[i] = PopMenuChoice{i + 1, r.choices[i].text};
    int chosen = CPopMenuWnd::RunChoices(m_hWnd, choices, r.count);
    if (chosen < 1 || chosen > r.count)
        return;
    if (!ApplySetting(r.key, r.choices[chosen - 1].value)) {
        ShowRows();
        return;
    }
    if (row == ROW_SCREEN) {
        // A fixed direction turns the screen now; "自动旋转" waits for the phone to turn.
        int policy = GetRotationPolicy();
        if (policy >= 0 && policy <= 3)
            SetScreenMode(policy);
        else if (policy == -1)
            SetScreenMode(0);
    } else if (row == ROW_LOCK) {
        ApplyScreenLock();
    }
    ShowRows();
}

void CSysConfigWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam);
    if (id == ID_COMMAND_BAR) {
        if (lParam == 0)
            EndWnd(END_HOME);
        else if (lParam == 2)
            EndWnd(END_BACK);
        return;
    }
    if (id == ID_SAVE_SERVER) {
        SaveServer(addressEdit.GetText(), portEdit.GetText());
        return;
    }
    int row = id - ID_FIRST_ROW;
    if (row >= 0 && row < CHOICE_ROW_COUNT)
        ChooseFor(row);
    else if (row == ROW_BRANCHES)
        OpenByKey("yybsz", -1, BRANCHES_TITLE, "", "", m_hWnd);
    else if (row == ROW_SIGN_UP)
        RemoveSignUp();
}
