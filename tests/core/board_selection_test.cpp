#include "core/board_selection.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "support/test_support.h"

namespace kem {
namespace {

using test::TargaImage;
using test::TempDir;
using Point = std::pair<int, int>;  // picture x, y from the top

// A filter guide of cols x rows boards, grey except for the given pixels.
struct Guide {
  int cols = 7;
  int rows = 7;
  bool topDown = false;
  std::set<Point> markers;
  std::array<std::uint8_t, 3> markerColour = {0, 255, 255};
};

// Runs the filter pass as the driver does and gives the map as text, one row
// of boards a line, '#' for marked and '.' for not.
std::string Select(const Guide& guide, int radius, std::int32_t* count = nullptr) {
  TempDir dir;
  TargaImage image;
  image.width = 72 * guide.cols + 4;
  image.height = 72 * guide.rows + 4;
  image.topDown = guide.topDown;
  image.pixel = [&guide](int x, int y) -> std::array<std::uint8_t, 3> {
    if (guide.markers.count({x, y}) != 0) {
      return guide.markerColour;
    }
    return {90, 90, 90};
  };
  image.Save(dir.File("filter.tga"));

  TerrainJob job;
  int code = -1;
  job.filterGuide = OpenTargaSource(dir.File("filter.tga"), code);
  EXPECT_TRUE(job.filterGuide);
  if (!job.filterGuide) {
    return {};
  }
  job.boardCols = guide.cols;
  job.boardRows = guide.rows;
  job.filterRadius = radius;
  job.boardMap = std::make_unique<BoardMap>(static_cast<std::size_t>(guide.cols) * guide.rows, 0);
  for (int row = 0; row < guide.rows; ++row) {
    for (int col = 0; col < guide.cols; ++col) {
      FilterBoard(col, row, job);
    }
  }
  if (count != nullptr) {
    *count = CountMarkedBoards(job);
  }
  std::string map;
  for (int row = 0; row < guide.rows; ++row) {
    for (int col = 0; col < guide.cols; ++col) {
      const std::uint8_t byte = (*job.boardMap)[static_cast<std::size_t>(row) * guide.cols + col];
      EXPECT_TRUE(byte == 0 || byte == kBoardMarked);
      map += byte == kBoardMarked ? '#' : '.';
    }
    map += '\n';
  }
  return map;
}

// Centre pixel of board (col, row) on the picture.
Point Centre(int col, int row) {
  return {72 * col + 38, 72 * row + 38};
}

TEST(BoardSelection, RadiusZeroMarksOnlyBoardsHoldingAMarker) {
  Guide guide;
  guide.cols = 4;
  guide.rows = 3;
  guide.markers = {Centre(1, 0), Centre(3, 2)};
  std::int32_t count = 0;
  EXPECT_EQ(Select(guide, 0, &count),
            ".#..\n"
            "....\n"
            "...#\n");
  EXPECT_EQ(count, 2);
}

TEST(BoardSelection, DefaultRadiusMarksAFiveByFiveBlockClippedAtTheEdges) {
  Guide middle;
  middle.markers = {Centre(3, 3)};
  std::int32_t count = 0;
  EXPECT_EQ(Select(middle, 2, &count),
            ".......\n"
            ".#####.\n"
            ".#####.\n"
            ".#####.\n"
            ".#####.\n"
            ".#####.\n"
            ".......\n");
  EXPECT_EQ(count, 25);

  Guide corner;
  corner.markers = {Centre(6, 0)};
  EXPECT_EQ(Select(corner, 2, &count),
            "....###\n"
            "....###\n"
            "....###\n"
            ".......\n"
            ".......\n"
            ".......\n"
            ".......\n");
  EXPECT_EQ(count, 9);
}

TEST(BoardSelection, MarkerInASharedStripMarksAroundBothBoards) {
  Guide columns;
  columns.cols = 4;
  columns.rows = 2;
  columns.markers = {{72 + 1, 30}};  // image columns 72 to 75 belong to boards 0 and 1
  EXPECT_EQ(Select(columns, 0),
            "##..\n"
            "....\n");

  Guide rows = columns;
  rows.markers = {{110, 73}};  // picture rows 72 to 75 belong to board rows 0 and 1
  EXPECT_EQ(Select(rows, 0),
            ".#..\n"
            ".#..\n");
}

TEST(BoardSelection, BoardRowZeroIsTheTopOfThePictureInBothStorageOrders) {
  for (const bool topDown : {false, true}) {
    Guide guide;
    guide.cols = 3;
    guide.rows = 3;
    guide.topDown = topDown;
    guide.markers = {{0, 0}, {219, 219}};
    EXPECT_EQ(Select(guide, 0),
              "#..\n"
              "...\n"
              "..#\n")
        << (topDown ? "top down" : "bottom up");
  }
}

TEST(BoardSelection, OnlyPureCyanIsAMarker) {
  Guide guide;
  guide.cols = 2;
  guide.rows = 2;
  guide.markers = {Centre(0, 0), Centre(1, 1)};
  for (const auto& colour : std::vector<std::array<std::uint8_t, 3>>{
           {0, 255, 254}, {1, 255, 255}, {0, 254, 255}, {255, 255, 0}, {255, 255, 255}}) {
    guide.markerColour = colour;
    EXPECT_EQ(Select(guide, 8), "..\n..\n");
  }
  guide.markerColour = {0, 255, 255};
  EXPECT_EQ(Select(guide, 0), "#.\n.#\n");
}

TEST(BoardSelection, GuideWithoutMarkersSelectsNothing) {
  Guide guide;
  std::int32_t count = -1;
  const std::string map = Select(guide, 2, &count);
  EXPECT_EQ(map.find('#'), std::string::npos);
  EXPECT_EQ(count, 0);
}

TEST(BoardSelection, GuideOfMarkersOnlySelectsEveryBoard) {
  Guide guide;
  guide.cols = 3;
  guide.rows = 2;
  guide.markerColour = {0, 255, 255};
  for (int y = 0; y < 148; ++y) {
    for (int x = 0; x < 220; ++x) {
      guide.markers.insert({x, y});
    }
  }
  std::int32_t count = 0;
  EXPECT_EQ(Select(guide, 0, &count), "###\n###\n");
  EXPECT_EQ(count, 6);
}

TEST(BoardSelection, NegativeRadiusMarksNothingAndHugeRadiusMarksAll) {
  Guide guide;
  guide.cols = 3;
  guide.rows = 2;
  guide.markers = {Centre(1, 1)};
  for (const int radius : {-1, -5, INT_MIN}) {
    EXPECT_EQ(Select(guide, radius), "...\n...\n") << "radius " << radius;
  }
  EXPECT_EQ(Select(guide, INT_MAX), "###\n###\n");
}

TEST(BoardSelection, CountsOnlyMarkedBytes) {
  TerrainJob job;
  EXPECT_EQ(CountMarkedBoards(job), 0);
  job.boardCols = 3;
  job.boardRows = 2;
  job.boardMap = std::make_unique<BoardMap>(BoardMap{35, 0, 1, 35, 35, 34});
  EXPECT_EQ(CountMarkedBoards(job), 3);
}

TEST(BoardSelection, WithoutGuideOrMapNothingHappens) {
  TerrainJob job;
  job.boardCols = 2;
  job.boardRows = 2;
  FilterBoard(0, 0, job);
  job.boardMap = std::make_unique<BoardMap>(4, 0);
  FilterBoard(1, 1, job);
  EXPECT_EQ(CountMarkedBoards(job), 0);
}

}  // namespace
}  // namespace kem
