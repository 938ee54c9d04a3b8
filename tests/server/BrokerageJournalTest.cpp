// Damaged account files: a record that fails its check anywhere but at the end (or at the end, whole in length),
// whose length reaches over later records, or zeros where records stand before the last, and files that are not
// the account's. The account is refused and its file left as it was found, while the other accounts are served, in
// the brokerage and over HTTP.
#include "tests/server/ServerTestClient.h"

#include "tests/support/BrokerageFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// Where each record's head starts.
std::vector<size_t> RecordStarts(const std::string& journal)
{
    std::vector<size_t> starts;
    for (size_t at = journal.find('\n') + 1; at < journal.size();) {
        starts.push_back(at);
        size_t eol = journal.find('\n', at);
        at = eol + 1 + std::stoul(journal.substr(at + 2, eol - at - 2));
    }
    return starts;
}

struct Damage {
    const char* name;
    std::string text;
    const char* why; // a part of what the server says
};

// The account's journal of six transfers (seven records), damaged in every way that is not a torn end, and files
// that are not the account's.
std::vector<Damage> DamagedFiles(const std::string& journal, const std::string& fullText, const std::string& other)
{
    std::vector<size_t> at = RecordStarts(journal);
    size_t head = at[3], body = journal.find('\n', head) + 1;
    std::string flippedBody = journal, flippedHead = journal, longer = journal, flippedLast = journal;
    flippedBody[body + (at[4] - body) / 2] ^= 0x04;
    flippedHead[body - 2] ^= 0x01; // the last digit of its check
    longer.replace(head + 2, body - head - 2 - 10, std::to_string(journal.size()));
    flippedLast[journal.size() - 5] ^= 0x04; // whole in length: no kill or power cut leaves that
    std::string zeroedHead = journal, zeroedRecord = journal;
    zeroedHead.replace(head, body - head, body - head, '\0');
    zeroedRecord.replace(at[5], at[6] - at[5], at[6] - at[5], '\0'); // a whole record, and the last after it
    std::string badNumber = fullText;
    badNumber.replace(badNumber.find("\t0\t"), 3, "\t0x\t"); // the head's count of wrong passwords
    return {
        {"a bit flipped in a middle record's body", flippedBody, "record 4 at byte"},
        {"a middle record's head", flippedHead, "record 4 at byte"},
        {"a middle record's length past the end", longer, "reaches past the end"},
        {"the last record whole in length, failing its check", flippedLast, "record 7 at byte"},
        {"zeros where a middle record's head is", zeroedHead, "record 4 at byte"},
        {"zeros over a record before the last", zeroedRecord, "zeros where its head should be"},
        {"the full text cut short", fullText.substr(0, fullText.find("END")), "neither a journal"},
        {"a line of no kind", "Z\t1\n" + fullText, "neither a journal"},
        {"a number that is not one", badNumber, "neither a journal"},
        {"another account's file", other, "another account"},
        {"the file ending in what starts no record", journal + "Z 9", "ends in what is not a record"},
    };
}

class JournalFixture : public BrokerageFixture {
protected:
    // Six transfers into the rich account: six records after its full text.
    std::string TransferredJournal()
    {
        for (int i = 0; i < 6; ++i)
            EXPECT_TRUE(broker->Transfer(Account(RICH), "01", 1, "1000", "888888", "").Ok());
        return FileText(AccountPath(RICH));
    }
};

} // namespace

TEST_F(JournalFixture, ADamagedAccountIsRefusedWithItsFileUntouchedWhileTheOthersAreServed)
{
    std::string journal = TransferredJournal();
    ASSERT_EQ(RecordStarts(journal).size(), 7u);
    std::string fullText = CBrokerage::Serialize(Account(RICH)), other = FileText(AccountPath(EMPTY));
    const CSecurity& s = AStock();
    int64_t up, down;
    CBrokerage::Limits(s, &up, &down);
    for (const Damage& d : DamagedFiles(journal, fullText, other)) {
        SCOPED_TRACE(d.name);
        WriteText(AccountPath(RICH), d.text);
        Open();
        std::string error;
        EXPECT_EQ(broker->LogIn(RICH, 0, "", "654321", &error), nullptr);
        EXPECT_EQ(error, CBrokerage::DAMAGED_ACCOUNT);
        auto damaged = broker->Damaged();
        ASSERT_EQ(damaged.size(), 1u);
        EXPECT_EQ(damaged[0].first, RICH);
        EXPECT_NE(damaged[0].second.find(d.why), std::string::npos) << damaged[0].second;

        // The others trade and run on with the market; the damaged file is never written.
        ASSERT_NE(broker->LogIn(HOLDER, 0, "", "123456", &error), nullptr) << error;
        EXPECT_TRUE(broker->PlaceOrder(Account(HOLDER), s.market, s.code, 0, PriceText(down), "100").Ok());
        Minutes(2);
        EXPECT_FALSE(broker->Save(Account(RICH)));
        EXPECT_EQ(FileText(AccountPath(RICH)), d.text);
        EXPECT_EQ(broker->Accounts().size(), CBrokerage::DemoAccounts().size() - 1);
    }

    // Only an account without a file starts from its demo state.
    std::filesystem::remove(AccountPath(RICH));
    Open();
    EXPECT_TRUE(broker->Damaged().empty());
    EXPECT_EQ(Account(RICH).cash, 100000000);
    EXPECT_TRUE(std::filesystem::exists(AccountPath(RICH)));
}

TEST_F(JournalFixture, TheServerSaysWhichAccountIsOutOfServiceAndItsLogInSaysWhy)
{
    std::string journal = TransferredJournal();
    std::vector<Damage> damage = DamagedFiles(journal, CBrokerage::Serialize(Account(RICH)), "");
    WriteText(AccountPath(RICH), damage[0].text);
    CServerOptions options = CServerUnderTest::Options();
    options.dataDir = folder.Path() + "brokerage";
    CServerUnderTest server(options);
    CTestClient client(server);
    client.LogIn();
    TestSets refused(client.CallEnciphered(600, 1, std::string("yyb=0102&account=") + RICH + "&password=654321").plain);
    ASSERT_EQ(refused.size(), 1u);
    ASSERT_TRUE(refused[0].IsError() && refused[0].MoveFirst());
    EXPECT_EQ(GbToUtf8(refused[0].GetString(0)), CBrokerage::DAMAGED_ACCOUNT);
    TestSets served(
        client.CallEnciphered(600, 1, std::string("yyb=0101&account=") + HOLDER + "&password=123456").plain);
    EXPECT_EQ(served.size(), 2u) << "another account logs in";
    std::string status = server.Http().Control("status");
    EXPECT_NE(status.find(std::string("damaged ") + RICH + " record 4 at byte"), std::string::npos) << status;
    EXPECT_EQ(FileText(AccountPath(RICH)), damage[0].text);
}
