// Record sets read from reply bytes as the server sends them: walking rows, typed values, and replies that
// lie about their counts, sizes and blob references.
#include "core/DataSet.h"

#include "tests/core/DataSetBytes.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

const char PINGAN[] = "\xc6\xbd\xb0\xb2\xd2\xf8\xd0\xd0"; // 平安银行
const char WANKE[] = "\xcd\xf2\xbf\xc6\xa3\xc1";          // 万科Ａ

int Packed(int scaled, int scale)
{
    return scaled * 4 + scale;
}

// A page of the ranked quote table: name, code, latest, change, change percent, volume, amount, market.
std::vector<uint8_t> RankedQuotes()
{
    DataSetBytes s("");
    s.Field("zqjc", FIELD_TEXT, -1, -1, "\xc3\xfb\xb3\xc6") // 名称
        .Field("zqdm", FIELD_TEXT)
        .Field("zxj", FIELD_QUOTE)
        .Field("zd", FIELD_QUOTE)
        .Field("zdf", FIELD_QUOTE)
        .Field("cjl", FIELD_QUOTE_UNIT)
        .Field("cje", FIELD_QUOTE_UNIT)
        .Field("sc", FIELD_INT);
    s.Row()
        .Text(PINGAN)
        .Text("000001")
        .I32(Packed(1234, 2))
        .I32(Packed(-12, 2))
        .I32(Packed(-96, 2))
        .I32(Packed(123450, 1))
        .I32(Packed(1500, 2))
        .I32(1);
    s.Row()
        .Text(WANKE)
        .Text("000002")
        .I32(Packed(8765, 3))
        .I32(Packed(5, 2))
        .I32(Packed(57, 2))
        .I32(Packed(98, 0))
        .I32(999999999)
        .I32(1);
    s.Row()
        .Text("ABC")
        .Text("600000")
        .I32(999999999)
        .I32(Packed(0, 2))
        .I32(Packed(0, 2))
        .I32(Packed(7, 1))
        .I32(Packed(7, 2))
        .I32(2);
    return s.Build();
}

struct ParsedSets {
    CDataSet** sets = nullptr;
    int count = 0;
    explicit ParsedSets(const std::vector<uint8_t>& body)
    {
        count = ParseDataSets(body.data(), (DWORD)body.size(), &sets);
    }
    ~ParsedSets()
    {
        for (int k = 0; k < count; ++k)
            delete sets[k];
        free(sets);
    }
    CDataSet& operator[](int k) { return *sets[k]; }
};

} // namespace

TEST(DataSet, RankedQuoteReplyWalksEveryRowOnceWithItsTexts)
{
    ParsedSets sets(RankedQuotes());
    ASSERT_EQ(sets.count, 1);
    CDataSet& q = sets[0];
    EXPECT_EQ(q.GetFieldCount(), 8);
    EXPECT_EQ(q.GetRowCount(), 3);
    EXPECT_STREQ(q.GetName(), "");
    EXPECT_FALSE(q.IsError());

    std::vector<std::string> names, latest, volume, amount;
    while (q.MoveNext()) {
        names.push_back(q.GetAsText("ZQJC")); // look-ups ignore case
        latest.push_back(q.GetAsText(2));
        volume.push_back(q.GetAsText("cjl"));
        amount.push_back(q.GetAsText(6));
    }
    EXPECT_EQ(names, (std::vector<std::string>{PINGAN, WANKE, "ABC"}));
    EXPECT_EQ(latest, (std::vector<std::string>{"12.34", "8.765", "999999999"}));
    EXPECT_EQ(volume, (std::vector<std::string>{"12345.0\xcd\xf2", "98", "0.7\xcd\xf2"}));
    EXPECT_EQ(amount, (std::vector<std::string>{"15.00\xd2\xda", "999999999", "0.07\xd2\xda"}));

    ASSERT_TRUE(q.MoveFirst());
    EXPECT_STREQ(q.GetString("zqdm"), "000001");
    EXPECT_STREQ(q.GetAsText("zd"), "-0.12");
    EXPECT_EQ(q.GetAsInt("zqdm"), 1);
    EXPECT_EQ(q.GetAsInt("cjl"), 123450000); // the full amount, unit applied
    EXPECT_EQ(q.GetAsInt("cje"), 1500000000);
    EXPECT_EQ(q.GetInt("sc"), 1);
    CQuoteNumber zdf = q.GetQuoteNumber("zdf");
    EXPECT_EQ(zdf.GetScale(), 2);
    EXPECT_DOUBLE_EQ(zdf.GetValue(), -0.96);
    EXPECT_TRUE(q.GetQuoteNumber("nosuch") == CQuoteNumber::Zero());
    EXPECT_STREQ(q.GetFieldInfo(0)->caption, "\xc3\xfb\xb3\xc6");
    EXPECT_EQ(q.GetFieldInfo(7)->offset, 36);
    EXPECT_EQ(q.FindField(nullptr), -1);
    EXPECT_EQ(q.FindField("zx"), -1);
}

TEST(DataSet, BodiesSplitIntoSetsAndStopAtTheFirstThatDoesNotFit)
{
    ParsedSets none(std::vector<uint8_t>{});
    EXPECT_EQ(none.count, 0);
    EXPECT_EQ(none.sets, nullptr);

    std::vector<uint8_t> second = DataSetBytes("b").Field("x", FIELD_INT).Row().I32(7).Build();
    for (size_t cut : {(size_t)1, (size_t)27, second.size() - 1}) {
        auto body = Body({RankedQuotes(), second});
        body.resize(body.size() - cut);
        ParsedSets sets(body);
        EXPECT_EQ(sets.count, 1) << "cut " << cut;
    }
    ParsedSets both(Body({RankedQuotes(), second, DataSetBytes("c").Build()}));
    ASSERT_EQ(both.count, 3);
    EXPECT_STREQ(both[1].GetName(), "b");
    EXPECT_STREQ(both[2].GetName(), "c");

    // Trailing bytes too short for a set end the parse without a set.
    ParsedSets trailing(Body({second, std::vector<uint8_t>(5, 0)}));
    EXPECT_EQ(trailing.count, 1);
}

TEST(DataSet, ABodyOfMoreSetsThanAReplyMayHoldIsRefusedWhole)
{
    std::vector<uint8_t> one = DataSetBytes("s").Field("x", FIELD_INT).Row().I32(7).Build();
    std::vector<uint8_t> empty = DataSetBytes("").Build();
    struct Case {
        std::vector<uint8_t> set;
        int repeat;
        int parsed;
    } cases[] = {
        {one, MAX_REPLY_SETS, MAX_REPLY_SETS},
        {one, MAX_REPLY_SETS + 1, 0},
        {empty, MAX_REPLY_SETS, MAX_REPLY_SETS},
        {empty, 64 * 1024, 0}, // what a small zlib body of zero bytes unpacks to
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> body;
        for (int i = 0; i < c.repeat; ++i)
            body.insert(body.end(), c.set.begin(), c.set.end());
        ParsedSets sets(body);
        EXPECT_EQ(sets.count, c.parsed) << c.repeat;
        EXPECT_EQ(CountDataSets(body.data(), (DWORD)body.size(), MAX_REPLY_SETS),
                  c.repeat > MAX_REPLY_SETS ? MAX_REPLY_SETS + 1 : c.repeat);
    }
    // The count follows the parse's own framing: a set cut short is not counted.
    std::vector<uint8_t> cut = Body({one, one});
    cut.pop_back();
    EXPECT_EQ(CountDataSets(cut.data(), (DWORD)cut.size(), MAX_REPLY_SETS), 1);
    EXPECT_EQ(CountDataSets(nullptr, 100, MAX_REPLY_SETS), 0);
}

TEST(DataSet, EmptySetOf28BytesHasNoRows)
{
    std::vector<uint8_t> bytes = DataSetBytes("empty").Build();
    ASSERT_EQ(bytes.size(), 28u);
    auto set = ParseOne(bytes);
    ASSERT_TRUE(set);
    EXPECT_EQ(set->GetRowCount(), 0);
    EXPECT_FALSE(set->MoveFirst());
    EXPECT_FALSE(set->MoveNext());
    EXPECT_TRUE(set->IsBOF());
    EXPECT_TRUE(set->IsEOF());
    EXPECT_FALSE(set->Move(0));
    EXPECT_EQ(set->GetCursor(), -1);
    EXPECT_STREQ(set->GetAsText(0), "BOF or EOF");
}

TEST(DataSet, DescriptorOffsetsAreRecomputedFromSizes)
{
    DataSetBytes s("x");
    s.Field("a", FIELD_SHORT, -1, 999).Field("b", FIELD_INT, -1, -5).Field("c", FIELD_TEXT, -1, 0);
    s.Row().I16(-2).I32(77).Text("hi");
    auto set = ParseOne(s.Build());
    ASSERT_TRUE(set);
    ASSERT_TRUE(set->MoveFirst());
    EXPECT_EQ(set->GetShort("a"), -2);
    EXPECT_EQ(set->GetInt("b"), 77);
    EXPECT_STREQ(set->GetString("c"), "hi");
    EXPECT_EQ(set->GetFieldInfo(2)->offset, 6);
}

TEST(DataSet, GettersAnswerNothingUntilTheCursorIsOnARow)
{
    auto set = ParseOne(RankedQuotes());
    ASSERT_TRUE(set);
    EXPECT_EQ(set->GetString(0), nullptr);
    EXPECT_EQ(set->GetInt(7), 0);
    EXPECT_STREQ(set->GetAsText(0), "BOF or EOF");
    set->MoveLast();
    EXPECT_STREQ(set->GetAsText(8), "Error Field Index");
    EXPECT_STREQ(set->GetAsText(-1), "Error Field Index");
    EXPECT_STREQ(set->GetAsText("nosuch"), "Error Field Index");
    EXPECT_EQ(set->GetFieldInfo(8), nullptr);
    int length = 5;
    EXPECT_EQ(set->GetFieldData(8, &length), nullptr);
    EXPECT_EQ(length, 0);
}

TEST(DataSet, CursorMovesStopAtBothEnds)
{
    auto set = ParseOne(RankedQuotes());
    ASSERT_TRUE(set);
    EXPECT_FALSE(set->Move(5));
    EXPECT_EQ(set->GetCursor(), 3);
    EXPECT_TRUE(set->IsEOF());
    EXPECT_FALSE(set->MoveNext());
    EXPECT_TRUE(set->MovePrev());
    EXPECT_EQ(set->GetCursor(), 2);
    EXPECT_TRUE(set->Move(-2));
    EXPECT_EQ(set->GetCursor(), 0);
    EXPECT_FALSE(set->MovePrev()); // onto -1: before the first row
    EXPECT_TRUE(set->IsBOF());
    EXPECT_FALSE(set->MovePrev());
    EXPECT_TRUE(set->Move(1));
    EXPECT_FALSE(set->Move(INT_MIN));
    EXPECT_EQ(set->GetCursor(), -1);
    EXPECT_FALSE(set->Move(INT_MAX)); // no overflow on the way
    EXPECT_EQ(set->GetCursor(), 3);
    EXPECT_FALSE(set->Move(0));
    EXPECT_TRUE(set->MoveLast());
    EXPECT_EQ(set->GetCursor(), 2);
    EXPECT_TRUE(set->Move(0));
    EXPECT_FALSE(set->MoveNext());
}

TEST(DataSet, EveryTypeHasItsTextAndIntegerForm)
{
    DataSetBytes s("t");
    s.Field("b", FIELD_BOOL)
        .Field("c", FIELD_CHAR)
        .Field("s", FIELD_SHORT)
        .Field("i", FIELD_INT)
        .Field("l", FIELD_INT64)
        .Field("f", FIELD_FLOAT)
        .Field("d", FIELD_DOUBLE)
        .Field("a", FIELD_BYTES)
        .Field("w", FIELD_WIDE_TEXT)
        .Field("u", 50, 3);
    const uint8_t array[3] = {1, 2, 3};
    s.Row()
        .I8(1)
        .I8('Z')
        .I16(-300)
        .I32(-7)
        .I64(0x100000005LL)
        .F32(-2.75f)
        .F64(1234.5678)
        .Blob(array, 3)
        .Wide(u"-45\u4e2d")
        .I8(1)
        .I8(2)
        .I8(3);
    s.Row().I8(0).I8(0xF0).I16(0).I32(0).I64(0x1FFFFFFFFLL).F32(NAN).F64(1e300).Ref(0, 0).Ref(0, 0).I8(0).I8(0).I8(0);
    auto set = ParseOne(s.Build());
    ASSERT_TRUE(set);

    ASSERT_TRUE(set->MoveNext());
    EXPECT_STREQ(set->GetAsText("b"), "T");
    EXPECT_STREQ(set->GetAsText("c"), "Z");
    EXPECT_STREQ(set->GetAsText("s"), "-300");
    EXPECT_STREQ(set->GetAsText("i"), "-7");
    EXPECT_STREQ(set->GetAsText("l"), "5"); // the 64-bit field prints from its low 32 bits
    EXPECT_STREQ(set->GetAsText("f"), "-2.750");
    EXPECT_STREQ(set->GetAsText("d"), "1234.568");
    EXPECT_STREQ(set->GetAsText("a"), "Array:3");
    EXPECT_STREQ(set->GetAsText("w"), "-45\xd6\xd0"); // UTF-16 at an odd blob offset, given as 8-bit text
    EXPECT_STREQ(set->GetAsText("u"), "Unknow Type:50");
    EXPECT_EQ(set->GetAsInt("b"), 1);
    EXPECT_EQ(set->GetAsInt("c"), 'Z');
    EXPECT_EQ(set->GetAsInt("s"), -300);
    EXPECT_EQ(set->GetShort("s"), -300);
    EXPECT_EQ(set->GetShort("b"), 0); // shorter than 2 bytes
    EXPECT_EQ(set->GetInt("s"), 0);   // shorter than 4 bytes
    EXPECT_EQ(set->GetAsInt("l"), 5);
    EXPECT_EQ(set->GetAsInt("f"), -2); // toward zero
    EXPECT_EQ(set->GetAsInt("d"), 1234);
    EXPECT_EQ(set->GetAsInt("a"), 3);
    EXPECT_EQ(set->GetAsInt("w"), -45);
    EXPECT_EQ(set->GetAsInt("u"), 0);
    int length = 0, type = 0;
    const BYTE* w = set->GetFieldData(8, &length, &type);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(type, FIELD_WIDE_TEXT);
    EXPECT_EQ(length, 10);

    ASSERT_TRUE(set->MoveNext());
    EXPECT_STREQ(set->GetAsText("b"), "F");
    EXPECT_EQ(set->GetAsInt("c"), -16); // sign-extended
    EXPECT_STREQ(set->GetAsText("l"), "-1");
    EXPECT_EQ(set->GetAsInt("f"), 0); // NaN
    EXPECT_EQ(set->GetAsInt("d"), INT_MAX);
    // A number longer than the text buffer is printed whole, not cut into a different number.
    char full[400];
    snprintf(full, sizeof full, "%.3f", 1e300);
    EXPECT_STREQ(set->GetAsText("d"), full);
    EXPECT_STREQ(set->GetAsText("f"), "nan");
    EXPECT_STREQ(set->GetAsText("a"), "Array:0");
    EXPECT_STREQ(set->GetAsText("w"), "null");
    EXPECT_EQ(set->GetString("w"), nullptr);
}

TEST(DataSet, TextFieldWithoutLengthHasNoValue)
{
    DataSetBytes s("t");
    s.Field("name", FIELD_TEXT).Row().Ref(0, 0).Row().Ref(0, -3).Row().Text("");
    auto set = ParseOne(s.Build());
    ASSERT_TRUE(set);
    for (int row = 0; row < 2; ++row) {
        set->MoveNext();
        EXPECT_EQ(set->GetString(0), nullptr);
        EXPECT_STREQ(set->GetAsText(0), "null");
        EXPECT_EQ(set->GetAsInt(0), 0);
    }
    set->MoveNext();
    EXPECT_STREQ(set->GetString(0), "");
}

TEST(DataSet, SizesThatWouldOverflowOrFitNoRowAreRejected)
{
    // 60 x N and R x W wrap to small numbers in 32 bits.
    std::vector<uint8_t> manyFields = DataSetBytes("n").SendFieldCount(71582789).Build();
    manyFields.resize(200, 0);
    EXPECT_EQ(ParsedSets(manyFields).count, 0);
    std::vector<uint8_t> manyRows =
        DataSetBytes("r").Field("i", FIELD_INT).SendRowCount(0x40000001).Row().I32(1).Build();
    EXPECT_EQ(ParsedSets(manyRows).count, 0);

    EXPECT_EQ(ParsedSets(DataSetBytes("n").SendFieldCount(-1).Build()).count, 0);
    EXPECT_EQ(ParsedSets(DataSetBytes("r").SendRowCount(-2).Build()).count, 0); // zero-width rows too
    EXPECT_EQ(ParsedSets(DataSetBytes("l").SendBlobLength(-1).Build()).count, 0);
    EXPECT_EQ(ParsedSets(DataSetBytes("l").SendBlobLength(1).Build()).count, 0);

    // A field of negative size.
    EXPECT_EQ(ParsedSets(DataSetBytes("s").Field("u", 77, -4).Field("i", FIELD_INT, 8).Row().I32(0).Build()).count, 0);
    // Row width beyond int32.
    EXPECT_EQ(ParsedSets(DataSetBytes("s").Field("u", 77, INT_MAX).Field("v", 77, 1).Build()).count, 0);

    // Larger than needed is fine: the value is read from the field's start.
    ParsedSets wide(DataSetBytes("s").Field("i", FIELD_INT, 8).Row().I32(9).I32(-1).Build());
    ASSERT_EQ(wide.count, 1);
    wide[0].MoveFirst();
    EXPECT_EQ(wide[0].GetAsInt(0), 9);
}

TEST(DataSet, FieldsSentShorterThanTheirTypeReadAsZeroAndTheSetsAfterThemStay)
{
    // Sizes are taken as sent; every value of such a field reads as zero (a reference as no value), and the
    // fields after it sit where the sizes put them.
    DataSetBytes s("short");
    s.Field("t", FIELD_TEXT, 4)
        .Field("i", FIELD_INT, 2)
        .Field("q", FIELD_QUOTE, 3)
        .Field("s", FIELD_SHORT, 1)
        .Field("d", FIELD_DOUBLE, 4)
        .Field("n", FIELD_INT);
    s.Row().I32(0x01010101).I16(-1).I16(-1).I8(-1).I8(-1).I32(-1).I32(42);
    std::vector<uint8_t> body = s.Build();
    std::vector<uint8_t> after = DataSetBytes("next").Field("x", FIELD_INT).Row().I32(7).Build();
    body.insert(body.end(), after.begin(), after.end());

    ParsedSets sets(body);
    ASSERT_EQ(sets.count, 2);
    CDataSet& set = sets[0];
    ASSERT_TRUE(set.MoveFirst());
    // GetShort and GetInt read the bytes of any field that has 2 or 4 of them, whatever its type.
    const struct {
        const char* field;
        const char* text;
        int asInt, asShort, asInt32;
    } cases[] = {{"t", "null", 0, 0, 0}, {"i", "0", 0, -1, 0},      {"q", "0", 0, -1, 0},
                 {"s", "0", 0, 0, 0},    {"d", "0.000", 0, -1, -1}, {"n", "42", 42, 42, 42}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        EXPECT_STREQ(set.GetAsText(c.field), c.text);
        EXPECT_EQ(set.GetAsInt(c.field), c.asInt);
        EXPECT_EQ(set.GetShort(c.field), c.asShort);
        EXPECT_EQ(set.GetInt(c.field), c.asInt32);
    }
    EXPECT_EQ(set.GetString("t"), nullptr);
    EXPECT_EQ(set.GetQuoteNumber("q").GetValue(), 0.0);
    // Such a text field has no room for a value; rows around it still come and go.
    EXPECT_EQ(set.SetString(0, "x"), DS_SIZE_MISMATCH);
    EXPECT_EQ(set.InsertRow(-1), DS_OK);
    EXPECT_EQ(set.DeleteRow(0), DS_OK);
    EXPECT_EQ(set.Compact(), 0);
    EXPECT_STREQ(set.GetAsText("t"), "null");
    ASSERT_TRUE(sets[1].MoveFirst());
    EXPECT_EQ(sets[1].GetInt("x"), 7);
}

TEST(DataSet, RowsWithoutBytesAreLimitedInNumber)
{
    // 28 bytes claiming two billion rows of width 0, with no fields or with fields of no size: the set and
    // those after it are kept, with no more empty rows than a window can walk.
    std::vector<uint8_t> good = DataSetBytes("b").Field("x", FIELD_INT).Row().I32(7).Build();
    ParsedSets many(Body({DataSetBytes("error").SendRowCount(INT_MAX).Build(),
                          DataSetBytes("z").Field("u", 77, 0).SendRowCount(65537).Build(), good}));
    ASSERT_EQ(many.count, 3);
    EXPECT_EQ(many[0].GetRowCount(), 65536);
    EXPECT_TRUE(many[0].IsError());
    EXPECT_EQ(many[1].GetRowCount(), 65536);
    ASSERT_TRUE(many[2].MoveFirst());
    EXPECT_EQ(many[2].GetInt(0), 7);

    // A few empty rows are walked like any others.
    ParsedSets few(Body({DataSetBytes("error").SendRowCount(3).Build(), good}));
    ASSERT_EQ(few.count, 2);
    int walked = 0;
    while (few[0].MoveNext()) {
        ++walked;
        EXPECT_STREQ(few[0].GetAsText(0), "Error Field Index");
        EXPECT_EQ(few[0].GetString(0), nullptr);
    }
    EXPECT_EQ(walked, 3);

    // The most that reads is also the most the client writes, and it reads back.
    std::vector<uint8_t> most = DataSetBytes("z").Field("u", 77, 0).SendRowCount(65536).Build();
    auto set = ParseOne(most);
    ASSERT_TRUE(set);
    EXPECT_EQ(set->GetRowCount(), 65536);
    EXPECT_EQ(set->InsertRow(-1), DS_SIZE_MISMATCH);
    EXPECT_EQ(set->GetRowCount(), 65536);
    BYTE* bytes = nullptr;
    DWORD size = set->Serialize(&bytes);
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + size), most);
    free(bytes);
}

TEST(DataSet, BlobReferencesOutsideTheBlobHaveNoValue)
{
    DataSetBytes s("refs");
    s.Field("t", FIELD_TEXT).Field("a", FIELD_BYTES).Field("w", FIELD_WIDE_TEXT);
    s.BlobPadding(8);
    s.Row().Ref(9, 1).Ref(4, 5).Ref(-2, 4);            // past the end, straddling the end, negative offset
    s.Row().Ref(INT_MAX, 2).Ref(1, INT_MAX).Ref(6, 2); // offset + length overflow int32; not terminated
    s.Row().Ref(0, 9).Ref(0, 8).Ref(0, 7);             // a text longer than the blob; a wide text never ended
    auto set = ParseOne(s.Build());
    ASSERT_TRUE(set);
    while (set->MoveNext()) {
        SCOPED_TRACE(set->GetCursor());
        EXPECT_EQ(set->GetString(0), nullptr);
        EXPECT_STREQ(set->GetAsText(0), "null");
        EXPECT_EQ(set->GetAsInt(0), 0);
        EXPECT_EQ(set->GetShort(0), 0);
        EXPECT_STREQ(set->GetAsText(2), "null");
        EXPECT_EQ(set->GetAsInt(2), 0);
        EXPECT_TRUE(set->GetQuoteNumber(2) == CQuoteNumber::Zero());
        if (set->GetCursor() < 2) {
            EXPECT_STREQ(set->GetAsText(1), "Array:0");
            EXPECT_EQ(set->GetAsInt(1), 0);
        }
    }
    // An in-range byte array needs no terminator.
    set->MoveLast();
    EXPECT_STREQ(set->GetAsText(1), "Array:8");
}

TEST(DataSet, UnterminatedNamesAndCaptionsReadAsTerminated)
{
    uint8_t raw[60];
    memset(raw, 'N', 16);
    raw[16] = FIELD_INT, raw[17] = raw[18] = raw[19] = 0;
    raw[20] = 4, raw[21] = raw[22] = raw[23] = 0;
    memset(raw + 24, 0, 4);
    memset(raw + 28, 'C', 32);
    auto set = ParseOne(DataSetBytes("abcdefghijklmnopqrs").RawField(raw).Row().I32(3).Build());
    ASSERT_TRUE(set);
    EXPECT_STREQ(set->GetName(), "abcdefghijklmnop"); // 16 characters kept
    EXPECT_EQ(strlen(set->GetFieldInfo(0)->name), 15u);
    EXPECT_EQ(strlen(set->GetFieldInfo(0)->caption), 30u);
    EXPECT_EQ(set->FindField("nnnnnnnnnnnnnnn"), 0);
}

TEST(DataSet, SerializeReproducesTheParsedBytes)
{
    std::vector<uint8_t> input = Body({RankedQuotes()});
    auto set = ParseOne(input);
    ASSERT_TRUE(set);
    BYTE* out = nullptr;
    DWORD size = set->Serialize(&out);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(out, out + size), input);
    EXPECT_EQ(set->Serialize(nullptr), size);

    // Into a caller's buffer only when it fits.
    std::vector<BYTE> small(size - 1, 0xAB);
    BYTE* into = small.data();
    EXPECT_EQ(set->Serialize(into, (DWORD)small.size()), 0u);
    EXPECT_EQ(small, std::vector<BYTE>(size - 1, 0xAB));
    std::vector<BYTE> exact(size);
    into = exact.data();
    EXPECT_EQ(set->Serialize(into, size), size);
    EXPECT_EQ(memcmp(exact.data(), out, size), 0);
    free(out);
}

TEST(DataSet, ParseIntoACallersArrayKeepsWithinItsCapacity)
{
    std::vector<uint8_t> body = Body({DataSetBytes("a").Build(), DataSetBytes("b").Build(), DataSetBytes("c").Build()});
    CDataSet* slots[3] = {nullptr, nullptr, reinterpret_cast<CDataSet*>(0x5a5a)};
    ASSERT_EQ(ParseDataSets(body.data(), (DWORD)body.size(), slots, 2), 2);
    EXPECT_STREQ(slots[0]->GetName(), "a");
    EXPECT_STREQ(slots[1]->GetName(), "b");
    EXPECT_EQ(slots[2], reinterpret_cast<CDataSet*>(0x5a5a)); // the third set was dropped, not written here
    delete slots[0];
    delete slots[1];
    EXPECT_EQ(ParseDataSets(body.data(), (DWORD)body.size(), nullptr), 0);
    EXPECT_EQ(ParseDataSets(nullptr, 100, slots, 3), 0);
}

TEST(DataSet, ErrorSetOfTheTransportHoldsItsText)
{
    const char text[] = "\xb4\xed\xce\xf3(3)"; // 错误(3)
    CDataSet narrow(text, FALSE);
    narrow.SetError();
    EXPECT_TRUE(narrow.IsError());
    EXPECT_EQ(narrow.GetCursor(), -1);
    ASSERT_TRUE(narrow.MoveFirst());
    EXPECT_EQ(narrow.FindField("er_string"), 0);
    EXPECT_EQ(narrow.GetFieldInfo(0)->type, FIELD_TEXT);
    EXPECT_STREQ(narrow.GetString(0), text);

    CDataSet wide(text, TRUE);
    ASSERT_TRUE(wide.MoveFirst());
    EXPECT_EQ(wide.GetFieldInfo(0)->type, FIELD_WIDE_TEXT);
    int length = 0;
    const BYTE* p = wide.GetFieldData(0, &length);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(length, 12); // five characters and the terminator, UTF-16
    EXPECT_EQ(p[0] | p[1] << 8, 0x9519);
    EXPECT_STREQ(wide.GetAsText(0), text);

    // Round trip through the binary form, as the transport writes it into the reply buffer.
    BYTE* bytes = nullptr;
    DWORD size = narrow.Serialize(&bytes);
    ParsedSets back(std::vector<uint8_t>(bytes, bytes + size));
    free(bytes);
    ASSERT_EQ(back.count, 1);
    EXPECT_TRUE(back[0].IsError());
    back[0].MoveFirst();
    EXPECT_STREQ(back[0].GetAsText("ER_String"), text);
}

TEST(DataSet, NamesAreCutAtSixteenAndCompareWithoutCase)
{
    CDataSet set;
    set.SetName("a-very-long-set-name");
    EXPECT_STREQ(set.GetName(), "a-very-long-set-");
    set.SetName(nullptr);
    EXPECT_STREQ(set.GetName(), "");
    set.SetName("ERROR");
    EXPECT_TRUE(set.IsError());
    set.SetName("errors");
    EXPECT_FALSE(set.IsError());
}

TEST(DataSet, EditingBuildsRowsThatSerializeAndParseBack)
{
    CDataSet set;
    FieldInfo price = {};
    strcpy(price.name, "price");
    price.type = FIELD_QUOTE;
    price.size = 99; // the type decides
    FieldInfo code = {};
    strcpy(code.name, "code");
    code.type = FIELD_TEXT;
    EXPECT_EQ(set.AddField(&price, 0), DS_OK);
    EXPECT_EQ(set.InsertRow(-1), DS_OK);
    int packed = Packed(1050, 2);
    EXPECT_EQ(set.SetValue(0, &packed, 4, -1), DS_OK);
    EXPECT_EQ(set.InsertRow(0), DS_OK); // before row 0, and the cursor goes to it
    EXPECT_EQ(set.GetCursor(), 0);
    EXPECT_EQ(price.size, 99); // the caller's descriptor is left alone

    // A field inserted in front rebuilds every row around it.
    EXPECT_EQ(set.AddField(&code, 0), DS_OK);
    EXPECT_EQ(set.GetFieldInfo(1)->offset, 8);
    EXPECT_EQ(set.SetString(0, "600000"), DS_OK);
    set.MoveNext();
    EXPECT_EQ(set.SetString(0, "000001"), DS_OK);
    EXPECT_STREQ(set.GetAsText(1), "10.50");
    EXPECT_STREQ(set.GetAsText("code"), "000001");

    // Codes 2, 3 and 4 change nothing.
    EXPECT_EQ(set.SetValue(1, &packed, 4, 5), DS_NO_SUCH_ROW);
    EXPECT_EQ(set.SetValue(2, &packed, 4, 0), DS_NO_SUCH_FIELD);
    EXPECT_EQ(set.SetValue(1, &packed, 2, 0), DS_SIZE_MISMATCH);
    EXPECT_EQ(set.SetValue(0, "x", -1, 0), DS_SIZE_MISMATCH);
    EXPECT_EQ(set.SetString(1, "x"), DS_NO_SUCH_FIELD);
    EXPECT_EQ(set.DeleteRow(7), DS_NO_SUCH_ROW);
    EXPECT_EQ(set.Compact(), 0); // nothing overwritten yet

    // Overwriting and deleting leave gaps that compaction removes before writing.
    EXPECT_EQ(set.SetString(0, "000002"), DS_OK);
    BYTE* bytes = nullptr;
    DWORD size = set.Serialize(&bytes);
    EXPECT_EQ(size, 28u + 2 * 60 + 2 * 12 + 14);
    ParsedSets back(std::vector<uint8_t>(bytes, bytes + size));
    free(bytes);
    ASSERT_EQ(back.count, 1);
    back[0].MoveFirst();
    EXPECT_STREQ(back[0].GetAsText(0), "600000");
    EXPECT_STREQ(back[0].GetAsText(1), "0"); // packed 0 has scale 0
    back[0].MoveNext();
    EXPECT_STREQ(back[0].GetAsText(0), "000002");

    EXPECT_EQ(back[0].DeleteRow(-1), DS_OK);
    EXPECT_EQ(back[0].GetCursor(), 0);
    EXPECT_EQ(back[0].Compact(), 1);
    EXPECT_EQ(back[0].Serialize(nullptr), 28u + 2 * 60 + 12 + 7);
    EXPECT_STREQ(back[0].GetAsText(0), "600000");
    EXPECT_EQ(back[0].DeleteRow(-1), DS_OK);
    EXPECT_EQ(back[0].GetCursor(), -1);
    EXPECT_EQ(back[0].GetRowCount(), 0);
}

TEST(DataSet, CompactionDropsReferencesOutsideTheBlob)
{
    DataSetBytes s("c");
    s.Field("t", FIELD_TEXT).Row().Text("keep").Row().Ref(100, 5).Row().Text("gone");
    auto set = ParseOne(s.Build());
    ASSERT_TRUE(set);
    EXPECT_EQ(set->DeleteRow(2), DS_OK);
    EXPECT_EQ(set->Compact(), 1);
    set->MoveFirst();
    EXPECT_STREQ(set->GetString(0), "keep");
    set->MoveNext();
    EXPECT_EQ(set->GetString(0), nullptr);
    EXPECT_EQ(set->Serialize(nullptr), 28u + 60 + 16 + 5);
}

TEST(DataSet, DestroyedSetIsEmptyAndUsable)
{
    auto set = ParseOne(RankedQuotes());
    ASSERT_TRUE(set);
    set->MoveFirst();
    set->Destroy();
    EXPECT_EQ(set->GetRowCount(), 0);
    EXPECT_EQ(set->GetFieldCount(), 0);
    EXPECT_EQ(set->GetString(0), nullptr);
    std::vector<uint8_t> again = RankedQuotes();
    DWORD remaining = (DWORD)again.size();
    EXPECT_EQ(set->Parse(again.data(), &remaining), 0);
    EXPECT_EQ(set->GetRowCount(), 3);

    // Rows before fields: the rows have no bytes (and no block) until the first field widens them.
    set->Destroy();
    EXPECT_EQ(set->InsertRow(-1), DS_OK);
    EXPECT_EQ(set->InsertRow(0), DS_OK);
    EXPECT_EQ(set->InsertRow(-1), DS_OK);
    EXPECT_EQ(set->DeleteRow(1), DS_OK);
    FieldInfo price = {};
    strcpy(price.name, "price");
    price.type = FIELD_INT;
    EXPECT_EQ(set->AddField(&price, 0), DS_OK);
    EXPECT_EQ(set->AddField(&price, 0), DS_OK);
    ASSERT_EQ(set->GetRowCount(), 2);
    int value = 42;
    EXPECT_EQ(set->SetValue(1, &value, 4, 1), DS_OK);
    set->MoveLast();
    EXPECT_EQ(set->GetInt(0), 0);
    EXPECT_EQ(set->GetInt(1), 42);
}
