// Saves a picture as a PNG file.
#pragma once

#include <string>

#include "core/relief_image.h"

namespace kem::cli {

// Writes `image` (at least 1 x 1) as an 8-bit RGB PNG file at `path`. The file
// is written beside the path and moved over it only when complete. Returns
// false, leaving nothing behind, when it cannot be written.
bool WritePngFile(const std::string& path, const RgbImage& image);

}  // namespace kem::cli
