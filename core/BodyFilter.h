// One stage of the reply body pipeline (deciphering or unpacking). A stage that does not know the type byte,
// or cannot handle the body, leaves the out data null so the body goes on as it stood.
#pragma once

#include "core/GrowArray.h"
#include "platform/win/WinTypes.h"

class CBodyFilter {
public:
    virtual ~CBodyFilter() = default;
    // Direction 0 decodes; replies only ever use 0.
    virtual void Process(const BYTE* input, int length, BYTE type, BYTE** outData, int* outLength, int direction) = 0;
    virtual void ProcessWithKey(const BYTE* input, int length, BYTE type, const char* key, int keyLength,
                                BYTE** outData, int* outLength, int direction) = 0;
    // Decodes the body held in `body` and leaves the result there, in the same block where the stage can or
    // in a block of its own handed over (the old one freed), so a body is not copied on its way out. FALSE
    // when the stage does not know the type or cannot handle the body, which `body` then holds as it came.
    virtual BOOL Decode(CByteBuffer& body, BYTE type, const char* key) = 0;
};
