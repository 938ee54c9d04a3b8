// Secrets that leave no copy behind in the memory they used.
#include "core/SecretText.h"

#include "platform/win/SecureMemory.h"

#include <cstring>

BOOL CSecretText::Set(const char* newText)
{
    Clear();
    if (newText == nullptr)
        return TRUE;
    size_t length = strnlen(newText, CAPACITY);
    if (length >= CAPACITY)
        return FALSE;
    memcpy(text, newText, length + 1);
    held = true;
    return TRUE;
}

void CSecretText::Clear()
{
    SecureZeroMemory(text, sizeof text);
    held = false;
}
