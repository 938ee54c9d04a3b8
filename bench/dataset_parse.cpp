// Reply parsing speed: a 20-row ranked-quote page and a 1 MB reply of the same layout, each parsed into a
// CReplyRecordSet and walked with GetAsText on every field, against a plain memcpy of the same bytes.
#include "core/DataSet.h"
#include "core/ReplyRecordSet.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Put32(std::vector<uint8_t>& out, int v)
{
    for (int k = 0; k < 4; ++k)
        out.push_back(uint8_t((uint32_t)v >> (8 * k)));
}

// A ranked-quote data set as the server sends it: name, code, latest, change, change percent, volume, amount,
// market; names and codes in the blob.
std::vector<uint8_t> RankedQuoteReply(int rows)
{
    static const char* NAMES[] = {"\xc6\xbd\xb0\xb2\xd2\xf8\xd0\xd0", "\xcd\xf2\xbf\xc6\xa3\xc1",
                                  "\xc6\xd6\xb7\xa2\xd2\xf8\xd0\xd0", "\xd6\xd0\xb9\xfa\xc6\xbd\xb0\xb2"};
    struct F {
        const char* name;
        int type, size;
    } fields[] = {{"zqjc", FIELD_TEXT, 8},      {"zqdm", FIELD_TEXT, 8}, {"zxj", FIELD_QUOTE, 4},
                  {"zd", FIELD_QUOTE, 4},       {"zdf", FIELD_QUOTE, 4}, {"cjl", FIELD_QUOTE_UNIT, 4},
                  {"cje", FIELD_QUOTE_UNIT, 4}, {"sc", FIELD_INT, 4}};
    std::vector<uint8_t> out(16, 0);
    Put32(out, 8);
    int offset = 0;
    for (const F& f : fields) {
        uint8_t d[60] = {};
        strcpy((char*)d, f.name);
        out.insert(out.end(), d, d + 16);
        Put32(out, f.type);
        Put32(out, f.size);
        Put32(out, offset);
        out.insert(out.end(), d + 28, d + 60);
        offset += f.size;
    }
    Put32(out, rows);
    std::string blob;
    for (int r = 0; r < rows; ++r) {
        const char* name = NAMES[r % 4];
        char code[8];
        snprintf(code, sizeof code, "%06d", (r * 7919) % 1000000);
        Put32(out, (int)blob.size());
        Put32(out, (int)strlen(name) + 1);
        blob.append(name, strlen(name) + 1);
        Put32(out, (int)blob.size());
        Put32(out, 7);
        blob.append(code, 7);
        Put32(out, (1000 + r % 5000) * 4 + 2);
        Put32(out, (r % 200 - 100) * 4 + 2);
        Put32(out, (r % 2000 - 1000) * 4 + 2);
        Put32(out, (r * 13 % 100000) * 4 + 1);
        Put32(out, (r * 7 % 10000) * 4 + 2);
        Put32(out, 1 + r % 2);
    }
    Put32(out, (int)blob.size());
    out.insert(out.end(), blob.begin(), blob.end());
    return out;
}

volatile size_t sink;

size_t ParseAndWalk(const std::vector<uint8_t>& body)
{
    CReplyRecordSet reply(body.data(), (DWORD)body.size());
    size_t chars = 0;
    CDataSet* set = *reply.GetRecord(0);
    while (set && set->MoveNext()) {
        for (int i = 0; i < set->GetFieldCount(); ++i) {
            int length;
            set->GetAsText(i, &length);
            chars += (size_t)length;
        }
    }
    return chars;
}

template <typename Fn> double SecondsFor(int repeats, Fn fn)
{
    auto start = std::chrono::steady_clock::now();
    for (int k = 0; k < repeats; ++k)
        fn();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Measure(const char* what, const std::vector<uint8_t>& body, int repeats)
{
    std::vector<uint8_t> copy(body.size());
    ParseAndWalk(body); // warm up
    // The best of samples taken in turn, so that both meet the same load of a shared machine.
    double parse = 1e9, copying = 1e9;
    for (int sample = 0; sample < 9; ++sample) {
        parse = std::min(parse, SecondsFor(repeats, [&] { sink = sink + ParseAndWalk(body); }));
        copying = std::min(copying, SecondsFor(repeats, [&] {
                               memcpy(copy.data(), body.data(), body.size());
                               sink = sink + copy[body.size() / 2];
                               asm volatile("" ::: "memory");
                           }));
    }
    double mb = (double)body.size() * repeats / (1024.0 * 1024.0);
    printf("%-28s %9zu bytes  parse+walk %9.1f MB/s  memcpy %9.1f MB/s  ratio memcpy/parse %.1f\n", what, body.size(),
           mb / parse, mb / copying, parse / copying);
}

} // namespace

int main()
{
    std::vector<uint8_t> page = RankedQuoteReply(20);
    // Rows differ a little in size (names of 6 or 8 bytes); four rows hold every size once.
    size_t base = RankedQuoteReply(0).size();
    size_t fourRows = RankedQuoteReply(4).size() - base;
    int bigRows = (int)(((1024 * 1024 - base) * 4 + fourRows - 1) / fourRows);
    std::vector<uint8_t> big = RankedQuoteReply(bigRows);

    printf("record sets: parse a reply and GetAsText every field of every row\n");
    Measure("ranked quotes, 20 rows", page, 40000);
    char label[64];
    snprintf(label, sizeof label, "1 MB reply, %d rows", bigRows);
    Measure(label, big, 10);
    return 0;
}
