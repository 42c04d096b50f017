#include "cli/png_decode.h"

#include <cstdio>
#include <memory>

#include "support/test_support.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb_image.h>

namespace kem::test {

RgbImage DecodePng(const std::string& path) {
  const std::vector<std::uint8_t> bytes = ReadFile(path);
  int width = 0;
  int height = 0;
  int channels = 0;
  const std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
      stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height,
                            &channels, 3),
      stbi_image_free);
  RgbImage image;
  if (pixels && channels == 3) {
    image.width = width;
    image.height = height;
    image.pixels.assign(pixels.get(), pixels.get() + static_cast<std::size_t>(width) * height * 3);
  }
  return image;
}

}  // namespace kem::test
