// PNG files to and from surfaces through libpng.
#pragma once

#include "platform/win/Surface.h"

#include <string>

namespace morwick::display {

// Decodes a PNG file into 0xAARRGGBB pixels (straight alpha); false when unreadable.
bool LoadPng(const std::string& path, Surface& out);
bool DecodePng(const void* data, size_t size, Surface& out);
// Writes a PNG of the surface, opaque (screens) unless keepAlpha; false on failure.
bool SavePng(const std::string& path, const Surface& surface, bool keepAlpha = false);

} // namespace morwick::display
