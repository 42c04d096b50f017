// The generation driver: one terrain job to one .gnd layout file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/host.h"
#include "core/layout_output.h"
#include "core/terrain_job.h"

namespace kem {

inline constexpr const char* kTileTemplateFile = "tile_blank.dat";

// Runs one generation for `job`, reporting every outcome through `host`.
// tile_blank.dat and textures.txt are read from the current folder. Returns
// true when the layout file was written; false when the run stopped with a
// message. On return every handle of the job is null and boardCount is 0, and
// a failed run has left no file at job.outputPath (nor touched one that was
// there). Should the host throw (a front end cancelling from the message
// pump), the job is released silently and the exception passes on.
bool GenerateTerrain(TerrainJob& job, Host& host);

// The same, creating the layout output with `createOutput` instead of
// CreateLayoutOutput.
bool GenerateTerrain(TerrainJob& job, Host& host, const LayoutOutputFactory& createOutput);

// Ends a run: shows `message` if it is not empty, then closes the output
// (discarding it unless it was committed), frees the board map, drops the
// texture table reference, releases the filter guide, texturing guide,
// minimap and elevation sources in that order, frees the template and sets
// boardCount to 0.
void ReleaseJob(const std::string& message, TerrainJob& job,
                std::vector<std::uint8_t>& templateBuffer, Host& host);

// Shows the message for an OpenTargaSource failure code.
void ReportTargaOpenError(int code, Host& host);

}  // namespace kem
