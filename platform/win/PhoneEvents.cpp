// The shell's messages, posted to the client's windows as the phone would.
#include "platform/win/PhoneEvents.h"

#include "platform/win/Desktop.h"
#include "platform/win/RegisteredMessages.h"
#include "platform/win/WinUser.h"

using namespace morwick::display;

namespace {

void PostToTopLevels(UINT message, WPARAM wParam, LPARAM lParam)
{
    for (HWND w : TopLevelWindows())
        PostMessage(w, message, wParam, lParam);
}

void PostToFront(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (HWND front = GetActiveWindow())
        PostMessage(front, message, wParam, lParam);
}

} // namespace

UINT GetUsbNotifyMessage()
{
    return RegisterWindowMessageW(u"USB_NOTIFY_MESSAGE");
}

UINT GetCallMessage()
{
    return RegisterWindowMessageW(u"CALL_MESSAGE");
}

void SimulateLockPhone(BOOL locked)
{
    if (locked)
        PostToTopLevels(RegisterWindowMessageW(u"ShellNotifyMsg/EntryLockphone"), 0, 0);
    else
        PostToFront(RegisterWindowMessageW(u"ShellNotifyMsg/LeaveLockPhone"), 0, 0);
}

void SimulateCall(BOOL begins)
{
    PostToFront(GetCallMessage(), begins ? 1 : 2, 0);
}

void SimulateUsbOff()
{
    PostToTopLevels(GetUsbNotifyMessage(), 0, 0);
}
