// The phone's dialler in the shape of its phone library: a call is handed to the dialler program, which the
// platform records like every program the client starts (see TakeStartedPrograms) instead of dialling.
#pragma once

#include "platform/win/WinTypes.h"

#define PMCF_DEFAULT 0x00000001
#define PMCF_PROMPTBEFORECALLING 0x00000002

struct PHONEMAKECALLINFO {
    DWORD cbSize;
    DWORD dwFlags;
    LPCWSTR pszDestAddress; // the number to dial
    LPCWSTR pszAppName;
    LPCWSTR pszCalledParty; // shown by the dialler, optional
    LPCWSTR pszComment;
};

// 0 when the dialler took the call; a non-zero error otherwise (no number, a number with no digits).
LONG PhoneMakeCall(const PHONEMAKECALLINFO* info);
