// The texts the main window's status bar shows about a run: where it is, and
// what it wrote. Free of any toolkit so that they can be checked directly.
#pragma once

#include <cstdint>
#include <string>

#include "importer/grid_georeference.h"

namespace kem::app {

// A phase's progress: the generator's caption ("Terraforming boards ::")
// without its colons, then "<done> of <total>": "Terraforming boards: 120 of
// 400".
std::string ProgressText(const std::string& caption, int done, int total);

// The size of a file in megabytes (10^6 bytes) with one decimal: "19.9 MB".
std::string Megabytes(std::uint64_t bytes);

// After a generation: "Wrote PATH: N boards, S MB", PATH the full path
// written, so that a layout is found whatever the folder it went to.
std::string WrittenLayoutText(const std::string& path, std::int32_t boards, std::uint64_t bytes);

// After a generation cancelled by the user.
inline constexpr char kCancelledRunText[] = "Cancelled; nothing was written.";

// After a project was saved into another folder: "Saved PATH; 3 paths
// rewritten for its new folder" (or "1 path", "no path").
std::string SavedElsewhereText(const std::string& path, int rewritten);

// A file's size in the unit that reads best: "812 bytes", "33.4 KB",
// "19.9 MB", "2.1 GB" (powers of 1000).
std::string FileSizeText(std::uint64_t bytes);

// After a conversion: "Wrote NAME.tga: W × H pixels, C × R boards, SIZE",
// NAME without folder, the boards as a generation would cut the map.
std::string WrittenHeightMapText(const std::string& path, int width, int height,
                                 std::uint64_t bytes);

// What lies under the pointer on the preview's relief: the height map pixel
// (from the top left) and, on the boards, the board and the decoded height.
struct PointerSpot {
  bool onBoards = false;
  int col = 0;
  int row = 0;
  int x = 0;
  int y = 0;
  float metres = 0.0f;
};

// "Board column 3, row 1 · pixel (250, 88) · 412.5 m", or "Pixel (250, 88)
// · outside the boards".
std::string PointerText(const PointerSpot& spot);

// Where a converted height map lies (route_area.h), a line each: its size in
// pixels and boards, its coordinate system and corners, and the degrees a
// route builder enters in the simulator's geographic settings.
std::string HeightMapAreaText(const GridGeoreference& georeference);

}  // namespace kem::app
