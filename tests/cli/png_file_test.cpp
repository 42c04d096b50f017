// The PNG writer: the file decodes to the very picture it was given.
#include "cli/png_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

#include "cli/png_decode.h"
#include "support/test_support.h"

namespace kem::test {
namespace {

TEST(PngFile, DecodesToThePictureItWasGiven) {
  TempDir dir;
  RgbImage image;
  image.width = 7;
  image.height = 5;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      image.pixels.insert(image.pixels.end(),
                          {static_cast<std::uint8_t>(30 * x), static_cast<std::uint8_t>(50 * y),
                           static_cast<std::uint8_t>(200 + x + y)});
    }
  }
  ASSERT_TRUE(cli::WritePngFile(dir.File("p.png"), image));
  const RgbImage decoded = DecodePng(dir.File("p.png"));
  EXPECT_EQ(decoded.width, image.width);
  EXPECT_EQ(decoded.height, image.height);
  EXPECT_EQ(decoded.pixels, image.pixels);

  EXPECT_FALSE(cli::WritePngFile(dir.File("empty.png"), RgbImage{}));
  EXPECT_FALSE(std::filesystem::exists(dir.File("empty.png")));
}

}  // namespace
}  // namespace kem::test
