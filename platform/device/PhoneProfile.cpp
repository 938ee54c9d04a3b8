// Reading, writing and first-use creation of the phone profile.
#include "platform/device/PhoneProfile.h"
#include "platform/device/Random.h"
#include "platform/win/FileIo.h"
#include "platform/win/ModulePath.h"

#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>

namespace {

std::mutex profileLock;

std::string ProfilePath()
{
    return GetDeviceDirectoryNative() + "phone.ini";
}

std::string RandomDigits(int count)
{
    unsigned char bytes[32] = {};
    CeGenRandom((DWORD)count, bytes);
    std::string out;
    for (int i = 0; i < count; ++i)
        out += (char)('0' + bytes[i] % 10);
    return out;
}

// A 15-digit equipment identity whose last digit is the Luhn check digit, like the phone's own.
std::string PlausibleSerialNumber()
{
    std::string body = "35" + RandomDigits(12);
    int sum = 0;
    for (size_t i = 0; i < body.size(); ++i) {
        int d = body[body.size() - 1 - i] - '0';
        if (i % 2 == 0) {
            d *= 2;
            if (d > 9)
                d -= 9;
        }
        sum += d;
    }
    return body + (char)('0' + (10 - sum % 10) % 10);
}

std::string Format(const PhoneProfile& profile)
{
    std::string text = "# The phone: its cellular line and text messages.\n";
    text += "cellular_line=" + std::string(profile.cellularLine ? "yes" : "no") + "\n";
    text += "serial_number=" + profile.serialNumber + "\n";
    text += "subscriber_number=" + profile.subscriberNumber + "\n";
    text += "sms_sending=" + std::string(profile.smsSendingWorks ? "works" : "fails") + "\n";
    return text;
}

bool IsNo(const std::string& value)
{
    return value == "no" || value == "0" || value == "false" || value == "fails";
}

} // namespace

PhoneProfile ReadPhoneProfile()
{
    std::lock_guard<std::mutex> hold(profileLock);
    std::string path = ProfilePath();
    std::ifstream in(path);
    PhoneProfile profile;
    if (!in) {
        profile.serialNumber = PlausibleSerialNumber();
        profile.subscriberNumber = "139" + RandomDigits(8);
        std::string text = Format(profile);
        WriteFileAtomicallyNative(path, text.data(), text.size());
        return profile;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "cellular_line")
            profile.cellularLine = !IsNo(value);
        else if (key == "serial_number")
            profile.serialNumber = value;
        else if (key == "subscriber_number")
            profile.subscriberNumber = value;
        else if (key == "sms_sending")
            profile.smsSendingWorks = !IsNo(value);
    }
    return profile;
}

bool WritePhoneProfile(const PhoneProfile& profile)
{
    std::lock_guard<std::mutex> hold(profileLock);
    std::string text = Format(profile);
    return WriteFileAtomicallyNative(ProfilePath(), text.data(), text.size()) != FALSE;
}
