#include "core/project_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "core/project_settings.h"
#include "support/test_support.h"

namespace kem {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A settings whose fourteen fields all differ from a new project's, with strings in
// each of the three length forms.
void FillSettings(ProjectSettings& settings) {
  settings.heightMapPath = "/maps/vale.tga";
  settings.reservedA = 7;
  settings.minimapPath = std::string(300, 'm');
  settings.reservedB = -8;
  settings.randomizeTextures = 1;
  settings.texturingGuidePath = std::string(70000, 't');
  settings.reservedC = 0x12345678;
  settings.filterRadius = 5;
  settings.filterGuidePath = "filter guide.tga";
  settings.outputPath = "out/vale.gnd";
  settings.baseHeight = -12.5f;
  settings.maxHeight = 812.25f;
  settings.dataFormat = k24BitHeightCoding;
  settings.interpolate = 0;
}

TEST(ProjectFile, NewProjectIsTheFortyOneByteFile) {
  ProjectSettings settings;
  const Bytes expected = {0x00,                     // heightMapPath
                          0x00, 0x00, 0x00, 0x00,   // reservedA
                          0x00,                     // minimapPath
                          0x00, 0x00, 0x00, 0x00,   // reservedB
                          0x00, 0x00, 0x00, 0x00,   // randomizeTextures
                          0x00,                     // texturingGuidePath
                          0x00, 0x00, 0x00, 0x00,   // reservedC
                          0x02, 0x00, 0x00, 0x00,   // filterRadius
                          0x00,                     // filterGuidePath
                          0x00,                     // outputPath
                          0x00, 0x00, 0x00, 0x00,   // baseHeight
                          0x00, 0x00, 0x00, 0x00,   // maxHeight
                          0x02, 0x00, 0x00, 0x00,   // dataFormat
                          0x01, 0x00, 0x00, 0x00};  // interpolate
  EXPECT_EQ(EncodeProject(settings), expected);
}

TEST(ProjectSettings, DefaultIsANewProjectAndComparesByValue) {
  ProjectSettings filled;
  FillSettings(filled);
  ProjectSettings read;
  ASSERT_TRUE(DecodeProject(EncodeProject(filled), read));
  EXPECT_EQ(read, filled);
  EXPECT_NE(read, ProjectSettings{});
  ProjectSettings copy = read;
  copy.reservedB += 1;
  EXPECT_NE(copy, read);
}

TEST(ProjectSettings, EachFieldOfTheTableIsADifferentMember) {
  ProjectSettings filled;
  FillSettings(filled);
  ProjectSettings all;
  for (std::size_t i = 0; i < kProjectFieldCount; ++i) {
    ProjectSettings one;
    CopyProjectField(i, filled, one);
    EXPECT_NE(one, ProjectSettings{}) << kProjectFields[i].name;
    CopyProjectField(i, filled, all);
  }
  EXPECT_EQ(all, filled);
  EXPECT_EQ(ProjectFieldIndex(&ProjectSettings::heightMapPath), 0u);
  EXPECT_EQ(ProjectFieldIndex(&ProjectSettings::interpolate), 13u);
}

TEST(ProjectFile, HeightsAreLittleEndianSinglePrecision) {
  ProjectSettings settings;
  settings.baseHeight = -1000.0f;
  settings.maxHeight = 9000.0f;
  const Bytes bytes = EncodeProject(settings);
  ASSERT_EQ(bytes.size(), 41u);
  EXPECT_EQ(Bytes(bytes.begin() + 25, bytes.begin() + 29), (Bytes{0x00, 0x00, 0x7A, 0xC4}));
  EXPECT_EQ(Bytes(bytes.begin() + 29, bytes.begin() + 33), (Bytes{0x00, 0xA0, 0x0C, 0x46}));
}

struct LengthForm {
  std::size_t length;
  Bytes prefix;
};

TEST(ProjectFile, StringLengthTakesTheFormOfItsSize) {
  const std::vector<LengthForm> forms = {
      {0, {0x00}},
      {1, {0x01}},
      {254, {0xFE}},
      {255, {0xFF, 0xFF, 0x00}},
      {256, {0xFF, 0x00, 0x01}},
      {65533, {0xFF, 0xFD, 0xFF}},
      {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
      {65535, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
      {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
  };
  for (const auto& form : forms) {
    SCOPED_TRACE(form.length);
    ProjectSettings settings;
    settings.heightMapPath.assign(form.length, 'x');
    const Bytes bytes = EncodeProject(settings);
    ASSERT_EQ(bytes.size(), 40 + form.prefix.size() + form.length);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + static_cast<long>(form.prefix.size())),
              form.prefix);

    ProjectSettings read;
    ASSERT_TRUE(DecodeProject(bytes, read));
    EXPECT_EQ(read.heightMapPath, settings.heightMapPath);
    EXPECT_EQ(EncodeProject(read), bytes);
  }
}

TEST(ProjectFile, ReadsEveryFieldBackAndWritesIdenticalBytes) {
  ProjectSettings settings;
  FillSettings(settings);
  const Bytes bytes = EncodeProject(settings);

  ProjectSettings read;
  ASSERT_TRUE(DecodeProject(bytes, read));
  EXPECT_EQ(read.heightMapPath, settings.heightMapPath);
  EXPECT_EQ(read.reservedA, 7);
  EXPECT_EQ(read.minimapPath, settings.minimapPath);
  EXPECT_EQ(read.reservedB, -8);
  EXPECT_EQ(read.randomizeTextures, 1);
  EXPECT_EQ(read.texturingGuidePath, settings.texturingGuidePath);
  EXPECT_EQ(read.reservedC, 0x12345678);
  EXPECT_EQ(read.filterRadius, 5);
  EXPECT_EQ(read.filterGuidePath, settings.filterGuidePath);
  EXPECT_EQ(read.outputPath, settings.outputPath);
  EXPECT_EQ(read.baseHeight, -12.5f);
  EXPECT_EQ(read.maxHeight, 812.25f);
  EXPECT_EQ(read.dataFormat, k24BitHeightCoding);
  EXPECT_EQ(read.interpolate, 0);
  EXPECT_EQ(EncodeProject(read), bytes);
}

TEST(ProjectFile, KeepsOutOfRangeValuesAndNanAsRead) {
  ProjectSettings settings;
  settings.dataFormat = 9;
  settings.filterRadius = -3;
  settings.randomizeTextures = 42;
  settings.baseHeight = std::nanf("");
  const Bytes bytes = EncodeProject(settings);

  ProjectSettings read;
  ASSERT_TRUE(DecodeProject(bytes, read));
  EXPECT_EQ(read.dataFormat, 9);
  EXPECT_EQ(read.filterRadius, -3);
  EXPECT_EQ(read.randomizeTextures, 42);
  EXPECT_TRUE(std::isnan(read.baseHeight));
  EXPECT_EQ(EncodeProject(read), bytes);
}

TEST(ProjectFile, AcceptsWiderLengthFormsForShortStrings) {
  ProjectSettings reference;
  reference.heightMapPath = "abc";
  Bytes tail = EncodeProject(reference);
  tail.erase(tail.begin(), tail.begin() + 4);  // drop the one-byte form and "abc"

  const std::vector<Bytes> prefixes = {
      {0xFF, 0x03, 0x00},
      {0xFF, 0xFF, 0xFF, 0x03, 0x00, 0x00, 0x00},
  };
  for (const auto& prefix : prefixes) {
    Bytes bytes = prefix;
    bytes.insert(bytes.end(), {'a', 'b', 'c'});
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    ProjectSettings read;
    ASSERT_TRUE(DecodeProject(bytes, read));
    EXPECT_EQ(read.heightMapPath, "abc");
  }
}

TEST(ProjectFile, IgnoresBytesAfterTheLastField) {
  ProjectSettings settings;
  FillSettings(settings);
  Bytes bytes = EncodeProject(settings);
  const Bytes exact = bytes;
  bytes.insert(bytes.end(), {1, 2, 3, 4, 5});
  ProjectSettings read;
  ASSERT_TRUE(DecodeProject(bytes, read));
  EXPECT_EQ(EncodeProject(read), exact);
}

TEST(ProjectFile, RefusesEveryTruncatedFileAndKeepsTheSettings) {
  ProjectSettings source;
  FillSettings(source);
  source.texturingGuidePath.assign(65534, 't');
  const Bytes bytes = EncodeProject(source);

  ProjectSettings settings;
  settings.heightMapPath = "previous.tga";
  settings.outputPath = "previous.gnd";
  settings.maxHeight = 50.0f;
  const Bytes before = EncodeProject(settings);

  for (std::size_t size = 0; size < bytes.size(); ++size) {
    ASSERT_FALSE(DecodeProject(std::span(bytes.data(), size), settings)) << size;
    ASSERT_EQ(EncodeProject(settings), before) << size;
  }
  EXPECT_TRUE(DecodeProject(bytes, settings));
}

TEST(ProjectFile, RefusesHostileLengthsWithoutAllocatingThem) {
  const std::vector<Bytes> files = {
      {0xFF},
      {0xFF, 0xFF},
      {0xFF, 0xFF, 0xFF},
      {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
      {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF},
      {0xFF, 0xFD, 0xFF, 'a', 'b'},
      {0x05, 'a', 'b'},
      // a complete first string and integer, then a 4 GB minimap path
      {0x00, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0},
  };
  for (const auto& bytes : files) {
    ProjectSettings settings;
    settings.heightMapPath = "kept";
    EXPECT_FALSE(DecodeProject(bytes, settings));
    EXPECT_EQ(settings.heightMapPath, "kept");
  }
}

TEST(ProjectFile, SavesAndLoadsThroughAFile) {
  test::TempDir dir;
  const std::string path = dir.File("vale project");
  ProjectSettings settings;
  FillSettings(settings);
  ASSERT_TRUE(SaveProjectFile(path, settings));
  EXPECT_EQ(test::ReadFile(path), EncodeProject(settings));

  ProjectSettings read;
  ASSERT_TRUE(LoadProjectFile(path, read));
  EXPECT_EQ(EncodeProject(read), EncodeProject(settings));

  // Saving again replaces the file and leaves nothing else beside it.
  settings.outputPath = "second.gnd";
  ASSERT_TRUE(SaveProjectFile(path, settings));
  EXPECT_EQ(test::ReadFile(path), EncodeProject(settings));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(ProjectFile, SavingOverAProjectKeepsItsPermissions) {
  KEM_SKIP_ON_WINDOWS("Windows files have a read-only flag, not permission bits");
  namespace fs = std::filesystem;
  test::TempDir dir;
  const std::string path = dir.File("project");
  ProjectSettings settings;
  ASSERT_TRUE(SaveProjectFile(path, settings));
  const auto kept = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(path, kept);
  settings.maxHeight = 3.0f;
  ASSERT_TRUE(SaveProjectFile(path, settings));
  EXPECT_EQ(fs::status(path).permissions(), kept);
  EXPECT_EQ(test::ReadFile(path), EncodeProject(settings));
}

TEST(ProjectFile, FailedSaveLeavesNothingBehind) {
  test::TempDir dir;
  ProjectSettings settings;
  EXPECT_FALSE(SaveProjectFile("", settings));
  EXPECT_FALSE(SaveProjectFile(dir.File("missing/project"), settings));

  // A folder in the way cannot be replaced: it stays, and no temporary file is left.
  const std::string folder = dir.File("taken");
  std::filesystem::create_directory(folder);
  test::WriteText(folder + "/inside", "x");
  EXPECT_FALSE(SaveProjectFile(folder, settings));
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(ProjectFile, LoadRefusesUnreadableFilesAndKeepsTheSettings) {
  test::TempDir dir;
  ProjectSettings saved;
  FillSettings(saved);
  Bytes truncated = EncodeProject(saved);
  truncated.pop_back();
  test::WriteFile(dir.File("truncated"), truncated);
  test::WriteFile(dir.File("empty"), {});

  // Valid fields followed by more than the size limit.
  test::WriteFile(dir.File("huge"), EncodeProject(saved));
  std::filesystem::resize_file(dir.File("huge"), kMaxProjectFileSize + 1);

  for (const char* name : {"missing", "truncated", "empty", "huge", ""}) {
    SCOPED_TRACE(name);
    ProjectSettings settings;
    settings.heightMapPath = "kept";
    EXPECT_FALSE(LoadProjectFile(*name ? dir.File(name) : std::string(), settings));
    EXPECT_EQ(settings.heightMapPath, "kept");
  }
  ProjectSettings settings;
  EXPECT_FALSE(LoadProjectFile(dir.path().string(), settings));
}

TEST(ProjectFile, DescribesTheFourteenFieldsByName) {
  ProjectSettings settings;
  settings.heightMapPath = "/x/y.tga";
  settings.outputPath = "/x/y.gnd";
  settings.baseHeight = -1000.0f;
  settings.maxHeight = 812.25f;
  EXPECT_EQ(DescribeProject(settings),
            "heightMapPath: /x/y.tga\n"
            "reservedA: 0\n"
            "minimapPath: \n"
            "reservedB: 0\n"
            "randomizeTextures: 0\n"
            "texturingGuidePath: \n"
            "reservedC: 0\n"
            "filterRadius: 2\n"
            "filterGuidePath: \n"
            "outputPath: /x/y.gnd\n"
            "baseHeight: -1000\n"
            "maxHeight: 812.25\n"
            "dataFormat: 2\n"
            "interpolate: 1\n");
}

}  // namespace
}  // namespace kem
