#include "core/file_lookup.h"
#include "core/file_problems.h"

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

TEST_P(FindDataFileTest, LooksInTheProjectThenHereThenInTheSettings) {
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

INSTANTIATE_TEST_SUITE_P(Folders, FindDataFileTest,
                         testing::Values(DataCase{"Everywhere", true, true, true, "project"},
                                         DataCase{"HereAndSettings", true, false, true, "here"},
                                         DataCase{"SettingsOnly", false, false, true, "settings"},
                                         DataCase{"Nowhere", false, false, false, "here"}),
                         [](const testing::TestParamInfo<DataCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(FileLookup, ImagesAreFoundBesideTheProjectThenHereButNeverInTheSettings) {
  Places places;
  places.Put("here", "maps/h.tga");
  places.Put("settings", "g.tga");
  EXPECT_EQ(FindProjectFile("maps/h.tga", places.lookup), "maps/h.tga");
  EXPECT_EQ(FindProjectFile("g.tga", places.lookup), "g.tga");
  EXPECT_EQ(AmbiguityNote("maps/h.tga", places.lookup, false), "");
  // A file of the same name here is not the project's.
  places.Put("project", "maps/h.tga");
  EXPECT_EQ(FindProjectFile("maps/h.tga", places.lookup), places.In("project", "maps/h.tga"));
  // The note names each place as the system writes paths.
  const auto shown = [](const std::string& path) {
    return std::filesystem::path(path).make_preferred().string();
  };
  EXPECT_EQ(AmbiguityNote("maps/h.tga", places.lookup, false),
            "maps/h.tga: using " + shown(places.In("project", "maps/h.tga")) + ", not " +
                shown(places.In("here", "maps/h.tga")));
  const std::string absolute = places.In("project", "maps/h.tga");
  EXPECT_EQ(SearchPlaces(absolute, places.lookup, true), std::vector<std::string>{absolute});
  // Without a project, the current folder only.
  EXPECT_EQ(SearchPlaces("h.tga", FileLookup{}, true), std::vector<std::string>{"h.tga"});
}

TEST(FileLookup, AnOutputGoesBesideTheProjectUnlessOnlyItsFolderHereExists) {
  Places places;
  places.Put("here", "old.gnd");
  places.Put("here", "out/x");
  EXPECT_EQ(FindOutputPlace("old.gnd", places.lookup), places.In("project", "old.gnd"));
  EXPECT_EQ(FindOutputPlace("maps/new.gnd", places.lookup), places.In("project", "maps/new.gnd"));
  EXPECT_EQ(FindOutputPlace("out/new.gnd", places.lookup), "out/new.gnd");
  EXPECT_EQ(FindOutputPlace("none/new.gnd", places.lookup), places.In("project", "none/new.gnd"));
  EXPECT_EQ(FindOutputPlace("new.gnd", FileLookup{}), "new.gnd");
}

TEST(FileLookup, AProjectFolderIsAbsolute) {
  Places places;
  places.Put("here", "proj/p.kem");
  EXPECT_EQ(LookupForProject("proj/p.kem").projectFolder, places.In("here", "proj"));
  // A project in the current folder: the two folders are one place.
  const FileLookup here{LookupForProject("p.kem").projectFolder, ""};
  EXPECT_EQ(SearchPlaces("h.tga", here, false),
            std::vector<std::string>{places.In("here", "h.tga")});
}

// The detail line names every place tried and why each failed.
TEST(FileProblems, DetailNamesThePlacesAndTheReasons) {
  Places places;
  EXPECT_EQ(OpenProblemDetail("h.tga", places.lookup, false),
            places.In("project", "h.tga") + ": no such file; " + places.In("here", "h.tga") +
                ": no such file");
  places.Put("here", "store/x");
  EXPECT_EQ(OpenProblemDetail("store", places.lookup, false),
            places.In("here", "store") + ": is a folder");
  EXPECT_EQ(OpenProblemDetail("", places.lookup, false), "");
  EXPECT_EQ(OutputProblem("none/o.gnd"),
            "the folder " + places.In("here", "none") + " does not exist");
  EXPECT_EQ(OutputProblem("store"), places.In("here", "store") + " is a folder");
  EXPECT_EQ(OutputProblem(""), "no output file is named");
  EXPECT_EQ(OutputProblem("o.gnd"), "");
}

}  // namespace
}  // namespace kem
