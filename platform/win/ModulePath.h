// Where the program lives and where the phone's own files are kept.
// The program directory is the running executable's folder, or MORWICK_HOME when set, so that tests and local
// runs keep their own settings, data files, "pubkey.bin" and images. The device directory holds what belongs to
// the phone itself (registry, line identity, text-message outbox): MORWICK_DEVICE, default "device/" in the
// program directory. Both end in "/" and are read again on every call.
#pragma once

#include "platform/win/WinTypes.h"

#include <string>

typedef HINSTANCE HMODULE;

// The program directory followed by the executable's file name. The client is one module: any module handle
// (null or the application's instance) names the program itself.
// Returns the characters written without the terminator; when the buffer is too small the name is cut,
// terminated, size is returned and the last error is ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);

std::u16string GetProgramDirectory();
// Creates the folder (and its parents) when it is missing.
std::u16string GetDeviceDirectory();
// The device directory in on-disk form, created likewise.
std::string GetDeviceDirectoryNative();

// The server address the client was built for (the operator's gateway: GetGatewayAddress, BuildSettings.h).
const char* GetBuildServerAddress();
// The port named by MORWICK_PORT (the stand-in server a local run started), or 0 when it is unset or no port.
int GetServerPortOverride();
