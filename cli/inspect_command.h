// `inspect`: looks at a layout file (and, later, at a project) without
// writing anything but the pictures asked for.
#pragma once

#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace kem::cli {

struct InspectOptions {
  std::optional<std::string> target;  // a layout file, or a project
  std::string preview;                // --preview: shaded relief PNG
  std::string minimaps;               // --minimaps: mosaic of the boards' minimaps
  bool json = false;
};

// Adds the `inspect` subcommand to `app`, filling `options` when parsed.
CLI::App* AddInspectCommand(CLI::App& app, InspectOptions& options);

// True when `path` names a layout file: it ends in ".gnd" (any case) or its
// first bytes are a layout file's.
bool IsLayoutTarget(const std::string& path);

// `inspect FILE.gnd`: checks the layout file's structure and prints what it
// holds (a short report, or JSON with `json`); writes the pictures asked for.
// Returns 0 for a sound file, 1 (after a message naming the byte of the first
// fault) for a damaged, truncated or foreign one or when a picture cannot be
// written.
int RunInspectLayout(const std::string& path, const InspectOptions& options);

// `inspect [TARGET]`: a layout file goes to RunInspectLayout; anything else
// is a project, whose survey is not available yet (exit 2).
int RunInspect(const InspectOptions& options);

}  // namespace kem::cli
