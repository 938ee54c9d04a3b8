// The phone around the client: work area and rotation, registered messages, the accelerometer, the phone shell's
// notifications and requests, the input panel, named mutexes across processes, COM start-up, and the programs
// the client asks to start (recorded, never started).
#pragma once

#include "platform/win/Sync.h"
#include "platform/win/WinTypes.h"
#include "platform/win/WinUser.h"

#include <string>
#include <vector>

typedef LONG HRESULT;
#define S_OK ((HRESULT)0L)
#define S_FALSE ((HRESULT)1L)
#define E_FAIL ((HRESULT)0x80004005L)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#define COINIT_MULTITHREADED 0x0
#define COINIT_APARTMENTTHREADED 0x2

HRESULT CoInitializeEx(LPVOID reserved, DWORD flags);
void CoUninitialize();

// SystemParametersInfoW: the work area is the screen below the status strip.
#define SPI_GETWORKAREA 0x0030
BOOL SystemParametersInfoW(UINT action, UINT param, LPVOID data, UINT winIni);

// Display orientation.
#define DM_DISPLAYORIENTATION 0x00800000L
#define DM_DISPLAYQUERYORIENTATION 0x01000000L
#define DMDO_0 0
#define DMDO_90 1
#define DMDO_180 2
#define DMDO_270 4
#define CDS_TEST 0x00000002
#define CDS_RESET 0x40000000
#define DISP_CHANGE_SUCCESSFUL 0
#define DISP_CHANGE_RESTART 1
#define DISP_CHANGE_FAILED (-1)
#define DISP_CHANGE_BADMODE (-2)
#define DISP_CHANGE_BADPARAM (-5)

struct DEVMODEW {
    WCHAR dmDeviceName[32];
    WORD dmSpecVersion;
    WORD dmDriverVersion;
    WORD dmSize;
    WORD dmDriverExtra;
    DWORD dmFields;
    SHORT dmOrientation;
    SHORT dmPaperSize;
    SHORT dmPaperLength;
    SHORT dmPaperWidth;
    SHORT dmScale;
    SHORT dmCopies;
    SHORT dmDefaultSource;
    SHORT dmPrintQuality;
    SHORT dmColor;
    SHORT dmDuplex;
    SHORT dmYResolution;
    SHORT dmTTOption;
    SHORT dmCollate;
    WCHAR dmFormName[32];
    WORD dmLogPixels;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
    DWORD dmDisplayFlags;
    DWORD dmDisplayFrequency;
    DWORD dmDisplayOrientation;
};

// With CDS_TEST and DM_DISPLAYQUERYORIENTATION: succeeds and reports the orientations the screen supports
// (DMDO_0 | DMDO_90 | DMDO_180 | DMDO_270) in dmDisplayOrientation. With DM_DISPLAYORIENTATION: turns the screen
// (DMDO_90 and DMDO_270 portrait 480 x 720, DMDO_0 and DMDO_180 landscape 720 x 480).
LONG ChangeDisplaySettingsEx(LPCWSTR deviceName, DEVMODEW* mode, HWND window, DWORD flags, LPVOID param);

// Messages known by name; the same name gives the same number for the life of the process (0xC000-0xFFFF).
UINT RegisterWindowMessageW(LPCWSTR name);

// The accelerometer: open it, ask for its message (wParam the orientation 0-3), close it. Opening fails while the
// device is switched off (SetAccelerometerAvailable, for tests of that road).
BOOL MzAccOpen();
UINT MzAccGetMessage();
void MzAccClose();
BOOL MzAccIsOpen();
// The orientation (0-3) the device last reported since it was opened, -1 when it has reported none: what a
// window that follows the phone takes when it comes to the front after a window that does not.
int MzAccGetOrientation();
void SetAccelerometerAvailable(BOOL available);

// The shell's USB and call messages (registered by name, "USB_NOTIFY_MESSAGE" and "CALL_MESSAGE").
UINT GetUsbNotifyMessage();
UINT GetCallMessage();
// The lock-phone messages are registered by the names "ShellNotifyMsg/EntryLockphone" and
// "ShellNotifyMsg/LeaveLockPhone".

// Shell notification records (code 12 on or off for a window) and the apps-ask-shell requests (10, 11): the phone
// shell's business; here they are recorded for tests and answer success.
BOOL PostShellNotification(HWND window, DWORD code, BOOL on);
LRESULT AppsAskShell(DWORD request, HWND window);
struct ShellRecord {
    enum Kind { Notification, Request } kind;
    DWORD code;
    BOOL on;
    HWND window;
};
std::vector<ShellRecord> TakeShellRecords();

// The phone's events (any thread). The lock and the USB cable reach every top-level window of the client; the
// events a window answers by turning the screen (the accelerometer, the end of the lock, a call) reach only the
// window in front, the active one, so that a window behind never turns the screen under it.
void SimulateLockPhone(BOOL locked);
void SimulateCall(BOOL begins);
void SimulateUsbOff();
void SimulateAccelerometer(int orientation);

// The input panel (the on-screen keyboard).
#define SIPF_OFF 0x00000000
#define SIPF_ON 0x00000001
BOOL SipShowIM(DWORD flags);
BOOL SipIsVisible();
// The keyboard kind the next showing uses (the platform's numbering).
void SipSetKind(int kind);
int SipGetKind();

// The flight-mode flag: HKCU "ControlPanel\Setting\FlyMode" value "FlyModeFlag" set (a non-zero number).
BOOL IsFlyMode();

// The start animation setting: HKLM "Software\Ruvav\" value "AppStartAnimation" equal to 1.
BOOL IsAppAnimationOn(int which);
// Plays the platform's window animation of that effect number on the window (instant without a window back end).
void AnimateMzWindow(HWND window, int effect, BOOL show);

// Named mutexes, visible to every process of this user: a name that exists (here or in another running
// process) gives a handle with GetLastError ERROR_ALREADY_EXISTS. Closed with CloseHandle.
HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCWSTR name);
BOOL ReleaseMutex(HANDLE mutex);

// Programs the client starts (the dialler, the browser, installer packages) are written to the debug output and
// kept for the automation; nothing is started.
struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};
BOOL CreateProcessW(LPCWSTR application, LPWSTR commandLine, LPVOID processAttributes, LPVOID threadAttributes,
                    BOOL inheritHandles, DWORD flags, LPVOID environment, LPCWSTR directory, LPVOID startupInfo,
                    PROCESS_INFORMATION* info);
struct SHELLEXECUTEINFOW {
    DWORD cbSize;
    ULONG fMask;
    HWND hwnd;
    LPCWSTR lpVerb;
    LPCWSTR lpFile;
    LPCWSTR lpParameters;
    LPCWSTR lpDirectory;
    int nShow;
    HINSTANCE hInstApp;
};
BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info);
// "program arguments" lines of what was started since the last call, oldest first (UTF-8).
std::vector<std::string> TakeStartedPrograms();
