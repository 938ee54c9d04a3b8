// The records of an account journal: "MORWICK-JOURNAL 1", then "R LENGTH CRC32\n" + LENGTH bytes per record, each
// checked by its CRC-32. Only the last record may be torn (a crash while it was appended, or a power cut that left
// zeros in it); any other record that fails its check is damage, and so is a last one whole in length.
#pragma once

#include <string>
#include <vector>

extern const char JOURNAL_MAGIC[]; // "MORWICK-JOURNAL 1\n"

// One record of the body, head and body.
std::string JournalRecord(const std::string& body);

// The journal's records in order, a torn last one left out (torn, when given, then says where it was: "record N at
// byte B, L bytes"). False for damage, with why: where it is and what is wrong there, for the server's operator.
bool ReadJournalRecords(const std::string& text, std::vector<std::string>* records, std::string* why,
                        std::string* torn = nullptr);
