#include "cli/inspect_command.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>

#include "cli/commands.h"
#include "cli/terminal.h"
#include "core/file_ptr.h"
#include "core/layout_reader.h"
#include "core/open_file.h"

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
      "inspect", "Check a layout file (.gnd) and show what it holds; writes nothing else");
  inspect
      ->add_option_function<std::string>(
          "target", [&options](const std::string& path) { options.target = path; },
          "The layout file")
      ->type_name("FILE.gnd");
  inspect->add_option("--preview", options.preview, "Write a shaded relief of the heights")
      ->type_name("FILE.png");
  inspect->add_option("--minimaps", options.minimaps, "Write a mosaic of the boards' minimaps")
      ->type_name("FILE.png");
  inspect->add_flag("--json", options.json, "Print the report as JSON");
  return inspect;
}

bool IsLayoutTarget(const std::string& path) {
  if (EndsWithGnd(path)) {
    return true;
  }
  std::array<std::uint8_t, 4> head{};
  const FilePtr file(OpenFile(path, "rb"));
  const std::size_t read = file ? std::fread(head.data(), 1, head.size(), file.get()) : 0;
  return LooksLikeLayout(head.data(), read);
}

int RunInspect(const InspectOptions& options) {
  if (options.target && IsLayoutTarget(*options.target)) {
    return RunInspectLayout(*options.target, options);
  }
  // The survey of a project takes this path once it exists.
  WriteMessageLine(
      "Error: inspect reads layout files (.gnd); the survey of a project is not "
      "available yet.");
  return kExitUsage;
}

}  // namespace kem::cli
