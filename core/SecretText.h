// A secret held in memory (the trading password, the session key): kept in a buffer of its own that is wiped,
// not only released, whenever the secret is replaced or cleared and when its holder goes.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstddef>

class CSecretText {
public:
    // Room for the text and its terminator.
    static constexpr size_t CAPACITY = 128;

    CSecretText() = default;
    ~CSecretText() { Clear(); }
    CSecretText(const CSecretText&) = delete;
    CSecretText& operator=(const CSecretText&) = delete;

    // Wipes what was held and takes a copy of text; null clears. FALSE (nothing held) for a text that does
    // not fit: a cut secret would be another one.
    BOOL Set(const char* text);
    void Clear();
    // The text, or null when nothing is held.
    const char* Get() const { return held ? text : nullptr; }

private:
    char text[CAPACITY] = {};
    bool held = false;
};
