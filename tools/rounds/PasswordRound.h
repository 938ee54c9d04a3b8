// The password rounds of journal-rounds: wrong bank and trading passwords sent while the account folder's saves fail
// at random, the server killed at a random moment. The answers must count down to the lock and keep it while the
// server runs (a save that failed never gives a try back); the file after the kill must hold the lock-out as far
// as it was saved, and the server started on it must keep what it holds.
#pragma once

#include "server/Brokerage.h"
#include "tools/rounds/RoundsClient.h"

#include <string>
#include <vector>

// Three wrong bank passwords and the right one, then three wrong trading passwords and the right one, until the
// first try left without an answer; every try in tries.
void SendPasswordTries(RoundsClient& client, const MarketFacts& facts, std::vector<Change>* tries);

// What the answers got wrong, against an account whose counts were clear at the start: each wrong try counted, the
// third locking, the right password refused once locked.
std::vector<std::string> CheckPasswordAnswers(const std::vector<Change>& tries);

// What the account file the kill left gets wrong: its bank (the first) and trading password counts and locks must
// be those of one step the tries reached, no later than the last try sent and no earlier than the last answered
// one less the saves that failed (failedSaves, as the server's log tells). Which step it is goes to step.
std::vector<std::string> CheckPasswordFile(const CTradeAccount& after, const std::vector<Change>& tries,
                                           int failedSaves, int* step);
