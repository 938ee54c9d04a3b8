#include "trading/BankAccounts.h"

#include "core/DataSet.h"
#include "shell/PopMenuWnd.h"
#include "trading/TradeText.h"

const char BANK_LIST_FIELDS[] = "tc_mfuncno=600&tc_sfuncno=23";

std::vector<BankAccount> ReadBankAccounts(CDataSet* set)
{
    std::vector<BankAccount> banks;
    if (set == nullptr)
        return banks;
    set->MoveFirst();
    for (int i = 0; i < set->GetRowCount(); ++i, set->MoveNext()) {
        const char* code = set->GetAsText("yhdm");
        if (code == nullptr || code[0] == 0)
            continue;
        BankAccount bank;
        bank.code = code;
        const char* name = set->GetAsText("yhmc");
        bank.name = name != nullptr ? name : "";
        const char* number = set->GetAsText("yhzh");
        bank.number = number != nullptr ? number : "";
        banks.push_back(bank);
    }
    return banks;
}

std::u16string BankLabel(const BankAccount& bank)
{
    return WideFromGb(bank.name.c_str()) + u" " + WideFromGb(bank.number.c_str());
}

int PickBank(HWND owner, const std::vector<BankAccount>& banks)
{
    if (banks.empty())
        return -1;
    std::vector<std::u16string> labels;
    for (const BankAccount& bank : banks)
        labels.push_back(BankLabel(bank));
    std::vector<PopMenuChoice> choices;
    for (size_t i = 0; i < labels.size(); ++i)
        choices.push_back({(int)i + 1, labels[i].c_str()});
    int id = CPopMenuWnd::RunChoices(owner, choices.data(), (int)choices.size());
    return id > 0 ? id - 1 : -1;
}
