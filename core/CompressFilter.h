// The unpacking stage of the reply body pipeline: LZSS (type 17) and zlib (type 18).
#pragma once

#include "core/BodyFilter.h"
#include "core/LzssCodec.h"
#include "core/ZlibBuffer.h"

enum { COMPRESS_LZSS = 17, COMPRESS_ZLIB = 18 };

class CCompressFilter : public CBodyFilter {
public:
    void Process(const BYTE* input, int length, BYTE type, BYTE** outData, int* outLength, int direction) override;
    // Unpacking takes no key; this only notes the call in the debug output.
    void ProcessWithKey(const BYTE* input, int length, BYTE type, const char* key, int keyLength, BYTE** outData,
                        int* outLength, int direction) override;
    // LZSS unpacks in the body's own block, zlib into a block of the announced size handed over.
    BOOL Decode(CByteBuffer& body, BYTE type, const char* key) override;

private:
    CLzssCodec lzss;
    CZlibBuffer zlib;
};
