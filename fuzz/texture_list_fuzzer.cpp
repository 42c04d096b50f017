// textures.txt parsing: any list loads into the fixed table without reading
// or writing outside it, and every guide colour matches a slot in range.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/texture_table.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kem;
  const std::string list = fuzz::WriteScratchFile(kTextureListFile, data, size);
  fuzz::QuietHost host;
  const TextureTable& table = MakeTextureTable("guide.tga", host, list);

  int entries = 0;
  while (entries < kTextureTableCapacity && table.entries[entries].keyA != 0) {
    ++entries;
  }
  fuzz::Require(table.entries[kTextureTableCapacity].keyA == 0, "the end marker was overwritten");

  // A few colours across the hue circle, grey and the extremes.
  static constexpr float kProbes[][3] = {{0.0f, 0.0f, 0.0f},   {0.0f, 1.0f, 1.0f},
                                         {120.0f, 0.5f, 0.5f}, {240.0f, 1.0f, 0.2f},
                                         {359.0f, 0.1f, 0.9f}, {60.0f, 0.0f, 1.0f}};
  const int limit = entries < kMatchedTextures ? entries : kMatchedTextures;
  for (const auto& probe : kProbes) {
    const std::uint16_t slot = MatchTexture(table, probe[0], probe[1], probe[2]);
    fuzz::Require(slot <= limit, "a colour matched a slot past the loaded entries");
  }
  return 0;
}
