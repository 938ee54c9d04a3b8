// News headlines and articles of the stand-in server.
#include "server/DataSetWriter.h"
#include "server/ServerFunctions.h"
#include "server/ServerText.h"

#include <cstdio>

namespace {

const char* const CATEGORIES[] = {"要闻", "公司", "评论", "公告", "投教", "基金", "行业", "研究"};
const char* const SUBJECTS[] = {"沪深两市成交温和放大", "银行板块午后走强",   "央行开展公开市场操作",
                                "新能源汽车销量创新高", "券商板块集体上扬",   "医药股估值修复",
                                "港股科技股震荡整理",   "债券收益率小幅回落", "基金发行回暖",
                                "上市公司年报陆续披露", "北向资金净流入",     "煤炭价格企稳"};

// Headline of article id (category x 100 + index).
std::string Headline(int id)
{
    int category = id / 100, index = id % 100;
    const char* cat = category >= 1 && category <= 8 ? CATEGORIES[category - 1] : "资讯";
    char text[200];
    std::snprintf(text, sizeof text, "【%s】%s", cat, SUBJECTS[(index + category) % 12]);
    return text;
}

} // namespace

CServerFunctions::Answer CServerFunctions::Headlines(Context& c)
{
    int type = c.params.GetInt("type", 1);
    if (type < 1 || type > 8)
        type = 1;
    CDataSetWriter set("news.list");
    set.AddField("newsid", FIELD_INT);
    set.AddField("title", FIELD_TEXT);
    for (int i = 1; i <= 12; ++i) {
        set.AddRow();
        set.SetInt(0, type * 100 + i);
        set.SetText(1, Gb(Headline(type * 100 + i)));
    }
    Answer a;
    a.body = set.ToBytes();
    return a;
}

CServerFunctions::Answer CServerFunctions::Article(Context& c)
{
    int id = c.params.GetInt("newsid", 0);
    if (id < 101 || id > 899 || id % 100 == 0 || id % 100 > 12)
        return Error("该资讯不存在或已删除");
    CDataSetWriter set("news.text");
    set.AddField("line", FIELD_INT);
    set.AddField("text", FIELD_TEXT);
    std::vector<std::string> lines = {
        Headline(id),
        "",
        "本报讯 今日市场运行平稳，" + std::string(SUBJECTS[id % 12]) + "。",
        "分析人士认为，短期内市场仍将以结构性行情为主，投资者宜关注业绩确定性较高的品种。",
        "以上内容由模拟服务器生成，仅供测试，不构成投资建议。",
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        set.AddRow();
        set.SetInt(0, static_cast<int>(i));
        set.SetText(1, Gb(lines[i]));
    }
    Answer a;
    a.body = set.ToBytes();
    return a;
}
