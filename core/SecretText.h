// A secret held in memory (the trading password, the session key): kept in a block of its own, in memory that core
// files leave out, and wiped, not only released, whenever the secret is replaced or cleared and when its holder goes.
#pragma once

#include "platform/win/SecureMemory.h"
#include "platform/win/WinTypes.h"

#include <cstddef>

class CSecretText {
public:
    // Room for the text and its terminator.
    static constexpr size_t CAPACITY = SECRET_BLOCK_SIZE;

    CSecretText() = default;
    ~CSecretText();
    CSecretText(const CSecretText&) = delete;
    CSecretText& operator=(const CSecretText&) = delete;

    // Wipes what was held and takes a copy of text; null clears. FALSE (nothing held) for a text that does
    // not fit (a cut secret would be another one), or when there is no memory to keep it in. The text stays at the
    // same place from the first Set until the holder goes.
    BOOL Set(const char* text);
    void Clear();
    // The text, or null when nothing is held.
    const char* Get() const { return held ? text : nullptr; }

private:
    char* text = nullptr; // a secret block, taken at the first Set
    bool held = false;
};
