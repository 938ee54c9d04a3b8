// Menu entries: owned copies of title, window key and parameters.
#include "shell/MenuItem.h"

#include <cstdlib>
#include <cstring>

namespace {

char* CopyText(const char* text, size_t length)
{
    char* copy = static_cast<char*>(malloc(length + 1));
    if (copy != nullptr) {
        memcpy(copy, text, length);
        copy[length] = '\0';
    }
    return copy;
}

void Replace(char** field, const char* text)
{
    free(*field);
    *field = text != nullptr ? CopyText(text, strlen(text)) : nullptr;
}

} // namespace

CMenuItem::~CMenuItem()
{
    free(title);
    free(key);
    free(params);
}

CMenuItem* CMenuItem::Clone() const
{
    CMenuItem* copy = new CMenuItem();
    copy->SetTitle(title);
    copy->SetKey(key);
    copy->SetParams(params);
    return copy;
}

void CMenuItem::SetTitle(const char* text)
{
    Replace(&title, text);
}
void CMenuItem::SetKey(const char* text)
{
    Replace(&key, text);
}
void CMenuItem::SetParams(const char* text)
{
    Replace(&params, text);
}

void CMenuItem::SetAction(const char* action)
{
    if (action == nullptr) {
        SetKey(nullptr);
        SetParams(nullptr);
        return;
    }
    const char* mark = strchr(action, '?');
    if (mark == nullptr) {
        SetKey(action);
        SetParams(nullptr);
        return;
    }
    free(key);
    key = CopyText(action, size_t(mark - action));
    SetParams(mark + 1);
}
