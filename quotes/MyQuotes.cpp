// The own stock list file: reading it whole, adding a stock, widening market suffixes.
#include "quotes/MyQuotes.h"

#include "core/AppData.h"
#include "core/TextHelpers.h"
#include "platform/win/FileIo.h"
#include "platform/win/LastError.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char MY_QUOTES[] = "MyQuotes";
// Tips, in code page 936.
const char NO_MARKET[] =
    "\xca\xfd\xbe\xdd\xb4\xed\xce\xf3\xa3\xac\xce\xde\xca\xd0\xb3\xa1\xb4\xfa\xc2\xeb\xa3\xa1"; // 数据错误，无市场代码！
const char BAD_CODE[] = "\xb9\xc9\xc6\xb1\xb4\xfa\xc2\xeb\xb4\xed\xce\xf3\xa3\xa1";             // 股票代码错误！
const char ALREADY_LISTED[] = "\xb9\xc9\xc6\xb1%s\xd2\xd1\xd4\xda\xd7\xd4\xd1\xa1\xb9\xc9"; // 股票%s已在自选股
const char ADDED[] = "\xd7\xd4\xd1\xa1\xb9\xc9\xcc\xed\xbc\xd3\xb3\xc9\xb9\xa6\xa3\xba%s"; // 自选股添加成功：%s
const char READ_FAILED[] = "\xd7\xd4\xd1\xa1\xb9\xc9\xb6\xc1\xc8\xa1\xca\xa7\xb0\xdc!";     // 自选股读取失败!
const char SAVE_FAILED[] = "\xd7\xd4\xd1\xa1\xb9\xc9\xb1\xa3\xb4\xe6\xca\xa7\xb0\xdc!";     // 自选股保存失败!

std::string Normalized(const char* code)
{
    char* wide = NormalizeQuoteCode(code);
    std::string text = wide != nullptr ? wide : "";
    if (wide != code)
        free(wide);
    return text;
}

} // namespace

int ReadMyQuotes(CAString* list)
{
    if (list != nullptr)
        list->Assign("");
    BYTE* data = nullptr;
    SetLastError(0);
    int size = CAppData::Instance()->ReadDataFile(MY_QUOTES, &data);
    if (size < 0) {
        DWORD error = GetLastError();
        // Only a file that is not there is an empty list; anything else must not be taken for one, or the
        // next write would replace the user's list with a single stock.
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? MYQUOTES_ABSENT : MYQUOTES_UNREADABLE;
    }
    // The buffer has zero bytes after the data, so the text ends at the first NUL either way.
    if (list != nullptr && data != nullptr)
        list->Assign(reinterpret_cast<const char*>(data));
    free(data);
    return MYQUOTES_READ;
}

BOOL WriteMyQuotes(const char* text)
{
    if (text == nullptr)
        text = "";
    return CAppData::Instance()->WriteDataFile(MY_QUOTES, text, UINT(strlen(text) + 1));
}

char* NormalizeQuoteCode(const char* code)
{
    if (code == nullptr)
        return nullptr;
    const char* dot = strchr(code, '.');
    if (dot == nullptr || strlen(dot) != 2)
        return const_cast<char*>(code);
    size_t head = size_t(dot - code) + 1;
    char* widened = static_cast<char*>(malloc(head + 3));
    if (widened == nullptr)
        return const_cast<char*>(code);
    memcpy(widened, code, head);
    widened[head] = '0';
    widened[head + 1] = dot[1];
    widened[head + 2] = '\0';
    return widened;
}

int IsSameStock(const char* a, const char* b)
{
    if (a == nullptr || b == nullptr)
        return 0;
    return StrEqualNoCase(Normalized(a).c_str(), Normalized(b).c_str()) == 0 ? 1 : 0;
}

namespace {

// A tip with the stock put in place of its "%s".
void ShowStockTip(const char* format, const std::string& stock, HWND owner, int milliseconds)
{
    std::string message = format;
    message.replace(message.find("%s"), 2, stock);
    CAppData::Instance()->ShowMessage(message.c_str(), owner, milliseconds);
}

} // namespace

int AddToMyQuotes(const char* code, HWND owner, const char* name)
{
    CAppData* app = CAppData::Instance();
    // A "," would split the stock into two items of the file; an empty code adds nothing.
    if (code == nullptr || code[0] == '\0' || strchr(code, ',') != nullptr) {
        app->ShowMessage(BAD_CODE, owner, 2000);
        return 0;
    }
    std::string c = Normalized(code);
    // The tips name the stock, so the user sees which one the action took.
    std::string stock = name != nullptr && name[0] != 0 ? std::string(name) + "(" + c + ")" : c;

    CAString stored;
    if (ReadMyQuotes(&stored) == MYQUOTES_UNREADABLE) {
        app->ShowMessage(READ_FAILED, owner, 2000);
        return 0;
    }
    std::string text;
    if (!stored.IsEmpty()) {
        if (c.find('.') == std::string::npos) {
            app->ShowMessage(NO_MARKET, owner, 2000);
            return 0;
        }
        std::string list = stored.GetText();
        size_t start = 0;
        while (start <= list.size()) {
            size_t end = list.find(',', start);
            if (end == std::string::npos)
                end = list.size();
            if (IsSameStock(list.substr(start, end - start).c_str(), c.c_str())) {
                ShowStockTip(ALREADY_LISTED, stock, owner, 1000);
                return 0;
            }
            start = end + 1;
        }
        text = list + "," + c;
        if (text.size() > (size_t)MYQUOTES_MAX_TEXT) {
            app->ShowMessage(MYQUOTES_FULL, owner, 2000);
            return 0;
        }
    } else {
        text = c;
    }
    if (!WriteMyQuotes(text.c_str())) {
        app->ShowMessage(SAVE_FAILED, owner, 2000);
        return 0;
    }
    ShowStockTip(ADDED, stock, owner, 1000);
    return 1;
}

void MigrateMyQuotes()
{
    CAString stored;
    if (ReadMyQuotes(&stored) != MYQUOTES_READ || stored.IsEmpty())
        return;
    // Item by item, so that only a suffix of exactly one digit is widened and nothing else in the text moves.
    std::string list = stored.GetText();
    std::string migrated;
    bool changed = false;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(',', start);
        if (end == std::string::npos)
            end = list.size();
        std::string item = list.substr(start, end - start);
        std::string wide = Normalized(item.c_str());
        changed = changed || wide != item;
        if (start > 0)
            migrated += ",";
        migrated += wide;
        start = end + 1;
    }
    if (changed)
        WriteMyQuotes(migrated.c_str());
}
