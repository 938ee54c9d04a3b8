// Arbitrary bytes as the user's data files, read back by the code that reads them: the own stock list
// ("MyQuotes": reading, widening, adding, the request and the layout of a reply), the user's funds ("MyFunds")
// and the branch offices ("yyb") of the trade log-in. The first byte picks the file. Nothing may crash, and the
// own stock list must never be left empty by a step that only adds or widens.
#include "core/AppData.h"
#include "fuzz/FuzzHome.h"
#include "fuzz/FuzzPresenter.h"
#include "funds/FundInfoQueryWnd.h"
#include "quotes/MyQuotes.h"
#include "quotes/MyStockLayout.h"
#include "quotes/QuoteRequest.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

CAppData* App()
{
    static FuzzPresenter presenter;
    FuzzHomePath();
    CAppData* app = CAppData::Instance();
    app->SetMessagePresenter(&presenter);
    return app;
}

void OwnStockList()
{
    CAString before;
    int read = ReadMyQuotes(&before);
    MigrateMyQuotes();
    CAString list;
    ReadMyQuotes(&list);
    if (read == MYQUOTES_READ && !before.IsEmpty() && list.IsEmpty())
        abort(); // widening lost the list
    CAString request = BuildMyStockRequest("tc_mfuncno=31000&tc_sfuncno=4", list.GetText());
    (void)request;
    std::vector<MyStockKey> rows = {{"000001", 2}, {"399001", 1}, {"600010", 2}, {"100100", 3}};
    std::vector<int> order;
    LayOutMyStocks(list.GetText(), rows, &order);
    for (int r : order)
        if (r < 0 || (size_t)r >= rows.size())
            abort();
    AddToMyQuotes("600010.02", nullptr);
    CAString after;
    if (ReadMyQuotes(&after) == MYQUOTES_READ && after.IsEmpty() && !list.IsEmpty())
        abort(); // adding lost the list
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 64 * 1024)
        return 0;
    CAppData* app = App();
    static const char* const names[] = {"MyQuotes", "MyFunds", "yyb"};
    const char* name = names[data[0] % 3];
    if (!app->WriteDataFile(name, data + 1, (UINT)(size - 1)))
        return 0;
    switch (data[0] % 3) {
    case 0:
        OwnStockList();
        break;
    case 1:
        CFundInfoQueryWnd::AddToMyFunds("000001", nullptr, 1);
        CFundInfoQueryWnd::AddToMyFunds("161005", nullptr, 1);
        break;
    default:
        app->ShowTradeLogin(nullptr, 0);
        break;
    }
    return 0;
}
