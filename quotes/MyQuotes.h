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

// The stored list's text (up to its first NUL) into list; list is emptied unless the file was read.
int ReadMyQuotes(CAString* list);
// Replaces the stored list with text plus its NUL. FALSE when it could not be written (the old file is kept).
BOOL WriteMyQuotes(const char* text);

// The code with a one-digit market suffix widened to two digits ("000001.1" -> "000001.01"): a new malloc'ed
// text then, owned by the caller; otherwise the code pointer itself.
char* NormalizeQuoteCode(const char* code);

// Two items are the same stock: same length, equal with ASCII letter case ignored, once both are normalised.
int IsSameStock(const char* a, const char* b);

// Appends a stock to the stored list unless it is there already; shows one tip over owner in every case.
// 1 when added, 0 when refused or when the list could not be stored.
int AddToMyQuotes(const char* code, HWND owner);

// Widens the one-digit market suffixes of the stored list's items and writes it back when any changed.
void MigrateMyQuotes();
