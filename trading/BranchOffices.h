// The user's branch offices, kept in the data file "yyb" as GB2312 pairs "code^name#", in the user's order.
#pragma once

#include "platform/win/WinTypes.h"

#include <string>
#include <vector>

struct BranchOffice {
    std::string code; // GB2312
    std::string name;
};

// The stored offices; empty when the file is missing or holds none. Malformed pairs are skipped.
std::vector<BranchOffice> LoadBranchOffices();
// FALSE when the file could not be written (the old one is kept).
BOOL SaveBranchOffices(const std::vector<BranchOffice>& offices);
