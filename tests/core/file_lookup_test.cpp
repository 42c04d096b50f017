#include "core/file_lookup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/test_support.h"

namespace kem {
namespace {

namespace fs = std::filesystem;

// A current folder, a project folder and a settings folder, each holding the
// files named, made current for the test.
class Places {
 public:
  Places() {
    fs::create_directories(root_.path() / "here");
    fs::create_directories(root_.path() / "project" / "maps");
    fs::create_directories(root_.path() / "settings");
    fs::current_path(root_.path() / "here");
    lookup.projectFolder = (root_.path() / "project").string();
    lookup.settingsFolder = (root_.path() / "settings").string();
  }
  ~Places() { fs::current_path(previous_); }

  void Put(const std::string& folder, const std::string& name) {
    fs::create_directories((root_.path() / folder / name).parent_path());
    test::WriteText((root_.path() / folder / name).string(), "x");
  }
  std::string In(const std::string& folder, const std::string& name) const {
    return (root_.path() / folder / name).string();
  }

  FileLookup lookup;

 private:
  fs::path previous_ = fs::current_path();
  test::TempDir root_;
};

// Which folders hold the file, and where it must be found.
struct DataCase {
  const char* name;
  bool here, project, settings;
  const char* expected;  // "here" (the name as given), "project", "settings"
};

class FindDataFileTest : public testing::TestWithParam<DataCase> {};

TEST_P(FindDataFileTest, LooksHereThenInTheProjectThenInTheSettings) {
  const DataCase& c = GetParam();
  Places places;
  for (auto [folder, holds] : {std::pair{"here", c.here}, std::pair{"project", c.project},
                               std::pair{"settings", c.settings}}) {
    if (holds) {
      places.Put(folder, "tile_blank.dat");
    }
  }
  const std::string expected = std::string(c.expected) == "here"
                                   ? "tile_blank.dat"
                                   : places.In(c.expected, "tile_blank.dat");
  EXPECT_EQ(FindDataFile("tile_blank.dat", places.lookup), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, FindDataFileTest,
    testing::Values(DataCase{"Everywhere", true, true, true, "here"},
                    DataCase{"ProjectAndSettings", false, true, true, "project"},
                    DataCase{"SettingsOnly", false, false, true, "settings"},
                    DataCase{"Nowhere", false, false, false, "here"}),
    [](const testing::TestParamInfo<DataCase>& info) { return std::string(info.param.name); });

TEST(FileLookup, ImagesAreFoundHereThenBesideTheProjectButNeverInTheSettings) {
  Places places;
  places.Put("project", "maps/h.tga");
  places.Put("settings", "g.tga");
  EXPECT_EQ(FindProjectFile("maps/h.tga", places.lookup), places.In("project", "maps/h.tga"));
  EXPECT_EQ(FindProjectFile("g.tga", places.lookup), "g.tga");
  places.Put("here", "maps/h.tga");
  EXPECT_EQ(FindProjectFile("maps/h.tga", places.lookup), "maps/h.tga");
  const std::string absolute = places.In("project", "maps/h.tga");
  EXPECT_EQ(SearchPlaces(absolute, places.lookup, true), std::vector<std::string>{absolute});
}

TEST(FileLookup, AnOutputGoesWhereItIsElseWhereItsFolderIs) {
  Places places;
  EXPECT_EQ(FindOutputPlace("new.gnd", places.lookup), "new.gnd");
  EXPECT_EQ(FindOutputPlace("maps/new.gnd", places.lookup), places.In("project", "maps/new.gnd"));
  places.Put("project", "old.gnd");
  EXPECT_EQ(FindOutputPlace("old.gnd", places.lookup), places.In("project", "old.gnd"));
  EXPECT_EQ(FindOutputPlace("none/new.gnd", places.lookup), "none/new.gnd");
}

}  // namespace
}  // namespace kem
