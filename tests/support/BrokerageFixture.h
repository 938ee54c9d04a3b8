// The simulated brokerage of a market frozen on a known day, its accounts kept in a test folder; Open() starts it
// again on the same folder, as a restart of the server does.
#pragma once

#include "server/Brokerage.h"
#include "server/Market.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace {

const char* const RICH = "880012347";   // 1000000 yuan, no stocks, password 654321
const char* const HOLDER = "880012345"; // stocks, a warrant, a fund account, password 123456
const char* const EMPTY = "880034567";  // nothing but a bank account, password 123456

class BrokerageFixture : public ::testing::Test {
protected:
    BrokerageFixture() : market(7, 60, 20251208) { Open(); }

    void Open()
    {
        broker = std::make_unique<CBrokerage>(7, folder.Path() + "brokerage", market);
        broker->SetClock([this] { return wallClock; });
    }
    CTradeAccount& Account(const char* id) { return *broker->Find(id); }
    std::string AccountPath(const char* id) const { return folder.Path() + "brokerage/" + id + ".txt"; }
    // Runs the market on by whole minutes, as the server's clock does.
    void Minutes(int n)
    {
        for (int i = 0; i < n; ++i) {
            market.AdvanceTo(market.GetStepsDone() + 1);
            for (CTradeAccount* a : broker->Accounts())
                if (broker->OnMinute(*a))
                    broker->Save(*a);
        }
    }
    void ToClose() { Minutes(240 - market.GetMinuteOfDay()); }
    // Password tries, each answered by its refusal ("" when it went through): a trade log-in, and 100 yuan moved
    // with the account's first bank, in (direction 1) with the bank password or out (2) with the fund password.
    std::string LogInRefusal(const char* id, const char* password)
    {
        std::string error;
        return broker->LogIn(id, 0, "", password, &error) != nullptr ? "" : error;
    }
    std::string TransferRefusal(const char* id, int direction, const char* password)
    {
        CTradeAccount& a = Account(id);
        return broker
            ->Transfer(a, a.banks[0].code, direction, "100", direction == 1 ? password : "",
                       direction == 1 ? "" : password)
            .error;
    }
    const CSecurity& AStock() { return *broker->Security(0, Account(HOLDER).holdings[0].code); }
    std::string PriceText(int64_t li) { return Price3(li); }
    CStockOrder& Order(const char* id, int orderId)
    {
        for (CStockOrder& o : Account(id).orders)
            if (o.id == orderId)
                return o;
        throw std::runtime_error("no order");
    }

    TempFolder folder;
    CMarket market;
    int64_t wallClock = 1'000'000;
    std::unique_ptr<CBrokerage> broker;
};

} // namespace
