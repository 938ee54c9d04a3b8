// PNG decoding and encoding with libpng's simplified interface.
#include "platform/display/PngCodec.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace morwick::display {

namespace {

bool Finish(png_image& image, Surface& out, bool ok)
{
    if (!ok) {
        png_image_free(&image);
        return false;
    }
    // Refuse absurd sizes before allocating (a damaged or hostile file).
    if (image.width == 0 || image.height == 0 || image.width > 8192 || image.height > 8192) {
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_BGRA; // little-endian words read as 0xAARRGGBB
    Surface s((int)image.width, (int)image.height, 0);
    if (!png_image_finish_read(&image, nullptr, s.pixels.data(), (png_int_32)(image.width * 4), nullptr)) {
        png_image_free(&image);
        return false;
    }
    out = std::move(s);
    return true;
}

} // namespace

bool LoadPng(const std::string& path, Surface& out)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    return Finish(image, out, png_image_begin_read_from_file(&image, path.c_str()) != 0);
}

bool DecodePng(const void* data, size_t size, Surface& out)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    return Finish(image, out, png_image_begin_read_from_memory(&image, data, size) != 0);
}

bool SavePng(const std::string& path, const Surface& surface, bool keepAlpha)
{
    if (surface.width <= 0 || surface.height <= 0)
        return false;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = (png_uint_32)surface.width;
    image.height = (png_uint_32)surface.height;
    image.format = PNG_FORMAT_BGRA;
    // Screens are opaque; force alpha to 255 in a copy so viewers show what the user saw.
    Surface opaque = surface;
    if (!keepAlpha)
        for (uint32_t& p : opaque.pixels)
            p |= 0xFF000000u;
    // The screen may show an account: the file is the user's alone, like every other file the client writes.
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    // A file that was there is made private too; a device or pipe named as the target is written, never changed.
    struct stat info {};
    bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    FILE* file = !regular || fchmod(fd, 0600) == 0 ? fdopen(fd, "wb") : nullptr;
    if (file == nullptr) {
        close(fd);
        return false;
    }
    int ok = png_image_write_to_stdio(&image, file, 0, opaque.pixels.data(), surface.width * 4, nullptr);
    png_image_free(&image);
    bool saved = fclose(file) == 0 && ok != 0;
    if (!saved && regular)
        unlink(path.c_str()); // no half picture is left for a viewer to take for the screen
    return saved;
}

} // namespace morwick::display
