// Drawing speed, each against a reference measured in the same run: a full repaint of an empty window against a
// memset of the screen frame (the floor of any repaint); a form's rounded panel box against a plain rectangle of
// its size; the full repaint of each screen a walk through the client meets (the fund purchase form, the order
// form, a page of the ranked quote table, a K-line chart, a message box over the table) against an empty window of
// the same place and size, in turns; full-screen repaints per second of a window holding a 20-row table of Chinese
// text; and glyphs per second of text layout and drawing (DrawTextW with cached glyphs) against FreeType rendering
// the same glyphs directly.
#include "BenchTable.h"
#include "KLineBenchData.h"
#include "charts/KXFrame.h"
#include "core/AppData.h"
#include "funds/FundRgSgWnd.h"
#include "platform/ui/MzDialogs.h"
#include "platform/win/Desktop.h"
#include "platform/win/FontEngine.h"
#include "platform/win/Gdi.h"
#include "platform/win/Shell.h"
#include "quotes/QXStockTableWnd.h"
#include "shell/WndManager.h"
#include "trading/TradeBuySaleWnd.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace morwick::display;

namespace {

class EmptyWnd : public CMzWnd {
public:
    LPCWSTR GetMzClassName() override { return u"BenchEmptyWnd"; }
};

// Milliseconds of one memset of a frame of the screen's size, the least any full repaint must cost.
double FrameMemsetMs(double seconds)
{
    std::vector<uint32_t> frame((size_t)480 * 720);
    volatile unsigned sink = 0;
    long long rounds = 0;
    auto start = std::chrono::steady_clock::now();
    double elapsed = 0;
    do {
        for (int i = 0; i < 100; ++i, ++rounds) {
            std::memset(frame.data(), (int)(rounds & 0x7F), frame.size() * sizeof frame[0]);
            sink = sink + frame[(size_t)rounds % frame.size()];
        }
        elapsed = SecondsSince(start);
    } while (elapsed < seconds);
    return elapsed * 1000 / (double)rounds;
}

double Median(std::vector<double> times)
{
    std::nth_element(times.begin(), times.begin() + (long)times.size() / 2, times.end());
    return times[times.size() / 2];
}

// The median milliseconds of one call of a and of b, timed in alternating batches of `batch` calls for about
// `seconds`: both see the same load of a busy machine, and the median keeps its stalls out of the figures.
std::pair<double, double> AlternateMs(const std::function<void()>& a, const std::function<void()>& b, int batch,
                                      double seconds)
{
    std::vector<double> aTimes, bTimes;
    auto timeBatch = [batch](const std::function<void()>& work, std::vector<double>& times) {
        auto at = std::chrono::steady_clock::now();
        for (int i = 0; i < batch; ++i)
            work();
        times.push_back(SecondsSince(at) * 1000 / batch);
    };
    auto start = std::chrono::steady_clock::now();
    do {
        timeBatch(a, aTimes);
        timeBatch(b, bTimes);
    } while (SecondsSince(start) < seconds);
    return {Median(aTimes), Median(bTimes)};
}

// Full repaints of a shown window as the user sees it (invalidate, paint, compose the screen), timed one by one
// for about `seconds`; appends each one's milliseconds.
void TimeRepaints(CMzWnd& w, double seconds, std::vector<double>& times)
{
    BringWindowToTop(w.m_hWnd);
    w.Update();
    ComposeScreen(true);
    auto start = std::chrono::steady_clock::now();
    do {
        auto at = std::chrono::steady_clock::now();
        w.Invalidate();
        w.Update();
        ComposeScreen(true);
        times.push_back(SecondsSince(at) * 1000);
    } while (SecondsSince(start) < seconds);
}

// The median repaint of a screen and of the empty window, in turns of a twentieth of `seconds` each, so that both
// see the same load of a busy machine. `before` is put in front first (the table under a message box).
std::pair<double, double> ScreenAndEmptyMs(CMzWnd& screen, CMzWnd& empty, CMzWnd* before, double seconds)
{
    std::vector<double> screenTimes, emptyTimes;
    for (int turn = 0; turn < 20; ++turn) {
        if (before != nullptr)
            BringWindowToTop(before->m_hWnd);
        TimeRepaints(screen, seconds / 40, screenTimes);
        TimeRepaints(empty, seconds / 40, emptyTimes);
    }
    return {Median(screenTimes), Median(emptyTimes)};
}

// The panel of a form: a 420 x 208 box with the panels' radius, framed and filled, against the same rectangle.
void RoundBoxAgainstRectangle()
{
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 480, 720);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(100, 100, 100));
    HBRUSH brush = CreateSolidBrush(RGB(243, 243, 243));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    auto [round, rectangle] = AlternateMs([&] { RoundRect(dc, 20, 20, 440, 228, 20, 20); },
                                          [&] { Rectangle(dc, 20, 20, 440, 228); }, 20, 2.0);
    std::printf("round box 420x208: %.4f ms, rectangle: %.4f ms, ratio: %.2f\n", round, rectangle, round / rectangle);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldBitmap);
    DeleteObject(pen);
    DeleteObject(brush);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

// A program home of the benchmark's own holding the client's artwork (caption, bars, icons), removed at the end.
class BenchHome {
public:
    BenchHome()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "morwick-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            return;
        path = pattern;
        std::error_code ignored;
        std::filesystem::copy(std::filesystem::path(MORWICK_SOURCE_DIR) / "app" / "images", path,
                              std::filesystem::copy_options::recursive, ignored);
        setenv("MORWICK_HOME", (path + "/").c_str(), 1);
    }
    ~BenchHome()
    {
        std::error_code ignored;
        if (!path.empty())
            std::filesystem::remove_all(path, ignored);
    }

private:
    std::string path;
};

// A page of the ranked quote table as the server fills it: name over code, latest, change and the change box.
void FillQuoteTable(CQXStockTableWnd& table)
{
    COLORREF rise = CAppData::Instance()->GetColor(COLOR_RISE), fall = CAppData::Instance()->GetColor(COLOR_FALL);
    for (int r = 0; r < CQXStockTableWnd::PAGE_SIZE; ++r) {
        std::vector<std::u16string> texts = RowTexts(r);
        COLORREF color = r % 2 ? fall : rise;
        auto* row = new CStockRow();
        row->SetName(texts[0].c_str(), Style::DarkText);
        row->SetCode(texts[1].c_str(), Style::DarkText);
        row->SetLatest(texts[2].c_str(), color);
        row->SetChange(r % 2 ? u"-0.21" : u"+0.35", color);
        row->SetPercent(texts[3].substr(0, texts[3].size() - 1).c_str(), color); // the cell adds the "%"
        row->SetMarket(u"1");
        table.AddRow(row);
    }
}

struct Screen {
    LPCWSTR name; // the window's class
    double ms, emptyMs;
};

// The screens a walk meets, each in front in turn (the message box over the table), repainted whole in turns
// with an empty window of the same place and size.
std::vector<Screen> RepaintScreens(double seconds)
{
    RECT work;
    CWndManager::GetInstance()->GetWorkRect(&work);
    std::vector<std::unique_ptr<CMzWnd>> windows;
    auto open = [&](CMzWnd* window) {
        windows.emplace_back(window);
        window->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr);
        window->Show();
        return window;
    };
    CMzWnd* empty = open(new EmptyWnd());
    open(new CFundRgSgWnd(u"基金申购", nullptr, CFundRgSgWnd::MODE_PURCHASE));
    open(new CTradeBuySaleWnd(u"买入委托", nullptr));
    auto* table = static_cast<CQXStockTableWnd*>(open(new CQXStockTableWnd(u"涨幅排名", nullptr)));
    FillQuoteTable(*table);
    auto* chart = static_cast<CKXFrame*>(open(new CKXFrame(u"K线分析", nullptr)));
    CKXData candles = KLineData(120);
    chart->GetKXView().SetData(&candles);
    auto* box =
        new CMzMessageBoxWnd(u"委托已提交，合同号：20251208000123。请在当日委托中查看成交情况。", u"提示", MZ_MB_OK);
    windows.emplace_back(box);
    box->Create(work.left, work.top, 100, 100, table->m_hWnd, 0, WS_POPUP, WS_EX_LAYERED);
    box->Show();

    std::vector<Screen> screens;
    for (auto& window : windows) {
        if (window.get() == empty)
            continue;
        auto [ms, emptyMs] = ScreenAndEmptyMs(*window, *empty, window.get() == box ? table : nullptr, seconds);
        screens.push_back({window->GetMzClassName(), ms, emptyMs});
    }
    chart->GetKXView().SetData(&chart->GetData());
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        (*it)->Destroy();
    return screens;
}

std::string Narrow(LPCWSTR text)
{
    std::string s;
    for (; text != nullptr && *text; ++text)
        s += (char)*text; // class names are ASCII
    return s;
}

// Each screen's repaint against the empty window's, then the slowest of them.
void SlowestScreenAgainstEmpty()
{
    std::vector<Screen> screens = RepaintScreens(1.0);
    const Screen* slowest = &screens.front();
    for (const Screen& s : screens) {
        std::printf("  %-18s %.3f ms, empty window %.3f ms, ratio %.2f\n", Narrow(s.name).c_str(), s.ms, s.emptyMs,
                    s.ms / s.emptyMs);
        if (s.ms / s.emptyMs > slowest->ms / slowest->emptyMs)
            slowest = &s;
    }
    std::printf("slowest window repaint (%s): %.3f ms, empty window repaint: %.3f ms, ratio: %.2f\n",
                Narrow(slowest->name).c_str(), slowest->ms, slowest->emptyMs, slowest->ms / slowest->emptyMs);
}

// Creates w over the whole screen, in front and painted; false (said) when it cannot be made.
bool ShowWhole(CMzWnd& w)
{
    if (!w.Create(0, 0, 480, 720)) {
        std::printf("cannot create the window\n");
        return false;
    }
    w.Show();
    BringWindowToTop(w.m_hWnd);
    w.Update();
    ComposeScreen(true);
    return true;
}

void EmptyAgainstMemset()
{
    EmptyWnd empty;
    if (!ShowWhole(empty))
        return;
    double repaint = 1000 / RepaintsPerSecond(empty, 1.0);
    double memset = FrameMemsetMs(1.0);
    std::printf("empty window repaint: %.3f ms, frame memset: %.3f ms, ratio: %.1f\n", repaint, memset,
                repaint / memset);
    empty.Destroy();
}

void TableAndGlyphs()
{
    TableWnd w;
    if (!ShowWhole(w))
        return;
    std::printf("full-screen repaints (480x720, 20-row CJK table): %.1f per second\n", RepaintsPerSecond(w, 2.0));
    w.Destroy();

    // Text layout and drawing of the table's text, glyphs per second, against FreeType rendering.
    std::u16string all;
    for (int r = 0; r < 20; ++r)
        for (const std::u16string& s : RowTexts(r))
            all += s;
    HDC mem = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(mem, 480, 720);
    HGDIOBJ old = SelectObject(mem, bmp);
    SelectObject(mem, CreateMzFont(22));
    SetBkMode(mem, TRANSPARENT);
    long long glyphs = 0;
    double elapsed = 0;
    auto start = std::chrono::steady_clock::now();
    do {
        for (int r = 0; r < 20; ++r)
            for (const std::u16string& s : RowTexts(r)) {
                RECT cell{0, r * 34, 120, r * 34 + 34};
                DrawTextW(mem, s.c_str(), (int)s.size(), &cell, 0x8025);
                glyphs += (long long)s.size();
            }
        elapsed = SecondsSince(start);
    } while (elapsed < 2.0);
    double ours = glyphs / elapsed;
    double raw = RawFreeTypeGlyphsPerSecond(all.c_str(), (int)all.size(), 22, 2.0);
    std::printf("text layout and drawing (DrawTextW, cached glyphs): %.0f glyphs per second\n", ours);
    std::printf("FreeType load and render of the same glyphs:        %.0f glyphs per second\n", raw);
    if (raw > 0)
        std::printf("ratio: %.1fx\n", ours / raw);
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(bmp);
}

} // namespace

int main()
{
    BenchHome home;
    AttachGuiThread();
    // The phone upright, as the client starts; the screens lie over the work area below the status strip.
    DEVMODEW mode{};
    mode.dmSize = 192;
    mode.dmFields = DM_DISPLAYORIENTATION;
    mode.dmDisplayOrientation = DMDO_90;
    ChangeDisplaySettingsEx(nullptr, &mode, nullptr, 0, nullptr);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    CWndManager::GetInstance()->SetWorkAreaTop(work.top);
    CAppData::Instance()->SetScreenMode(0);

    EmptyAgainstMemset();
    RoundBoxAgainstRectangle();
    SlowestScreenAgainstEmpty();
    TableAndGlyphs();
    CAppData::Destroy();
    CWndManager::Destroy();
    return 0;
}
