// The program-wide texture table, loaded from textures.txt, and matching of
// guide colours to texture slots.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kem {

class Host;

struct TextureEntry {
  std::int32_t keyA = 0;  // 0 ends the table
  std::int32_t keyB = 0;
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  float hue = 0.0f;
  float saturation = 0.0f;
  float value = 0.0f;
};

inline constexpr int kTextureTableCapacity = 128;  // entries loaded at most
inline constexpr int kMatchedTextures = 64;        // entries that can be chosen

// 128 entries and one more that only ever holds the end marker.
struct TextureTable {
  std::array<TextureEntry, kTextureTableCapacity + 1> entries{};
};

inline constexpr const char* kTextureListFile = "textures.txt";

// The one table of the program, zero-filled at start, never freed.
TextureTable& ProgramTextureTable();

// Reloads the program table in place and returns it. An empty guide path
// gives an empty table without reading anything; a list that is missing or
// cannot be read shows an information box and gives an empty table; an
// unreadable entry ends the loading there with an information box. Never fails.
const TextureTable& MakeTextureTable(const std::string& texturingGuidePath, Host& host,
                                     const std::string& listPath = kTextureListFile);

// Loads `table` in place the same way, for a caller that keeps its own
// table (the project survey, which must not disturb a run's).
void LoadTextureTable(TextureTable& table, const std::string& texturingGuidePath, Host& host,
                      const std::string& listPath = kTextureListFile);

// Distance of two HSV colours: a third of each of the differences of hue / 360,
// saturation and value, rounded to a 32-bit float. Hue is not wrapped.
float ColourDistance(float hueA, float satA, float valA, float hueB, float satB, float valB);

// Texture slot (1-based position among the first 64 entries) whose colour is
// nearest; 0 for an empty table or when the nearest entry has both keys -1.
std::uint16_t MatchTexture(const TextureTable& table, float hue, float saturation, float value);

}  // namespace kem
