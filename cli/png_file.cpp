#include "cli/png_file.h"

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "core/replacing_file.h"

namespace kem::cli {
namespace {

// The picture data goes through zlib, far quicker than the encoder's own
// deflate at a like size. Returns a buffer from malloc (the encoder frees it),
// or null when compressing fails, which fails the picture.
unsigned char* CompressWithZlib(unsigned char* data, int size, int* compressedSize,
                                int /*quality*/) {
  // A quick level: previews are drawn on every inspection, and the slower
  // levels save little on shaded relief.
  constexpr int kQuickLevel = 2;
  if (size < 0) {
    return nullptr;
  }
  uLongf bound = compressBound(static_cast<uLong>(size));
  auto* out = static_cast<unsigned char*>(std::malloc(bound));
  if (out == nullptr) {
    return nullptr;
  }
  if (compress2(out, &bound, data, static_cast<uLong>(size), kQuickLevel) != Z_OK) {
    std::free(out);
    return nullptr;
  }
  *compressedSize = static_cast<int>(bound);
  return out;
}

}  // namespace
}  // namespace kem::cli

// The one place the PNG encoder is compiled. It writes through a callback, so
// the file itself is opened (and replaced) by our own code.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#define STBIW_ZLIB_COMPRESS kem::cli::CompressWithZlib
#include <stb_image_write.h>

namespace kem::cli {
namespace {

void WriteToFile(void* context, void* data, int size) {
  static_cast<ReplacingFile*>(context)->Write(static_cast<const std::uint8_t*>(data),
                                              static_cast<std::size_t>(size));
}

}  // namespace

bool WritePngFile(const std::string& path, const RgbImage& image) {
  if (image.width < 1 || image.height < 1) {
    return false;
  }
  const std::unique_ptr<ReplacingFile> file = ReplacingFile::Create(path);
  if (!file) {
    return false;
  }
  constexpr int kChannels = 3;
  if (stbi_write_png_to_func(WriteToFile, file.get(), image.width, image.height, kChannels,
                             image.pixels.data(), image.width * kChannels) == 0) {
    return false;
  }
  return file->Commit();
}

}  // namespace kem::cli
