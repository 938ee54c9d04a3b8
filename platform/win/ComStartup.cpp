// COM start-up: nothing to start.
#include "platform/win/ComStartup.h"

HRESULT CoInitializeEx(LPVOID, DWORD)
{
    return S_OK;
}

void CoUninitialize() {}
