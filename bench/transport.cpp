// Transport figures, each against a reference measured in the same run:
// - round trips on loopback through the whole road (request worker thread, HTTP client, body decoder, reply
//   record set) for 2 KB and 200 KB replies, plain, LZSS, zlib and enciphered, against a bare blocking socket
//   exchanging the same bytes with the same server;
// - LZSS decoding against memcpy of its output; the zlib path against a bare uncompress of the same body.
#include "core/CompressFilter.h"
#include "core/DataSet.h"
#include "core/LzssCodec.h"
#include "core/NetEnvironment.h"
#include "core/NetThread.h"
#include "core/PacketCipher.h"
#include "core/ReplyDecoder.h"
#include "core/ReplyRecordSet.h"
#include "platform/win/Message.h"
#include "platform/win/WindowHandle.h"
#include "platform/win/Winsock.h"
#include "bench/BenchSupport.h"
#include "tests/core/TestBodies.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include <zlib.h>

namespace {

using Clock = std::chrono::steady_clock;
// A reply body of about `size` bytes: one data set of quote-like text rows, in the record-set binary form.
std::string RecordBody(size_t size)
{
    CDataSet set;
    set.SetName("quotes");
    FieldInfo field = {};
    strcpy(field.name, "line");
    field.type = FIELD_TEXT;
    field.size = 8;
    set.AddField(&field, 0);
    char line[96];
    for (int row = 0;; ++row) {
        snprintf(line, sizeof line, "%06d|name%04d|price=%d.%02d|volume=%d|time=09:%02d:%02d", 600000 + row % 900,
                 row % 37, 10 + row % 50, row % 100, 100 * (row % 321), row % 60, (row * 7) % 60);
        set.InsertRow(-1);
        set.SetString(0, line);
        BYTE* bytes = nullptr;
        DWORD n = set.Serialize(&bytes);
        std::string body((const char*)bytes, n);
        free(bytes);
        if (body.size() >= size)
            return body;
    }
}

std::string WithHeader(const std::string& body, const char* etag)
{
    return std::string("HTTP/1.1 200 OK\r\nETag: ") + etag + "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}

struct Figures {
    double perSecond, medianUs, p99Us;
};

Figures Summarise(std::vector<double>& micros, double seconds)
{
    std::sort(micros.begin(), micros.end());
    return {micros.size() / seconds, micros[micros.size() / 2],
            micros[std::min(micros.size() - 1, micros.size() * 99 / 100)]};
}

// The road a window's request takes: hand over to the worker, wait for the sent reply, parse it.
struct ReplyWindow {
    static LRESULT Proc(HWND window, UINT message, WPARAM, LPARAM lParam)
    {
        auto* self = static_cast<ReplyWindow*>(GetWindowObject(window));
        if (message != WM_NET_REPLY || !self)
            return 0;
        auto* worker = reinterpret_cast<CNetThread*>(lParam);
        worker->Lock();
        CReplyRecordSet records(worker->GetReplyData(), (DWORD)worker->GetReplyLength());
        worker->Unlock();
        self->ok = !records.hasError && records.GetCount() == 1 && (*records.GetRecord(0))->GetRowCount() > 0;
        self->done = true;
        // GetMessage handles sent messages inside and returns only for a posted one: wake the loop.
        PostMessage(window, WM_USER, 0, 0);
        return 1;
    }
    bool done = false, ok = false;
};

// Runs `count` requests through the worker, adding each latency; returns the seconds spent.
double RoundTrips(CNetThread* worker, HWND window, ReplyWindow& state, int index, int count,
                  std::vector<double>& micros, bool* allOk)
{
    char text[128];
    snprintf(text, sizeof text, "tc_mfuncno=31000&tc_sfuncno=1&case=%d", index);
    auto begin = Clock::now();
    for (int i = 0; i < count; ++i) {
        auto start = Clock::now();
        state.done = false;
        worker->Send(text, window, 1, INFINITE);
        MSG msg;
        while (!state.done && GetMessage(&msg, nullptr, 0, 0) > 0)
            DispatchMessage(&msg);
        // The reply is parsed inside the sent message; the worker is idle again right after.
        worker->WaitIdle(INFINITE);
        *allOk = *allOk && state.ok;
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    return std::chrono::duration<double>(Clock::now() - begin).count();
}

SOCKET BareConnect(int port)
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons((USHORT)port);
    a.sin_addr.s_addr = inet_addr("127.0.0.1");
    connect(s, (sockaddr*)&a, sizeof a);
    return s;
}

// The same bytes over a bare blocking socket: send the request, read exactly the reply's length.
double BareRoundTrips(SOCKET s, const std::string& request, size_t replySize, int count, std::vector<double>& micros)
{
    std::vector<char> buffer(replySize);
    auto begin = Clock::now();
    for (int i = 0; i < count; ++i) {
        auto start = Clock::now();
        send(s, request.data(), (int)request.size(), 0);
        size_t got = 0;
        while (got < replySize) {
            int n = recv(s, buffer.data() + got, (int)(replySize - got), 0);
            if (n <= 0)
                break;
            got += (size_t)n;
        }
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    return std::chrono::duration<double>(Clock::now() - begin).count();
}

double BestMegabytesPerSecond(size_t bytes, int runs, const std::function<void()>& work)
{
    double best = 0;
    for (int sample = 0; sample < 7; ++sample) {
        auto start = Clock::now();
        for (int i = 0; i < runs; ++i)
            work();
        double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        best = std::max(best, (double)bytes * runs / seconds / 1e6);
    }
    return best;
}

volatile BYTE sink;

// One kind of reply: its body as sent (packed or enciphered) and as the client must read it.
struct Case {
    const char* name;
    size_t size;
    const char* etag;
    std::string body, plain;
};

std::vector<Case> MakeCases()
{
    std::vector<Case> cases;
    for (size_t size : {(size_t)2 * 1024, (size_t)200 * 1024}) {
        std::string plain = RecordBody(size);
        auto lzss = LzssTestEncode((const uint8_t*)plain.data(), plain.size());
        auto zlib = ZlibTestBody(plain, (uint32_t)plain.size());
        std::string packet((size_t)PacketSize((int)plain.size()), '\0');
        EncryptPacket(SESSION_KEY, (const BYTE*)plain.data(), (int)plain.size(), (BYTE*)packet.data());
        cases.push_back({"plain", size, "0,0,0,0", plain, plain});
        cases.push_back({"LZSS", size, "0,0,17,0", std::string(lzss.begin(), lzss.end()), plain});
        cases.push_back({"zlib", size, "0,0,18,0", std::string(zlib.begin(), zlib.end()), plain});
        cases.push_back({"enciphered", size, "0,0,0,36", packet, plain});
    }
    return cases;
}

// Round trips of every case through the worker against a bare socket, printed a row each; true when every
// reply was parsed without error.
bool CompareRoundTrips(const std::vector<Case>& cases, const std::vector<std::string>& replies, int port)
{
    CNetThread* worker = CNetThread::Create();
    worker->GetHttpClient()->SetServer("127.0.0.1", port);
    ReplyWindow state;
    HWND window = AllocWindowHandle(ReplyWindow::Proc, &state);

    printf("Round trips on loopback: worker + HTTP client + decoder + reply record set, against a bare blocking "
           "socket exchanging the same bytes\n");
    // The ratio of medians too: on a busy machine the rates follow the slowest round trips.
    printf("%-22s %10s %10s %10s | %10s %10s %10s | %s\n", "reply", "req/s", "median us", "p99 us", "bare req/s",
           "median us", "p99 us", "ratio (of medians)");
    bool allOk = true;
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        int count = c.size > 10000 ? 300 : 3000;
        char text[128];
        snprintf(text, sizeof text, "tc_service=300&tc_isunicode=0&tc_mfuncno=31000&tc_sfuncno=1&case=%zu", i);
        std::string body = text;
        std::string request = "POST / HTTP/1.1\r\nUser-Agent: ZRQ,WinMobile\r\nAccept: image/png\r\nContent-Length: " +
                              std::to_string(body.size()) + "\r\n\r\n" + body;
        SOCKET bareSocket = BareConnect(port);
        std::vector<double> warmUp, ourMicros, bareMicros;
        RoundTrips(worker, window, state, (int)i, 20, warmUp, &allOk);
        BareRoundTrips(bareSocket, request, replies[i].size(), 20, warmUp);
        // Ours and the reference take turns in small slices, so a busy machine weighs on both alike.
        double ourSeconds = 0, bareSeconds = 0;
        for (int slice = 0; slice < 20; ++slice) {
            ourSeconds += RoundTrips(worker, window, state, (int)i, count / 20, ourMicros, &allOk);
            bareSeconds += BareRoundTrips(bareSocket, request, replies[i].size(), count / 20, bareMicros);
        }
        closesocket(bareSocket);
        Figures ours = Summarise(ourMicros, ourSeconds);
        Figures bare = Summarise(bareMicros, bareSeconds);
        char label[40];
        snprintf(label, sizeof label, "%s %zu KB", c.name, c.size / 1024);
        printf("%-22s %10.0f %10.1f %10.1f | %10.0f %10.1f %10.1f | %.2f (%.2f)\n", label, ours.perSecond,
               ours.medianUs, ours.p99Us, bare.perSecond, bare.medianUs, bare.p99Us, ours.perSecond / bare.perSecond,
               bare.medianUs / ours.medianUs);
    }
    printf("every reply parsed without error: %s\n\n", allOk ? "yes" : "NO");
    FreeWindowHandle(window);
    worker->Stop();
    return allOk;
}

// The 200 KB LZSS and zlib bodies decoded, against memcpy and a bare uncompress.
void CompareDecoding(const std::vector<Case>& cases)
{
    printf("Decoding 200 KB bodies\n");
    const Case& lzssCase = cases[5];
    const Case& zlibCase = cases[6];
    std::vector<BYTE> copy(lzssCase.plain.size());
    CLzssCodec codec;
    double lzss = BestMegabytesPerSecond(lzssCase.plain.size(), 50, [&] {
        BYTE* out = nullptr;
        int n = 0;
        codec.Process((const BYTE*)lzssCase.body.data(), (UINT)lzssCase.body.size(), &out, &n, 0);
        sink = out[n / 2];
    });
    double memcpyRate = BestMegabytesPerSecond(lzssCase.plain.size(), 50, [&] {
        memcpy(copy.data(), lzssCase.plain.data(), copy.size());
        sink = copy[copy.size() / 2];
    });
    printf("%-40s %9.1f MB/s   memcpy of the output %9.1f MB/s   ratio %.3f\n", "LZSS decode (output bytes)", lzss,
           memcpyRate, lzss / memcpyRate);

    double pipeline = BestMegabytesPerSecond(zlibCase.plain.size(), 50, [&] {
        CCompressFilter compress;
        CReplyDecoder decoder;
        decoder.SetCompressFilter(&compress);
        decoder.SetCompressType(18);
        decoder.SetInput((const BYTE*)zlibCase.body.data(), (int)zlibCase.body.size());
        int n = 0;
        const BYTE* out = decoder.Finish(1, &n);
        sink = out[n / 2];
    });
    std::vector<BYTE> unpacked(zlibCase.plain.size());
    double bare = BestMegabytesPerSecond(zlibCase.plain.size(), 50, [&] {
        uLongf n = (uLongf)unpacked.size();
        uncompress(unpacked.data(), &n, (const Bytef*)zlibCase.body.data() + 4, (uLong)zlibCase.body.size() - 4);
        sink = unpacked[n / 2];
    });
    printf("%-40s %9.1f MB/s   bare uncompress      %9.1f MB/s   ratio %.3f\n", "zlib body through the decoder",
           pipeline, bare, pipeline / bare);
}

} // namespace

int main()
{
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
    BenchEnvironment environment;
    SetNetEnvironment(&environment);

    std::vector<Case> cases = MakeCases();
    std::vector<std::string> replies;
    for (const Case& c : cases)
        replies.push_back(WithHeader(c.body, c.etag));
    LoopbackServer server(replies);
    bool allOk = CompareRoundTrips(cases, replies, server.port);
    CompareDecoding(cases);
    SetNetEnvironment(nullptr);
    WSACleanup();
    return allOk ? 0 : 1;
}
