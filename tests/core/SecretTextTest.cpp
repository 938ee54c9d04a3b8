// Secrets in memory: every way a secret stops being held leaves zero bytes where it was.
#include "core/SecretText.h"

#include <gtest/gtest.h>

#include <new>
#include <string>

TEST(SecretText, EveryWayOfLettingGoWipesTheBytes)
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
        EXPECT_STREQ(s->Get(), secret);
        c.letGo(s);
        std::string bytes(reinterpret_cast<const char*>(storage), sizeof storage);
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
