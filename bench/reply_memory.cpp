// Memory a reply costs the client, against the size of its body measured in the same run: the peak resident
// growth while the HTTP client reads, deciphers and unpacks one reply and the window parses it into record
// sets, for 1 MB bodies sent plain, LZSS-packed, zlib-packed and enciphered, and for a 65 KB zlib body that
// unpacks to 64 MB of zero bytes (refused; it once cost more than a gigabyte).
#include "core/DataSet.h"
#include "core/HttpClient.h"
#include "core/PacketCipher.h"
#include "core/ReplyRecordSet.h"
#include "core/ZlibBuffer.h"
#include "platform/win/ProcessMemory.h"
#include "platform/win/Winsock.h"
#include "server/DataSetWriter.h"
#include "bench/BenchSupport.h"
#include "tests/core/TestBodies.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

// A quote-table-like set of about size bytes: a code text, two numbers and a name text per row.
std::string QuoteBody(size_t size)
{
    CDataSetWriter set("hq.codes");
    set.AddField("code", FIELD_TEXT);
    set.AddField("zjcj", FIELD_INT);
    set.AddField("cjsl", FIELD_INT);
    set.AddField("name", FIELD_TEXT);
    size_t estimate = 28 + 4 * 60;
    for (int row = 0; estimate < size; ++row) {
        char code[16], name[32];
        std::snprintf(code, sizeof code, "%06d", 600000 + row % 900);
        std::snprintf(name, sizeof name, "name%04d-%d", row % 37, row);
        set.AddRow();
        set.SetText(0, code);
        set.SetInt(1, 1000 + row % 5000);
        set.SetInt(2, 100 * (row % 321));
        set.SetText(3, name);
        estimate += 24 + 7 + std::string(name).size() + 1;
    }
    return set.ToBytes();
}

struct Figure {
    size_t transport = 0; // reading, deciphering and unpacking, until the reply bytes are handed over
    size_t peak = 0;      // and the window's parse into record sets
    int rc = -2;
    int sets = 0;
};

// One reply (case index of the server) through a fresh client and its parse, with the peak measured from just
// before the request.
Figure Measure(const LoopbackServer& server, int index)
{
    Figure f;
    CHttpClient client;
    client.SetServer("127.0.0.1", server.port);
    // A first small exchange opens the connection, so the server's thread for it is not counted.
    BYTE* data = nullptr;
    int length = 0;
    client.Request("tc_mfuncno=31000&tc_sfuncno=4&case=0", &data, &length);
    ResetPeakResidentBytes();
    size_t base = GetResidentBytes();
    {
        std::string text = "tc_mfuncno=31000&tc_sfuncno=4&case=" + std::to_string(index);
        f.rc = client.Request(text.c_str(), &data, &length);
        f.transport = GetPeakResidentBytes() - base;
        // The client hands its buffer over and the record set reads in it: no copy of the body.
        CByteBuffer body(0);
        client.TakeReply(body);
        CReplyRecordSet reply(std::move(body));
        f.sets = reply.GetCount();
        f.peak = GetPeakResidentBytes() - base;
    }
    return f;
}

} // namespace

int main()
{
    WSADATA wsa;
    WSAStartup(MAKEWORD(1, 1), &wsa);
    BenchEnvironment environment;
    SetNetEnvironment(&environment);

    const std::string plain = QuoteBody(1u << 20);
    auto lzss = LzssTestEncode((const uint8_t*)plain.data(), plain.size());
    auto zlib = ZlibTestBody(plain, (uint32_t)plain.size());
    std::string packet((size_t)PacketSize((int)plain.size()), '\0');
    EncryptPacket(SESSION_KEY, (const BYTE*)plain.data(), (int)plain.size(), (BYTE*)packet.data());
    std::string zeros(CZlibBuffer::MAX_UNPACKED, '\0');
    auto bomb = ZlibTestBody(zeros, (uint32_t)zeros.size());
    zeros = std::string();
    struct Case {
        const char* name;
        std::string body;
        const char* etag;
        size_t unpacked;
    } cases[] = {
        {"plain", plain, "0,0,0,0", plain.size()},
        {"LZSS", std::string(lzss.begin(), lzss.end()), "0,0,17,0", plain.size()},
        {"zlib", std::string(zlib.begin(), zlib.end()), "0,0,18,0", plain.size()},
        {"enciphered", packet, "0,0,0,36", plain.size()},
        {"zlib of zero bytes", std::string(bomb.begin(), bomb.end()), "0,0,18,0", CZlibBuffer::MAX_UNPACKED},
    };
    std::vector<std::string> replies = {"HTTP/1.1 200 OK\r\nETag: 0,0,0,0\r\nContent-Length: 0\r\n\r\n"};
    for (const Case& c : cases)
        replies.push_back(std::string("HTTP/1.1 200 OK\r\nETag: ") + c.etag +
                          "\r\nContent-Length: " + std::to_string(c.body.size()) + "\r\n\r\n" + c.body);
    LoopbackServer server(replies);

    std::printf("peak resident growth per byte of the unpacked body (1.00 = one copy of the body)\n");
    std::printf("reply               sent KB  body KB  transport  with parse  sets\n");
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        Figure f = Measure(server, (int)i + 1);
        bool bomb = c.unpacked == CZlibBuffer::MAX_UNPACKED;
        std::printf("%-18s %8zu %8zu %10.2f %11.2f %5d  peak %zu MB%s\n", c.name, c.body.size() / 1024,
                    c.unpacked / 1024, (double)f.transport / (double)c.unpacked, (double)f.peak / (double)c.unpacked,
                    f.sets, f.peak >> 20,
                    bomb        ? (f.rc == 0 ? ", refused (limit 200 MB)" : ", ACCEPTED")
                    : f.rc == 1 ? ""
                                : ", failed");
    }
    SetNetEnvironment(nullptr);
    return 0;
}
