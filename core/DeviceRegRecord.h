// DeviceRegRecord: who signed up on this phone, kept in the registry key "Dizezo" under HKEY_CLASSES_ROOT:
// the signed-up mobile number ("Focus"), the sign-up code ("On"), and the two phone-line identifiers
// ("One", "Thing"). "Focus" and "On" are stored with 48 added to every UTF-16 code unit.
#pragma once

#include "platform/win/WinTypes.h"

class DeviceRegRecord {
public:
    static constexpr int FOCUS_SIZE = 20; // characters with the terminator
    static constexpr int ON_SIZE = 10;
    static constexpr int ONE_SIZE = 30;
    static constexpr int THING_SIZE = 30;
    static constexpr WCHAR STORED_SHIFT = 48;

    // Fills the names, then Load; with no key all four texts are empty.
    DeviceRegRecord();

    // 1 when the key was opened. Each value that is there and fits its text (terminator included) replaces it;
    // others leave it as it was.
    int Load();
    // Each non-null text shorter than its field is copied; null or too long texts leave the field as it was.
    void Set(const WCHAR* focus, const WCHAR* on, const WCHAR* one, const WCHAR* thing);
    // 1 when the key could be created or opened and all four values were written.
    int Save();

    const WCHAR* GetFocus() const { return focus; }
    const WCHAR* GetOn() const { return on; }
    const WCHAR* GetOne() const { return one; }
    const WCHAR* GetThing() const { return thing; }
    // Empties the two line identifiers in memory only, so that they are read from the line again.
    void ClearLineIds();

private:
    WCHAR focusName[10] = {};
    WCHAR focus[FOCUS_SIZE] = {};
    WCHAR onName[10] = {};
    WCHAR on[ON_SIZE] = {};
    WCHAR oneName[10] = {};
    WCHAR one[ONE_SIZE] = {};
    WCHAR thingName[10] = {};
    WCHAR thing[THING_SIZE] = {};
};

// Deletes "Focus" and then "On" from the key: 1 when both were deleted, 0 when the key cannot be opened or a
// deletion fails (the second is not tried then). The record in memory is not changed.
int DeleteSignUpValues();
