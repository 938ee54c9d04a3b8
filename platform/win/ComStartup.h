// COM start-up, which the client asks for once at start; nothing on this host needs it, so it succeeds.
#pragma once

#include "platform/win/WinTypes.h"

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
