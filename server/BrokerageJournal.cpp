// Reading an account journal's records, telling a torn last record (dropped) from damage (refused): a record is
// appended in one write and flushed before it is acknowledged, so a crash can only touch the last one. A kill cuts
// it short; a power cut may also leave zeros where its bytes did not reach the disk, at its end, or at its start
// when the append began in the file's partly filled last block and only the new blocks were written. Anything else
// that fails a check (a record of its full length that fails its check among them) was written whole and changed
// since.
#include "server/BrokerageJournal.h"

#include "server/ServerText.h"

#include <charconv>
#include <cstdio>
#include <zlib.h>

const char JOURNAL_MAGIC[] = "MORWICK-JOURNAL 1\n";

namespace {

uLong Crc(const std::string& body)
{
    return crc32(0L, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c)
{
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The text without the zero bytes at its end: blocks a crash left unwritten read as zeros on some disks.
std::string WithoutZeroTail(const std::string& text, size_t from)
{
    size_t end = text.size();
    while (end > from && text[end - 1] == '\0')
        --end;
    return text.substr(from, end - from);
}

// Whether s can be the start of a record's head, "R LENGTH CRC32".
bool IsHeadStart(const std::string& s)
{
    size_t i = 0, n = s.size();
    if (i == n)
        return true;
    if (s[i++] != 'R')
        return false;
    if (i == n)
        return true;
    if (s[i++] != ' ')
        return false;
    size_t digits = i;
    while (i < n && IsDigit(s[i]))
        ++i;
    if (i == n)
        return true;
    if (i == digits || s[i++] != ' ')
        return false;
    size_t hex = i;
    while (i < n && IsHexDigit(s[i]))
        ++i;
    return i == n && i - hex <= 8;
}

// Whether s can be the start of a record's change lines: each line "+\t..." or "-\t...", no zero byte. A later
// record's head in it means the record was whole once and its length is what changed.
bool IsChangesStart(const std::string& s)
{
    for (size_t line = 0; line < s.size();) {
        if ((s[line] != '+' && s[line] != '-') || (line + 1 < s.size() && s[line + 1] != '\t'))
            return false;
        size_t eol = s.find('\n', line);
        if (eol == std::string::npos)
            break;
        line = eol + 1;
    }
    return s.find('\0') == std::string::npos;
}

// Whether s can be what a power cut left of a record whose start it zeroed: the end of one line (of its head or of
// a change line), then change lines; no zero byte, and no record's head, which would mean the zeros stand where a
// whole record was and later ones follow.
bool IsChangesRest(const std::string& s)
{
    if (s.empty())
        return true;
    size_t eol = s.find('\n');
    return s[0] != 'R' && s.find('\0') == std::string::npos &&
           (eol == std::string::npos || IsChangesStart(s.substr(eol + 1)));
}

// Where the zeros that start at `at` end.
size_t AfterZeros(const std::string& text, size_t at)
{
    while (at < text.size() && text[at] == '\0')
        ++at;
    return at;
}

std::string Where(size_t number, size_t at)
{
    return "record " + std::to_string(number) + " at byte " + std::to_string(at);
}

// Reads "R LENGTH CRC32" into length and crc; false when the line is not a record's head.
bool ReadHead(const std::string& line, size_t* length, unsigned long* crc)
{
    std::vector<std::string> words = Split(line, ' ');
    if (words.size() != 3 || words[0] != "R" || words[1].empty() || words[2].size() != 8)
        return false;
    const std::string& l = words[1];
    const std::string& c = words[2];
    auto lr = std::from_chars(l.data(), l.data() + l.size(), *length);
    auto cr = std::from_chars(c.data(), c.data() + c.size(), *crc, 16);
    return lr.ec == std::errc() && lr.ptr == l.data() + l.size() && cr.ec == std::errc() &&
           cr.ptr == c.data() + c.size();
}

} // namespace

std::string JournalRecord(const std::string& body)
{
    char head[48];
    std::snprintf(head, sizeof head, "R %zu %08lx\n", body.size(), static_cast<unsigned long>(Crc(body)));
    return head + body;
}

bool ReadJournalRecords(const std::string& text, std::vector<std::string>* records, std::string* why, std::string* torn)
{
    size_t at = sizeof JOURNAL_MAGIC - 1;
    for (size_t number = 1; at < text.size(); ++number) {
        auto tornHere = [&] {
            if (torn)
                *torn = Where(number, at) + ", " + std::to_string(text.size() - at) + " bytes";
            return true;
        };
        if (text[at] == '\0') {
            if (IsChangesRest(WithoutZeroTail(text, AfterZeros(text, at))))
                return tornHere(); // zeroed from its start by a power cut
            *why = Where(number, at) + ": zeros where its head should be, then what is not the rest of one record";
            return false;
        }
        size_t eol = text.find('\n', at);
        if (eol == std::string::npos) {
            if (IsHeadStart(WithoutZeroTail(text, at)))
                return tornHere(); // torn in its head
            *why = Where(number, at) + ": the file ends in what is not a record";
            return false;
        }
        size_t length = 0;
        unsigned long crc = 0;
        if (!ReadHead(text.substr(at, eol - at), &length, &crc)) {
            *why = Where(number, at) + ": its head is not a record's";
            return false;
        }
        size_t bodyAt = eol + 1;
        if (length > text.size() - bodyAt) {
            if (IsChangesStart(WithoutZeroTail(text, bodyAt)))
                return tornHere(); // torn in its body
            *why = Where(number, at) + ": its length reaches past the end of the file, over later records";
            return false;
        }
        std::string body = text.substr(bodyAt, length);
        if (Crc(body) != crc) {
            // Only zeros a power cut left at its end excuse the last record; one whole in length was changed since.
            std::string kept = WithoutZeroTail(text, bodyAt);
            if (bodyAt + length == text.size() && kept.size() < length && IsChangesStart(kept))
                return tornHere();
            *why = Where(number, at) + ": it fails its check";
            return false;
        }
        records->push_back(std::move(body));
        at = bodyAt + length;
    }
    return true;
}
