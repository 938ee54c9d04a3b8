// The automation driver of the real client process (see ClientDriver.h).
#include "tests/support/ClientDriver.h"

#include "core/ConfigStore.h"
#include "platform/automation/Automation.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace e2e {

int WaitMs()
{
    const char* text = getenv("MORWICK_E2E_WAIT_MS");
    return text != nullptr && atoi(text) > 0 ? atoi(text) : 30000;
}

namespace {

// Where the first shown window of a dump starts (a window sent to the background stays listed, hidden); npos for
// none.
size_t FrontWindowStart(const std::string& dump)
{
    static const std::regex shown(R"re(\{"class":"[^"]*","title":"[^"]*","rect":\[[-0-9,]*\],"visible":true)re");
    size_t list = dump.find("\"windows\":[");
    std::smatch m;
    if (list == std::string::npos || !std::regex_search(dump.begin() + (long)list, dump.end(), m, shown))
        return std::string::npos;
    return list + (size_t)m.position(0);
}

} // namespace

Point CentreOf(const std::string& dump, const std::string& controlPattern)
{
    std::smatch window, control;
    static const std::regex windowRect(R"re(^\{"class":"[^"]*","title":"[^"]*","rect":\[(-?\d+),(-?\d+),)re");
    std::string front = TopWindow(dump);
    if (!std::regex_search(front, window, windowRect) || !std::regex_search(dump, control, std::regex(controlPattern)))
        return {};
    int left = std::stoi(window[1]), top = std::stoi(window[2]);
    int x1 = std::stoi(control[1]), y1 = std::stoi(control[2]), x2 = std::stoi(control[3]), y2 = std::stoi(control[4]);
    return {left + (x1 + x2) / 2, top + (y1 + y2) / 2};
}

std::string RectOfId(int id)
{
    return "\"id\":" + std::to_string(id) + R"re(,"rect":\[(\d+),(\d+),(\d+),(\d+)\])re";
}

std::string RectOfText(const std::string& text)
{
    return R"re("rect":\[(\d+),(\d+),(\d+),(\d+)\],"visible":true,"enabled":true,"text":")re" + text + "\"";
}

std::string TopWindowClass(const std::string& dump)
{
    std::smatch m;
    std::string front = TopWindow(dump);
    if (std::regex_search(front, m, std::regex(R"re(^\{"class":"([^"]*)")re")))
        return m[1];
    return "";
}

std::string TopWindow(const std::string& dump)
{
    size_t start = FrontWindowStart(dump);
    if (start == std::string::npos)
        return "";
    size_t next = dump.find("{\"class\":", start + 1);
    return dump.substr(start, next == std::string::npos ? std::string::npos : next - start);
}

int Count(const std::string& text, const std::string& part)
{
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++n;
    return n;
}

Point ToolButton(const std::string& dump, int index, int count)
{
    std::smatch m;
    Point centre = CentreOf(dump, RectOfId(101));
    std::string top = TopWindow(dump);
    if (centre.x < 0 || count < 1 || !std::regex_search(top, m, std::regex(RectOfId(101))))
        return {};
    int width = std::stoi(m[3]) - std::stoi(m[1]);
    return {centre.x - width / 2 + width * (2 * index + 1) / (2 * count), centre.y};
}

Point ListRow(const std::string& dump, int id, int k)
{
    std::smatch m;
    std::string top = TopWindow(dump);
    Point centre = CentreOf(dump, RectOfId(id));
    if (centre.x < 0 || !std::regex_search(top, m, std::regex(RectOfId(id) + R"re([^}]*"extra":"top=(\d+) row=(\d+))re")))
        return {};
    int height = std::stoi(m[4]) - std::stoi(m[2]), row = std::stoi(m[6]), scrolled = std::stoi(m[5]);
    return {centre.x, centre.y - height / 2 + row * k + row / 2 - scrolled};
}

std::vector<std::string> ListItems(const std::string& dump, int id, int* selected)
{
    std::smatch m;
    std::vector<std::string> items;
    std::string top = TopWindow(dump);
    if (selected != nullptr)
        *selected = -1;
    if (!std::regex_search(top, m, std::regex(RectOfId(id) + R"re([^\[]*"items":\[([^\]]*)\],"selected":(-?\d+))re")))
        return items;
    std::string list = m[5];
    static const std::regex quoted(R"re("([^"]*)")re");
    for (std::sregex_iterator it(list.begin(), list.end(), quoted), end; it != end; ++it)
        items.push_back((*it)[1]);
    if (selected != nullptr)
        *selected = std::stoi(m[6]);
    return items;
}

ClientProcess::ClientProcess(const std::string& home, const std::string& device, const std::string& socket,
                             std::string program, const std::string& runtime)
    : socket(socket)
{
    if (program.empty())
        program = std::string(MORWICK_BINARY_DIR) + "/app/morwick";
    std::vector<std::string> env = {"MORWICK_HOME=" + home, "MORWICK_DEVICE=" + device, "MORWICK_AUTOMATION=" + socket,
                                    "MORWICK_DISPLAY=headless"};
    // The test process's own folder for running clients, so a client of another test never counts as this
    // one's running instance.
    if (!runtime.empty())
        env.push_back("MORWICK_RUNTIME_DIR=" + runtime);
    else if (const char* own = getenv("MORWICK_RUNTIME_DIR"))
        env.push_back(std::string("MORWICK_RUNTIME_DIR=") + own);
    for (char** e = environ; *e != nullptr; ++e) {
        std::string entry = *e;
        if (entry.rfind("MORWICK_", 0) != 0)
            env.push_back(entry);
    }
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    char* argv[] = {program.data(), nullptr};
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0)
        pid = -1;
}

ClientProcess::~ClientProcess()
{
    if (pid > 0 && !exited) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

size_t ClientProcess::ReadCoreImage(const std::function<void(const std::string& mapping)>& each)
{
    std::ifstream maps("/proc/" + std::to_string(pid) + "/smaps");
    std::ifstream memory("/proc/" + std::to_string(pid) + "/mem", std::ios::binary);
    std::string line, part;
    unsigned long long start = 0, end = 0;
    size_t read = 0;
    bool wanted = false;
    std::smatch m;
    static const std::regex head(R"re(^([0-9a-f]+)-([0-9a-f]+) ([r-])([w-]).. \S+ \S+ \S+ *(.*)$)re");
    while (std::getline(maps, line)) {
        if (std::regex_match(line, m, head)) {
            start = std::stoull(m[1], nullptr, 16), end = std::stoull(m[2], nullptr, 16);
            wanted = m[3] == "r" && (m[4] == "w" || m[5].length() == 0 || m[5].str()[0] == '[') && m[5] != "[vvar]" &&
                     m[5] != "[vsyscall]";
        } else if (line.rfind("VmFlags:", 0) == 0 && wanted && line.find(" dd") == std::string::npos) {
            part.assign(end - start, '\0');
            memory.clear();
            memory.seekg((std::streamoff)start);
            memory.read(part.data(), (std::streamsize)part.size());
            part.resize((size_t)memory.gcount());
            read += part.size();
            each(part);
        }
    }
    return read;
}

bool ClientProcess::Ready()
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(WaitMs());
    while (std::chrono::steady_clock::now() < end) {
        if (!Command("idle 50").empty())
            return true;
        if (HasExited())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

std::string ClientProcess::Command(const std::string& line)
{
    return morwick::automation::SendCommand(socket, line);
}

void ClientProcess::Idle()
{
    Command("idle 2000");
}

std::string ClientProcess::Dump()
{
    return Command("dump");
}

bool ClientProcess::Tap(Point p)
{
    if (p.x < 0)
        return false;
    Command("tap " + std::to_string(p.x) + " " + std::to_string(p.y));
    Idle();
    return true;
}

std::string ClientProcess::WaitForTop(const std::string& className)
{
    std::string dump;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(WaitMs());
    do {
        Idle();
        dump = Dump();
        if (TopWindowClass(dump) == className)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < end);
    return dump;
}

std::string ClientProcess::Log()
{
    // The answer is {"ok":true,"log":"..."}, the text escaped as JSON; the escapes do not matter to a search.
    std::string answer = Command("log");
    const std::string field = "\"log\":\"";
    size_t start = answer.find(field), end = answer.rfind("\"}");
    if (start != std::string::npos && end != std::string::npos && end >= start + field.size())
        log += answer.substr(start + field.size(), end - start - field.size());
    return log;
}

bool ClientProcess::WaitForLog(const std::string& text)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(WaitMs());
    while (Log().find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() >= end || HasExited())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::string ClientProcess::SignUp()
{
    std::string dump = WaitForTop("CRegisterVerifyFrame");
    Point number = CentreOf(dump, RectOfId(300));
    Command("tap " + std::to_string(number.x) + " " + std::to_string(number.y));
    Command("text 13800138001");
    Point bar = CentreOf(dump, RectOfId(101)); // 登录: the command bar's left third
    bar.x /= 3;
    Tap(bar);
    return WaitForTop("CQXAppFrame");
}

std::string ClientProcess::WaitForAction(const std::string& className)
{
    static const std::regex action(R"re("id":101,[^}]*"items":\["[^"]*","([^"]*)")re");
    std::string dump;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(WaitMs());
    do {
        Idle();
        dump = Dump();
        std::smatch m;
        std::string top = TopWindow(dump);
        if (TopWindowClass(dump) == className && std::regex_search(top, m, action) &&
            m[1].str().find("(disabled)") == std::string::npos)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < end);
    return dump;
}

bool ClientProcess::HasExited()
{
    if (exited || pid <= 0)
        return true;
    int s = 0;
    if (waitpid(pid, &s, WNOHANG) == pid) {
        exited = true;
        status = s;
    }
    return exited;
}

int ClientProcess::WaitExit()
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(WaitMs());
    while (!HasExited() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return exited && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace e2e

void ClientTest::SetUp()
{
    home = root.Path() + "home/";
    device = root.Path() + "device/";
    server = std::make_unique<StandInServer>(ServerOptions());
    ASSERT_TRUE(server->Started());
    PrepareHome(home, device);
}

void ClientTest::PrepareHome(const std::string& programHome, const std::string& deviceFolder)
{
    namespace fs = std::filesystem;
    fs::create_directories(programHome);
    fs::create_directories(deviceFolder);
    CopyArtwork(programHome);
    ASSERT_TRUE(ServerTestKeys().ExportPublicKey(programHome + "pubkey.bin"));
    // The client talks to this server: its port in the client's stored settings.
    std::u16string dir(programHome.begin(), programHome.end());
    CConfigStore store(dir.c_str());
    CAString version;
    store.Load(&version);
    ASSERT_TRUE(store.SetConfig("Server_Port", std::to_string(server->Port()).c_str(), 1));
}

std::unique_ptr<e2e::ClientProcess> ClientTest::StartAnother(const std::string& name)
{
    std::string base = root.Path() + name + "-";
    std::filesystem::create_directories(base + "run");
    PrepareHome(base + "home/", base + "device/");
    auto client = std::make_unique<e2e::ClientProcess>(base + "home/", base + "device/", root.Path() + name + ".sock",
                                                       std::string(), base + "run");
    EXPECT_TRUE(client->Started());
    EXPECT_TRUE(client->Ready());
    return client;
}

void ClientTest::RestartServer()
{
    int port = server->Port();
    server.reset();
    server = std::make_unique<StandInServer>(ServerOptions(), port);
    ASSERT_TRUE(server->Started());
}

CServerOptions ClientTest::ServerOptions()
{
    CServerOptions options;
    options.seed = 7;
    options.marketMinutesPerSecond = 0;
    return options;
}

CServerOptions ClientTest::TradingMorning()
{
    CServerOptions options = ClientTest::ServerOptions();
    options.startMinute = 60;
    options.today = 20251208;
    return options;
}

std::unique_ptr<e2e::ClientProcess> ClientTest::Start(const std::string& name, const std::string& program)
{
    auto client = std::make_unique<e2e::ClientProcess>(home, device, root.Path() + name + ".sock", program);
    EXPECT_TRUE(client->Started());
    EXPECT_TRUE(client->Ready());
    return client;
}
