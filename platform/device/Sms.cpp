// Text messages into the outbox file; the phone profile decides whether sending works.
#include "platform/device/Sms.h"
#include "platform/device/PhoneProfile.h"
#include "platform/win/CodePage.h"
#include "platform/win/ModulePath.h"
#include "platform/win/WideText.h"

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::mutex smsLock;
std::set<uintptr_t> openHandles;
uintptr_t nextHandle = 1;
SMS_MESSAGE_ID nextMessageId = 1;

std::string Utf8(const WCHAR* text, int length)
{
    if (length <= 0)
        return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string out((size_t)n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
    return out;
}

std::string EscapeLine(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
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
            out += c;
            break;
        }
    }
    return out;
}

// How the phone would dial the recipient, named in the outbox line.
const char* AddressTypeName(SMS_ADDRESS_TYPE type)
{
    static const char* const names[] = {"unknown",    "international", "national",   "network",
                                        "subscriber", "alphanumeric",  "abbreviated"};
    return type >= SMSAT_UNKNOWN && type <= SMSAT_ABBREVIATED ? names[type] : "unknown";
}

bool AppendLine(const std::string& line)
{
    int fd = open(SmsOutboxPath().c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    fchmod(fd, 0600); // an outbox made by an older version may still be readable by others
    const char* p = line.data();
    size_t left = line.size();
    bool ok = true;
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        p += n;
        left -= (size_t)n;
    }
    return close(fd) == 0 && ok;
}

} // namespace

std::string SmsOutboxPath()
{
    return GetDeviceDirectoryNative() + "outbox.txt";
}

HRESULT SmsOpen(LPCWSTR protocol, DWORD modes, SMS_HANDLE* handle, HANDLE* messageAvailableEvent)
{
    if (protocol == nullptr || handle == nullptr || (modes & (SMS_MODE_SEND | SMS_MODE_RECEIVE)) == 0)
        return E_INVALIDARG;
    if (wcscmp(protocol, SMS_TEXT_PROTOCOL) != 0)
        return SMS_E_INVALIDPROTOCOL;
    if (messageAvailableEvent != nullptr)
        *messageAvailableEvent = nullptr; // no incoming messages on this phone
    std::lock_guard<std::mutex> hold(smsLock);
    uintptr_t h = nextHandle++;
    openHandles.insert(h);
    *handle = (SMS_HANDLE)h;
    return S_OK;
}

HRESULT SmsSendMessage(SMS_HANDLE handle, const SMS_ADDRESS*, const SMS_ADDRESS* destination, const SYSTEMTIME*,
                       const BYTE* data, DWORD dataSize, const BYTE*, DWORD, SMS_DATA_ENCODING encoding, DWORD,
                       SMS_MESSAGE_ID* messageId)
{
    {
        std::lock_guard<std::mutex> hold(smsLock);
        if (openHandles.count((uintptr_t)handle) == 0)
            return SMS_E_INVALIDHANDLE;
    }
    if (destination == nullptr || (data == nullptr && dataSize > 0))
        return E_INVALIDARG;
    size_t addressLength = wcsnlen(destination->ptsAddress, SMS_MAX_ADDRESS_LENGTH);
    if (addressLength == 0 || addressLength == SMS_MAX_ADDRESS_LENGTH)
        return E_INVALIDARG;

    std::string text;
    if (encoding == SMSDE_GSM) {
        std::vector<WCHAR> wide(dataSize + 1);
        int n = dataSize > 0
                    ? MultiByteToWideChar(CP_ACP, 0, (const char*)data, (int)dataSize, wide.data(), (int)dataSize)
                    : 0;
        text = Utf8(wide.data(), n);
    } else {
        if (dataSize % 2 != 0)
            return E_INVALIDARG;
        std::vector<WCHAR> wide(dataSize / 2);
        for (size_t i = 0; i < wide.size(); ++i)
            wide[i] = (WCHAR)(data[2 * i] | (data[2 * i + 1] << 8));
        text = Utf8(wide.data(), (int)wide.size());
    }

    if (!ReadPhoneProfile().smsSendingWorks)
        return SMS_E_SENDFAILED;
    std::string line = EscapeLine(Utf8(destination->ptsAddress, (int)addressLength)) + "\t" +
                       AddressTypeName(destination->smsatAddressType) + "\t" + EscapeLine(text) + "\n";
    std::lock_guard<std::mutex> hold(smsLock);
    if (!AppendLine(line))
        return SMS_E_SENDFAILED;
    if (messageId != nullptr)
        *messageId = nextMessageId;
    ++nextMessageId;
    return S_OK;
}

HRESULT SmsClose(SMS_HANDLE handle)
{
    std::lock_guard<std::mutex> hold(smsLock);
    return openHandles.erase((uintptr_t)handle) != 0 ? S_OK : SMS_E_INVALIDHANDLE;
}
