#include "cli/png_file.h"

#include <cstdint>
#include <memory>

#include "core/replacing_file.h"

// The one place the PNG encoder is compiled. It writes through a callback, so
// the file itself is opened (and replaced) by our own code.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
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
  // The encoder's quickest setting: previews are written on every inspection,
  // and its best compression saves little on shaded relief.
  constexpr int kQuickestCompression = 5;
  stbi_write_png_compression_level = kQuickestCompression;
  if (stbi_write_png_to_func(WriteToFile, file.get(), image.width, image.height, kChannels,
                             image.pixels.data(), image.width * kChannels) == 0) {
    return false;
  }
  return file->Commit();
}

}  // namespace kem::cli
