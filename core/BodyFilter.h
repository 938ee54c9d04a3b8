// One stage of the reply body pipeline (deciphering or unpacking). A stage that does not know the type byte,
// or cannot handle the body, leaves the out data null so the body goes on as it stood.
#pragma once

#include "platform/win/WinTypes.h"

class CBodyFilter
{
public:
    virtual ~CBodyFilter() = default;
    // Direction 0 decodes; replies only ever use 0.
    virtual void Process(const BYTE* input, int length, BYTE type, BYTE** outData, int* outLength,
                         int direction) = 0;
    virtual void ProcessWithKey(const BYTE* input, int length, BYTE type, const char* key, int keyLength,
                                BYTE** outData, int* outLength, int direction) = 0;
};
