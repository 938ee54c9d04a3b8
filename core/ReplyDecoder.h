// Runs a reply body through the cipher stage and then the unpacking stage, as the reply header's types say.
#pragma once

#include "core/BodyFilter.h"
#include "core/GrowArray.h"

class CReplyDecoder
{
public:
    CReplyDecoder() = default;

    void SetCipherFilter(CBodyFilter* filter) { cipherStage = filter; }
    void SetCompressFilter(CBodyFilter* filter) { compressStage = filter; }
    // Types as the reply header gives them: 0 skips the stage; -1 (never set) reaches the stage as 255,
    // which none recognises.
    void SetCipherType(int type) { cipherType = type; }
    void SetCompressType(int type) { compressType = type; }
    // The session key for the cipher stage (not copied).
    void SetKey(const char* sessionKey) { key = sessionKey; }

    // Appends body bytes; nothing for null or a length below 1.
    void SetInput(const BYTE* bytes, int length);
    // Returns the decoded bytes (owned here) and their count; null and 0 for an empty input. With decode 0 the
    // input comes back as it is. A stage that cannot handle the body ends decoding with the body as it stood.
    const BYTE* Finish(int decode, int* outLength);

private:
    CByteBuffer input{64};
    CByteBuffer output{64};
    int cipherType = 0;
    int compressType = 0;
    CBodyFilter* compressStage = nullptr;
    CBodyFilter* cipherStage = nullptr;
    const char* key = nullptr;
};
