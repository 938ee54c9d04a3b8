// Runs a reply body through the cipher stage and then the unpacking stage, as the reply header's types say.
#pragma once

#include "core/BodyFilter.h"
#include "core/GrowArray.h"

class CReplyDecoder {
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
    // Takes the received body over without copying it (bytes is left empty).
    void TakeInput(CByteBuffer& bytes);
    // Returns the decoded bytes and their count; null and 0 for an empty input. With decode 0 the input comes
    // back as it is. A stage that cannot handle the body ends decoding with the body as it stood. The stages
    // decode in the input buffer, so the bytes belong to the decoder and stay valid until more input, the
    // next MoveResultTo or its end; a second Finish gives them again without decoding them twice.
    const BYTE* Finish(int decode, int* outLength);
    // Hands the block holding the bytes of the last Finish to out (whose old block is freed): no copy.
    // Always TRUE.
    BOOL MoveResultTo(CByteBuffer& out);

private:
    CByteBuffer input{64};
    const BYTE* result = nullptr;
    int resultLength = 0;
    bool decoded = false; // the input has been through the stages
    int cipherType = 0;
    int compressType = 0;
    CBodyFilter* compressStage = nullptr;
    CBodyFilter* cipherStage = nullptr;
    const char* key = nullptr;
};
