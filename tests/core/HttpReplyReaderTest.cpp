// HTTP reply framing fed in pieces: header blocks, Content-Length and chunked bodies, and hostile lengths.
#include "core/HttpReplyReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Outcome {
    int result = CHttpReplyReader::NEED_MORE;
    std::string body;
    std::string etag = "<none>";
};

// Feeds `reply` in pieces cut at the given offsets.
Outcome Read(const std::string& reply, const std::vector<size_t>& cuts = {})
{
    CHttpReplyReader reader;
    CByteBuffer body(64);
    Outcome outcome;
    size_t from = 0;
    std::vector<size_t> ends(cuts);
    ends.push_back(reply.size());
    for (size_t end : ends) {
        if (end < from)
            continue;
        outcome.result = reader.Feed((const BYTE*)reply.data() + from, (int)(end - from), body);
        from = end;
        if (outcome.result != CHttpReplyReader::NEED_MORE)
            break;
    }
    outcome.body.assign((const char*)body.data, body.GetSize());
    if (reader.GetETag())
        outcome.etag = reader.GetETag();
    return outcome;
}

const std::string CHUNKED = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nETag: 0,0,17,36\r\n\r\n"
                            "5\r\nhello\r\n1a;ext=1\r\nabcdefghijklmnopqrstuvwxyz\r\n3\r\n!!!\r\n0\r\n\r\n";
const std::string CHUNKED_BODY = "helloabcdefghijklmnopqrstuvwxyz!!!";

} // namespace

TEST(HttpReplyReader, ContentLengthBodyWithHeaderSplitAtEveryPosition)
{
    std::string reply = "HTTP/1.1 200 OK\r\ncontent-length: 10\r\nEtag: 1,2,3,4\r\n\r\n0123456789";
    for (size_t cut = 1; cut < reply.size(); ++cut) {
        Outcome o = Read(reply, {cut});
        ASSERT_EQ(o.result, CHttpReplyReader::COMPLETE) << cut;
        EXPECT_EQ(o.body, "0123456789") << cut;
        EXPECT_EQ(o.etag, "1,2,3,4") << cut;
    }
    // Bytes past the length that came in the same read stay; a short body waits for more.
    EXPECT_EQ(Read(reply + "XY").body, "0123456789XY");
    EXPECT_EQ(Read(reply.substr(0, reply.size() - 1)).result, CHttpReplyReader::NEED_MORE);
    EXPECT_EQ(Read("HTTP/1.1 204 No Content\r\nContent-Length: 0\r\n\r\n").result, CHttpReplyReader::COMPLETE);
}

TEST(HttpReplyReader, ChunkedBodySplitAtEveryPairOfPositions)
{
    EXPECT_EQ(Read(CHUNKED).body, CHUNKED_BODY);
    EXPECT_EQ(Read(CHUNKED).etag, "0,0,17,36");
    for (size_t a = 1; a < CHUNKED.size(); ++a)
        for (size_t b = a; b < CHUNKED.size(); b += 3) {
            Outcome o = Read(CHUNKED, {a, b});
            ASSERT_EQ(o.result, CHttpReplyReader::COMPLETE) << a << "," << b;
            ASSERT_EQ(o.body, CHUNKED_BODY) << a << "," << b;
        }
    // One byte at a time.
    std::vector<size_t> every;
    for (size_t i = 1; i < CHUNKED.size(); ++i)
        every.push_back(i);
    EXPECT_EQ(Read(CHUNKED, every).body, CHUNKED_BODY);
}

TEST(HttpReplyReader, TransferEncodingWinsOverContentLength)
{
    std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: 3\r\nTransfer-Encoding: chunked\r\n\r\n"
                        "4\r\nabcd\r\n0\r\n\r\n";
    Outcome o = Read(reply);
    EXPECT_EQ(o.result, CHttpReplyReader::COMPLETE);
    EXPECT_EQ(o.body, "abcd");
    EXPECT_EQ(o.etag, "<none>");
}

TEST(HttpReplyReader, EveryStatusIsReadTheSameWay)
{
    Outcome o = Read("HTTP/1.1 500 Internal Server Error\r\nContent-Length: 4\r\n\r\noops");
    EXPECT_EQ(o.result, CHttpReplyReader::COMPLETE);
    EXPECT_EQ(o.body, "oops");
}

TEST(HttpReplyReader, MissingOrMalformedFramingIsAFailure)
{
    const int BAD = CHttpReplyReader::MALFORMED;
    EXPECT_EQ(Read("HTTP/1.1 200 OK\r\nServer: x\r\n\r\nbody").result, BAD);
    EXPECT_EQ(Read("HTTP/1.1 200 OK\r\nContent-Length: ten\r\n\r\nbody").result, BAD);
    EXPECT_EQ(Read("HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\nbody").result, BAD);
    // The value must end within 16 bytes.
    EXPECT_EQ(Read("HTTP/1.1 200 OK\r\nContent-Length:          0000000004\r\n\r\nbody").result, BAD);
    EXPECT_EQ(Read("HTTP/1.1 200 OK\r\nContent-Length: 99999999999\r\n\r\n").result, BAD);
    std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    EXPECT_EQ(Read(chunked + "-5\r\nhello\r\n0\r\n\r\n").result, BAD);
    EXPECT_EQ(Read(chunked + "zz\r\nhello\r\n0\r\n\r\n").result, BAD);
    EXPECT_EQ(Read(chunked + "FFFFFFFFFFFFFFFF1\r\nhello\r\n").result, BAD);
    EXPECT_EQ(Read(chunked + "5\r\nhelloXX\r\n").result, BAD);
    EXPECT_EQ(Read(chunked + std::string(300, '0')).result, BAD);
    // A header block that never ends is refused once it passes its bound.
    std::string endless = "HTTP/1.1 200 OK\r\n";
    while (endless.size() <= CHttpReplyReader::MAX_HEADER)
        endless += "X-Filler: aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\r\n";
    EXPECT_EQ(Read(endless).result, BAD);
}

TEST(HttpReplyReader, ETagNeedsItsSpaceAndALineEnd)
{
    EXPECT_EQ(Read("HTTP/1.1 200 OK\r\nETag:0,0,17\r\nContent-Length: 0\r\n\r\n").etag, "<none>");
    EXPECT_EQ(Read("HTTP/1.1 200 OK\r\nETAG: \"5,1\"\r\nContent-Length: 0\r\n\r\n").etag, "\"5,1\"");
}

TEST(HttpReplyReader, TheBodyBufferFollowsWhatCameNotWhatTheHeaderAnnounced)
{
    // A header may announce the largest body allowed and send a few bytes: the buffer stays their size.
    CHttpReplyReader reader;
    CByteBuffer body(64);
    std::string head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(CHttpReplyReader::MAX_BODY) + "\r\n\r\n";
    std::string piece(2048, 'b');
    EXPECT_EQ(reader.Feed((const BYTE*)head.data(), (int)head.size(), body), CHttpReplyReader::NEED_MORE);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(reader.Feed((const BYTE*)piece.data(), (int)piece.size(), body), CHttpReplyReader::NEED_MORE);
    EXPECT_EQ(body.GetSize(), 8u * 2048u);
    EXPECT_LE(body.capacity, 2u * 8u * 2048u);

    // A body of an ordinary size gets one block at its first bytes: its size and a byte for the terminator the
    // record sets read in place keep.
    CHttpReplyReader whole;
    CByteBuffer all(64);
    const size_t size = 100000;
    std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n";
    ASSERT_EQ(whole.Feed((const BYTE*)reply.data(), (int)reply.size(), all), CHttpReplyReader::NEED_MORE);
    int result = CHttpReplyReader::NEED_MORE;
    for (size_t sent = 0; sent < size; sent += piece.size()) {
        result = whole.Feed((const BYTE*)piece.data(), (int)std::min(piece.size(), size - sent), all);
        EXPECT_EQ(all.capacity, size + 1);
    }
    EXPECT_EQ(result, CHttpReplyReader::COMPLETE);
    EXPECT_EQ(all.GetSize(), size);
}
