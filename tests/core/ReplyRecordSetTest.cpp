// Whole replies as the worker hands them to a window: good replies, error replies, unreadable bodies,
// and handing records over to whoever keeps them.
#include "core/ReplyRecordSet.h"

#include "tests/core/DataSetBytes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

const char NO_ERROR_TEXT[] = "\xce\xb4\xc8\xa1\xb5\xbd\xb4\xed\xce\xf3\xd0\xc5\xcf\xa2"; // 未取到错误信息
const char SESSION_EXPIRED[] = "\xbb\xe1\xbb\xb0\xb9\xfd\xc6\xda";                       // 会话过期

std::vector<uint8_t> Good(const char* name = "ok")
{
    return DataSetBytes(name).Field("code", FIELD_TEXT).Row().Text("600000").Row().Text("000001").Build();
}

std::vector<uint8_t> ServerError(const char* text)
{
    return DataSetBytes("error").Field("ErrMsg", FIELD_TEXT).Row().Text(text).Build();
}

CReplyRecordSet* Reply(const std::vector<uint8_t>& body)
{
    return new CReplyRecordSet(body.data(), (DWORD)body.size());
}

} // namespace

TEST(ReplyRecordSet, EmptyOrUnreadableBodyIsAnErrorWithoutMessage)
{
    CReplyRecordSet none(nullptr, 0);
    EXPECT_EQ(none.hasError, 1);
    EXPECT_EQ(none.GetCount(), 0);
    EXPECT_STREQ(none.GetErrorText(), NO_ERROR_TEXT);
    EXPECT_EQ(*none.GetRecord(0), nullptr);

    const uint8_t junk[] = "HTTP/1.1 502 Bad Gateway";
    CReplyRecordSet unreadable(junk, sizeof junk - 1);
    EXPECT_EQ(unreadable.hasError, 1);
    EXPECT_EQ(unreadable.GetCount(), 0);
    EXPECT_STREQ(unreadable.GetErrorText(), NO_ERROR_TEXT);

    CReplyRecordSet empty;
    EXPECT_EQ(empty.hasError, 1);
    EXPECT_EQ(empty.errorIndex, -1);
}

TEST(ReplyRecordSet, GoodReplyHoldsItsSetsAndOutOfRangeRecordsAreNull)
{
    for (const char* name : {"ok", ""}) {
        std::unique_ptr<CReplyRecordSet> reply(Reply(Body({Good(name)})));
        EXPECT_EQ(reply->hasError, 0);
        ASSERT_EQ(reply->GetCount(), 1);
        CDataSet* set = *reply->GetRecord(0);
        ASSERT_NE(set, nullptr);
        EXPECT_STREQ(set->GetName(), name);
        EXPECT_EQ(*reply->GetRecord(1), nullptr);
        EXPECT_EQ(*reply->GetRecord(-1), nullptr);
        std::string codes;
        while (set->MoveNext())
            codes += set->GetAsText("CODE");
        EXPECT_EQ(codes, "600000000001");
        EXPECT_STREQ(reply->GetErrorText(), NO_ERROR_TEXT);
    }
}

TEST(ReplyRecordSet, WritingThroughTheNullSlotDoesNotStick)
{
    std::unique_ptr<CReplyRecordSet> reply(Reply(Good()));
    CDataSet stray;
    *reply->GetRecord(5) = &stray;
    EXPECT_EQ(*reply->GetRecord(5), nullptr);
    EXPECT_EQ(*reply->GetRecord(-1), nullptr);
}

TEST(ReplyRecordSet, ErrorTextComesFromTheLastErrorSet)
{
    std::unique_ptr<CReplyRecordSet> one(Reply(Body({Good(), ServerError(SESSION_EXPIRED)})));
    EXPECT_EQ(one->hasError, 1);
    EXPECT_EQ(one->errorIndex, 1);
    EXPECT_STREQ(one->GetErrorText(), SESSION_EXPIRED);

    std::unique_ptr<CReplyRecordSet> two(Reply(Body({ServerError("first"), Good(), ServerError("second")})));
    EXPECT_EQ(two->errorIndex, 2);
    EXPECT_STREQ(two->GetErrorText(), "second");

    std::unique_ptr<CReplyRecordSet> rowless(Reply(DataSetBytes("Error").Field("ErrMsg", FIELD_TEXT).Build()));
    EXPECT_EQ(rowless->hasError, 1);
    EXPECT_STREQ(rowless->GetErrorText(), "Error");
}

TEST(ReplyRecordSet, TruncatedSecondSetLeavesTheFirstAlone)
{
    auto body = Body({Good(), ServerError("lost")});
    body.pop_back();
    std::unique_ptr<CReplyRecordSet> reply(Reply(body));
    EXPECT_EQ(reply->GetCount(), 1);
    EXPECT_EQ(reply->hasError, 0);

    auto errorFirst = Body({ServerError("kept"), Good()});
    errorFirst.resize(errorFirst.size() - 3);
    std::unique_ptr<CReplyRecordSet> error(Reply(errorFirst));
    EXPECT_EQ(error->GetCount(), 1);
    EXPECT_EQ(error->hasError, 1);
    EXPECT_STREQ(error->GetErrorText(), "kept");
}

TEST(ReplyRecordSet, ErrorTextIsAlwaysShowableText)
{
    auto text = [](const std::vector<uint8_t>& body) {
        std::unique_ptr<CReplyRecordSet> reply(Reply(body));
        return std::string(reply->GetErrorText());
    };
    // A UTF-16 message comes out as 8-bit text, not as its raw bytes.
    EXPECT_EQ(text(DataSetBytes("error").Field("m", FIELD_WIDE_TEXT).Row().Wide(u"会话过期").Build()), SESSION_EXPIRED);
    // A numeric field 0 is given in its text form.
    EXPECT_EQ(
        text(DataSetBytes("error").Field("code", FIELD_INT).Field("m", FIELD_TEXT).Row().I32(-104).Text("x").Build()),
        "-104");
    // A text counted without its terminator reads on to the end of the blob.
    EXPECT_EQ(text(DataSetBytes("error").Field("m", FIELD_TEXT).Row().Ref(0, 4).BlobPadding(4).Build()),
              "\xEE\xEE\xEE\xEE");
    // Missing, empty or out-of-blob texts, and a record without fields.
    EXPECT_EQ(text(DataSetBytes("error").Field("m", FIELD_TEXT).Row().Ref(0, 0).Build()), NO_ERROR_TEXT);
    EXPECT_EQ(text(ServerError("")), NO_ERROR_TEXT);
    EXPECT_EQ(text(DataSetBytes("error").Field("m", FIELD_TEXT).Row().Ref(2, 40).BlobPadding(4).Build()),
              NO_ERROR_TEXT);
    EXPECT_EQ(text(DataSetBytes("error").SendRowCount(1).Build()), NO_ERROR_TEXT);
}

TEST(ReplyRecordSet, TransportErrorSetReadsBackWithItsText)
{
    const char message[] = "\xb4\xed\xce\xf3(1)\xa3\xba\xce\xde\xb7\xa8"; // 错误(1)：无法
    for (BOOL wide : {FALSE, TRUE}) {
        CDataSet error(message, wide);
        error.SetError();
        BYTE* bytes = nullptr;
        DWORD size = error.Serialize(&bytes);
        CReplyRecordSet reply(bytes, size);
        free(bytes);
        EXPECT_EQ(reply.hasError, 1);
        EXPECT_STREQ(reply.GetErrorText(), message);
    }
}

TEST(ReplyRecordSet, DetachAndMoveToHandOverOwnership)
{
    CDataSet* kept = nullptr;
    {
        std::unique_ptr<CReplyRecordSet> reply(Reply(Body({Good("accounts"), Good("other")})));
        kept = *reply->GetRecord(0);
        delete *reply->GetRecord(1);
        reply->Detach();
        EXPECT_EQ(reply->GetCount(), 0);
    } // deletes nothing
    ASSERT_NE(kept, nullptr);
    EXPECT_STREQ(kept->GetName(), "accounts");
    delete kept;

    std::unique_ptr<CReplyRecordSet> from(Reply(Body({Good("a"), Good("b")})));
    CReplyRecordSet to;
    to.Append(new CDataSet); // replaced
    from->MoveTo(to);
    EXPECT_EQ(from->GetCount(), 0);
    ASSERT_EQ(to.GetCount(), 2);
    EXPECT_STREQ((*to.GetRecord(1))->GetName(), "b");
    from->MoveTo(*from); // onto itself: nothing lost
    to.MoveTo(to);
    EXPECT_EQ(to.GetCount(), 2);
}

TEST(ReplyRecordSet, InsertAtClampsTheIndex)
{
    CReplyRecordSet reply;
    auto named = [](const char* n) {
        CDataSet* s = new CDataSet;
        s->SetName(n);
        return s;
    };
    reply.Append(named("b"));
    reply.Append(nullptr);
    reply.InsertAt(-4, named("a"));
    reply.InsertAt(99, named("d"));
    reply.InsertAt(2, named("c"));
    reply.InsertAt(0, nullptr);
    std::string order;
    for (int k = 0; k < reply.GetCount(); ++k)
        order += (*reply.GetRecord(k))->GetName();
    EXPECT_EQ(order, "abcd");
}

TEST(ReplyRecordSet, LoadingAgainReplacesRecordsOnlyWhenTheBodyParses)
{
    CReplyRecordSet reply;
    auto error = ServerError("busy");
    reply.Load(error.data(), (DWORD)error.size());
    EXPECT_EQ(reply.hasError, 1);
    auto good = Good();
    reply.Load(good.data(), (DWORD)good.size());
    EXPECT_EQ(reply.hasError, 0);
    EXPECT_EQ(reply.errorIndex, -1);
    ASSERT_EQ(reply.GetCount(), 1);
    const uint8_t junk[3] = {1, 2, 3};
    reply.Load(junk, 3);
    EXPECT_EQ(reply.GetCount(), 1);
    EXPECT_EQ(reply.hasError, 0);
}

TEST(ReplyRecordSet, AHandedOverBodyIsReadInPlaceLikeACopiedOne)
{
    // Texts without their terminators (they run on to the zero kept past each blob, never into the next set);
    // the body ends with a truncated set or with the last whole one, with or without a spare byte.
    std::vector<uint8_t> sets = DataSetBytes("hq")
                                    .Field("code", FIELD_TEXT)
                                    .Field("p", FIELD_QUOTE)
                                    .Row()
                                    .Blob("600000", 6)
                                    .I32(12345)
                                    .Row()
                                    .Blob("000001", 6)
                                    .I32(-5)
                                    .Build();
    std::vector<uint8_t> error =
        DataSetBytes("error").Field("ErrMsg", FIELD_TEXT).Row().Blob(SESSION_EXPIRED, 8).Build();
    sets.insert(sets.end(), error.begin(), error.end());
    std::vector<uint8_t> tail = Good();
    tail.resize(40);

    for (bool truncatedTail : {true, false}) {
        std::vector<uint8_t> body = sets;
        if (truncatedTail)
            body.insert(body.end(), tail.begin(), tail.end());
        std::unique_ptr<CReplyRecordSet> copied(Reply(body));
        for (UINT spare : {1u, 0u}) {
            SCOPED_TRACE(std::to_string(truncatedTail) + " " + std::to_string(spare));
            CByteBuffer handed((UINT)body.size() + spare);
            handed.Append(body.data(), (UINT)body.size());
            auto reply = std::make_unique<CReplyRecordSet>(std::move(handed));
            EXPECT_EQ(handed.data, nullptr); // taken over
            ASSERT_EQ(reply->GetCount(), 2);
            EXPECT_EQ(reply->hasError, 1);
            EXPECT_STREQ(reply->GetErrorText(), SESSION_EXPIRED);
            CDataSet* hq = *reply->GetRecord(0);
            CDataSet* same = *copied->GetRecord(0);
            same->MoveFirst();
            for (hq->MoveFirst(); !hq->IsEOF(); hq->MoveNext(), same->MoveNext()) {
                for (int i = 0; i < 2; ++i)
                    EXPECT_STREQ(hq->GetAsText(i), same->GetAsText(i));
            }

            // Sets kept past their reply keep the body; an edit copies the set's rows and leaves the body alone.
            CDataSet* kept = *reply->GetRecord(1);
            reply->Detach();
            reply.reset();
            ASSERT_TRUE(hq->MoveFirst());
            ASSERT_EQ(hq->SetString(0, "300750"), DS_OK);
            EXPECT_STREQ(hq->GetString(0), "300750");
            ASSERT_TRUE(hq->MoveNext());
            EXPECT_STREQ(hq->GetString(0), "000001");
            EXPECT_STREQ(hq->GetAsText(1), "-0.002");
            ASSERT_TRUE(kept->MoveFirst());
            EXPECT_STREQ(kept->GetString(0), SESSION_EXPIRED);
            delete hq;
            delete kept;
        }
    }
}
