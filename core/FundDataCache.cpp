// The fund-data cache's entries and their ownership.
#include "core/FundDataCache.h"
#include "core/AppData.h"
#include "core/DataSet.h"

namespace {

void Release(CDataSet* set)
{
    if (set != nullptr) {
        set->Destroy();
        delete set;
    }
}

} // namespace

CFundDataCache::CFundDataCache() : entries{} {}

CFundDataCache::~CFundDataCache()
{
    for (CDataSet*& set : entries) {
        Release(set);
        set = nullptr;
    }
}

void CFundDataCache::SetEntry(int index, CDataSet* set)
{
    if (index < 1 || index > ENTRY_COUNT)
        return;
    CDataSet*& held = entries[index - 1];
    if (held == set)
        return;
    Release(held);
    held = set;
}

CDataSet* CFundDataCache::GetEntry(int index) const
{
    if (index < 1 || index > ENTRY_COUNT)
        return nullptr;
    // Never builds application data of its own: without one there is no trade log-in.
    CAppData* app = CAppData::Existing();
    if ((index == 1 || index == 7) && (app == nullptr || !app->HasTradeAccounts()))
        return nullptr;
    return entries[index - 1];
}
