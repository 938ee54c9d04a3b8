// The cipher stage of the reply body pipeline: Blowfish packets (type 36) only. Output stays in the filter.
#pragma once

#include "core/BodyFilter.h"

class CCipherFilter : public CBodyFilter {
public:
    CCipherFilter() = default;
    ~CCipherFilter() override;
    CCipherFilter(const CCipherFilter&) = delete;
    CCipherFilter& operator=(const CCipherFilter&) = delete;

    // Does nothing: deciphering needs a key.
    void Process(const BYTE* input, int length, BYTE type, BYTE** outData, int* outLength, int direction) override;
    // Direction 0 deciphers a packet, any other direction builds one.
    void ProcessWithKey(const BYTE* input, int length, BYTE type, const char* key, int keyLength, BYTE** outData,
                        int* outLength, int direction) override;
    // Deciphers a packet where it lies.
    BOOL Decode(CByteBuffer& body, BYTE type, const char* key) override;

private:
    struct Buffer {
        BYTE* data = nullptr;
        int capacity = 0;
    };
    // A buffer too small grows to the needed size plus 1024 bytes.
    static bool Reserve(Buffer& buffer, int needed);

    Buffer encipherBuffer;
    Buffer decipherBuffer;
};
