#include "cli/inspect_command.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <fstream>

#include "cli/commands.h"
#include "cli/terminal.h"
#include "core/layout_reader.h"

namespace kem::cli {
namespace {

bool EndsWithGnd(const std::string& path) {
  constexpr std::string_view kExtension = ".gnd";
  if (path.size() < kExtension.size()) {
    return false;
  }
  return std::equal(
      kExtension.begin(), kExtension.end(), path.end() - kExtension.size(),
      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

}  // namespace

CLI::App* AddInspectCommand(CLI::App& app, InspectOptions& options) {
  CLI::App* inspect = app.add_subcommand(
      "inspect",
      "Survey a project: what generate would do with the same options, without writing it; "
      "or check a layout file (.gnd) and show what it holds");
  inspect
      ->add_option_function<std::string>(
          "target", [&options](const std::string& path) { options.target = path; },
          "Project file (without one a new project's fields apply), or a layout file")
      ->type_name("PROJECT|FILE.gnd");
  inspect
      ->add_option("--preview", options.preview,
                   "Write a shaded relief of the heights with the board grid")
      ->type_name("FILE.png");
  inspect
      ->add_option("--minimaps", options.minimaps,
                   "Write a mosaic of the boards' minimaps (layout files)")
      ->type_name("FILE.png");
  inspect->add_flag("--json", options.json, "Print the report as JSON");
  AddJobOptions(*inspect, options.job);
  return inspect;
}

bool IsLayoutTarget(const std::string& path) {
  if (EndsWithGnd(path)) {
    return true;
  }
  std::array<std::uint8_t, 4> head{};
  std::ifstream file(path, std::ios::binary);
  file.read(reinterpret_cast<char*>(head.data()), head.size());
  return LooksLikeLayout(head.data(), static_cast<std::size_t>(file.gcount()));
}

int RunInspect(const InspectOptions& options) {
  if (options.target && IsLayoutTarget(*options.target)) {
    return RunInspectLayout(*options.target, options);
  }
  return RunInspectProject(options.target, options);
}

}  // namespace kem::cli
