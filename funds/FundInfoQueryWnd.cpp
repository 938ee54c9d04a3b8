#include "funds/FundInfoQueryWnd.h"

#include "core/AppData.h"
#include "core/TextHelpers.h"
#include "funds/FundQuery.h"
#include "platform/win/FileIo.h"
#include "platform/win/LastError.h"

#include <cstdlib>
#include <cstring>

namespace {

const char MY_FUNDS[] = "MyFunds"; // the named data file of the user's fund codes

void ShowTip(const char16_t* text, HWND owner)
{
    char* narrow = nullptr;
    WideToAnsi(text, &narrow);
    CAppData::Instance()->ShowMessage(narrow != nullptr ? narrow : "", owner, 2000);
    free(narrow);
}

bool SameCode(const char* entry, size_t n, const char* code)
{
    return strlen(code) == n && StrNCmpNoCase(entry, code, (int)n) == 0;
}

} // namespace

CFundInfoQueryWnd::CFundInfoQueryWnd(LPCWSTR title, HWND owner) : CFundTableWnd(title, owner, Listing::Public) {}

CFundInfoQueryWnd::~CFundInfoQueryWnd() = default;

LPCWSTR CFundInfoQueryWnd::GetMzClassName()
{
    return u"CFundInfoQueryWnd";
}

// The list goes with every page: the server knows the funds, the phone knows which are the user's.
int CFundInfoQueryWnd::BuildRequest(char* part, int capacity, const char*)
{
    std::string list;
    if (!ReadMyFunds(&list)) {
        part[0] = 0;
        return 0;
    }
    return BuildFundQuery(this, part, capacity, false, ("codes=" + list).c_str());
}

bool CFundInfoQueryWnd::ReadMyFunds(std::string* list)
{
    list->clear();
    BYTE* data = nullptr;
    SetLastError(0);
    int size = CAppData::Instance()->ReadDataFile(MY_FUNDS, &data);
    if (size < 0) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    if (data != nullptr)
        list->assign(reinterpret_cast<const char*>(data));
    free(data);
    return true;
}

int CFundInfoQueryWnd::AddToMyFunds(const char* code, HWND owner, BYTE quiet)
{
    if (code == nullptr || code[0] == 0)
        return 0;
    std::string list;
    // A list that is there but cannot be read is not an empty one: writing now would lose it.
    if (!ReadMyFunds(&list)) {
        ShowTip(u"我的基金添加失败!", owner);
        return 0;
    }
    for (size_t start = 0; start <= list.size();) {
        size_t end = list.find(',', start);
        if (end == std::string::npos)
            end = list.size();
        if (SameCode(list.c_str() + start, end - start, code)) {
            ShowTip(u"已在我的基金!", owner);
            return 0;
        }
        start = end + 1;
    }
    std::string updated = list.empty() ? std::string(code) : list + "," + code;
    if (!CAppData::Instance()->WriteDataFile(MY_FUNDS, updated.c_str(), (UINT)updated.size() + 1)) {
        ShowTip(u"我的基金添加失败!", owner);
        return 0;
    }
    if (!quiet)
        ShowTip(u"我的基金添加成功!", owner);
    return 1;
}

void CFundInfoQueryWnd::ShapeGrid(int shown)
{
    ShapeFundGrid(grid, requestCount, shown);
}

void CFundInfoQueryWnd::OnReply(const BYTE* data, int length, int transportFailed)
{
    ShowFundPage(this, data, length, transportFailed);
}
