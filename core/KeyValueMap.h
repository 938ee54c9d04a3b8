// KeyValueMap: a pair-list text "key^value#key^value#" split into its pairs, in text order.
// A key ends at the first "^" (the value may hold more); a piece without "^" is skipped.
#pragma once

#include "core/AString.h"
#include "core/GrowArray.h"

class KeyValueMap {
public:
    explicit KeyValueMap(const char* text = nullptr);
    KeyValueMap(const KeyValueMap&) = delete;
    KeyValueMap& operator=(const KeyValueMap&) = delete;

    // Empties the map and parses the text; null or "" leaves it empty.
    void Assign(const char* text);
    int GetCount() const { return int(keys.count); }
    // Pair i's texts, null when i is out of range.
    const char* GetKey(int i) const;
    const char* GetValue(int i) const;
    // The value of the first pair whose key equals key exactly (case counts); null for a null or empty key.
    const char* FindValue(const char* key) const;

private:
    GrowArray<CAString> values{64};
    GrowArray<CAString> keys{64};
};
