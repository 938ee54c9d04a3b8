// CHttpNetThread: the update worker. A request worker like every other (one request at a time, the same
// messages, keep flag and retry rules) whose HTTP client is the package downloader; the constructor starts its
// thread. Ended with Stop, as every worker.
#pragma once

#include "core/NetThread.h"
#include "services/UpdateDownloader.h"

class CHttpNetThread : public CNetThread {
public:
    CHttpNetThread();

    // False when the thread could not be started (the worker is then of no use; Stop deletes it).
    bool IsRunning() const { return threadHandle != nullptr; }
    CUpdateDownloader* GetDownloader() const { return static_cast<CUpdateDownloader*>(client); }
};
