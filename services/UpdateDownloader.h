// CUpdateDownloader: the update worker's HTTP client. Its exchange asks the server for the newer build (version,
// size, digest, notes), then fetches the package by ranges into a file beside the program, going on from the
// bytes already there, and checks its size and digest. Failures come back as the transport's error codes 0 to 3
// with their error record set, so the worker's retry rules apply unchanged; the reply of a good download is the
// server's announcement.
#pragma once

#include "core/HttpClient.h"

#include <cstdio>
#include <string>

class CUpdateDownloader : public CHttpClient {
public:
    static constexpr int CHUNK_SIZE = 1048576;
    static constexpr int ANNOUNCE_MFUNC = 800;
    static constexpr int ANNOUNCE_SFUNC = 2;
    static constexpr int RANGE_SFUNC = 3;

    CUpdateDownloader();
    ~CUpdateDownloader() override;

    // text: the common request fields. Returns 1 with the announcement (or the server's refusal as an error
    // record set), 0 with error 0 to 3, or -1 when cancelled. A package that fails its check is deleted.
    int Request(const char* text, BYTE** outData, int* outLength) override;
    // Reads one reply; while a range is fetched its body goes to the package file as it comes.
    int Receive(CByteBuffer& body, int silenceBudget) override;

    // Where the package is kept (set from the GUI thread before the worker is given a request).
    void SetPackagePath(const std::u16string& path) { packagePath = path; }
    const std::u16string& GetPackagePath() const { return packagePath; }
    // Told of progress with posted messages (wParam bytes on disk, lParam the package size).
    void SetProgressWindow(HWND window, UINT message)
    {
        progressWindow = window;
        progressMessage = message;
    }

    // The MD5 of a file as 32 lower-case hex digits and its size; false when it cannot be read.
    static bool DigestFile(const std::u16string& path, std::string* md5, long long* size);

private:
    int Announce(const char* text, CByteBuffer& announcement, int* size, std::string* md5);
    int FetchRange(const char* text, long long offset, int length);
    // A server's refusal handed to the caller as a reply (not a transport failure: no retry).
    void ReplyRefusal(const char* gbText, int textLength);
    void Progress(long long done, long long total);

    std::u16string packagePath;
    HWND progressWindow = nullptr;
    UINT progressMessage = 0;
    // While a range is fetched: the open package file and how many body bytes it may still take.
    FILE* sink = nullptr;
    long long sinkRoom = 0;
    bool sinkFailed = false;
};
