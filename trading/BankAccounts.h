// The account's bank accounts as the bank forms list them (600/23 "banks": yhdm, yhmc, yhzh) and the pick list
// of them.
#pragma once

#include "platform/win/WinTypes.h"

#include <string>
#include <vector>

class CDataSet;

struct BankAccount {
    std::string code;   // yhdm
    std::string name;   // yhmc, GB2312
    std::string number; // yhzh, masked by the server
};

// The request fields of the list.
extern const char BANK_LIST_FIELDS[];

std::vector<BankAccount> ReadBankAccounts(CDataSet* set);
// "name number" in UTF-16.
std::u16string BankLabel(const BankAccount& bank);
// Runs the pick list over owner; the index picked, or -1.
int PickBank(HWND owner, const std::vector<BankAccount>& banks);
