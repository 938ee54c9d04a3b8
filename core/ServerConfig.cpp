// The cached server configuration table.
#include "core/ServerConfig.h"

#include "core/AString.h"
#include "core/ConfigStore.h"

#include <cstdlib>

namespace {

CConfigStore* sharedStore = nullptr;
ServerConfigMessageFn sharedShowMessage = nullptr;

const int MESSAGE_MILLISECONDS = 5000;

// A field's text when it holds 8-bit text, else null (a number is never taken for a key or a value).
const char* TextOf(const CDataSet* set, int field)
{
    int length = 0;
    int type = 0;
    const BYTE* data = set->GetFieldData(field, &length, &type);
    return data != nullptr && type == FIELD_TEXT ? reinterpret_cast<const char*>(data) : nullptr;
}

} // namespace

void CServerConfig::SetServices(CConfigStore* store, ServerConfigMessageFn showMessage)
{
    sharedStore = store;
    sharedShowMessage = showMessage;
}

CServerConfig::CServerConfig() : store(sharedStore), showMessage(sharedShowMessage) {}

CServerConfig::CServerConfig(CConfigStore* store, ServerConfigMessageFn showMessage)
    : store(store), showMessage(showMessage)
{}

CServerConfig::~CServerConfig()
{
    delete reply;
}

void CServerConfig::Load(int flag)
{
    delete reply;
    reply = nullptr;
    if (flag != 0) {
        return;
    }
    BYTE* data = nullptr;
    int size = store != nullptr ? store->ReadDataFile("config", &data) : -1;
    LoadFromBytes(data, size > 0 ? DWORD(size) : 0);
    free(data);
}

void CServerConfig::LoadFromBytes(const BYTE* data, DWORD length)
{
    delete reply;
    reply = new CReplyRecordSet(data, length);
    if (reply->hasError != 0) {
        if (showMessage != nullptr) {
            showMessage(reply->GetErrorText(), MESSAGE_MILLISECONDS);
        }
        delete reply;
        reply = nullptr;
    }
}

const char* CServerConfig::Get(const char* key)
{
    if (key == nullptr || key[0] == 0 || reply == nullptr) {
        return nullptr;
    }
    CDataSet* table = *reply->GetRecord(0);
    if (table == nullptr || !table->MoveFirst()) {
        return nullptr;
    }
    CAString wanted(key);
    do {
        const char* rowKey = TextOf(table, 0);
        if (rowKey != nullptr && wanted.EqualsNoCase(rowKey)) {
            return TextOf(table, 1);
        }
    } while (table->MoveNext());
    return nullptr;
}
