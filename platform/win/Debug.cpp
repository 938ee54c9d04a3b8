// Debug output to standard error and the bounded in-memory log.
#include "platform/win/Debug.h"
#include "platform/win/CodePage.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace {

std::mutex logLock;
std::u16string& Log()
{
    static std::u16string* log = new std::u16string(); // never destroyed: threads may still write at exit
    return *log;
}

std::string ToUtf8(const std::u16string& text)
{
    if (text.empty())
        return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string out((size_t)n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), out.data(), n, nullptr, nullptr);
    return out;
}

void Append(std::u16string text)
{
    if (text.empty())
        return;
    if (getenv("MORWICK_DEBUG") != nullptr) {
        std::string line = ToUtf8(text);
        fwrite(line.data(), 1, line.size(), stderr);
        if (text.back() != u'\n')
            fputc('\n', stderr);
        fflush(stderr);
    }
    std::lock_guard<std::mutex> hold(logLock);
    std::u16string& log = Log();
    log += text;
    // Trimmed to three quarters when full, so a chatty run does not move a megabyte for every line.
    if (log.size() > DEBUG_LOG_LIMIT)
        log.erase(0, log.size() - DEBUG_LOG_LIMIT / 4 * 3);
}

} // namespace

void OutputDebugStringW(LPCWSTR text)
{
    if (text == nullptr)
        return;
    Append(std::u16string(text));
}

void OutputDebugStringA(LPCSTR text)
{
    if (text == nullptr || text[0] == 0)
        return;
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 0)
        return;
    std::vector<WCHAR> wide((size_t)n);
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
    Append(std::u16string(wide.data()));
}

std::u16string TakeDebugLog()
{
    std::lock_guard<std::mutex> hold(logLock);
    std::u16string out;
    out.swap(Log());
    return out;
}

std::string TakeDebugLogUtf8()
{
    return ToUtf8(TakeDebugLog());
}
