#include "trading/BranchOffices.h"

#include "core/AppData.h"

#include <cstdlib>

namespace {

const char FILE_NAME[] = "yyb";

} // namespace

std::vector<BranchOffice> LoadBranchOffices()
{
    std::vector<BranchOffice> offices;
    BYTE* data = nullptr;
    int size = CAppData::Instance()->ReadDataFile(FILE_NAME, &data);
    if (size <= 0 || data == nullptr) {
        free(data);
        return offices;
    }
    std::string text(reinterpret_cast<const char*>(data), (size_t)size);
    free(data);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('#', start);
        if (end == std::string::npos)
            end = text.size();
        std::string pair = text.substr(start, end - start);
        size_t caret = pair.find('^');
        if (caret != std::string::npos && caret > 0 && pair.find('\0') == std::string::npos)
            offices.push_back({pair.substr(0, caret), pair.substr(caret + 1)});
        start = end + 1;
    }
    return offices;
}

BOOL SaveBranchOffices(const std::vector<BranchOffice>& offices)
{
    std::string text;
    for (const BranchOffice& office : offices)
        text += office.code + "^" + office.name + "#";
    return CAppData::Instance()->WriteDataFile(FILE_NAME, text.data(), (UINT)text.size());
}
