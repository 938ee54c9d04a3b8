// The user's own stock list (自选股): the data file "MyQuotes" holding items "code.MM" joined by "," plus a NUL,
// the widening of old one-digit market suffixes, and the shared way every screen adds a stock to it.
#pragma once

#include "core/AString.h"
#include "platform/win/WinTypes.h"

// What a read of the stored list found.
enum : int {
    MYQUOTES_READ = 0,       // the file was read (its text may be empty)
    MYQUOTES_ABSENT = 1,     // there is no file: an empty list
    MYQUOTES_UNREADABLE = 2, // the file is there but could not be read: its text is unknown
};

// The longest stored list text that the own stock list's request still carries in one piece, with room to spare
// for the common fields (about 120 items of "code.MM").
constexpr int MYQUOTES_MAX_TEXT = 1200;
// Tip shown when the list is too long to ask for (code page 936: 自选股已满，请先删除部分股票!).
constexpr char MYQUOTES_FULL[] =
    "\xd7\xd4\xd1\xa1\xb9\xc9\xd2\xd1\xc2\xfa\xa3\xac\xc7\xeb\xcf\xc8\xc9\xbe\xb3\xfd\xb2\xbf\xb7\xd6\xb9\xc9\xc6\xb1!";

// The stored list's text (up to its first NUL) into list; list is emptied unless the file was read.
int ReadMyQuotes(CAString* list);
// Replaces the stored list with text plus its NUL. FALSE when it could not be written (the old file is kept).
BOOL WriteMyQuotes(const char* text);

// The code with a one-digit market suffix widened to two digits ("000001.1" -> "000001.01"): a new malloc'ed
// text then, owned by the caller; otherwise the code pointer itself.
char* NormalizeQuoteCode(const char* code);

// Two items are the same stock: same length, equal with ASCII letter case ignored, once both are normalised.
int IsSameStock(const char* a, const char* b);

// Appends a stock to the stored list unless it is there already or the list would grow past MYQUOTES_MAX_TEXT;
// shows one tip over owner in every case, naming the stock (its name, when given, and code).
// 1 when added, 0 when refused or when the list could not be stored.
int AddToMyQuotes(const char* code, HWND owner, const char* name = nullptr);

// Widens the one-digit market suffixes of the stored list's items and writes it back when any changed.
void MigrateMyQuotes();
