// Secrets that leave no copy behind in the memory they used, nor in a core file.
#include "core/SecretText.h"

#include <cstring>

CSecretText::~CSecretText()
{
    FreeSecretBlock(text); // wiped first
}

BOOL CSecretText::Set(const char* newText)
{
    Clear();
    if (newText == nullptr)
        return TRUE;
    size_t length = strnlen(newText, CAPACITY);
    if (length >= CAPACITY)
        return FALSE;
    if (text == nullptr && (text = static_cast<char*>(AllocateSecretBlock())) == nullptr)
        return FALSE;
    memcpy(text, newText, length + 1);
    held = true;
    return TRUE;
}

void CSecretText::Clear()
{
    if (text != nullptr)
        SecureZeroMemory(text, CAPACITY);
    held = false;
}
