// `inspect`: looks at a layout file, or surveys a project, without writing
// anything but the pictures asked for.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "cli/job_options.h"
#include "core/layout_reader.h"

namespace CLI {
class App;
}

namespace kem::cli {

struct InspectOptions {
  std::optional<std::string> target;  // a layout file, or a project
  std::string preview;                // --preview: shaded relief PNG
  std::string minimaps;               // --minimaps: mosaic of the boards' minimaps
  bool json = false;
  JobOptions job;  // a project's fields, as `generate` takes them
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

// What InspectLayout found.
struct LayoutInspection {
  LayoutContents contents;
  // The message the inspection fails with (the file's first fault, or a
  // picture that could not be written); empty when it succeeds.
  std::string message;
};

// RunInspectLayout's work on the layout file at `path`, read from `source`:
// the report goes to `out`, the pictures asked for are written.
LayoutInspection InspectLayout(LayoutSource& source, const std::string& path,
                               const InspectOptions& options, std::ostream& out);

// `inspect [PROJECT]`: surveys the project (a new project's fields without
// one) with the options applied, as `generate` would run it, and prints what
// a run would do (a short report, or JSON with `json`); writes the preview
// asked for. Returns 0 when a run would write its layout, 1 when it would
// stop (its messages, every one, go to standard error) or the project or the
// preview cannot be read or written, 128 + N when ended by signal N
// (130 for Ctrl+C).
int RunInspectProject(const std::optional<std::string>& projectPath, const InspectOptions& options);

// `inspect [TARGET]`: a layout file goes to RunInspectLayout; anything else
// is a project for RunInspectProject.
int RunInspect(const InspectOptions& options);

}  // namespace kem::cli
