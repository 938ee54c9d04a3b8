// Program and executable directories, and the UTF-8 forms file names need.
#include "platform/win/Paths.h"

#include "platform/win/ModulePath.h"

#include <cstdlib>
#include <unistd.h>

namespace morwick::display {

std::string ExecutableDirectory()
{
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return ".";
    std::string path(buffer, (size_t)n);
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string ProgramDirectory()
{
    std::string dir = Utf8FromWide(GetProgramDirectory().c_str());
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return dir.empty() ? ExecutableDirectory() : dir;
}

void AppendUtf8(std::string& out, uint32_t c)
{
    if (c < 0x80) {
        out += (char)c;
    } else if (c < 0x800) {
        out += (char)(0xC0 | (c >> 6));
        out += (char)(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += (char)(0xE0 | (c >> 12));
        out += (char)(0x80 | ((c >> 6) & 0x3F));
        out += (char)(0x80 | (c & 0x3F));
    } else {
        out += (char)(0xF0 | (c >> 18));
        out += (char)(0x80 | ((c >> 12) & 0x3F));
        out += (char)(0x80 | ((c >> 6) & 0x3F));
        out += (char)(0x80 | (c & 0x3F));
    }
}

std::string Utf8FromWide(const char16_t* text, int count)
{
    std::string out;
    if (!text)
        return out;
    int n = 0;
    if (count < 0)
        while (text[n])
            ++n;
    else
        n = count;
    for (int i = 0; i < n; ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (uint32_t)(text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::u16string WideFromUtf8(const std::string& s)
{
    std::u16string out;
    size_t i = 0;
    while (i < s.size()) {
        unsigned char b = (unsigned char)s[i];
        uint32_t c;
        int extra;
        if (b < 0x80) {
            c = b;
            extra = 0;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            extra = 3;
        } else {
            out += u'\xFFFD';
            ++i;
            continue;
        }
        bool bad = i + (size_t)extra >= s.size();
        for (int k = 1; k <= extra && !bad; ++k) {
            unsigned char cb = (unsigned char)s[i + (size_t)k];
            if ((cb & 0xC0) != 0x80)
                bad = true;
            else
                c = (c << 6) | (cb & 0x3F);
        }
        if (bad) {
            // One replacement for the broken sequence, including the followers it did have.
            out += u'\xFFFD';
            ++i;
            for (int k = 0; k < extra && i < s.size() && ((unsigned char)s[i] & 0xC0) == 0x80; ++k)
                ++i;
            continue;
        }
        i += (size_t)extra + 1;
        // Overlong forms (a NUL or slash spelt in more bytes than needed) are not text.
        if ((extra == 1 && c < 0x80) || (extra == 2 && c < 0x800) || (extra == 3 && c < 0x10000)) {
            out += u'\xFFFD';
            continue;
        }
        if (c >= 0x10000 && c <= 0x10FFFF) {
            c -= 0x10000;
            out += (char16_t)(0xD800 + (c >> 10));
            out += (char16_t)(0xDC00 + (c & 0x3FF));
        } else if (c < 0x110000 && !(c >= 0xD800 && c < 0xE000)) {
            out += (char16_t)c;
        } else {
            out += u'\xFFFD';
        }
    }
    return out;
}

} // namespace morwick::display
