// The subcommands of kem-cli. Each returns the process exit status:
// 0 output written, 1 stopped with a message, 2 bad usage, 3 the flat-terrain
// question was not confirmed, 128 + the signal's number when Ctrl+C, SIGTERM
// or SIGHUP cancelled the run (130, 143, 129).
#pragma once

#include <optional>
#include <string>

namespace kem::cli {

struct JobOptions;

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNotConfirmed = 3;

// `generate [PROJECT]`: one generation run with the project's fields (a new
// project's without PROJECT), overridden by `options`. Asks the flat-terrain
// question first when the base and maximum height are equal.
int RunGenerate(const std::optional<std::string>& projectPath, const JobOptions& options);

// `convert FILE`: an XYZ DEM or (in builds with GDAL) any elevation raster
// into FILE.tga, or into `outputPath` when it is not empty; `fitBoards` crops
// it to whole boards.
int RunConvert(const std::string& path, const std::string& outputPath = "", bool fitBoards = false);

// `project new PATH`: writes a new project with `options` applied.
int RunProjectNew(const std::string& path, const JobOptions& options);

// `project show PATH`: prints the project's fourteen fields on standard output.
int RunProjectShow(const std::string& path);

}  // namespace kem::cli
