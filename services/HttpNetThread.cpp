// The update worker: the base worker with the downloader in place of its HTTP client.
#include "services/HttpNetThread.h"

CHttpNetThread::CHttpNetThread()
{
    delete client;
    client = new CUpdateDownloader();
    StartThread();
}
