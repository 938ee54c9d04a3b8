// The automation commands: input injection, the phone's events, the clock, screen shots, the window dump,
// waiting for idle and the debug log.
#include "platform/automation/Automation.h"

#include "platform/device/Registry.h"
#include "platform/device/TouchDriver.h"
#include "platform/display/PngCodec.h"
#include "platform/win/Debug.h"
#include "platform/win/Desktop.h"
#include "platform/win/Message.h"
#include "platform/win/Paths.h"
#include "platform/win/Shell.h"
#include "platform/win/Thread.h"
#include "platform/win/Time.h"
#include "platform/win/WinUser.h"

#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

using namespace morwick::display;

namespace morwick::automation {

std::string JsonString(const std::string& s)
{
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += (char)c;
            }
        }
    }
    return out + "\"";
}

std::string JsonString(const std::u16string& text)
{
    return JsonString(Utf8FromWide(text.c_str(), (int)text.size()));
}

namespace {

std::string Ok(const std::string& more = "")
{
    return more.empty() ? "{\"ok\":true}" : "{\"ok\":true," + more + "}";
}

std::string Error(const std::string& why)
{
    return "{\"ok\":false,\"error\":" + JsonString(why) + "}";
}

std::string Rect(const RECT& r)
{
    char text[64];
    std::snprintf(text, sizeof text, "[%d,%d,%d,%d]", (int)r.left, (int)r.top, (int)r.right, (int)r.bottom);
    return text;
}

// Stylus positions travel in messages as signed 16-bit numbers; the clock moves at most a year at a time and
// an idle wait lasts at most an hour. Anything beyond is a mistake in the script and gets an error answer.
constexpr long long COORDINATE_LIMIT = 32767;
constexpr long long MAX_CLOCK_STEP_MS = 365LL * 24 * 3600 * 1000;
constexpr long long MAX_IDLE_MS = 3600LL * 1000;

// The next word as a whole number in [low, high]; false when it is missing, not a number or out of range.
bool ReadNumber(std::istringstream& in, long long low, long long high, long long& value)
{
    std::string word;
    if (!(in >> word))
        return false;
    const char* end = word.data() + word.size();
    auto [stop, error] = std::from_chars(word.data(), end, value);
    return error == std::errc() && stop == end && value >= low && value <= high;
}

// As ReadNumber, for a word that may be left out: then value keeps its default.
bool ReadOptionalNumber(std::istringstream& in, long long low, long long high, long long& value)
{
    in >> std::ws;
    return in.eof() || ReadNumber(in, low, high, value);
}

// The automation clock: frozen at the time set, moved only by "clock advance".
std::mutex clockLock;
LONGLONG clockWall = 0;     // milliseconds since 1970 UTC
DWORD clockMessageBase = 0; // the message clock when the clock was set
LONGLONG clockWallBase = 0;

LONGLONG AutomationWall()
{
    std::lock_guard<std::mutex> guard(clockLock);
    return clockWall;
}

DWORD AutomationMessageClock()
{
    std::lock_guard<std::mutex> guard(clockLock);
    return clockMessageBase + (DWORD)(clockWall - clockWallBase);
}

std::string ClockCommand(std::istringstream& in)
{
    std::string what;
    in >> what;
    if (what == "set") {
        std::string date, time;
        in >> date >> time;
        std::tm tm{};
        if (std::sscanf(date.c_str(), "%4d-%2d-%2d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday) != 3 ||
            std::sscanf(time.c_str(), "%2d:%2d:%2d", &tm.tm_hour, &tm.tm_min, &tm.tm_sec) != 3 || tm.tm_year < 1970 ||
            tm.tm_mon < 1 || tm.tm_mon > 12 || tm.tm_mday < 1 || tm.tm_mday > 31 || tm.tm_hour > 23 || tm.tm_min > 59 ||
            tm.tm_sec > 60)
            return Error("clock set YYYY-MM-DD HH:MM:SS");
        tm.tm_year -= 1900;
        tm.tm_mon -= 1;
        tm.tm_isdst = -1;
        std::time_t t = std::mktime(&tm); // the time given is local time
        if (t == (std::time_t)-1)
            return Error("bad time");
        DWORD nowMessage = GetMessageClock();
        {
            std::lock_guard<std::mutex> guard(clockLock);
            clockWall = (LONGLONG)t * 1000;
            clockWallBase = clockWall;
            clockMessageBase = nowMessage;
        }
        SetWallClockSource(AutomationWall);
        SetMessageClock(AutomationMessageClock);
        MessageClockChanged();
        return Ok();
    }
    if (what == "advance") {
        long long ms = 0;
        if (!ReadNumber(in, 0, MAX_CLOCK_STEP_MS, ms))
            return Error("clock advance MS");
        {
            std::lock_guard<std::mutex> guard(clockLock);
            if (clockWall == 0)
                return Error("clock not set");
            clockWall += ms;
        }
        MessageClockChanged();
        return Ok();
    }
    if (what == "real") {
        {
            std::lock_guard<std::mutex> guard(clockLock);
            clockWall = 0;
        }
        SetWallClockSource(nullptr);
        SetMessageClock(nullptr);
        MessageClockChanged();
        return Ok();
    }
    return Error("clock set|advance|real");
}

void Dispatch(int budget)
{
    MSG msg;
    for (int i = 0; i < budget && PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage((int)msg.wParam); // for the real loop
            return;
        }
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
}

std::string IdleCommand(long long ms)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    bool onGui = GuiThreadId() == GetCurrentThreadId();
    int quiet = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (onGui)
            Dispatch(1000);
        if (GuiQueueIdle() && !IsBusy()) {
            if (++quiet >= 2)
                return Ok("\"idle\":true");
        } else {
            quiet = 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(onGui ? 1 : 5));
    }
    return Ok("\"idle\":false");
}

std::string DumpCommand()
{
    std::vector<WindowInfo> stack;
    RunOnGuiThread([&] { stack = DescribeWindowStack(); });
    std::string out = "\"screen\":{\"width\":" + std::to_string(ScreenWidth()) +
                      ",\"height\":" + std::to_string(ScreenHeight()) + "},\"windows\":[";
    bool first = true;
    for (const WindowInfo& w : stack) {
        if (!first)
            out += ",";
        first = false;
        out += "{\"class\":" + JsonString(w.className) + ",\"title\":" + JsonString(w.title) +
               ",\"rect\":" + Rect(w.rect) + ",\"visible\":" + (w.visible ? "true" : "false") +
               ",\"active\":" + (w.active ? "true" : "false") +
               ",\"controls\":" + (w.controlsJson.empty() ? "[]" : w.controlsJson) + "}";
    }
    return Ok(out + "]");
}

std::string ShotCommand(const std::string& path)
{
    if (path.empty())
        return Error("shot PATH");
    RunOnGuiThread([] { ComposeScreen(true); });
    Surface s = CopyScreen();
    if (!SavePng(path, s))
        return Error("cannot write " + path);
    return Ok("\"width\":" + std::to_string(s.width) + ",\"height\":" + std::to_string(s.height));
}

bool ReadPoint(std::istringstream& in, int& x, int& y)
{
    long long px = 0, py = 0;
    if (!ReadNumber(in, -COORDINATE_LIMIT, COORDINATE_LIMIT, px) ||
        !ReadNumber(in, -COORDINATE_LIMIT, COORDINATE_LIMIT, py))
        return false;
    x = static_cast<int>(px);
    y = static_cast<int>(py);
    return true;
}

std::string KeyCommand(const std::string& name)
{
    struct Named {
        const char* name;
        UINT vk;
        char16_t ch;
    };
    static const Named keys[] = {{"enter", VK_RETURN, u'\r'}, {"back", VK_BACK, u'\b'}, {"left", VK_LEFT, 0},
                                 {"right", VK_RIGHT, 0},      {"up", VK_UP, 0},         {"down", VK_DOWN, 0},
                                 {"tab", VK_TAB, 0},          {"escape", VK_ESCAPE, 0}, {"delete", VK_DELETE, 0},
                                 {"space", VK_SPACE, u' '}};
    for (const Named& k : keys)
        if (name == k.name) {
            InjectKey(k.vk, true);
            if (k.ch)
                InjectChar(k.ch);
            InjectKey(k.vk, false);
            return Ok();
        }
    return Error("unknown key " + name);
}

// tap, press, move and release X Y: a finger on the screen.
std::string PointerCommand(const std::string& cmd, std::istringstream& in)
{
    int x = 0, y = 0;
    if (!ReadPoint(in, x, y))
        return Error(cmd + " X Y");
    if (cmd == "tap" || cmd == "press")
        InjectMouse(WM_LBUTTONDOWN, x, y);
    if (cmd == "move")
        InjectMouse(WM_MOUSEMOVE, x, y);
    if (cmd == "tap" || cmd == "release")
        InjectMouse(WM_LBUTTONUP, x, y);
    return Ok();
}

std::string DragCommand(std::istringstream& in)
{
    int x = 0, y = 0, x2 = 0, y2 = 0;
    long long steps = 10;
    if (!ReadPoint(in, x, y) || !ReadPoint(in, x2, y2) || !ReadOptionalNumber(in, 1, 1000, steps))
        return Error("drag X1 Y1 X2 Y2 [STEPS]");
    InjectMouse(WM_LBUTTONDOWN, x, y);
    for (int i = 1; i <= steps; ++i)
        InjectMouse(WM_MOUSEMOVE, x + (int)((x2 - x) * i / steps), y + (int)((y2 - y) * i / steps));
    InjectMouse(WM_LBUTTONUP, x2, y2);
    return Ok();
}

std::string TextCommand(std::istringstream& in)
{
    std::string rest;
    std::getline(in, rest);
    if (!rest.empty() && rest[0] == ' ')
        rest.erase(0, 1);
    for (char16_t ch : WideFromUtf8(rest))
        InjectChar(ch);
    return Ok();
}

std::string RotateCommand(std::istringstream& in)
{
    long long o = 0;
    if (!ReadNumber(in, 0, 3, o))
        return Error("rotate 0|1|2|3");
    if (!MzAccIsOpen())
        return Error("the accelerometer is not open");
    SimulateAccelerometer((int)o);
    return Ok();
}

std::string CallCommand(std::istringstream& in)
{
    std::string what;
    in >> what;
    if (what != "begin" && what != "end")
        return Error("call begin|end");
    SimulateCall(what == "begin");
    return Ok();
}

std::string UsbCommand(std::istringstream& in)
{
    std::string what;
    in >> what;
    if (what != "off")
        return Error("usb off");
    SimulateUsbOff();
    return Ok();
}

std::string FlightModeCommand(std::istringstream& in)
{
    std::string what;
    in >> what;
    if (what != "on" && what != "off")
        return Error("flightmode on|off");
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, u"ControlPanel\\Setting\\FlyMode", 0, nullptr, 0, 0, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return Error("cannot write the setting");
    DWORD flag = what == "on" ? 1 : 0;
    LONG r = RegSetValueExW(key, u"FlyModeFlag", 0, REG_DWORD, (const BYTE*)&flag, sizeof flag);
    RegCloseKey(key);
    return r == ERROR_SUCCESS ? Ok() : Error("cannot write the setting");
}

// Two fingers squeezed together (in) or spread apart (out), through the touch driver.
std::string PinchCommand(std::istringstream& in)
{
    std::string how;
    in >> how;
    if (how != "in" && how != "out")
        return Error("pinch in|out");
    int sent = how == "in" ? SimulatePinch(200, 100) : SimulatePinch(100, 200);
    return sent > 0 ? Ok() : Error("no window takes gestures");
}

std::string ProgramsCommand()
{
    std::string list = "[";
    for (const std::string& p : TakeStartedPrograms())
        list += (list.size() > 1 ? "," : "") + JsonString(p);
    return Ok("\"programs\":" + list + "]");
}

} // namespace

std::string RunCommand(const std::string& line)
{
    std::istringstream in(line);
    std::string cmd;
    in >> cmd;
    if (cmd == "tap" || cmd == "press" || cmd == "move" || cmd == "release")
        return PointerCommand(cmd, in);
    if (cmd == "drag")
        return DragCommand(in);
    if (cmd == "key") {
        std::string name;
        in >> name;
        return KeyCommand(name);
    }
    if (cmd == "text")
        return TextCommand(in);
    if (cmd == "rotate")
        return RotateCommand(in);
    if (cmd == "lock" || cmd == "unlock") {
        SimulateLockPhone(cmd == "lock");
        return Ok();
    }
    if (cmd == "call")
        return CallCommand(in);
    if (cmd == "usb")
        return UsbCommand(in);
    if (cmd == "flightmode")
        return FlightModeCommand(in);
    if (cmd == "pinch")
        return PinchCommand(in);
    if (cmd == "frontkey") {
        InjectFrontKey();
        return Ok();
    }
    if (cmd == "clock")
        return ClockCommand(in);
    if (cmd == "shot") {
        std::string path;
        std::getline(in, path);
        size_t start = path.find_first_not_of(' ');
        return ShotCommand(start == std::string::npos ? "" : path.substr(start));
    }
    if (cmd == "dump")
        return DumpCommand();
    if (cmd == "idle") {
        long long ms = 5000;
        if (!ReadOptionalNumber(in, 0, MAX_IDLE_MS, ms))
            return Error("idle [MS]");
        return IdleCommand(ms);
    }
    if (cmd == "log")
        return Ok("\"log\":" + JsonString(TakeDebugLogUtf8()));
    if (cmd == "programs")
        return ProgramsCommand();
    return Error(cmd.empty() ? "empty command" : "unknown command " + cmd);
}

} // namespace morwick::automation
