// Window and thread messages: per-thread queues, posting, cross-thread sending, the retrieval loop, timers.
// A thread gets its queue on its first PeekMessage or GetMessage (or when it makes a window); until then
// posting to it fails with ERROR_INVALID_THREAD_ID.
#pragma once

#include "platform/win/Sync.h"
#include "platform/win/WinTypes.h"
#include "platform/win/WindowHandle.h"

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
typedef MSG* LPMSG;

typedef void (*TIMERPROC)(HWND window, UINT message, UINT_PTR timerId, DWORD time);

#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_ENABLE 0x000A
#define WM_SETREDRAW 0x000B
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_SYSCOLORCHANGE 0x0015
#define WM_SHOWWINDOW 0x0018
#define WM_SETTINGCHANGE 0x001A
#define WM_WININICHANGE WM_SETTINGCHANGE
#define WM_ACTIVATEAPP 0x001C
#define WM_CANCELMODE 0x001F
#define WM_SETCURSOR 0x0020
#define WM_WINDOWPOSCHANGED 0x0047
#define WM_NOTIFY 0x004E
#define WM_HELP 0x0053
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_KEYFIRST 0x0100
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_DEADCHAR 0x0103
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105
#define WM_SYSCHAR 0x0106
#define WM_KEYLAST 0x0108
#define WM_IME_STARTCOMPOSITION 0x010D
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define WM_TIMER 0x0113
#define WM_HSCROLL 0x0114
#define WM_VSCROLL 0x0115
#define WM_INITMENUPOPUP 0x0117
#define WM_MENUSELECT 0x011F
#define WM_CTLCOLORSTATIC 0x0138
#define WM_MOUSEFIRST 0x0200
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_LBUTTONDBLCLK 0x0203
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205
#define WM_MOUSELAST 0x0209
#define WM_CAPTURECHANGED 0x0215
#define WM_CUT 0x0300
#define WM_COPY 0x0301
#define WM_PASTE 0x0302
#define WM_CLEAR 0x0303
#define WM_HOTKEY 0x0312
#define WM_USER 0x0400
#define WM_APP 0x8000

#define WA_INACTIVE 0
#define WA_ACTIVE 1
#define WA_CLICKACTIVE 2

#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
#define PM_NOYIELD 0x0002
// With any PM_QS_ flag, PeekMessage looks only at those kinds; messages sent from other threads are handled only
// with PM_QS_SENDMESSAGE (so a look at the queue never runs another thread's request inside the caller).
#define PM_QS_INPUT (QS_INPUT << 16)
#define PM_QS_POSTMESSAGE ((QS_POSTMESSAGE | QS_HOTKEY | QS_TIMER) << 16)
#define PM_QS_PAINT (QS_PAINT << 16)
#define PM_QS_SENDMESSAGE (QS_SENDMESSAGE << 16)

// Wake masks of MsgWaitForMultipleObjects: any kind of queued input is treated alike.
#define QS_KEY 0x0001
#define QS_MOUSEMOVE 0x0002
#define QS_MOUSEBUTTON 0x0004
#define QS_POSTMESSAGE 0x0008
#define QS_TIMER 0x0010
#define QS_PAINT 0x0020
#define QS_SENDMESSAGE 0x0040
#define QS_HOTKEY 0x0080
#define QS_MOUSE (QS_MOUSEMOVE | QS_MOUSEBUTTON)
#define QS_INPUT (QS_MOUSE | QS_KEY)
#define QS_ALLEVENTS (QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY)
#define QS_ALLINPUT (QS_ALLEVENTS | QS_SENDMESSAGE)

// What the calling thread's queue holds now, as QS_ bits masked by flags (sent, posted and quit messages, due
// timers), in the high word and the low word alike; nothing is handled or removed.
DWORD GetQueueStatus(UINT flags);

// Window filter for PeekMessage/GetMessage: only messages posted to the thread itself (hwnd null).
#define HWND_THREAD_ONLY ((HWND)(intptr_t)-1)
// PostMessage target: every live window.
#define HWND_BROADCAST ((HWND)(intptr_t)0xFFFF)

#define USER_TIMER_MINIMUM 10u

// Posts to the queue of the thread with this id. FALSE with ERROR_INVALID_THREAD_ID while it has no queue.
BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
// Posts to the queue of the window's thread; a null window posts to the calling thread itself.
BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Calls the window procedure and returns its result. From another thread the caller blocks until the owning
// thread has handled it inside its GetMessage/PeekMessage; while blocked the caller handles messages sent to it.
// 0 when the window is dead or dies (or its thread ends) before handling it.
LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// TRUE while the calling thread handles a message sent from another thread.
BOOL InSendMessage();
// The calling thread expects a message from another thread within `microseconds` (the answer of a near
// server, the next request of a window): until a message is taken or the time has passed, its waits for
// messages look for one without sleeping, which spares it a wake-up as costly as the whole wait.
void ExpectMessageWithin(DWORD microseconds);

// Handles any messages sent to this thread, then takes the next message: posted ones in order, then WM_QUIT
// (after PostQuitMessage), then a paint source's message, then a due timer. GetMessage waits for one and
// returns 0 for WM_QUIT, -1 for a dead window filter; PeekMessage returns at once, FALSE when none.
// `window` null = any; HWND_THREAD_ONLY = thread messages only. minMessage = maxMessage = 0: any number.
BOOL GetMessage(LPMSG msg, HWND window, UINT minMessage, UINT maxMessage);
BOOL PeekMessage(LPMSG msg, HWND window, UINT minMessage, UINT maxMessage, UINT removeFlags);
// Blocks until the calling thread's queue has something to take (or a sent message to handle).
BOOL WaitMessage();
// Waits for one of the handles or (as index `count`) for input in the calling thread's queue.
DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds, DWORD wakeMask);
BOOL TranslateMessage(const MSG* msg);
// Calls the window procedure of msg->hwnd (or the timer procedure of a WM_TIMER that names one).
LRESULT DispatchMessage(const MSG* msg);
// Asks the calling thread's loop to end: GetMessage returns 0 once the posted messages are taken.
void PostQuitMessage(int exitCode);
// The time of the last message taken by the calling thread, on the message clock.
DWORD GetMessageTime();

// A window's timer `timerId` (a running id restarts with the new period). With a null window the timer belongs to
// the calling thread and a fresh id is returned when `timerId` does not name one of its timers. WM_TIMER comes
// through GetMessage/PeekMessage once due, at most one at a time per timer. Returns the id, 0 on failure.
UINT_PTR SetTimer(HWND window, UINT_PTR timerId, UINT elapse, TIMERPROC timerProc);
BOOL KillTimer(HWND window, UINT_PTR timerId);

// The clock that timers and message times read: milliseconds, wrapping at 2^32. Null restores the monotonic
// default. After setting or moving the clock call MessageClockChanged so sleeping threads look again.
typedef DWORD (*MessageClock)();
void SetMessageClock(MessageClock clock);
DWORD GetMessageClock();
void MessageClockChanged();

// Window layers that produce messages only when asked (paint) install a source; it runs on the asking thread
// with no lock held and returns TRUE with *msg filled when it has one. `remove` is FALSE for PM_NOREMOVE.
typedef BOOL (*MessageSource)(DWORD threadId, HWND window, UINT minMessage, UINT maxMessage, BOOL remove, LPMSG msg);
void SetPaintMessageSource(MessageSource source);
// Key translation (WM_KEYDOWN to WM_CHAR) is the input back end's: it installs a translator here.
typedef BOOL (*KeyTranslator)(const MSG* msg);
void SetKeyTranslator(KeyTranslator translator);
// The cursor position stamped on messages as they are posted (the input back end keeps it current).
void SetMessageCursorPos(POINT pt);

// The wide-character names of the same calls (messages carry no text of their own here).
inline BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam)
{
    return PostThreadMessage(threadId, message, wParam, lParam);
}
inline BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return PostMessage(window, message, wParam, lParam);
}
inline LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendMessage(window, message, wParam, lParam);
}
inline BOOL GetMessageW(LPMSG msg, HWND window, UINT minMessage, UINT maxMessage)
{
    return GetMessage(msg, window, minMessage, maxMessage);
}
inline BOOL PeekMessageW(LPMSG msg, HWND window, UINT minMessage, UINT maxMessage, UINT removeFlags)
{
    return PeekMessage(msg, window, minMessage, maxMessage, removeFlags);
}
inline LRESULT DispatchMessageW(const MSG* msg)
{
    return DispatchMessage(msg);
}

// For the rest of the layer: makes (once) and releases the calling thread's queue, and drops what a freed
// window left in its owner's queue (called with WaitLock() held).
void EnsureThreadQueue();
void ReleaseThreadQueue();
void ForgetWindowLocked(HWND window, DWORD ownerThread);
