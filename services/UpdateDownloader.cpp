// The package download exchange of the update worker.
#include "services/UpdateDownloader.h"

#include "core/DataSet.h"
#include "core/Md5.h"
#include "core/TextHelpers.h"
#include "platform/win/FileIo.h"
#include "platform/win/Message.h"
#include "platform/win/WideText.h"

#include <cstdlib>
#include <cstring>

namespace {

// "升级包校验失败，已删除" and "无法保存升级包" in code page 936.
const char CHECK_FAILED[] = "\xc9\xfd\xbc\xb6\xb0\xfc\xd0\xa3\xd1\xe9\xca\xa7\xb0\xdc\xa3\xac\xd2\xd1\xc9\xbe\xb3\xfd";
const char CANNOT_SAVE[] = "\xce\xde\xb7\xa8\xb1\xa3\xb4\xe6\xc9\xfd\xbc\xb6\xb0\xfc";
// "升级信息无效"
const char INVALID_ANNOUNCEMENT[] = "\xc9\xfd\xbc\xb6\xd0\xc5\xcf\xa2\xce\xde\xd0\xa7";

// The common fields follow the function's own after an "&".
const char* Separator(const char* fields)
{
    return fields[0] != 0 && fields[0] != '&' ? "&" : "";
}

long long FileSize(const std::u16string& path)
{
    FILE* file = _wfopen(path.c_str(), u"rb");
    if (file == nullptr)
        return -1;
    long long size = -1;
    if (fseek(file, 0, SEEK_END) == 0)
        size = ftell(file);
    fclose(file);
    return size;
}

} // namespace

CUpdateDownloader::CUpdateDownloader()
{
    // Every read also looks at the thread's messages (for a cancel): large reads keep that cost small.
    readSize = 65536;
}

CUpdateDownloader::~CUpdateDownloader()
{
    if (sink != nullptr)
        fclose(sink);
}

bool CUpdateDownloader::DigestFile(const std::u16string& path, std::string* md5, long long* size)
{
    FILE* file = _wfopen(path.c_str(), u"rb");
    if (file == nullptr)
        return false;
    MD5Context context;
    MD5Init(&context);
    static constexpr size_t BLOCK = 65536;
    BYTE* block = static_cast<BYTE*>(malloc(BLOCK));
    long long total = 0;
    bool ok = block != nullptr;
    while (ok) {
        size_t n = fread(block, 1, BLOCK, file);
        if (n > 0) {
            MD5Update(&context, block, (uint32_t)n);
            total += (long long)n;
        }
        if (n < BLOCK) {
            ok = ferror(file) == 0;
            break;
        }
    }
    free(block);
    fclose(file);
    if (!ok)
        return false;
    BYTE digest[16];
    MD5Final(&context, digest);
    char hex[33];
    HexEncode(digest, 16, hex, 0);
    hex[32] = 0;
    if (md5 != nullptr)
        *md5 = hex;
    if (size != nullptr)
        *size = total;
    return true;
}

void CUpdateDownloader::ReplyRefusal(const char* gbText, int textLength)
{
    std::string text(gbText != nullptr ? gbText : "", gbText != nullptr && textLength > 0 ? (size_t)textLength : 0);
    text = text.c_str();
    reply.SetSize(0);
    CDataSet error(text.c_str(), 0);
    error.SetError();
    BYTE* bytes = nullptr;
    int size = (int)error.Serialize(&bytes);
    if (bytes != nullptr && size > 0)
        reply.Append(bytes, (UINT)size);
    free(bytes);
    error.Destroy();
}

void CUpdateDownloader::Progress(long long done, long long total)
{
    if (progressWindow != nullptr && progressMessage != 0)
        PostMessage(progressWindow, progressMessage, (WPARAM)done, (LPARAM)total);
}

int CUpdateDownloader::Announce(const char* text, CByteBuffer& announcement, int* size, std::string* md5)
{
    char request[MAX_BODY];
    int n = snprintf(request, sizeof request, "tc_mfuncno=%d&tc_sfuncno=%d%s%s", ANNOUNCE_MFUNC, ANNOUNCE_SFUNC,
                     Separator(text), text);
    if (n < 0 || n >= (int)sizeof request)
        return Fail(ERROR_SEND);
    // The announcement is a plain record set: the packing of an earlier reply must not be assumed for it.
    replyResult = 0;
    compressType = cipherType = -1;
    int rc = Exchange(request, announcement);
    if (rc != 1)
        return rc;
    if (replyResult >= 1 || compressType > 0 || cipherType > 0) {
        ReplyRefusal(announcement.GetSize() > 0 ? (const char*)announcement.data : "", (int)announcement.GetSize());
        return 2;
    }
    CDataSet** sets = nullptr;
    int count = ParseDataSets(announcement.data, (DWORD)announcement.GetSize(), &sets);
    int outcome = 0;
    if (count > 0 && sets != nullptr && sets[0]->IsError()) {
        outcome = 2;
    } else if (count > 0 && sets != nullptr && sets[0]->GetRowCount() > 0) {
        sets[0]->MoveFirst();
        const char* digest = sets[0]->GetString("md5");
        *size = sets[0]->GetAsInt("size");
        if (digest != nullptr && strlen(digest) == 32 && *size > 0) {
            *md5 = digest;
            outcome = 1;
        }
    }
    for (int i = 0; i < count; ++i)
        delete sets[i];
    free(sets);
    if (outcome == 2) {
        // The server's refusal, in its own words.
        reply.SetSize(0);
        reply.Append(announcement.data, (UINT)announcement.GetSize());
    } else if (outcome == 0) {
        // Nothing, or no digest and size: no download, and no success either (an empty reply would never reach
        // the manager, which would wait for ever).
        return Fail(ERROR_RECEIVE, INVALID_ANNOUNCEMENT);
    }
    return outcome;
}

int CUpdateDownloader::FetchRange(const char* text, long long offset, int length)
{
    char request[MAX_BODY];
    int n = snprintf(request, sizeof request, "tc_mfuncno=%d&tc_sfuncno=%d&offset=%lld&length=%d%s%s", ANNOUNCE_MFUNC,
                     RANGE_SFUNC, offset, length, Separator(text), text);
    if (n < 0 || n >= (int)sizeof request)
        return Fail(ERROR_SEND);
    sink = _wfopen(packagePath.c_str(), u"ab");
    if (sink == nullptr)
        return Fail(ERROR_RECEIVE, CANNOT_SAVE);
    sinkRoom = length;
    sinkFailed = false;
    replyResult = 0;
    compressType = cipherType = -1;
    CByteBuffer body(64);
    int rc = Exchange(request, body);
    bool written = fclose(sink) == 0 && !sinkFailed;
    sink = nullptr;
    if (rc != 1)
        return rc;
    if (!written)
        return Fail(ERROR_RECEIVE, CANNOT_SAVE);
    // An error text, packed bytes or a range longer than asked for are not package bytes.
    if (replyResult >= 1 || compressType > 0 || cipherType > 0 || sinkRoom < 0) {
        Close();
        return Fail(ERROR_RECEIVE);
    }
    return 1;
}

int CUpdateDownloader::Receive(CByteBuffer& body, int budget)
{
    int rc = CHttpClient::Receive(body, budget);
    if (sink == nullptr)
        return rc;
    // The bytes of a range go to the file as they are, also those of a reply cut short: the next range starts
    // after them. A reply that is not package bytes (an error text, packed bytes) writes nothing.
    if (replyResult >= 1 || compressType > 0 || cipherType > 0)
        return rc;
    long long n = (long long)body.GetSize();
    long long take = n < sinkRoom ? n : sinkRoom;
    if (take > 0 && fwrite(body.data, 1, (size_t)take, sink) != (size_t)take)
        sinkFailed = true;
    if (fflush(sink) != 0)
        sinkFailed = true;
    sinkRoom -= n;
    body.SetSize(0);
    return rc;
}

int CUpdateDownloader::Request(const char* text, BYTE** outData, int* outLength)
{
    errorCode = ERROR_NONE;
    reply.SetSize(0);
    auto result = [&](int rc) {
        if (rc == -1)
            reply.SetSize(0);
        if (outData)
            *outData = reply.GetSize() ? reply.data : nullptr;
        if (outLength)
            *outLength = (int)reply.GetSize();
        return rc;
    };
    if (text == nullptr)
        text = "";
    if (packagePath.empty())
        return result(Fail(ERROR_RECEIVE, CANNOT_SAVE));

    int rc = OpenConnection();
    if (rc != 1)
        return result(rc);
    CByteBuffer announcement(64);
    int size = 0;
    std::string md5;
    rc = Announce(text, announcement, &size, &md5);
    if (rc == 2)
        return result(1); // refused: the reply says why
    if (rc != 1)
        return result(rc);

    long long done = FileSize(packagePath);
    if (done > size) {
        // Not the start of this package: begin again.
        DeleteFileW(packagePath.c_str());
        done = 0;
    }
    if (done < 0)
        done = 0;
    Progress(done, size);
    while (done < size) {
        int length = size - done < CHUNK_SIZE ? (int)(size - done) : CHUNK_SIZE;
        rc = FetchRange(text, done, length);
        long long now = FileSize(packagePath);
        bool moved = now >= 0 && now != done;
        if (moved) {
            done = now;
            Progress(done, size);
        }
        if (rc != 1)
            return result(rc);
        if (!moved) {
            // A range that brings nothing would be asked for again for ever; what the server sent instead is
            // not trusted to leave the connection in step.
            Close();
            return result(Fail(ERROR_RECEIVE));
        }
    }

    std::string digest;
    long long onDisk = -1;
    if (!DigestFile(packagePath, &digest, &onDisk) || onDisk != size ||
        StrEqualNoCase(digest.c_str(), md5.c_str()) != 0) {
        // Never kept, never installed: the next try starts from nothing.
        DeleteFileW(packagePath.c_str());
        Progress(0, size);
        return result(Fail(ERROR_RECEIVE, CHECK_FAILED));
    }
    reply.SetSize(0);
    reply.Append(announcement.data, (UINT)announcement.GetSize());
    return result(1);
}
