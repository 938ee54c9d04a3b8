// The traffic statistics page: made here from the application data's counters, nothing asked of the server.
#include "services/GPRSTextWnd.h"

#include "core/AppData.h"
#include "platform/win/WideFormat.h"

#include <cstdlib>

namespace {

long long StoredTotal(const char* key)
{
    const char* text = CAppData::Instance()->GetConfig(key);
    long long value = text != nullptr ? atoll(text) : 0;
    return value > 0 ? value : 0;
}

} // namespace

CGPRSTextWnd::CGPRSTextWnd(LPCWSTR title, HWND owner) : CTextWnd(title, owner)
{
    firstActivation = 0;
    requestOnActive = 0;
}

CGPRSTextWnd::~CGPRSTextWnd() = default;

LPCWSTR CGPRSTextWnd::GetMzClassName()
{
    return u"CGPRSTextWnd";
}

std::u16string CGPRSTextWnd::FormatBytes(long long bytes)
{
    WCHAR text[32];
    if (bytes < 1024)
        _snwprintf(text, 32, u"%lld B", bytes < 0 ? 0 : bytes);
    else if (bytes < 1024LL * 1024)
        _snwprintf(text, 32, u"%.1f KB", bytes / 1024.0);
    else if (bytes < 1024LL * 1024 * 1024)
        _snwprintf(text, 32, u"%.2f MB", bytes / (1024.0 * 1024));
    else
        _snwprintf(text, 32, u"%.2f GB", bytes / (1024.0 * 1024 * 1024));
    text[31] = 0;
    return text;
}

std::u16string CGPRSTextWnd::TrafficText(long long sent, long long received, long long storedSent,
                                         long long storedReceived)
{
    std::u16string t;
    t += u"本次运行\r\n";
    t += u"发送：" + FormatBytes(sent) + u"\r\n";
    t += u"接收：" + FormatBytes(received) + u"\r\n";
    t += u"合计：" + FormatBytes(sent + received) + u"\r\n\r\n";
    t += u"以前累计\r\n";
    t += u"发送：" + FormatBytes(storedSent) + u"\r\n";
    t += u"接收：" + FormatBytes(storedReceived) + u"\r\n";
    t += u"合计：" + FormatBytes(storedSent + storedReceived) + u"\r\n\r\n";
    t += u"总计：" + FormatBytes(sent + received + storedSent + storedReceived) + u"\r\n";
    return t;
}

void CGPRSTextWnd::ShowCounters()
{
    CAppData* app = CAppData::Instance();
    // The counters are int32 and written by the worker; read once each.
    long long sent = app->GetTraffic(0);
    long long received = app->GetTraffic(1);
    SetText(TrafficText(sent, received, StoredTotal("Upload_Bytes"), StoredTotal("Download_Bytes")).c_str());
    Invalidate();
}

BOOL CGPRSTextWnd::OnInitDialog()
{
    if (!CTextWnd::OnInitDialog())
        return FALSE;
    ShowCounters();
    return TRUE;
}

void CGPRSTextWnd::Refresh(int, int)
{
    ShowCounters();
}
