// Reads an HTTP reply as it arrives in pieces: the header block (up to the blank line), then a body framed by
// Content-Length or chunked transfer coding. Every length taken from the peer is bounded before use.
#pragma once

#include "core/GrowArray.h"
#include "platform/win/WinTypes.h"

class CHttpReplyReader {
public:
    enum {
        MAX_HEADER = 16 * 1024, // the whole header block
        MAX_SIZE_LINE = 256,    // one chunk-size line, extensions included
        MAX_ETAG = 255,
    };
    static constexpr UINT MAX_BODY = 64u * 1024u * 1024u;
    // A body announced with at most this length is given its whole block at its first bytes.
    static constexpr UINT UPFRONT_BODY = 4u * 1024u * 1024u;

    enum Result { MALFORMED = -1, NEED_MORE = 0, COMPLETE = 1 };

    CHttpReplyReader() = default;

    // Takes the next received bytes and appends body bytes to `body`. Returns COMPLETE once the body is
    // whole, NEED_MORE, or MALFORMED (no usable framing, an oversized header or size line, a bad chunk size,
    // a body past MAX_BODY). After COMPLETE or MALFORMED further bytes are ignored.
    int Feed(const BYTE* bytes, int length, CByteBuffer& body);

    bool HeaderSeen() const { return headerSeen; }
    bool IsChunked() const { return chunked; }
    // The reply's "ETag: " value (up to CR or LF), or null when the header had none.
    const char* GetETag() const { return hasETag ? etag : nullptr; }

private:
    int ParseHeader(CByteBuffer& body);
    int FeedBody(const BYTE* bytes, int length, CByteBuffer& body);
    int FeedChunks(const BYTE* bytes, int length, CByteBuffer& body);
    int Finish(int result)
    {
        done = result;
        return result;
    }

    CByteBuffer pending{256}; // header bytes, then the unread part of a size line
    bool headerSeen = false;
    bool chunked = false;
    UINT contentLength = 0;
    UINT chunkRemaining = 0; // bytes of the current chunk still to come
    int done = NEED_MORE;
    bool hasETag = false;
    char etag[MAX_ETAG + 1] = {};
};
