// The program update against a server that answers what the input says: the update manager starts a download,
// its worker asks for the announcement (800/2: version, size, md5, notes), fetches the package by ranges (800/3)
// into the package file, re-reads the file for its MD5 and size, and hands the announcement back to the manager.
// The first byte chooses how the server answers (the announcement as raw bytes or well formed; its digest or size
// wrong; ranges exact, one byte short, one byte long, refused or marked packed); two bytes give the package's
// length, its bytes follow, and the rest are the announcement's raw bytes or its release notes. Every reply is
// framed correctly, so no wait for a time-out slows the run.
#include "core/AppData.h"
#include "core/HttpClient.h"
#include "fuzz/FuzzHome.h"
#include "fuzz/FuzzPresenter.h"
#include "platform/device/ServerCipher.h"
#include "platform/display/Display.h"
#include "platform/net/TcpServer.h"
#include "platform/win/Message.h"
#include "server/DataSetWriter.h"
#include "services/UpdateManager.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace {

enum : uint8_t {
    RAW_ANNOUNCEMENT = 1,
    WRONG_DIGEST = 2,
    WRONG_SIZE = 4,
    RANGE_MODE_SHIFT = 3, // two bits: exact, one byte short, one byte long, refused
    PACKED_REPLIES = 32,
};

// What the server answers for the current input.
struct Script {
    std::mutex lock;
    std::string announcement;
    std::string package;
    int rangeMode = 0;
    bool packed = false;
};

Script script;

std::string HttpReply(int result, bool packed, const std::string& body)
{
    return "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nETag: " + std::to_string(result) + ",0," +
           (packed ? "17" : "0") + ",0\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: keep-alive\r\n\r\n" + body;
}

long long Field(const std::string& request, const char* name)
{
    size_t at = request.find(name);
    return at == std::string::npos ? -1 : std::atoll(request.c_str() + at + std::strlen(name));
}

// One keep-alive connection of the worker: each request read whole, each answer framed whole.
void Serve(CTcpConnection& connection)
{
    std::string pending;
    char buffer[4096];
    for (;;) {
        size_t end = pending.find("\r\n\r\n");
        long long length = end == std::string::npos ? -1 : Field(pending.substr(0, end), "Content-Length: ");
        if (end == std::string::npos || length < 0 || pending.size() < end + 4 + (size_t)length) {
            int n = connection.Read(buffer, sizeof buffer, 5000);
            if (n <= 0 || pending.size() > 65536)
                return;
            pending.append(buffer, (size_t)n);
            continue;
        }
        std::string request = pending.substr(end + 4, (size_t)length);
        pending.erase(0, end + 4 + (size_t)length);
        std::string reply;
        {
            std::lock_guard<std::mutex> guard(script.lock);
            if (request.find("tc_sfuncno=3") == std::string::npos) {
                reply = HttpReply(0, script.packed, script.announcement);
            } else {
                long long offset = Field(request, "offset="), asked = Field(request, "length=");
                std::string bytes;
                if (offset >= 0 && asked >= 0 && (size_t)offset < script.package.size())
                    bytes = script.package.substr((size_t)offset, (size_t)asked);
                if (script.rangeMode == 1 && !bytes.empty())
                    bytes.pop_back();
                if (script.rangeMode == 2)
                    bytes += 'x';
                reply = script.rangeMode == 3 ? HttpReply(1, false, "\xb4\xed\xce\xf3") // "错误"
                                              : HttpReply(0, script.packed, bytes);
            }
        }
        if (!connection.WriteAll(reply.data(), (int)reply.size()))
            return;
    }
}

struct Fixture {
    FuzzPresenter presenter;
    CTcpServer server;
    std::u16string packagePath;

    Fixture()
    {
        std::string home = FuzzHomePath();
        packagePath.assign(home.begin(), home.end());
        packagePath += u"morwick.update";
        morwick::display::StartDisplay();
        server.Listen(0);
        server.Start(Serve);
        CAppData* app = CAppData::Instance();
        app->SetMessagePresenter(&presenter);
        app->GetHttpClient()->SetServer("127.0.0.1", server.GetPort());
        app->SetSessionString("AbCdEfGh01234567");
        app->SetConfig("System_Version", "3.2.2.0.0", 0);
        app->SetConfig("Connect_Type", "2", 0); // straight to the server, not through the gateway first
    }
};

std::string Announcement(const std::string& package, uint8_t how, const std::string& notes)
{
    std::string md5 = ServerMd5Hex(package);
    if (how & WRONG_DIGEST)
        md5[0] = md5[0] == '0' ? '1' : '0';
    CDataSetWriter set("update");
    int version = set.AddField("version", FIELD_TEXT);
    int size = set.AddField("size", FIELD_INT);
    int digest = set.AddField("md5", FIELD_TEXT);
    int text = set.AddField("notes", FIELD_TEXT);
    set.AddRow();
    set.SetText(version, "3.3.0.0.0");
    set.SetInt(size, (int)package.size() + ((how & WRONG_SIZE) ? 1 : 0));
    set.SetText(digest, md5);
    set.SetText(text, notes);
    return set.ToBytes();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Fixture fixture;
    if (size < 3 || size > 16 * 1024)
        return 0;
    uint8_t how = data[0];
    size_t packageLength = ((size_t)data[1] << 8 | data[2]) % (size - 2);
    std::string package(reinterpret_cast<const char*>(data + 3), packageLength);
    std::string rest(reinterpret_cast<const char*>(data + 3 + packageLength), size - 3 - packageLength);
    {
        std::lock_guard<std::mutex> guard(script.lock);
        script.package = package;
        script.announcement = (how & RAW_ANNOUNCEMENT) ? rest : Announcement(package, how, rest);
        script.rangeMode = (how >> RANGE_MODE_SHIFT) & 3;
        script.packed = (how & PACKED_REPLIES) != 0;
    }

    // A manager of its own each time: a finished download is kept, and this one must start.
    CUpdateManager::Destroy();
    CUpdateManager* manager = CUpdateManager::GetInstance();
    manager->SetPackagePath(fixture.packagePath);
    manager->Start();
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    MSG msg;
    while (manager->GetState() == CUpdateManager::DOWNLOADING) {
        if (std::chrono::steady_clock::now() > limit)
            __builtin_trap(); // a download that never ends leaves the user waiting
        if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    for (int i = 0; i < 100 && PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE); ++i)
        DispatchMessage(&msg); // the end of the download, as the manager hears of it
    return 0;
}
