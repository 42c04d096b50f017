#include "core/texture_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/colour.h"
#include "support/test_support.h"

namespace kem {
namespace {

using test::RecordingHost;
using test::TempDir;

const std::string kCaption = "Vurazuz.MakeTextureTable";
const std::string kMissingText =
    "The texture list appears to be missing.\n\n"
    "The terrain generator was unable to find file textures.txt in the current folder.\n"
    "As this file stores information about textures which should be used to paint\n"
    "the terrain, it will cause the generated route to be left unpainted.";
const std::string kUnreadableText =
    "The texture list textures.txt has an unreadable entry; the entries from there on are not "
    "used.";

// Number of entries before the end marker.
int TableLength(const TextureTable& table) {
  int length = 0;
  while (length <= kTextureTableCapacity && table.entries[length].keyA != 0) {
    ++length;
  }
  return length;
}

const TextureTable& Load(const std::string& text, RecordingHost& host, TempDir& dir) {
  test::WriteText(dir.File("textures.txt"), text);
  return MakeTextureTable("guide.tga", host, dir.File("textures.txt"));
}

std::string Entries(int count, int firstKey = 1) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += std::to_string(firstKey + i) + ":" + std::to_string(2000 + i) + " " +
            std::to_string(i % 256) + "," + std::to_string((3 * i) % 256) + ",7\n";
  }
  return text;
}

TEST(TextureTable, LoadsEntriesWithTheirColourAnalysis) {
  TempDir dir;
  RecordingHost host;
  const TextureTable& table = Load("-25:2001 70,110,200\n-25:2005 245,245,245\n", host, dir);
  EXPECT_TRUE(host.events.empty());
  ASSERT_EQ(TableLength(table), 2);
  const TextureEntry& first = table.entries[0];
  EXPECT_EQ(first.keyA, -25);
  EXPECT_EQ(first.keyB, 2001);
  EXPECT_EQ(first.red, 70);
  EXPECT_EQ(first.green, 110);
  EXPECT_EQ(first.blue, 200);
  const HsvColour hsv = RgbToHsv(70, 110, 200);
  EXPECT_EQ(first.hue, hsv.hue);
  EXPECT_EQ(first.saturation, hsv.saturation);
  EXPECT_EQ(first.value, hsv.value);
  EXPECT_EQ(table.entries[1].hue, -1.0f);
  EXPECT_EQ(&table, &ProgramTextureTable());
}

TEST(TextureTable, EmptyGuidePathGivesAnEmptyTableWithoutReading) {
  TempDir dir;
  RecordingHost host;
  Load(Entries(5), host, dir);
  const TextureTable& table = MakeTextureTable("", host, dir.File("absent.txt"));
  EXPECT_EQ(TableLength(table), 0);
  EXPECT_TRUE(host.events.empty());
}

TEST(TextureTable, MissingOrUnreadableListShowsTheInformationBoxAndGivesAnEmptyTable) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("folder.txt"));
  for (const char* list : {"absent.txt", "folder.txt"}) {
    SCOPED_TRACE(list);
    RecordingHost host;
    Load(Entries(5), host, dir);
    const TextureTable& table = MakeTextureTable("guide.tga", host, dir.File(list));
    EXPECT_EQ(TableLength(table), 0);
    ASSERT_EQ(host.events.size(), 1u);
    EXPECT_EQ(host.events[0].kind, "information");
    EXPECT_EQ(host.events[0].caption, kCaption);
    EXPECT_EQ(host.events[0].text, kMissingText);
  }
}

TEST(TextureTable, ReadsTheListFromTheCurrentFolderByDefault) {
  TempDir dir;
  dir.Chdir();
  test::WriteText("textures.txt", Entries(3));
  RecordingHost host;
  EXPECT_EQ(TableLength(MakeTextureTable("guide.tga", host)), 3);
  EXPECT_TRUE(host.events.empty());
}

TEST(TextureTable, KeepsAtMost128EntriesAndMarksTheEndAfterThem) {
  TempDir dir;
  RecordingHost host;
  const TextureTable& table = Load(Entries(130) + "garbage", host, dir);
  EXPECT_TRUE(host.events.empty());
  EXPECT_EQ(TableLength(table), 128);
  EXPECT_EQ(table.entries[127].keyA, 128);
  EXPECT_EQ(table.entries[128].keyA, 0);
}

TEST(TextureTable, ReloadingAShorterListEndsItWhereItStops) {
  TempDir dir;
  RecordingHost host;
  Load(Entries(40), host, dir);
  const TextureTable& table = Load(Entries(3, 500), host, dir);
  EXPECT_EQ(TableLength(table), 3);
  EXPECT_EQ(table.entries[2].keyA, 502);
}

struct ParseCase {
  std::string text;
  int entries;      // complete entries kept
  bool unreadable;  // information box about an unreadable entry
};

TEST(TextureTable, ReadsEntriesTheWayFormattedInputDoes) {
  const std::vector<ParseCase> cases = {
      {"", 0, false},
      {" \n\t\r\n\v\f ", 0, false},
      {"1:2 3,4,5", 1, false},
      {"1:2 3,4,5\r\n6:7 8,9,10\r\n", 2, false},
      {"1:2 3,4,5 6:7 8,9,10", 2, false},
      {"1:\n 2\n3,\n\t4,\n5\n", 1, false},
      {"1:2 3, 4, 5", 1, false},
      {"1:2 3,4,5\n6:7 8,9", 1, true},
      {"1:2 3,4,5\n6:7 8,9,", 1, true},
      {"1:2 3,4,5\n6:", 1, true},
      {"1:2 3,4,5\n6", 1, true},
      {"1:2 3,4,5\nabc\n", 1, true},
      {"# textures\n1:2 3,4,5\n", 0, true},
      {"1 :2 3,4,5", 0, true},
      {"1:2 3 ,4,5", 0, true},
      {"1:2 3,4 ,5", 0, true},
      {"1:23,4,5", 0, true},
      {"1:2 3;4;5", 0, true},
      {"1:2 3,4,5,6\n", 1, true},
      {"1:2 3,4,5\n-", 1, true},
      {"1:2 3,4,5\n+ 6:7 8,9,10", 1, true},
      {"1:2 0x3,4,5", 0, true},
      {"1.5:2 3,4,5", 0, true},
      {std::string("1:2 3,4,5\n\0", 11), 1, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("list \"" + c.text + "\"");
    TempDir dir;
    RecordingHost host;
    Load(Entries(20, 900), host, dir);
    const TextureTable& table = Load(c.text, host, dir);
    EXPECT_EQ(TableLength(table), c.entries);
    if (c.unreadable) {
      ASSERT_EQ(host.events.size(), 1u);
      EXPECT_EQ(host.events[0].kind, "information");
      EXPECT_EQ(host.events[0].caption, kCaption);
      EXPECT_EQ(host.events[0].text, kUnreadableText);
    } else {
      EXPECT_TRUE(host.events.empty());
    }
  }
}

struct ValueCase {
  std::string text;
  std::int32_t keyA, keyB;
  int red, green, blue;
};

TEST(TextureTable, StoresSignedKeysAndTheLowByteOfEachColourNumber) {
  const std::vector<ValueCase> cases = {
      {"+1:-2 +3,300,256", 1, -2, 3, 44, 0},
      {"7:8 -1,-300,-0", 7, 8, 255, 212, 0},
      {"4294967297:-4294967297 511,4294967295,4294967296", 1, -1, 255, 255, 0},
      {"99999999999999999999:-99999999999999999999 99999999999999999999,1,2", -1, 0, 255, 1, 2},
      {"2147483647:-2147483648 0,0,0", 2147483647, -2147483647 - 1, 0, 0, 0},
      {"0012:-0 007,08,9", 12, 0, 7, 8, 9},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("list \"" + c.text + "\"");
    TempDir dir;
    RecordingHost host;
    const TextureTable& table = Load(c.text, host, dir);
    EXPECT_TRUE(host.events.empty());
    const TextureEntry& entry = table.entries[0];
    EXPECT_EQ(entry.keyA, c.keyA);
    EXPECT_EQ(entry.keyB, c.keyB);
    EXPECT_EQ(entry.red, c.red);
    EXPECT_EQ(entry.green, c.green);
    EXPECT_EQ(entry.blue, c.blue);
    EXPECT_EQ(table.entries[1].keyA, 0);
  }
}

TEST(TextureTable, EntryWithKeyZeroEndsTheTableWhereItStands) {
  TempDir dir;
  RecordingHost host;
  const TextureTable& table = Load("3:1 10,20,30\n0:5 1,2,3\n7:8 9,9,9\n", host, dir);
  EXPECT_EQ(TableLength(table), 1);
  EXPECT_EQ(MatchTexture(table, RgbToHsv(9, 9, 9).hue, 0.0f, RgbToHsv(9, 9, 9).value), 1);
}

TEST(TextureTable, WeighsEachComponentByAThirdWithoutWrappingHue) {
  const double k = 1.0f / 360.0f;
  EXPECT_EQ(ColourDistance(0, 0, 0, 0, 0, 0), 0.0f);
  EXPECT_EQ(ColourDistance(-1, 0, 0, 0, 0, 0), static_cast<float>(0.333 * k));
  EXPECT_EQ(ColourDistance(359, 1, 1, 1, 1, 1), static_cast<float>(0.333 * (359 * k - 1 * k)));
  EXPECT_EQ(ColourDistance(0, 0.25f, 0.5f, 0, 0.75f, 0),
            static_cast<float>(0.333 * 0.5 + 0.333 * 0.5));
  EXPECT_EQ(ColourDistance(200.5f, 0.25f, 0.75f, 13.25f, 0.5f, 0.125f), 0x1.dbbb30p-2f);
  EXPECT_EQ(ColourDistance(10, 0.5f, 0.5f, 20, 0.25f, 0.75f),
            ColourDistance(20, 0.25f, 0.75f, 10, 0.5f, 0.5f));
  EXPECT_LT(ColourDistance(-1, 0, 0, 359.99f, 1, 1), 1.0f);
}

TextureTable TableOf(const std::vector<std::array<int, 5>>& entries) {
  TextureTable table;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    TextureEntry& entry = table.entries[i];
    entry.keyA = entries[i][0];
    entry.keyB = entries[i][1];
    const HsvColour hsv = RgbToHsv(entries[i][2], entries[i][3], entries[i][4]);
    entry.hue = hsv.hue;
    entry.saturation = hsv.saturation;
    entry.value = hsv.value;
  }
  table.entries[entries.size()].keyA = 0;
  return table;
}

std::uint16_t Match(const TextureTable& table, int red, int green, int blue) {
  const HsvColour hsv = RgbToHsv(red, green, blue);
  return MatchTexture(table, hsv.hue, hsv.saturation, hsv.value);
}

TEST(TextureTable, PicksTheNearestColourAndTheEarliestOfEqualOnes) {
  const TextureTable table =
      TableOf({{1, 1, 255, 0, 0}, {2, 2, 0, 255, 0}, {3, 3, 0, 255, 0}, {4, 4, 0, 0, 255}});
  EXPECT_EQ(Match(table, 250, 10, 10), 1);
  EXPECT_EQ(Match(table, 0, 255, 0), 2);
  EXPECT_EQ(Match(table, 20, 200, 30), 2);
  EXPECT_EQ(Match(table, 0, 0, 128), 4);
}

TEST(TextureTable, DoesNotWrapHueAroundTheCircle) {
  TextureTable table;
  table.entries[0] = {1, 1, 0, 0, 0, 1.0f, 0.5f, 0.5f};
  table.entries[1] = {2, 2, 0, 0, 0, 340.0f, 0.5f, 0.5f};
  EXPECT_EQ(MatchTexture(table, 359.0f, 0.5f, 0.5f), 2);
}

TEST(TextureTable, NoTextureEntryAndEmptyTableGiveZero) {
  const TextureTable table = TableOf({{1, 1, 255, 0, 0}, {-1, -1, 0, 0, 255}, {-1, 5, 0, 255, 0}});
  EXPECT_EQ(Match(table, 10, 10, 250), 0);
  EXPECT_EQ(Match(table, 10, 250, 10), 3);
  EXPECT_EQ(Match(table, 250, 10, 10), 1);
  EXPECT_EQ(Match(TableOf({}), 250, 10, 10), 0);
}

TEST(TextureTable, OnlyTheFirst64EntriesCanBeChosen) {
  std::vector<std::array<int, 5>> entries(70, {1, 1, 128, 128, 128});
  entries[66] = {5, 5, 255, 0, 0};
  const TextureTable table = TableOf(entries);
  EXPECT_EQ(Match(table, 255, 0, 0), 1);
  for (int red = 0; red < 256; red += 15) {
    EXPECT_LE(Match(table, red, 255 - red, red / 2), kMatchedTextures);
  }
}

}  // namespace
}  // namespace kem
