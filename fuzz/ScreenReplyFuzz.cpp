// Arbitrary record sets into the reply handler (OnReply) of every screen the window factory can make: the
// quote tables, the own stock list and its editor, the index tables, the detailed quote, the deals, the charts,
// the menus, the information lists and texts, the paged queries, and the trading, fund and service screens. The
// first byte picks a starting point: the bytes as they are, or a real reply of the stand-in server with the rest
// of the input written over it (pairs of a position and a byte, or a cut), so that the mutations start from
// replies the screens understand. The trade, fund and cash-product replies come from an account logged in to
// trading that has placed orders, so their tables have rows.
#include "core/AppData.h"
#include "charts/ChartWindowMakers.h"
#include "core/HttpClient.h"
#include "fuzz/FuzzHome.h"
#include "fuzz/FuzzPresenter.h"
#include "fuzz/FuzzServer.h"
#include "funds/FundWindowMakers.h"
#include "platform/display/Display.h"
#include "quotes/DetailWindowMakers.h"
#include "quotes/InfoWindowMakers.h"
#include "quotes/MineWindowMakers.h"
#include "quotes/QuoteWindowMakers.h"
#include "services/ServiceWindowMakers.h"
#include "shell/MenuWindowMakers.h"
#include "shell/NetWnd.h"
#include "shell/WindowFactory.h"
#include "shell/WndManager.h"
#include "trading/TradeWindowMakers.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace {

int NoWindow(const char*, int, const char*, const char*, const char*, int, HWND)
{
    return 1;
}

const char* const REQUESTS[] = {
    "tc_mfuncno=31000&tc_sfuncno=3&market=0&class=0&type=21&direct=1&offset=0&count=20&field=4|3|16|20|21|13|11|1",
    "tc_mfuncno=31000&tc_sfuncno=4&count=4&code=000001.02|399001.01|600010.02|100100.03&field=4|3|16|20|21|13|11|1",
    ("tc_mfuncno=31000&tc_sfuncno=4&code=600010.02&field=1|2|3|4|11|13|14|15|16|17|18|32|29|30|50|51|52|53|54|55|"
     "56|57|58|59|70|71|72|73|74|75|76|77|78|79"),
    "tc_mfuncno=31000&tc_sfuncno=4&count=1&code=6000&field=4|3|1",
    "tc_mfuncno=31000&tc_sfuncno=6",
    "tc_mfuncno=31000&tc_sfuncno=7",
    "tc_mfuncno=31000&tc_sfuncno=9&code=600010.02&date=0&time=0&offset=0&direct=1&count=11",
    "tc_mfuncno=31000&tc_sfuncno=10&type=2&pattern=SZ",
    "tc_mfuncno=100&tc_sfuncno=5&menuid=305",
    "tc_mfuncno=300&tc_sfuncno=1&cont_sfunc=2&type=7",
    "tc_mfuncno=300&tc_sfuncno=2&newsid=801",
    "tc_mfuncno=504&tc_sfuncno=12&stkcode=600010.02&type=1",
    "tc_mfuncno=31000&tc_sfuncno=1&code=600010.02&addup=0&time=&date=&maxvol=&freq=1&close_xxld=0",
    "tc_mfuncno=31000&tc_sfuncno=2&code=600010.02&date=&time=&type=0&direct=0&count=50&techname=MACD",
    "tc_mfuncno=600&tc_sfuncno=5",
    "tc_mfuncno=700&tc_sfuncno=4&sortcol=zdf&direct=1",
    "tc_mfuncno=700&tc_sfuncno=18&name=",
    "tc_mfuncno=610&tc_sfuncno=1",
    "tc_mfuncno=9999&tc_sfuncno=1",
};
// Asked after the trade log-in, in this order: the orders come before the queries that list them.
const char* const TRADE_REQUESTS[] = {
    "tc_mfuncno=600&tc_sfuncno=6&code=600010&market=2&mmlb=0&price=33.00&sl=100",
    "tc_mfuncno=600&tc_sfuncno=6&code=600010&market=2&mmlb=0&price=28.00&sl=200",
    "tc_mfuncno=600&tc_sfuncno=3&code=600010&market=2&mmlb=0&price=",
    "tc_mfuncno=600&tc_sfuncno=10",
    "tc_mfuncno=600&tc_sfuncno=11",
    "tc_mfuncno=600&tc_sfuncno=11&kcd=1",
    "tc_mfuncno=600&tc_sfuncno=12",
    "tc_mfuncno=600&tc_sfuncno=13&ksrq=20250101&jsrq=20251208&lb=0",
    "tc_mfuncno=600&tc_sfuncno=14",
    "tc_mfuncno=600&tc_sfuncno=20&yhdm=01&zzfx=1&je=1000&yhmm=888888&zjmm=123456",
    "tc_mfuncno=600&tc_sfuncno=21&yhdm=01&yhmm=888888",
    "tc_mfuncno=600&tc_sfuncno=22&ksrq=20250101&jsrq=20251208",
    "tc_mfuncno=600&tc_sfuncno=23",
    "tc_mfuncno=600&tc_sfuncno=30",
    "tc_mfuncno=600&tc_sfuncno=32",
    "tc_mfuncno=700&tc_sfuncno=11&ofcode=161101&je=1000",
    "tc_mfuncno=700&tc_sfuncno=1&codes=161101,161102",
    "tc_mfuncno=700&tc_sfuncno=2",
    "tc_mfuncno=700&tc_sfuncno=3",
    "tc_mfuncno=700&tc_sfuncno=5",
    "tc_mfuncno=700&tc_sfuncno=6&ofcode=161101",
    "tc_mfuncno=700&tc_sfuncno=8",
    "tc_mfuncno=700&tc_sfuncno=9&dict=jjlx",
    "tc_mfuncno=700&tc_sfuncno=15&ksrq=20250101&jsrq=20251208",
    "tc_mfuncno=700&tc_sfuncno=16",
    "tc_mfuncno=700&tc_sfuncno=17",
    "tc_mfuncno=700&tc_sfuncno=19&ofcode=161101",
    "tc_mfuncno=610&tc_sfuncno=2&cpdm=QL0101&je=50000",
    "tc_mfuncno=610&tc_sfuncno=3",
};
constexpr int REQUEST_COUNT = sizeof REQUESTS / sizeof REQUESTS[0] + sizeof TRADE_REQUESTS / sizeof TRADE_REQUESTS[0];

struct Screens {
    FuzzPresenter presenter;
    std::vector<std::string> replies;
    std::vector<CNetWnd*> windows;

    Screens()
    {
        std::string home = FuzzHomePath();
        std::error_code ignored;
        std::filesystem::copy(std::filesystem::path(MORWICK_SOURCE_DIR) / "app" / "images", home,
                              std::filesystem::copy_options::recursive, ignored);
        morwick::display::StartDisplay();
        MakeReplies();
        CAppData* app = CAppData::Instance();
        app->SetMessagePresenter(&presenter);
        app->GetHttpClient()->SetServer("127.0.0.1", 1); // a request a screen sends again goes nowhere
        CNetWnd::SetWindowOpener(NoWindow);
        InstallQuoteWindowMakers();
        InstallMineWindowMakers();
        InstallDetailWindowMakers();
        InstallInfoWindowMakers();
        InstallMenuWindowMakers();
        InstallChartWindowMakers();
        InstallServiceWindowMakers();
        InstallTradeWindowMakers();
        InstallFundWindowMakers();
        RECT work;
        CWndManager::GetInstance()->GetWorkRect(&work);
        int count = 0;
        const WindowKey* keys = CWindowFactory::GetKeys(&count);
        std::vector<WindowMaker> made;
        for (int i = 0; i < count; ++i) {
            WindowMaker make = CWindowFactory::GetMaker(keys[i].className);
            bool seen = false;
            for (WindowMaker m : made)
                seen = seen || m == make;
            if (make == nullptr || seen)
                continue;
            made.push_back(make);
            CBaseWnd* window = make(u"fuzz", nullptr, keys[i].extra);
            auto* net = dynamic_cast<CNetWnd*>(window);
            if (net == nullptr) {
                delete window;
                continue;
            }
            net->OnInitParam(-1, "code=600010.02", "tc_mfuncno=31000&tc_sfuncno=4&code=600010.02&menuid=305");
            net->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr);
            windows.push_back(net);
        }
    }

    void MakeReplies()
    {
        CServerFunctions functions(FrozenServerOptions(), nullptr);
        functions.SetCompressMode(0);
        functions.SetCipherMode(0);
        std::string prefix = LoggedInPrefix(functions);
        for (const char* request : REQUESTS)
            replies.push_back(functions.Handle(prefix + request).body);
        // The trade log-in answers the token that every later trade request carries.
        std::string login =
            functions.Handle(prefix + "tc_mfuncno=600&tc_sfuncno=1&account=880012345&password=123456").body;
        size_t at = login.find("trdtoken=");
        std::string token = at == std::string::npos ? std::string() : login.substr(at, login.find('\0', at) - at);
        for (const char* request : TRADE_REQUESTS)
            replies.push_back(functions.Handle(prefix + token + "&" + request).body);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Screens screens;
    if (size < 1 || size > 256 * 1024)
        return 0;
    std::string reply;
    int start = data[0] % (REQUEST_COUNT + 1);
    if (start == REQUEST_COUNT) {
        reply.assign(reinterpret_cast<const char*>(data + 1), size - 1);
    } else {
        reply = OverlaidReply(screens.replies[(size_t)start], data + 1, size - 1);
    }
    for (CNetWnd* window : screens.windows)
        window->OnReply(reinterpret_cast<const BYTE*>(reply.data()), (int)reply.size(), 0);
    return 0;
}
