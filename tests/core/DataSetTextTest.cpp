// Values read as text: where a text ends in the blob, and numbers printed without printf.
#include "core/DataSet.h"

#include "tests/core/DataSetBytes.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

TEST(DataSet, TextsCountedWithoutTheirTerminatorReadUpToIt)
{
    // Some servers count only a text's characters; the terminator then lies just past the counted bytes, or (for
    // the last 8-bit text) the blob ends there.
    const uint8_t blob[] = {'6', '0', '0', '0', '2', '7', 0, 'H', 0, 'D', 0, 0, 0, '9', '9'};
    DataSetBytes s("quotes");
    s.Field("code", FIELD_TEXT).Field("name", FIELD_WIDE_TEXT);
    s.Row().Ref(0, 6).Ref(7, 4);  // characters only
    s.Row().Ref(0, 7).Ref(7, 6);  // with the terminator, as the client writes them
    s.Row().Ref(13, 2).Ref(9, 2); // the last text of the blob, never terminated; a wide text from its middle
    std::vector<uint8_t> bytes = s.Build();
    // The blob by hand: DataSetBytes would add references of its own.
    size_t lengthAt = bytes.size() - 4;
    bytes.insert(bytes.end(), blob, blob + sizeof blob);
    bytes[lengthAt] = sizeof blob;
    auto set = ParseOne(bytes);
    ASSERT_TRUE(set);
    const char* expected[][2] = {{"600027", "HD"}, {"600027", "HD"}, {"99", "D"}};
    for (auto& row : expected) {
        ASSERT_TRUE(set->MoveNext());
        EXPECT_STREQ(set->GetString("code"), row[0]);
        EXPECT_STREQ(set->GetAsText(1), row[1]);
    }
    // Rebuilding the blob after an edit keeps each text's end.
    ASSERT_TRUE(set->MoveFirst());
    ASSERT_EQ(set->SetString(0, "600000"), 0);
    ASSERT_EQ(set->Compact(), 1);
    expected[0][0] = "600000";
    set->Move(-10);
    for (auto& row : expected) {
        ASSERT_TRUE(set->MoveNext());
        EXPECT_STREQ(set->GetString("code"), row[0]);
        EXPECT_STREQ(set->GetAsText(1), row[1]);
    }
}

TEST(DataSet, TextsOfAnyLengthAndPlaceReadUpToTheirFirstZero)
{
    // Short texts are searched for their end sixteen bytes at a time: the end must not depend on the text's length,
    // on the bytes after it or on how near the blob's end it lies.
    struct Case {
        const char* bytes;
        int length; // as referenced, and stored
        const char* text;
    } cases[] = {
        {"000001", 7, "000001"},
        {"AB\0CD", 6, "AB"},
        {"", 1, ""},
        {"123456789012345", 16, "123456789012345"},
        {"1234567890123456", 17, "1234567890123456"},
        {"12345678901234567890", 21, "12345678901234567890"},
        {"000002", 6, "000002XY"}, // counted without its terminator: it runs on into the next text
        {"XY", 3, "XY"},
        {"99", 2, "99"}, // the blob's last bytes, never terminated
    };
    DataSetBytes s("texts");
    s.Field("t", FIELD_TEXT);
    for (const Case& c : cases)
        s.Row().Blob(c.bytes, c.length);
    auto set = ParseOne(s.Build());
    ASSERT_TRUE(set);
    for (const Case& c : cases) {
        ASSERT_TRUE(set->MoveNext());
        int length = -1;
        EXPECT_STREQ(set->GetAsText(0, &length), c.text);
        EXPECT_EQ(length, (int)strlen(c.text)) << c.text;
    }
}

TEST(DataSet, IntegersReadAsTextPrintAsPrintfWould)
{
    char expected[16], text[16];
    for (int v : {0, 1, 9, 10, 99, 100, 999, 1000, 99999999, 100000000, 999999999, 1000000000, INT_MAX, -1, -10, -100,
                  INT_MIN + 1, INT_MIN}) {
        snprintf(expected, sizeof expected, "%d", v);
        EXPECT_EQ(DataSetForm::FormatInt(text, v), (int)strlen(expected));
        EXPECT_STREQ(text, expected);
    }
}

TEST(DataSet, ValuesReadAsTextEndInsideTheSet)
{
    // GetString hands out any field's bytes; read as text, a value without a terminator must still end inside
    // the set: sixteen numbers with no zero byte in a row, an array of 64 bytes with none in the blob.
    DataSetBytes s("accounts");
    for (int k = 0; k < 16; ++k)
        s.Field(k == 15 ? "fundid" : "n", FIELD_INT);
    s.Row();
    for (int k = 0; k < 16; ++k)
        s.I32(0x41414141);
    auto numbers = ParseOne(s.Build());
    ASSERT_TRUE(numbers);
    ASSERT_TRUE(numbers->MoveFirst());
    EXPECT_EQ(strlen(numbers->GetString("fundid")), 4u);

    std::vector<uint8_t> array(64, 'B');
    auto bytes = ParseOne(DataSetBytes("a").Field("a", FIELD_BYTES).Row().Blob(array.data(), 64).Build());
    ASSERT_TRUE(bytes);
    ASSERT_TRUE(bytes->MoveFirst());
    EXPECT_EQ(strlen(bytes->GetString(0)), 64u);

    // The same for values the client stores itself.
    CDataSet edited;
    FieldInfo a = {};
    strcpy(a.name, "a");
    a.type = FIELD_BYTES;
    edited.AddField(&a, 0);
    FieldInfo n = {};
    strcpy(n.name, "n");
    n.type = FIELD_DOUBLE;
    for (int k = 0; k < 7; ++k)
        edited.AddField(&n, -1);
    edited.InsertRow(-1);
    EXPECT_EQ(edited.SetValue(0, array.data(), 64, -1), DS_OK);
    const double full = 1.3e-30; // eight bytes, none of them zero
    for (int k = 1; k < 8; ++k)
        EXPECT_EQ(edited.SetValue(k, &full, 8, -1), DS_OK);
    EXPECT_EQ(strlen(edited.GetString(0)), 64u);
    EXPECT_EQ(strlen(edited.GetString(7)), 8u);
}
