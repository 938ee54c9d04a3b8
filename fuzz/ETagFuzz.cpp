// Arbitrary "ETag: " values into the HTTP client's parsing: the four numbers must come out clamped to int,
// missing pieces must keep their old values, and nothing is read past the value's end.
#include "core/HttpClient.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

class ETagClient : public CHttpClient {
public:
    using CHttpClient::ParseETag;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096)
        return 0;
    // The reply reader hands the value on as a terminated text of at most 255 bytes, cut at CR or LF.
    std::string value(reinterpret_cast<const char*>(data), size);
    value = value.substr(0, value.find_first_of("\r\n", 0));
    value = value.c_str();
    static ETagClient client;
    int commas = 0;
    for (char c : value)
        commas += c == ',';
    int oldCompress = client.GetCompressType(), oldCipher = client.GetCipherType();
    client.ParseETag(value.c_str());
    if (commas < 2 && client.GetCompressType() != oldCompress)
        abort();
    if (commas < 3 && client.GetCipherType() != oldCipher)
        abort();
    return 0;
}
