// The generation driver: one project's settings to one .gnd layout file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/file_lookup.h"
#include "core/host.h"
#include "core/output_file.h"
#include "core/project_settings.h"
#include "core/terrain_job.h"

namespace kem {

inline constexpr const char* kTileTemplateFile = "tile_blank.dat";

// What a run did. A written layout indexes `boards` boards and takes `bytes`
// bytes (with no board marked, 0 boards and one unindexed block); a run that
// failed or was cancelled wrote nothing and reports 0 for both.
struct GenerateResult {
  RunOutcome outcome = RunOutcome::kFailed;
  std::int32_t boards = 0;
  std::uint64_t bytes = 0;
};

// How a run uses the machine; none of it changes a byte of the layout.
struct GenerateOptions {
  int threads = 0;          // threads that build boards; 0: one per core
  FileLookup lookup;        // where tile_blank.dat, textures.txt and relative paths are found
  std::string projectPath;  // the project file the settings come from, if any
};

// How loading tile_blank.dat went.
enum class TemplateLoad { kLoaded, kMissing, kShort, kNoMemory };

// Reads the first 780 bytes of the tile template at `path` into `buffer`
// (nothing more of it is used); on failure `buffer` is left empty.
TemplateLoad LoadTemplate(std::vector<std::uint8_t>& buffer,
                          const std::string& path = kTileTemplateFile);

// The message a run stops with for a failed template load ("" for kLoaded).
const char* TemplateLoadMessage(TemplateLoad load);

// The detail line under that message: the places tile_blank.dat was looked
// for and why each failed, or the size of a short one at `path`.
std::string TemplateLoadDetail(TemplateLoad load, const std::string& path,
                               const FileLookup& lookup);

// True when a loaded template is all zero bytes: the stand-in shipped where
// the simulator's own file cannot be, whose layouts the simulator refuses.
bool IsPlaceholderTemplate(const std::vector<std::uint8_t>& buffer);

// Runs one generation of the project `settings` into settings.outputPath,
// reporting every outcome through `host`. Relative paths, tile_blank.dat and
// textures.txt are found through `lookup` (by default: the current folder
// only); a message about a file has a detail line naming the path tried and
// the reason. Between boards it pumps the host's messages
// and tests its cancel flag: once set, the run stops without a message and
// returns kCancelled. A run that fails or is cancelled leaves no file at the
// output path and does not touch one that was there. Should the host throw
// from the message pump, the run is released silently and the exception
// passes on.
// Boards are built on options.threads threads but gathered, written,
// reported and cancelled on the calling thread, the only one that touches
// `host`.
GenerateResult GenerateTerrain(const ProjectSettings& settings, Host& host,
                               const GenerateOptions& options = {});

// The same, writing through the output that `createOutput` makes for
// settings.outputPath instead of a ReplacingFile.
GenerateResult GenerateTerrain(const ProjectSettings& settings, Host& host,
                               const OutputFileFactory& createOutput,
                               const GenerateOptions& options = {});

// Ends a run: shows `message` if it is not empty, then closes the output
// (discarding it unless it was committed), frees the board map, drops the
// texture table reference, releases the filter guide, texturing guide,
// minimap and elevation sources in that order, frees the template and sets
// boardCount to 0.
void ReleaseJob(const std::string& message, TerrainJob& job,
                std::vector<std::uint8_t>& templateBuffer, Host& host);

// Shows the message for an OpenTargaSource failure code, with `detail` (the
// path tried and the reason) as its detail line when the code has one.
void ReportTargaOpenError(int code, Host& host, const std::string& detail = "");

}  // namespace kem
