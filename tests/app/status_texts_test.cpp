#include "app/status_texts.h"

#include <cstdint>
#include <utility>

#include <gtest/gtest.h>

namespace kem::app {
namespace {

TEST(StatusTexts, SayWhereARunIsAndWhatItWrote) {
  EXPECT_EQ(ProgressText("Terraforming boards ::", 120, 400), "Terraforming boards: 120 of 400");
  EXPECT_EQ(ProgressText("Filtering boards ::", 0, 3), "Filtering boards: 0 of 3");
  EXPECT_EQ(Megabytes(19'949'999), "19.9 MB");
  EXPECT_EQ(Megabytes(0), "0.0 MB");
  EXPECT_EQ(WrittenLayoutText("/routes/vale.gnd", 162, 20'110'000),
            "Wrote /routes/vale.gnd: 162 boards, 20.1 MB");
  EXPECT_EQ(WrittenLayoutText("/one.gnd", 1, 127'110), "Wrote /one.gnd: 1 board, 0.1 MB");
  EXPECT_EQ(SavedElsewhereText("/p/vale.kem", 1),
            "Saved /p/vale.kem; 1 path rewritten for its new folder");
  EXPECT_EQ(SavedElsewhereText("/p/vale.kem", 0),
            "Saved /p/vale.kem; no path rewritten for its new folder");
  EXPECT_EQ(WrittenHeightMapText("/dem/area.xyz.tga", 292, 220, 33'412),
            "Wrote area.xyz.tga: 292 \u00d7 220 pixels, 4 \u00d7 3 boards, 33.4 KB");
}

TEST(StatusTexts, GiveAFileSizeInTheUnitThatReadsBest) {
  const std::pair<std::uint64_t, const char*> cases[] = {
      {0, "0 bytes"},      {1, "1 byte"},           {999, "999 bytes"},
      {1000, "1.0 KB"},    {33'412, "33.4 KB"},     {999'949, "999.9 KB"},
      {999'950, "1.0 MB"}, {19'949'999, "19.9 MB"}, {2'100'000'000, "2.1 GB"},
  };
  for (const auto& [bytes, text] : cases) {
    EXPECT_EQ(FileSizeText(bytes), text) << bytes;
  }
}

}  // namespace
}  // namespace kem::app
