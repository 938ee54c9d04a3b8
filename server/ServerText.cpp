// Text helpers of the stand-in server.
#include "server/ServerText.h"

#include "platform/win/CodePage.h"

#include <cctype>

std::string Gb(const std::string& utf8)
{
    if (utf8.empty())
        return std::string();
    int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (wide <= 0)
        return std::string();
    std::u16string w(static_cast<size_t>(wide), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), wide);
    int n = WideCharToMultiByte(CP_ACP, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.data(), wide, out.data(), n, nullptr, nullptr);
    return out;
}

std::string GbToUtf8(const std::string& gb)
{
    if (gb.empty())
        return std::string();
    int wide = MultiByteToWideChar(CP_ACP, 0, gb.data(), static_cast<int>(gb.size()), nullptr, 0);
    if (wide <= 0)
        return std::string();
    std::u16string w(static_cast<size_t>(wide), u'\0');
    MultiByteToWideChar(CP_ACP, 0, gb.data(), static_cast<int>(gb.size()), w.data(), wide);
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, out.data(), n, nullptr, nullptr);
    return out;
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string ToLower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string HexLower(const unsigned char* data, size_t length)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(length * 2);
    for (size_t i = 0; i < length; ++i) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
    }
    return out;
}

namespace {
int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int Base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}
} // namespace

bool HexDecode(const std::string& text, std::vector<unsigned char>& out)
{
    out.clear();
    if (text.size() % 2)
        return false;
    out.reserve(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2) {
        int hi = HexValue(text[i]), lo = HexValue(text[i + 1]);
        if (hi < 0 || lo < 0) {
            out.clear();
            return false;
        }
        out.push_back(static_cast<unsigned char>(hi * 16 + lo));
    }
    return true;
}

bool Base64Decode(const std::string& text, std::vector<unsigned char>& out)
{
    out.clear();
    if (text.size() % 4)
        return false;
    out.reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        int v[4];
        int pad = 0;
        for (int k = 0; k < 4; ++k) {
            char c = text[i + k];
            if (c == '=' && i + 4 == text.size() && k >= 2) {
                v[k] = 0;
                ++pad;
            } else if (pad) {
                out.clear();
                return false; // a character after padding
            } else {
                v[k] = Base64Value(c);
                if (v[k] < 0) {
                    out.clear();
                    return false;
                }
            }
        }
        unsigned int n = (unsigned(v[0]) << 18) | (unsigned(v[1]) << 12) | (unsigned(v[2]) << 6) | unsigned(v[3]);
        out.push_back(static_cast<unsigned char>(n >> 16));
        if (pad < 2)
            out.push_back(static_cast<unsigned char>(n >> 8));
        if (pad < 1)
            out.push_back(static_cast<unsigned char>(n));
    }
    return true;
}

std::string Base64EncodeText(const unsigned char* data, size_t length)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < length; i += 3) {
        unsigned n = unsigned(data[i]) << 16;
        if (i + 1 < length)
            n |= unsigned(data[i + 1]) << 8;
        if (i + 2 < length)
            n |= data[i + 2];
        out += alphabet[(n >> 18) & 63];
        out += alphabet[(n >> 12) & 63];
        out += i + 1 < length ? alphabet[(n >> 6) & 63] : '=';
        out += i + 2 < length ? alphabet[n & 63] : '=';
    }
    return out;
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t p = text.find(separator, start);
        if (p == std::string::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, p - start));
        start = p + 1;
    }
}
