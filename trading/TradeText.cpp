#include "trading/TradeText.h"

#include "core/AppData.h"
#include "core/TextHelpers.h"

#include <cstdlib>

std::string Gb(const WCHAR* text)
{
    char* narrow = nullptr;
    WideToAnsi(text != nullptr ? text : u"", &narrow);
    std::string s = narrow != nullptr ? narrow : "";
    free(narrow);
    return s;
}

std::u16string Wide(const char* text)
{
    WCHAR* wide = nullptr;
    AnsiToWide(text != nullptr ? text : "", &wide);
    std::u16string s = wide != nullptr ? wide : u"";
    free(wide);
    return s;
}

void ShowText(const WCHAR* text, HWND owner, int milliseconds)
{
    CAppData::Instance()->ShowMessage(Gb(text).c_str(), owner, milliseconds);
}

void ShowNotice(const WCHAR* text, HWND owner)
{
    CAppData::Instance()->ShowMessageBox(text, u"提示", owner);
}
