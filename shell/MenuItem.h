// CMenuItem: one entry of the server's menus: its title, the window key that opens it and that window's
// parameter text. Texts are 8-bit and owned; each setter keeps its own copy.
#pragma once

class CMenuItem {
public:
    CMenuItem() = default;
    ~CMenuItem();
    CMenuItem(const CMenuItem&) = delete;
    CMenuItem& operator=(const CMenuItem&) = delete;

    // A new item holding copies of this one's texts.
    CMenuItem* Clone() const;

    // Each frees the old text and stores a copy of the new one; null stores none.
    void SetTitle(const char* text);
    void SetKey(const char* text);
    void SetParams(const char* text);
    // Splits a record's action at its first '?': the key before it, the parameters after it (none without
    // '?'; "" after a lone trailing '?'). A null action clears both.
    void SetAction(const char* action);

    const char* GetTitle() const { return title; }
    const char* GetKey() const { return key; }
    const char* GetParams() const { return params; }

private:
    char* title = nullptr;
    char* key = nullptr;
    char* params = nullptr;
};
