// kem-cli's command line: usage errors and the project commands.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/cli_runner.h"
#include "core/project_file.h"
#include "core/project_settings.h"
#include "generated/version.h"
#include "support/test_support.h"

namespace kem::test {
namespace {

using Args = std::vector<std::string>;

TEST(CliUsage, BadCommandLinesExitWithTwoAndWriteNothing) {
  const std::vector<Args> cases = {
      {},
      {"bogus"},
      {"generate", "--bogus"},
      {"generate", "a.kem", "b.kem"},
      {"generate", "--format", "5"},
      {"generate", "--format", "chromatic"},
      {"generate", "--base-height", "12m"},
      {"generate", "--max-height", ""},
      {"generate", "--max-height", "inf"},
      {"generate", "--base-height", "nan"},
      {"generate", "--base-height", "1e39"},
      {"project", "new", "p.kem", "--max-height", "-Infinity"},
      {"generate", "--filter-radius", "9"},
      {"generate", "--filter-radius", "-1"},
      {"generate", "--interpolate", "--no-interpolate"},
      {"generate", "--randomize", "--no-randomize"},
      {"generate", "--output"},
      {"convert"},
      {"project"},
      {"project", "new"},
      {"project", "new", "p.kem", "--format", "6"},
      {"project", "show"},
      {"project", "delete", "p.kem"},
  };
  TempDir dir;
  dir.Chdir();
  for (const auto& args : cases) {
    SCOPED_TRACE(testing::PrintToString(args));
    const CliResult result = RunCli(args);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_FALSE(result.err.empty());
    EXPECT_TRUE(FilesIn(dir.path().string()).empty());
  }
}

TEST(CliUsage, HeightsThatAreNotFiniteAreRefusedByName) {
  TempDir dir;
  dir.Chdir();
  const CliResult result = RunCli({"generate", "--max-height", "inf"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("--max-height: expected a finite number, not 'inf'"), std::string::npos)
      << result.err;
}

TEST(CliUsage, HelpIsNotAnError) {
  const CliResult result = RunCli({"generate", "--help"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.out.find("--filter-radius"), std::string::npos);
}

TEST(CliUsage, VersionPrintsTheAboutBoxLine) {
  const CliResult result = RunCli({"--version"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, std::string(kVersionLine) + "\n");
  EXPECT_EQ(result.err, "");
}

TEST(CliProject, NewWithoutOptionsWritesTheNewProject) {
  TempDir dir;
  dir.Chdir();
  const CliResult result = RunCli({"project", "new", "vale"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");

  ProjectSettings settings;
  EXPECT_EQ(ReadFile(dir.File("vale")), EncodeProject(settings));
  EXPECT_EQ(ReadFile(dir.File("vale")).size(), 41u);
}

TEST(CliProject, NewTakesEveryOptionAndShowPrintsThem) {
  TempDir dir;
  dir.Chdir();
  const CliResult made = RunCli({"project",
                                 "new",
                                 "vale",
                                 "--height-map",
                                 "maps/vale.tga",
                                 "--format",
                                 "grey",
                                 "--base-height",
                                 "-1000",
                                 "--max-height",
                                 "9000.5",
                                 "--no-interpolate",
                                 "--minimap",
                                 "mini.tga",
                                 "--texturing-guide",
                                 "paint.tga",
                                 "--randomize",
                                 "--filter-guide",
                                 "filter.tga",
                                 "--filter-radius",
                                 "8",
                                 "--output",
                                 "vale.gnd"});
  ASSERT_EQ(made.exitCode, 0) << made.err;

  const CliResult shown = RunCli({"project", "show", "vale"});
  ASSERT_EQ(shown.exitCode, 0) << shown.err;
  EXPECT_EQ(shown.err, "");
  EXPECT_EQ(shown.out,
            "heightMapPath: maps/vale.tga\n"
            "reservedA: 0\n"
            "minimapPath: mini.tga\n"
            "reservedB: 0\n"
            "randomizeTextures: 1\n"
            "texturingGuidePath: paint.tga\n"
            "reservedC: 0\n"
            "filterRadius: 8\n"
            "filterGuidePath: filter.tga\n"
            "outputPath: vale.gnd\n"
            "baseHeight: -1000\n"
            "maxHeight: 9000.5\n"
            "dataFormat: 3\n"
            "interpolate: 0\n");
}

TEST(CliProject, FormatAcceptsNumbersAndNames) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"0", "0"},    {"spectrum", "0"}, {"terrain", "1"}, {"chroma", "2"},
      {"Grey", "3"}, {"4", "4"},        {"24bit", "4"},   {"24BIT", "4"},
  };
  TempDir dir;
  dir.Chdir();
  for (const auto& [given, stored] : cases) {
    SCOPED_TRACE(given);
    ASSERT_EQ(RunCli({"project", "new", "p", "--format", given}).exitCode, 0);
    const CliResult shown = RunCli({"project", "show", "p"});
    EXPECT_NE(shown.out.find("\ndataFormat: " + stored + "\n"), std::string::npos);
  }
}

TEST(CliProject, ShowPrintsWhatTheFileHoldsEvenOutOfRange) {
  TempDir dir;
  dir.Chdir();
  ProjectSettings settings;
  settings.dataFormat = 9;
  settings.filterRadius = -4;
  WriteFile(dir.File("odd"), EncodeProject(settings));
  const CliResult shown = RunCli({"project", "show", "odd"});
  ASSERT_EQ(shown.exitCode, 0);
  EXPECT_NE(shown.out.find("\nfilterRadius: -4\n"), std::string::npos);
  EXPECT_NE(shown.out.find("\ndataFormat: 9\n"), std::string::npos);
}

TEST(CliProject, UnreadableProjectsStopWithAMessage) {
  TempDir dir;
  dir.Chdir();
  ProjectSettings settings;
  auto bytes = EncodeProject(settings);
  bytes.resize(40);
  WriteFile(dir.File("short"), bytes);
  WriteFile(dir.File("hostile"), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});

  struct Case {
    Args args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"project", "show", "missing"},
       "Error: project file missing not found or failed to open.\n"},
      {{"project", "show", "short"}, "Error: short is not a complete project file.\n"},
      {{"project", "show", "hostile"}, "Error: hostile is not a complete project file.\n"},
      {{"generate", "missing", "--yes"},
       "Error: project file missing not found or failed to open.\n"},
      {{"generate", "short", "--yes"}, "Error: short is not a complete project file.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const CliResult result = RunCli(c.args);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, c.message);
    EXPECT_EQ(result.out, "");
  }
}

TEST(CliProject, NewThatCannotBeWrittenStopsWithAMessage) {
  TempDir dir;
  dir.Chdir();
  const CliResult result = RunCli({"project", "new", "no/such/folder/p"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Error: project file no/such/folder/p could not be written.\n");
}

}  // namespace
}  // namespace kem::test
