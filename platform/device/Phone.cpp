// Calls go to the dialler program "phone.exe" with the number as its argument.
#include "platform/device/Phone.h"

#include "platform/win/LastError.h"
#include "platform/win/Shell.h"

#include <string>

LONG PhoneMakeCall(const PHONEMAKECALLINFO* info)
{
    if (info == nullptr || info->cbSize < sizeof(PHONEMAKECALLINFO) || info->pszDestAddress == nullptr)
        return ERROR_INVALID_PARAMETER;
    // The dialler takes digits and the dialling signs only; anything else could be read as its options.
    std::u16string number;
    bool digits = false;
    for (const WCHAR* c = info->pszDestAddress; *c != 0; ++c) {
        if ((*c >= u'0' && *c <= u'9') || *c == u'+' || *c == u'*' || *c == u'#') {
            number += *c;
            digits = digits || (*c >= u'0' && *c <= u'9');
        } else if (*c != u' ' && *c != u'-') {
            return ERROR_INVALID_PARAMETER;
        }
    }
    if (!digits)
        return ERROR_INVALID_PARAMETER;
    if (!CreateProcessW(u"phone.exe", number.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, nullptr))
        return (LONG)GetLastError();
    return 0;
}
