#include "core/project_relocation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/test_support.h"

namespace kem {
namespace {

namespace fs = std::filesystem;

// A project in data/ with its files, saved into another folder: each path that
// names a file names the same file from there; the rest stay as typed.
TEST(ProjectRelocation, RewritesEachPathThatNamesAFileForTheNewFolder) {
  test::TempDir root;
  fs::create_directories(root.path() / "data" / "maps");
  fs::create_directories(root.path() / "work" / "copy");
  test::WriteText(root.File("data/maps/h.tga"), "x");
  test::WriteText(root.File("data/old.gnd"), "x");
  test::WriteText(root.File("work/guide.tga"), "x");  // found through the current folder
  const fs::path previous = fs::current_path();
  fs::current_path(root.path() / "work");

  ProjectSettings settings;
  settings.heightMapPath = "maps/h.tga";
  settings.texturingGuidePath = "guide.tga";
  settings.minimapPath = "missing.tga";
  settings.filterGuidePath = root.File("data/maps/h.tga");
  settings.outputPath = "old.gnd";
  const FileLookup from{root.File("data"), ""};

  const RelocatedProject moved = RelocateProject(settings, from, root.File("work/copy"));
  EXPECT_EQ(moved.rewritten, 3);
  EXPECT_EQ(fs::path(moved.settings.heightMapPath), fs::path("../../data/maps/h.tga"));
  EXPECT_EQ(fs::path(moved.settings.texturingGuidePath), fs::path("../guide.tga"));
  EXPECT_EQ(moved.settings.minimapPath, "missing.tga");
  EXPECT_EQ(moved.settings.filterGuidePath, settings.filterGuidePath);
  EXPECT_EQ(fs::path(moved.settings.outputPath), fs::path("../../data/old.gnd"));

  // Read from the new folder, the rewritten paths name the same files.
  const FileLookup to{root.File("work/copy"), ""};
  EXPECT_EQ(fs::canonical(FindProjectFile(moved.settings.heightMapPath, to)),
            fs::canonical(root.File("data/maps/h.tga")));
  EXPECT_EQ(fs::canonical(FindProjectFile(moved.settings.texturingGuidePath, to)),
            fs::canonical(root.File("work/guide.tga")));

  // Saved into the same folder, nothing changes.
  EXPECT_EQ(RelocateProject(settings, from, root.File("data")).rewritten, 0);
  fs::current_path(previous);
}

}  // namespace
}  // namespace kem
