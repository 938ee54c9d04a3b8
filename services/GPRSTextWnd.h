// CGPRSTextWnd: the data traffic statistics: the bytes this run has sent and received, and the totals of the
// earlier runs ("Upload_Bytes", "Download_Bytes"), in readable units. "刷新" reads the counters again.
#pragma once

#include "shell/TextWnd.h"

#include <string>

class CGPRSTextWnd : public CTextWnd {
public:
    CGPRSTextWnd(LPCWSTR title, HWND owner);
    ~CGPRSTextWnd() override;

    LPCWSTR GetMzClassName() override;
    BOOL OnInitDialog() override;
    void Refresh(int flags, int argument) override;

    // "512 B", "1.5 KB", "2.25 MB", "1.00 GB".
    static std::u16string FormatBytes(long long bytes);
    // The page for the counters of this run and the stored totals.
    static std::u16string TrafficText(long long sent, long long received, long long storedSent,
                                      long long storedReceived);

private:
    void ShowCounters();
};
