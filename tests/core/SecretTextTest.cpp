// Secrets in memory: every way a secret stops being held leaves zero bytes where it was, and where it is kept is
// memory that core files leave out.
#include "core/SecretText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <new>
#include <string>

namespace {

// The flags of the mapping that holds address p, from the process's own smaps; empty when none does.
std::string MappingFlags(const void* p)
{
    std::ifstream maps("/proc/self/smaps");
    std::string line;
    bool inside = false;
    auto at = reinterpret_cast<uintptr_t>(p);
    while (std::getline(maps, line)) {
        unsigned long long start = 0, end = 0;
        if (std::sscanf(line.c_str(), "%llx-%llx ", &start, &end) == 2) // a mapping's first line
            inside = at >= start && at < end;
        else if (line.rfind("VmFlags:", 0) == 0 && inside)
            return line;
    }
    return std::string();
}

} // namespace

TEST(SecretText, EveryWayOfLettingGoWipesTheBytesOfMemoryCoreFilesLeaveOut)
{
    const char secret[] = "Kq3vZ9wLmP0aRt7x";
    struct Case {
        const char* name;
        void (*letGo)(CSecretText*);
    } cases[] = {
        {"replaced", [](CSecretText* s) { s->Set("x"); }},
        {"cleared", [](CSecretText* s) { s->Clear(); }},
        {"set to null", [](CSecretText* s) { s->Set(nullptr); }},
        {"refused replacement", [](CSecretText* s) { EXPECT_FALSE(s->Set(std::string(200, 'y').c_str())); }},
        {"destroyed", [](CSecretText* s) { s->~CSecretText(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        alignas(CSecretText) unsigned char storage[sizeof(CSecretText)];
        auto* s = new (storage) CSecretText;
        ASSERT_TRUE(s->Set(secret));
        const char* kept = s->Get();
        EXPECT_STREQ(kept, secret);
        EXPECT_NE(MappingFlags(kept).find(" dd"), std::string::npos) << MappingFlags(kept);
        c.letGo(s);
        // The block stays the process's after it is given back, so its bytes can be looked at.
        std::string bytes(kept, sizeof secret);
        EXPECT_EQ(bytes.find("Kq3v"), std::string::npos);
        EXPECT_EQ(bytes.find("Rt7x"), std::string::npos);
        if (std::string(c.name) != "destroyed")
            s->~CSecretText();
    }
}

TEST(SecretText, HoldsNothingUntilSetAndRefusesWhatDoesNotFit)
{
    CSecretText s;
    EXPECT_EQ(s.Get(), nullptr);
    EXPECT_TRUE(s.Set(""));
    EXPECT_STREQ(s.Get(), "");
    std::string longest(CSecretText::CAPACITY - 1, 'k');
    EXPECT_TRUE(s.Set(longest.c_str()));
    EXPECT_EQ(s.Get(), longest);
    EXPECT_FALSE(s.Set((longest + "k").c_str()));
    EXPECT_EQ(s.Get(), nullptr);
}
