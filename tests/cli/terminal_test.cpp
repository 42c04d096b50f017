// kem-cli on a terminal: the flat-terrain question is asked, and progress
// lines are drawn in place.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_runner.h"
#include "support/test_support.h"

namespace kem::test {
namespace {

constexpr const char* kPrompt =
    "The defined height range will result in absolutely flat terrain. Are you sure it's OK? "
    "[y/N] ";

class TerminalFolder {
 public:
  TerminalFolder() {
    dir.Chdir();
    WriteFile(dir.File("tile_blank.dat"), SampleTemplate());
    TargaImage image;
    image.width = 2 * 72 + 4;
    image.height = 76;
    image.pixel = [](int x, int) {
      return std::array<std::uint8_t, 3>{static_cast<std::uint8_t>(x), 0, 0};
    };
    image.Save(dir.File("h.tga"));
  }
  TempDir dir;
};

TEST(CliTerminal, AsksTheFlatTerrainQuestionAndGoesOnOnYes) {
  KEM_SKIP_ON_WINDOWS("the suite drives a pseudo-terminal, which Windows consoles are not");
  for (const char* answer : {"y\n", "YES\n"}) {
    SCOPED_TRACE(answer);
    TerminalFolder folder;
    const CliResult result = RunCliOnTerminal(
        {"generate", "--height-map", "h.tga", "--output", "o.gnd"}, answer, kPrompt);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find(kPrompt), std::string::npos) << result.err;
    EXPECT_TRUE(std::filesystem::exists(folder.dir.File("o.gnd")));
  }
}

TEST(CliTerminal, AnythingButYesIsNotConfirmed) {
  KEM_SKIP_ON_WINDOWS("the suite drives a pseudo-terminal, which Windows consoles are not");
  for (const char* answer : {"n\n", "\n", "ok\n"}) {
    SCOPED_TRACE(answer);
    TerminalFolder folder;
    const CliResult result = RunCliOnTerminal(
        {"generate", "--height-map", "h.tga", "--output", "o.gnd"}, answer, kPrompt);
    EXPECT_EQ(result.exitCode, 3) << result.err;
    EXPECT_NE(result.err.find(kPrompt), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(folder.dir.File("o.gnd")));
  }
}

TEST(CliTerminal, DrawsProgressLinesInPlaceAndClearsThem) {
  KEM_SKIP_ON_WINDOWS("the suite drives a pseudo-terminal, which Windows consoles are not");
  TerminalFolder folder;
  const CliResult result =
      RunCliOnTerminal({"generate", "--height-map", "h.tga", "--max-height", "10", "--output",
                        "o.gnd", "--filter-guide", "h.tga", "--filter-radius", "1"},
                       "");
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const std::string& shown = result.err;
  for (const char* line :
       {"\rFiltering boards :: 0%", "\rFiltering boards :: 50%", "\rFiltering boards :: 100%",
        "\rTerraforming boards :: 0%", "\rTerraforming boards :: 100%"}) {
    EXPECT_NE(shown.find(line), std::string::npos) << line;
  }
  EXPECT_LT(shown.find("Filtering"), shown.find("Terraforming"));
  EXPECT_EQ(shown.find('\n'), std::string::npos);  // all in place, on one line
  const std::string clear = "\r\033[K";
  ASSERT_GE(shown.size(), clear.size());
  EXPECT_EQ(shown.substr(shown.size() - clear.size()), clear);
  EXPECT_EQ(result.out.rfind("Wrote o.gnd: ", 0), 0u);
}

TEST(CliTerminal, ShowsMessagesAsTheirExactText) {
  KEM_SKIP_ON_WINDOWS("the suite drives a pseudo-terminal, which Windows consoles are not");
  TerminalFolder folder;
  const CliResult result = RunCliOnTerminal(
      {"generate", "--height-map", "missing.tga", "--output", "o.gnd", "--yes"}, "");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Error: image not found or failed to open.\r\n  " +
                            folder.dir.File("missing.tga") + ": no such file\r\n");
}

}  // namespace
}  // namespace kem::test
