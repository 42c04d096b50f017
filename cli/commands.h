// The subcommands of kem-cli. Each returns the process exit status:
// 0 output written, 1 stopped with a message, 2 bad usage, 3 the flat-terrain
// question was not confirmed, 128 + the signal's number when Ctrl+C, SIGTERM
// or SIGHUP cancelled the run (130, 143, 129).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/generate_terrain.h"
#include "importer/convert_dem.h"

namespace kem::cli {

struct JobOptions;

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNotConfirmed = 3;

// `generate [PROJECT]`: one generation run with the project's fields (a new
// project's without PROJECT), overridden by `options`. Asks the flat-terrain
// question first when the base and maximum height are equal. `runOptions`
// say how many threads build the boards.
int RunGenerate(const std::optional<std::string>& projectPath, const JobOptions& options,
                const GenerateOptions& runOptions);

// `convert FILE`: an XYZ DEM or (in builds with GDAL) any elevation raster
// into FILE.tga, or as `options` say: into another file, cropped to whole
// boards, read on a number of threads.
int RunConvert(const std::string& path, const ConvertOptions& options = {});

// `convert FILE...`: the tiles at `paths` (each a file or a folder, whose
// elevation files are all taken) into one height map: FILE.tga for one file,
// FOLDER.tga for one folder, and --output for several. `crsDefinition`
// names the coordinate system of XYZ text (any definition GDAL accepts).
int RunConvert(const std::vector<std::string>& paths, const ConvertOptions& options,
               const std::string& crsDefinition = {});

// Reads --area "XMIN,YMIN,XMAX,YMAX", --around "LAT,LON" and --boards
// "COLSxROWS" (each empty when not given) into `options`; says what is
// wrong on standard error and returns false when one cannot be read.
bool ParseConvertPlace(const std::string& area, const std::string& around,
                       const std::string& boards, ConvertOptions& options);

// `project new PATH`: writes a new project with `options` applied.
int RunProjectNew(const std::string& path, const JobOptions& options);

// `project show PATH`: prints the project's fourteen fields on standard output.
int RunProjectShow(const std::string& path);

}  // namespace kem::cli
