// The checks of one journal round: the account files as a killed server left them, against the files before the
// round and every change the round's client sent to that account and what it was answered.
#pragma once

#include "server/Brokerage.h"
#include "tools/rounds/RoundsClient.h"

#include <map>
#include <string>
#include <vector>

// Every account file of the folder, read as the server reads it at start; why holds the accounts that are damaged.
struct Snapshot {
    std::map<std::string, CTradeAccount> accounts;
    std::map<std::string, std::string> damaged;
};
Snapshot ReadSnapshot(const std::string& folder);

// What the round found wrong with one account: each a sentence; empty when everything held. Nothing acknowledged
// was lost, nothing refused was kept, nothing was applied twice, money was conserved, and what is frozen is what
// the open orders hold. The one change left without an answer (the kill) may be either way.
std::vector<std::string> CheckAccount(const CTradeAccount& before, const CTradeAccount& after,
                                      const std::vector<Change>& changes);
