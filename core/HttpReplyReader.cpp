// Incremental reading of HTTP reply framing.
#include "core/HttpReplyReader.h"

#include <cstring>

namespace {

char Lower(BYTE c)
{
    return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : (char)c;
}

// Position of `needle` in bytes [0, size) without regard to ASCII case, or -1.
int FindNoCase(const BYTE* bytes, int size, const char* needle)
{
    int n = (int)strlen(needle);
    for (int i = 0; i + n <= size; ++i) {
        int k = 0;
        while (k < n && Lower(bytes[i + k]) == Lower((BYTE)needle[k]))
            ++k;
        if (k == n)
            return i;
    }
    return -1;
}

int Find(const BYTE* bytes, int size, const char* needle)
{
    int n = (int)strlen(needle);
    for (int i = 0; i + n <= size; ++i)
        if (memcmp(bytes + i, needle, (size_t)n) == 0)
            return i;
    return -1;
}

int HexValue(BYTE c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

int CHttpReplyReader::Feed(const BYTE* bytes, int length, CByteBuffer& body)
{
    if (done != NEED_MORE)
        return done;
    if (!bytes || length <= 0)
        return NEED_MORE;
    if (headerSeen)
        return chunked ? FeedChunks(bytes, length, body) : FeedBody(bytes, length, body);

    // Only the new bytes plus the last three old ones can complete the blank line.
    int searchFrom = pending.GetSize() >= 3 ? (int)pending.GetSize() - 3 : 0;
    if (!pending.Append(bytes, (UINT)length))
        return Finish(MALFORMED);
    int end = Find(pending.data + searchFrom, (int)pending.GetSize() - searchFrom, "\r\n\r\n");
    if (end < 0)
        return Finish(pending.GetSize() > MAX_HEADER ? MALFORMED : NEED_MORE);
    end += searchFrom;
    if (end + 4 > MAX_HEADER)
        return Finish(MALFORMED);
    return ParseHeader(body);
}

int CHttpReplyReader::ParseHeader(CByteBuffer& body)
{
    const BYTE* block = pending.data;
    int blockSize = Find(block, (int)pending.GetSize(), "\r\n\r\n") + 4;

    if (FindNoCase(block, blockSize, "Transfer-Encoding:") >= 0) {
        chunked = true;
    } else {
        int at = FindNoCase(block, blockSize, "Content-Length:");
        if (at < 0)
            return Finish(MALFORMED);
        at += 15;
        int lineEnd = Find(block + at, blockSize - at, "\r\n");
        if (lineEnd < 0 || lineEnd > 16)
            return Finish(MALFORMED);
        int i = at, stop = at + lineEnd;
        while (i < stop && (block[i] == ' ' || block[i] == '\t'))
            ++i;
        if (i == stop || block[i] < '0' || block[i] > '9')
            return Finish(MALFORMED);
        unsigned long long value = 0;
        while (i < stop && block[i] >= '0' && block[i] <= '9') {
            value = value * 10 + (block[i] - '0');
            if (value > MAX_BODY)
                return Finish(MALFORMED);
            ++i;
        }
        while (i < stop && (block[i] == ' ' || block[i] == '\t'))
            ++i;
        if (i != stop)
            return Finish(MALFORMED);
        contentLength = (UINT)value;
    }

    int tag = FindNoCase(block, blockSize, "ETag: ");
    if (tag >= 0) {
        int valueAt = tag + 6;
        int cr = Find(block + valueAt, blockSize - valueAt, "\r");
        if (cr >= 0) {
            int n = 0;
            for (int i = valueAt; i < blockSize && block[i] != '\r' && block[i] != '\n' && n < MAX_ETAG; ++i)
                etag[n++] = (char)block[i];
            etag[n] = 0;
            hasETag = true;
        }
    }

    headerSeen = true;
    // The bytes after the blank line are the first body bytes.
    CByteBuffer rest(64);
    if (pending.GetSize() > (UINT)blockSize && !rest.Append(pending.data + blockSize, pending.GetSize() - blockSize))
        return Finish(MALFORMED);
    pending.SetSize(0);
    if (chunked)
        return FeedChunks(rest.data, (int)rest.GetSize(), body);
    return FeedBody(rest.data, (int)rest.GetSize(), body);
}

int CHttpReplyReader::FeedBody(const BYTE* bytes, int length, CByteBuffer& body)
{
    if (length > 0) {
        if ((unsigned long long)body.GetSize() + (unsigned)length > (unsigned long long)MAX_BODY + 2048)
            return Finish(MALFORMED);
        // A body of up to UPFRONT_BODY bytes gets its whole block at once, with one byte to spare (the record
        // sets read in place keep a zero past their last byte): growing block by block left the smaller blocks
        // in the heap, and the reply cost twice its size. Beyond that the block grows by doubling what has
        // come, never past the announced length, so that a header alone cannot make it big.
        UINT needed = body.GetSize() + (UINT)length;
        if (needed > body.capacity) {
            UINT room;
            if (contentLength <= UPFRONT_BODY && needed <= contentLength) {
                room = contentLength + 1;
            } else {
                UINT doubled = body.capacity > 0x7FFFFFFFu / 2 ? needed : 2 * body.capacity;
                room = needed > doubled ? needed : doubled;
                if (room > contentLength && needed <= contentLength)
                    room = contentLength;
            }
            if (!body.Reserve(room))
                return Finish(MALFORMED);
        }
        if (!body.Append(bytes, (UINT)length))
            return Finish(MALFORMED);
    }
    // Bytes past the announced length that came in the same read stay in the body.
    return body.GetSize() >= contentLength ? Finish(COMPLETE) : NEED_MORE;
}

int CHttpReplyReader::FeedChunks(const BYTE* bytes, int length, CByteBuffer& body)
{
    int i = 0;
    for (;;) {
        if (chunkRemaining > 0) {
            int take = (UINT)(length - i) < chunkRemaining ? length - i : (int)chunkRemaining;
            if (take > 0 && !body.Append(bytes + i, (UINT)take))
                return Finish(MALFORMED);
            i += take;
            chunkRemaining -= (UINT)take;
            if (chunkRemaining > 0)
                return NEED_MORE;
        }
        // Gather the next size line in `pending`.
        while (i < length) {
            if (pending.GetSize() >= MAX_SIZE_LINE)
                return Finish(MALFORMED);
            pending.Append(bytes + i, 1);
            ++i;
            // CR LF pairs before a size line (the end of the previous chunk) are skipped.
            if (pending.GetSize() == 2 && pending.data[0] == '\r' && pending.data[1] == '\n') {
                pending.SetSize(0);
                continue;
            }
            UINT n = pending.GetSize();
            if (n >= 2 && pending.data[n - 2] == '\r' && pending.data[n - 1] == '\n')
                break;
        }
        UINT n = pending.GetSize();
        if (n < 2 || pending.data[n - 2] != '\r' || pending.data[n - 1] != '\n')
            return NEED_MORE;

        unsigned long long size = 0;
        UINT k = 0;
        while (k < n && (pending.data[k] == ' ' || pending.data[k] == '\t'))
            ++k;
        UINT digitsAt = k;
        while (k < n && HexValue(pending.data[k]) >= 0) {
            size = size * 16 + (unsigned)HexValue(pending.data[k]);
            if (size > MAX_BODY)
                return Finish(MALFORMED);
            ++k;
        }
        // No digits (a sign, garbage) is not a size; what follows the digits (extensions) is not read.
        if (k == digitsAt)
            return Finish(MALFORMED);
        pending.SetSize(0);
        if (size == 0)
            return Finish(COMPLETE);
        if ((unsigned long long)body.GetSize() + size > MAX_BODY)
            return Finish(MALFORMED);
        chunkRemaining = (UINT)size;
    }
}
