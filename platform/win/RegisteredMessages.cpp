// Names to message numbers, handed out in order from 0xC000.
#include "platform/win/RegisteredMessages.h"

#include "platform/win/LastError.h"

#include <map>
#include <mutex>
#include <string>

UINT RegisterWindowMessageW(LPCWSTR name)
{
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    static std::mutex lock;
    static auto* names = new std::map<std::u16string, UINT>();
    std::lock_guard<std::mutex> guard(lock);
    auto it = names->find(name);
    if (it != names->end())
        return it->second;
    UINT id = 0xC000 + (UINT)names->size();
    if (id > 0xFFFF)
        return 0;
    (*names)[name] = id;
    return id;
}
