// The firm's menu tree and configuration table as this server hands them out, and its server sub-menus.
#include "server/DataSetWriter.h"
#include "server/ServerFunctions.h"
#include "server/ServerText.h"

namespace {

const char* const QUERY_PAGE = "&position=poststr&count=20";

std::string Query(int m, int s, const std::string& sign)
{
    return "tc_mfuncno=" + std::to_string(m) + "&tc_sfuncno=" + std::to_string(s) + "&sign=" + sign + QUERY_PAGE;
}

// The trading branch (menu 5): orders, queries, transfers and the trade log-out.
std::vector<CMenuRow> TradeRows()
{
    return {
        {401, 5, "买入委托", "buysale?MMLB=0"},
        {402, 5, "卖出委托", "buysale?MMLB=1"},
        {403, 5, "委托撤单", "wtcd?" + Query(600, 11, "mmlb") + "&kcd=1"},
        {404, 5, "资金股份", "tradequery?" + Query(600, 10, "fdyk")},
        {405, 5, "当日委托", "tradequery?" + Query(600, 11, "mmlb")},
        {406, 5, "当日成交", "tradequery?" + Query(600, 12, "mmlb")},
        {407, 5, "历史成交", "hisquery?" + Query(600, 13, "mmlb")},
        {408, 5, "银证转账", "banktransfer?tc_mfuncno=600&tc_sfuncno=20"},
        {409, 5, "银行余额", "bankbalance?tc_mfuncno=600&tc_sfuncno=21"},
        {410, 5, "转账查询", "banktranquery?" + Query(600, 22, "je")},
        {411, 5, "新股申购", "xgsg?tc_mfuncno=600&tc_sfuncno=30"},
        {412, 5, "权证行权", "qzxq?tc_mfuncno=600&tc_sfuncno=31"},
        {413, 5, "修改密码", "xgmm?tc_mfuncno=600&tc_sfuncno=40"},
        {415, 5, "资金查询", "tradequery?" + Query(600, 14, "fdyk")},
        {414, 5, "退出交易", "tradeexit"},
    };
}

// The fund branch (menu 6).
std::vector<CMenuRow> FundRows()
{
    return {
        {501, 6, "我的基金", "of_wdjj?" + Query(700, 1, "zdf")},
        {502, 6, "基金份额", "of_fecx?" + Query(700, 2, "fdyk")},
        {503, 6, "基金查询", "of_jjcx?tc_mfuncno=700&tc_sfuncno=3"},
        {504, 6, "基金排名", "of_jjpx?" + Query(700, 4, "zdf")},
        {505, 6, "基金评级", "of_jjpj?" + Query(700, 5, "zdf")},
        {506, 6, "基金认购", "of_jjrg?tc_mfuncno=700&tc_sfuncno=10"},
        {507, 6, "基金申购", "of_jjsg?tc_mfuncno=700&tc_sfuncno=11"},
        {508, 6, "基金赎回", "of_jjsh?tc_mfuncno=700&tc_sfuncno=12"},
        {509, 6, "基金转换", "of_jjzh?tc_mfuncno=700&tc_sfuncno=13"},
        {510, 6, "分红设置", "of_fhsz?tc_mfuncno=700&tc_sfuncno=14"},
        {511, 6, "委托查询", "of_jycx?" + Query(700, 15, "mmlb")},
        {512, 6, "委托撤单", "of_wtcd?" + Query(700, 16, "mmlb")},
        {513, 6, "基金开户", "of_jjkhfxts?tc_mfuncno=700&tc_sfuncno=17"},
        {514, 6, "基金搜索", "of_jjmc?tc_mfuncno=700&tc_sfuncno=18"},
    };
}

} // namespace

std::vector<CMenuRow> CServerFunctions::MainMenu()
{
    const std::string news = "newslist?tc_mfuncno=300&tc_sfuncno=1&cont_sfunc=2&type=";
    const std::string info = "newscontent?tc_mfuncno=504&tc_sfuncno=12&type=";
    std::vector<CMenuRow> rows = {
        // The first eight top-level entries are the home grid, in the order of its pictures.
        {1, -1, "行情", "collist"},
        {2, -1, "自选股", "zxhq?tc_mfuncno=31000&tc_sfuncno=4"},
        {3, -1, "指数", "collist"},
        {4, -1, "资讯", "collist"},
        {5, -1, "交易", "trademenu"},
        {6, -1, "基金", "openfund"},
        {7, -1, "理财", "lczq"},
        {8, -1, "客服", "collist"},
        // Reached by key from other windows, not from the grid.
        {9, -1, "个股资讯", "F10"},
        {10, -1, "基金资讯", "of_jjzx"},

        {101, 1, "沪深排名", "pxhq?tc_mfuncno=31000&tc_sfuncno=3"},
        {104, 1, "我的股票", "zxhq?tc_mfuncno=31000&tc_sfuncno=4"},
        {105, 1, "上证指数详情", "xxhq?tc_mfuncno=31000&tc_sfuncno=4"},

        {201, 3, "国内指数", "zgzs?tc_mfuncno=31000&tc_sfuncno=6"},
        {202, 3, "全球指数", "sjzs?tc_mfuncno=31000&tc_sfuncno=7"},

        {301, 4, "要闻精选", news + "1"},
        {302, 4, "公司新闻", news + "2"},
        {303, 4, "市场评论", news + "3"},
        {304, 4, "交易所公告", news + "4"},
        {305, 4, "研究报告", "collist?tc_mfuncno=100&tc_sfuncno=5&menuid=305"},
    };
    // The trading and fund branches, in their place between the news and the cash products.
    std::vector<CMenuRow> trade = TradeRows(), funds = FundRows();
    rows.insert(rows.end(), trade.begin(), trade.end());
    rows.insert(rows.end(), funds.begin(), funds.end());
    std::vector<CMenuRow> rest = {
        {601, 7, "产品列表", "qlncp?" + Query(610, 1, "zdf")},
        {602, 7, "产品购买", "qlnmr?tc_mfuncno=610&tc_sfuncno=2"},
        {603, 7, "提前终止", "qlnzz?" + Query(610, 3, "mmlb")},

        {701, 8, "客户经理", "help"},
        {702, 8, "营业网点", "yybsz"},
        {703, 8, "投资者教育", news + "5"},

        {801, 8, "流量统计", "lltj"},
        {802, 8, "系统设置", "cssz"},
        {803, 8, "软件升级", "update"},
        {804, 8, "关于", "bbxx"},

        {901, 9, "公司概况", info + "1"},
        {902, 9, "财务数据", info + "2"},
        {903, 9, "股东研究", info + "3"},
        {904, 9, "分红配送", info + "4"},
        {905, 9, "信息雷达", "newscontent?tc_mfuncno=504&tc_sfuncno=11&lmdm=xxld"},

        {1001, 10, "基金公告", news + "6"},
        {1002, 10, "基金净值", "newscontent?tc_mfuncno=700&tc_sfuncno=19"},
    };
    rows.insert(rows.end(), rest.begin(), rest.end());
    return rows;
}

std::vector<std::pair<std::string, std::string>> CServerFunctions::ConfigPairs()
{
    return {
        {"market", "0^沪深#1^深圳#2^上海#3^香港#"},
        {"type", "1^A股#3^基金#2^指数#0^全部#"},
        {"sort", "21^涨幅#20^涨跌#16^最新#17^成交量#18^成交额#29^委比#30^量比#3^代码#"},
        {"tech", "MACD^MACD#KDJ^KDJ#RSI^RSI#VOL^成交量#BOLL^布林线#MA^均线#"},
    };
}

CServerFunctions::Answer CServerFunctions::SubMenu(Context& c)
{
    struct Row {
        int id;
        int parent;
        const char* title;
        std::string action;
    };
    std::vector<Row> rows;
    int menuId = c.params.GetInt("menuid", 0);
    if (menuId == 305) {
        const std::string news = "newslist?tc_mfuncno=300&tc_sfuncno=1&cont_sfunc=2&type=";
        rows = {{1, -1, "行业研究", news + "7"},
                {2, -1, "公司研究", news + "8"},
                {3, -1, "晨会纪要", "newscontent?tc_mfuncno=300&tc_sfuncno=2&newsid=801"}};
    } else {
        return Error("没有该菜单");
    }
    CDataSetWriter set("sys.menu");
    set.AddField("id", FIELD_INT);
    set.AddField("parent", FIELD_INT);
    set.AddField("title", FIELD_TEXT);
    set.AddField("action", FIELD_TEXT);
    for (const Row& r : rows) {
        set.AddRow();
        set.SetInt(0, r.id);
        set.SetInt(1, r.parent);
        set.SetText(2, Gb(r.title));
        set.SetText(3, r.action);
    }
    Answer a;
    a.body = set.ToBytes();
    return a;
}
