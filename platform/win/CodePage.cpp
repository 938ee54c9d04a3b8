// Code page conversion through iconv, one converter per thread and direction.
#include "platform/win/CodePage.h"

#include "platform/win/LastError.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <string>

namespace {

const char* CharsetName(UINT codePage)
{
    switch (codePage) {
    case CP_ACP:
    case CP_GBK:
        return "CP936";
    case CP_UTF8:
        return "UTF-8";
    default:
        return nullptr;
    }
}

// A converter kept per thread; iconv handles are not safe to share between threads.
struct Converter {
    iconv_t handle = (iconv_t)-1;
    void Close()
    {
        if (handle != (iconv_t)-1)
            iconv_close(handle);
        handle = (iconv_t)-1;
    }
    ~Converter() { Close(); }
};

// The calling thread's converters, by direction and code page.
struct ThreadConverters {
    Converter toUtf16Gbk, toUtf16Utf8, fromUtf16Gbk, fromUtf16Utf8;
};
thread_local ThreadConverters converters;

iconv_t Open(Converter& slot, const char* to, const char* from)
{
    if (slot.handle == (iconv_t)-1)
        slot.handle = iconv_open(to, from);
    else
        iconv(slot.handle, nullptr, nullptr, nullptr, nullptr);
    return slot.handle;
}

iconv_t ToUtf16(UINT codePage)
{
    return codePage == CP_UTF8 ? Open(converters.toUtf16Utf8, "UTF-16LE", "UTF-8")
                               : Open(converters.toUtf16Gbk, "UTF-16LE", "CP936");
}

iconv_t FromUtf16(UINT codePage)
{
    return codePage == CP_UTF8 ? Open(converters.fromUtf16Utf8, "UTF-8", "UTF-16LE")
                               : Open(converters.fromUtf16Gbk, "CP936", "UTF-16LE");
}

// Runs the converter over the whole input; on a unit it cannot convert it calls onBad(in, left),
// which appends a replacement and returns how many input bytes to skip.
template <typename OnBad> bool Convert(iconv_t cd, const char* in, size_t inLeft, std::string& out, OnBad onBad)
{
    char buf[512];
    while (inLeft > 0) {
        char* inPtr = const_cast<char*>(in);
        char* outPtr = buf;
        size_t outLeft = sizeof buf;
        size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buf, (size_t)(outPtr - buf));
        in = inPtr;
        if (r != (size_t)-1)
            continue;
        if (errno == E2BIG)
            continue;
        if (errno != EILSEQ && errno != EINVAL)
            return false;
        size_t skip = onBad(in, inLeft, out);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        in += skip;
        inLeft -= skip;
    }
    return true;
}

} // namespace

void ReleaseThreadCodePages()
{
    converters.toUtf16Gbk.Close();
    converters.toUtf16Utf8.Close();
    converters.fromUtf16Gbk.Close();
    converters.fromUtf16Utf8.Close();
}

int MultiByteToWideChar(UINT codePage, DWORD /*flags*/, LPCSTR src, int srcLength, LPWSTR dst, int dstLength)
{
    if (!src || !CharsetName(codePage) || dstLength < 0 || (dstLength > 0 && !dst)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t inLen = srcLength < 0 ? std::strlen(src) + 1 : (size_t)srcLength;
    iconv_t cd = ToUtf16(codePage);
    if (cd == (iconv_t)-1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string out;
    bool ok = Convert(cd, src, inLen, out, [](const char*, size_t, std::string& o) {
        o.append("?\0", 2);
        return (size_t)1;
    });
    if (!ok) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    int needed = (int)(out.size() / 2);
    if (dstLength == 0)
        return needed;
    if (needed > dstLength) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (int i = 0; i < needed; ++i)
        dst[i] = (WCHAR)((unsigned char)out[2 * i] | ((unsigned char)out[2 * i + 1] << 8));
    return needed;
}

int WideCharToMultiByte(UINT codePage, DWORD /*flags*/, LPCWSTR src, int srcLength, LPSTR dst, int dstLength,
                        LPCSTR defaultChar, BOOL* usedDefaultChar)
{
    if (usedDefaultChar)
        *usedDefaultChar = FALSE;
    if (!src || !CharsetName(codePage) || dstLength < 0 || (dstLength > 0 && !dst)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t units = 0;
    if (srcLength < 0) {
        while (src[units])
            ++units;
        ++units;
    } else {
        units = (size_t)srcLength;
    }
    std::string in;
    in.resize(units * 2);
    for (size_t i = 0; i < units; ++i) {
        in[2 * i] = (char)(src[i] & 0xff);
        in[2 * i + 1] = (char)(src[i] >> 8);
    }
    iconv_t cd = FromUtf16(codePage);
    if (cd == (iconv_t)-1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const char* replacement = (defaultChar && *defaultChar) ? defaultChar : "?";
    bool usedDefault = false;
    std::string out;
    bool ok = Convert(cd, in.data(), in.size(), out, [&](const char* at, size_t left, std::string& o) {
        usedDefault = true;
        o.append(replacement);
        if (left < 2)
            return left;
        WCHAR unit = (WCHAR)((unsigned char)at[0] | ((unsigned char)at[1] << 8));
        if (unit >= 0xD800 && unit < 0xDC00 && left >= 4) {
            WCHAR next = (WCHAR)((unsigned char)at[2] | ((unsigned char)at[3] << 8));
            if (next >= 0xDC00 && next < 0xE000)
                return (size_t)4;
        }
        return (size_t)2;
    });
    if (!ok) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    if (usedDefaultChar)
        *usedDefaultChar = usedDefault ? TRUE : FALSE;
    int needed = (int)out.size();
    if (dstLength == 0)
        return needed;
    if (needed > dstLength) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(dst, out.data(), out.size());
    return needed;
}
