// Reads a PNG file back into a picture, so tests can look at its pixels.
#pragma once

#include <string>

#include "core/relief_image.h"

namespace kem::test {

// The picture in the 8-bit RGB PNG file at `path`; 0 x 0 when it cannot be
// decoded.
RgbImage DecodePng(const std::string& path);

}  // namespace kem::test
