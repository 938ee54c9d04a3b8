// The input panel's state: shown or not, and the keyboard kind it shows.
#include "platform/win/InputPanel.h"

#include <atomic>

namespace {

std::atomic<bool> sipVisible{false};
std::atomic<int> sipKind{0};

} // namespace

BOOL SipShowIM(DWORD flags)
{
    sipVisible.store((flags & SIPF_ON) != 0);
    return TRUE;
}

BOOL SipIsVisible()
{
    return sipVisible.load() ? TRUE : FALSE;
}

void SipSetKind(int kind)
{
    sipKind.store(kind);
}

int SipGetKind()
{
    return sipKind.load();
}
