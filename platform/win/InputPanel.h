// The input panel, the phone's on-screen keyboard.
#pragma once

#include "platform/win/WinTypes.h"

// The input panel (the on-screen keyboard).
#define SIPF_OFF 0x00000000
#define SIPF_ON 0x00000001
BOOL SipShowIM(DWORD flags);
BOOL SipIsVisible();
// The keyboard kind the next showing uses (the platform's numbering).
void SipSetKind(int kind);
int SipGetKind();
