#include "app/status_texts.h"

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <vector>

#include "core/board_selection.h"
#include "importer/route_area.h"

namespace kem::app {
namespace {

constexpr double kBytesPerMegabyte = 1e6;

std::string FileName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

}  // namespace

std::string ProgressText(const std::string& caption, int done, int total) {
  std::string name = caption;
  while (!name.empty() && (name.back() == ':' || name.back() == ' ')) {
    name.pop_back();
  }
  return name + ": " + std::to_string(done) + " of " + std::to_string(total);
}

std::string Megabytes(std::uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / kBytesPerMegabyte);
  return text;
}

std::string WrittenLayoutText(const std::string& path, std::int32_t boards, std::uint64_t bytes) {
  return "Wrote " + path + ": " + std::to_string(boards) +
         (boards == 1 ? " board, " : " boards, ") + Megabytes(bytes);
}

std::string SavedElsewhereText(const std::string& path, int rewritten) {
  const std::string count = rewritten == 0   ? std::string("no path")
                            : rewritten == 1 ? std::string("1 path")
                                             : std::to_string(rewritten) + " paths";
  return "Saved " + path + "; " + count + " rewritten for its new folder";
}

std::string FileSizeText(std::uint64_t bytes) {
  if (bytes < 1000) {
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
  }
  const char* const units[] = {"KB", "MB", "GB", "TB"};
  double value = static_cast<double>(bytes) / 1000.0;
  std::size_t unit = 0;
  // 999.95 KB would print as "1000.0 KB": it is 1.0 MB.
  while (value >= 999.95 && unit + 1 < std::size(units)) {
    value /= 1000.0;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
  return text;
}

std::string WrittenHeightMapText(const std::string& path, int width, int height,
                                 std::uint64_t bytes) {
  const BoardGrid grid = BoardGridOf(width, height);
  return "Wrote " + FileName(path) + ": " + std::to_string(width) + " \u00d7 " +
         std::to_string(height) + " pixels, " + std::to_string(grid.cols) + " \u00d7 " +
         std::to_string(grid.rows) + " boards, " + FileSizeText(bytes);
}

std::string PointerText(const PointerSpot& spot) {
  char text[160];
  if (!spot.onBoards) {
    std::snprintf(text, sizeof text, "Pixel (%d, %d) \u00b7 outside the boards", spot.x, spot.y);
  } else {
    std::snprintf(text, sizeof text, "Board column %d, row %d \u00b7 pixel (%d, %d) \u00b7 %.1f m",
                  spot.col, spot.row, spot.x, spot.y, static_cast<double>(spot.metres));
  }
  return text;
}

std::string HeightMapAreaText(const GridGeoreference& georeference) {
  std::string text;
  for (const std::string& line : RouteAreaLines(DescribeRouteArea(georeference))) {
    text += (text.empty() ? "" : "\n") + line;
  }
  return text;
}

}  // namespace kem::app
