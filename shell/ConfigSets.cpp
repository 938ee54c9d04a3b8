#include "shell/ConfigSets.h"

#include "core/AppData.h"
#include "core/DataSet.h"
#include "core/TextHelpers.h"

#include <cstdlib>

bool StoreConfigSets(CDataSet* const* sets, int count)
{
    CAppData* app = CAppData::Instance();
    bool stored = true;
    for (int i = 0; i < count; ++i) {
        CDataSet* set = sets[i];
        if (set->IsError()) {
            stored = false;
            continue;
        }
        const char* file = nullptr;
        if (StrEqualNoCase(set->GetName(), "sys.menu") == 0)
            file = "Menus";
        else if (StrEqualNoCase(set->GetName(), "sys.conf") == 0)
            file = "config";
        if (file == nullptr)
            continue;
        if (set->GetRowCount() == 0) { // an empty menu or configuration would leave an empty home screen
            stored = false;
            continue;
        }
        BYTE* bytes = nullptr;
        DWORD size = set->Serialize(&bytes);
        if (bytes == nullptr || size == 0 || !app->WriteDataFile(file, bytes, size))
            stored = false;
        free(bytes);
    }
    return stored;
}
