// The customer-service card and the program update of the stand-in server: the account manager and the firm's
// service numbers (800/1), the announcement of a newer build with its size and digest (800/2), and the package's
// bytes by range (800/3), so an interrupted download goes on where it stopped.
#include "platform/device/ServerCipher.h"
#include "server/DataSetWriter.h"
#include "server/ServerFunctions.h"
#include "server/ServerText.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

constexpr long long MAX_RANGE = 1048576;

// Dotted versions compared component by component as numbers; a missing component counts as 0.
int CompareVersions(const std::string& a, const std::string& b)
{
    std::vector<std::string> x = Split(a, '.'), y = Split(b, '.');
    for (size_t i = 0; i < x.size() || i < y.size(); ++i) {
        long p = i < x.size() ? std::atol(x[i].c_str()) : 0;
        long q = i < y.size() ? std::atol(y[i].c_str()) : 0;
        if (p != q)
            return p < q ? -1 : 1;
    }
    return 0;
}

} // namespace

bool CServerFunctions::LoadPackage(const std::string& path, std::string* error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error != nullptr)
            *error = "cannot read the package " + path;
        return false;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty() || bytes.size() > 0x7FFFFFFF) {
        if (error != nullptr)
            *error = "the package " + path + " is empty or too large";
        return false;
    }
    std::lock_guard<std::mutex> guard(packageLock);
    package = std::move(bytes);
    packageMd5 = ServerMd5Hex(package);
    return true;
}

void CServerFunctions::CorruptPackage()
{
    // The announced digest stays: what a damaged copy on the server would look like to the client.
    std::lock_guard<std::mutex> guard(packageLock);
    if (!package.empty())
        package[package.size() / 2] ^= 0x5A;
}

CServerFunctions::Answer CServerFunctions::CustomerService(Context&)
{
    CDataSetWriter manager("kfjl");
    manager.AddField("name", FIELD_TEXT);
    manager.AddField("phone", FIELD_TEXT);
    manager.AddField("mobile", FIELD_TEXT);
    manager.AddField("branch", FIELD_TEXT);
    manager.AddRow();
    manager.SetText(0, Gb("王晓明"));
    manager.SetText(1, "010-66001234");
    manager.SetText(2, "13911112222");
    manager.SetText(3, Gb("北京金融街营业部"));

    CDataSetWriter numbers("kfdh");
    numbers.AddField("name", FIELD_TEXT);
    numbers.AddField("number", FIELD_TEXT);
    const char* const rows[][2] = {{"客服热线", "95588"}, {"委托电话", "4008895588"}, {"投诉电话", "010-66005588"}};
    for (const auto& row : rows) {
        numbers.AddRow();
        numbers.SetText(0, Gb(row[0]));
        numbers.SetText(1, row[1]);
    }
    Answer a;
    manager.AppendTo(a.body);
    numbers.AppendTo(a.body);
    return a;
}

CServerFunctions::Answer CServerFunctions::UpdateAnnouncement(Context& c)
{
    std::lock_guard<std::mutex> guard(packageLock);
    if (package.empty() || CompareVersions(options.version, c.params.Get("sysVer")) <= 0)
        return Error("已是最新版本，不需要升级！");
    CDataSetWriter set("update");
    set.AddField("version", FIELD_TEXT);
    set.AddField("size", FIELD_INT);
    set.AddField("md5", FIELD_TEXT);
    set.AddField("notes", FIELD_TEXT);
    set.AddRow();
    set.SetText(0, options.version);
    set.SetInt(1, static_cast<int32_t>(package.size()));
    set.SetText(2, packageMd5);
    set.SetText(3, Gb(UpdateNotes()));
    Answer a;
    a.body = set.ToBytes();
    return a;
}

CServerFunctions::Answer CServerFunctions::PackageBytes(Context& c)
{
    long long offset = std::atoll(c.params.Get("offset").c_str());
    long long length = std::atoll(c.params.Get("length").c_str());
    std::lock_guard<std::mutex> guard(packageLock);
    long long size = static_cast<long long>(package.size());
    if (package.empty())
        return Failure(1, "没有可下载的升级包");
    if (offset < 0 || offset >= size || length <= 0 || length > MAX_RANGE)
        return Failure(1, "请求的升级包范围无效");
    if (length > size - offset)
        length = size - offset;
    Answer a;
    a.raw = true;
    a.body = package.substr(static_cast<size_t>(offset), static_cast<size_t>(length));
    return a;
}

std::string CServerFunctions::UpdateNotes() const
{
    return options.updateInfo.empty() ? "新功能：模拟行情服务器。" : options.updateInfo;
}
