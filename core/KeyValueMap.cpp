// Splitting pair-list texts of the server's configuration.
#include "core/KeyValueMap.h"

#include <cstring>
#include <string>

KeyValueMap::KeyValueMap(const char* text)
{
    Assign(text);
}

void KeyValueMap::Assign(const char* text)
{
    values.SetCount(0);
    keys.SetCount(0);
    if (text == nullptr || text[0] == 0) {
        return;
    }
    const char* piece = text;
    for (;;) {
        const char* hash = strchr(piece, '#');
        size_t length = hash != nullptr ? size_t(hash - piece) : strlen(piece);
        const void* caret = memchr(piece, '^', length);
        if (caret != nullptr) {
            const char* split = static_cast<const char*>(caret);
            CAString key(std::string(piece, split).c_str());
            CAString value(std::string(split + 1, piece + length).c_str());
            if (keys.Append(&key, 1) == nullptr || values.Append(&value, 1) == nullptr) {
                keys.SetCount(values.count < keys.count ? values.count : keys.count);
                return; // out of memory: keep the pairs that are whole
            }
        }
        if (hash == nullptr) {
            return;
        }
        piece = hash + 1;
    }
}

const char* KeyValueMap::GetKey(int i) const
{
    return i >= 0 && UINT(i) < keys.count ? keys.data[i].GetText() : nullptr;
}

const char* KeyValueMap::GetValue(int i) const
{
    return i >= 0 && UINT(i) < values.count ? values.data[i].GetText() : nullptr;
}

const char* KeyValueMap::FindValue(const char* key) const
{
    if (key == nullptr || key[0] == 0) {
        return nullptr;
    }
    for (UINT i = 0; i < keys.count && i < values.count; ++i) {
        if (strcmp(keys.data[i].GetText(), key) == 0) {
            return values.data[i].GetText();
        }
    }
    return nullptr;
}
