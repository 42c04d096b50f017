#include "core/project_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "core/terrain_job.h"
#include "support/test_support.h"

namespace kem {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A job whose fourteen fields all differ from a new project's, with strings in
// each of the three length forms.
void FillJob(TerrainJob& job) {
  job.heightMapPath = "/maps/vale.tga";
  job.reservedA = 7;
  job.minimapPath = std::string(300, 'm');
  job.reservedB = -8;
  job.randomizeTextures = 1;
  job.texturingGuidePath = std::string(70000, 't');
  job.reservedC = 0x12345678;
  job.filterRadius = 5;
  job.filterGuidePath = "filter guide.tga";
  job.outputPath = "out/vale.gnd";
  job.baseHeight = -12.5f;
  job.maxHeight = 812.25f;
  job.dataFormat = k24BitHeightCoding;
  job.interpolate = 0;
}

TEST(ProjectFile, NewProjectIsTheFortyOneByteFile) {
  TerrainJob job;
  SetNewProjectDefaults(job);
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
  EXPECT_EQ(EncodeProject(job), expected);
}

TEST(ProjectFile, HeightsAreLittleEndianSinglePrecision) {
  TerrainJob job;
  job.baseHeight = -1000.0f;
  job.maxHeight = 9000.0f;
  const Bytes bytes = EncodeProject(job);
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
    TerrainJob job;
    job.heightMapPath.assign(form.length, 'x');
    const Bytes bytes = EncodeProject(job);
    ASSERT_EQ(bytes.size(), 40 + form.prefix.size() + form.length);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + static_cast<long>(form.prefix.size())),
              form.prefix);

    TerrainJob read;
    ASSERT_TRUE(DecodeProject(bytes, read));
    EXPECT_EQ(read.heightMapPath, job.heightMapPath);
    EXPECT_EQ(EncodeProject(read), bytes);
  }
}

TEST(ProjectFile, ReadsEveryFieldBackAndWritesIdenticalBytes) {
  TerrainJob job;
  FillJob(job);
  const Bytes bytes = EncodeProject(job);

  TerrainJob read;
  SetNewProjectDefaults(read);
  ASSERT_TRUE(DecodeProject(bytes, read));
  EXPECT_EQ(read.heightMapPath, job.heightMapPath);
  EXPECT_EQ(read.reservedA, 7);
  EXPECT_EQ(read.minimapPath, job.minimapPath);
  EXPECT_EQ(read.reservedB, -8);
  EXPECT_EQ(read.randomizeTextures, 1);
  EXPECT_EQ(read.texturingGuidePath, job.texturingGuidePath);
  EXPECT_EQ(read.reservedC, 0x12345678);
  EXPECT_EQ(read.filterRadius, 5);
  EXPECT_EQ(read.filterGuidePath, job.filterGuidePath);
  EXPECT_EQ(read.outputPath, job.outputPath);
  EXPECT_EQ(read.baseHeight, -12.5f);
  EXPECT_EQ(read.maxHeight, 812.25f);
  EXPECT_EQ(read.dataFormat, k24BitHeightCoding);
  EXPECT_EQ(read.interpolate, 0);
  EXPECT_EQ(EncodeProject(read), bytes);
}

TEST(ProjectFile, KeepsOutOfRangeValuesAndNanAsRead) {
  TerrainJob job;
  job.dataFormat = 9;
  job.filterRadius = -3;
  job.randomizeTextures = 42;
  job.baseHeight = std::nanf("");
  const Bytes bytes = EncodeProject(job);

  TerrainJob read;
  ASSERT_TRUE(DecodeProject(bytes, read));
  EXPECT_EQ(read.dataFormat, 9);
  EXPECT_EQ(read.filterRadius, -3);
  EXPECT_EQ(read.randomizeTextures, 42);
  EXPECT_TRUE(std::isnan(read.baseHeight));
  EXPECT_EQ(EncodeProject(read), bytes);
}

TEST(ProjectFile, AcceptsWiderLengthFormsForShortStrings) {
  TerrainJob reference;
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
    TerrainJob read;
    ASSERT_TRUE(DecodeProject(bytes, read));
    EXPECT_EQ(read.heightMapPath, "abc");
  }
}

TEST(ProjectFile, IgnoresBytesAfterTheLastField) {
  TerrainJob job;
  FillJob(job);
  Bytes bytes = EncodeProject(job);
  const Bytes exact = bytes;
  bytes.insert(bytes.end(), {1, 2, 3, 4, 5});
  TerrainJob read;
  ASSERT_TRUE(DecodeProject(bytes, read));
  EXPECT_EQ(EncodeProject(read), exact);
}

TEST(ProjectFile, RefusesEveryTruncatedFileAndKeepsTheJob) {
  TerrainJob source;
  FillJob(source);
  source.texturingGuidePath.assign(65534, 't');
  const Bytes bytes = EncodeProject(source);

  TerrainJob job;
  SetNewProjectDefaults(job);
  job.heightMapPath = "previous.tga";
  job.outputPath = "previous.gnd";
  job.maxHeight = 50.0f;
  const Bytes before = EncodeProject(job);

  for (std::size_t size = 0; size < bytes.size(); ++size) {
    ASSERT_FALSE(DecodeProject(std::span(bytes.data(), size), job)) << size;
    ASSERT_EQ(EncodeProject(job), before) << size;
  }
  EXPECT_TRUE(DecodeProject(bytes, job));
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
    TerrainJob job;
    job.heightMapPath = "kept";
    EXPECT_FALSE(DecodeProject(bytes, job));
    EXPECT_EQ(job.heightMapPath, "kept");
  }
}

TEST(ProjectFile, SavesAndLoadsThroughAFile) {
  test::TempDir dir;
  const std::string path = dir.File("vale project");
  TerrainJob job;
  FillJob(job);
  ASSERT_TRUE(SaveProjectFile(path, job));
  EXPECT_EQ(test::ReadFile(path), EncodeProject(job));

  TerrainJob read;
  ASSERT_TRUE(LoadProjectFile(path, read));
  EXPECT_EQ(EncodeProject(read), EncodeProject(job));

  // Saving again replaces the file and leaves nothing else beside it.
  job.outputPath = "second.gnd";
  ASSERT_TRUE(SaveProjectFile(path, job));
  EXPECT_EQ(test::ReadFile(path), EncodeProject(job));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(ProjectFile, SavingOverAProjectKeepsItsPermissions) {
  KEM_SKIP_ON_WINDOWS("Windows files have a read-only flag, not permission bits");
  namespace fs = std::filesystem;
  test::TempDir dir;
  const std::string path = dir.File("project");
  TerrainJob job;
  ASSERT_TRUE(SaveProjectFile(path, job));
  const auto kept = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(path, kept);
  job.maxHeight = 3.0f;
  ASSERT_TRUE(SaveProjectFile(path, job));
  EXPECT_EQ(fs::status(path).permissions(), kept);
  EXPECT_EQ(test::ReadFile(path), EncodeProject(job));
}

TEST(ProjectFile, FailedSaveLeavesNothingBehind) {
  test::TempDir dir;
  TerrainJob job;
  EXPECT_FALSE(SaveProjectFile("", job));
  EXPECT_FALSE(SaveProjectFile(dir.File("missing/project"), job));

  // A folder in the way cannot be replaced: it stays, and no temporary file is left.
  const std::string folder = dir.File("taken");
  std::filesystem::create_directory(folder);
  test::WriteText(folder + "/inside", "x");
  EXPECT_FALSE(SaveProjectFile(folder, job));
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(ProjectFile, LoadRefusesUnreadableFilesAndKeepsTheJob) {
  test::TempDir dir;
  TerrainJob saved;
  FillJob(saved);
  Bytes truncated = EncodeProject(saved);
  truncated.pop_back();
  test::WriteFile(dir.File("truncated"), truncated);
  test::WriteFile(dir.File("empty"), {});

  // Valid fields followed by more than the size limit.
  test::WriteFile(dir.File("huge"), EncodeProject(saved));
  std::filesystem::resize_file(dir.File("huge"), kMaxProjectFileSize + 1);

  for (const char* name : {"missing", "truncated", "empty", "huge", ""}) {
    SCOPED_TRACE(name);
    TerrainJob job;
    job.heightMapPath = "kept";
    EXPECT_FALSE(LoadProjectFile(*name ? dir.File(name) : std::string(), job));
    EXPECT_EQ(job.heightMapPath, "kept");
  }
  TerrainJob job;
  EXPECT_FALSE(LoadProjectFile(dir.path().string(), job));
}

TEST(ProjectFile, DescribesTheFourteenFieldsByName) {
  TerrainJob job;
  SetNewProjectDefaults(job);
  job.heightMapPath = "/x/y.tga";
  job.outputPath = "/x/y.gnd";
  job.baseHeight = -1000.0f;
  job.maxHeight = 812.25f;
  EXPECT_EQ(DescribeProject(job),
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
