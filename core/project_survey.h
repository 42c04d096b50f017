// The survey of a project: what a generation run with these settings would
// do, found without writing anything. It needs no tile_blank.dat: a missing
// or short one is listed among the problems like any other.
//
// It opens and checks the images as the generator does, makes the generator's
// board selection, decodes the heights of the boards the generator would
// write with its own decoding, and lists every problem the run would stop on
// (with the run's own messages, all of them rather than the first) and the
// warnings that would not stop it. Images are read one board window at a
// time, as the generator reads them, so memory stays flat whatever the map
// size. Nothing here touches a run's state: the survey keeps its own texture
// table, so it may run on another thread while the user works.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/board_selection.h"
#include "core/file_lookup.h"
#include "core/generate_terrain.h"
#include "core/project_settings.h"
#include "core/relief_image.h"
#include "core/terrain_job.h"
#include "core/texture_table.h"

namespace kem {

// One board as the survey read it, handed to SurveyOptions::board.
struct SurveyBoardView {
  std::int32_t col = 0;
  std::int32_t row = 0;
  bool written = false;  // the run writes a block for this board
  // 76 x 76 decoded heights, not smoothed, in GridIndex order (board_heights.h).
  const float* heights = nullptr;
  // The texture slot of every vertex, same order; null when the texturing
  // guide is not surveyed or the board is not written.
  const std::uint8_t* slots = nullptr;
};

struct SurveyOptions {
  // Where the run would find relative paths and its two files; the current
  // folder only by default.
  FileLookup lookup;
  // The two files themselves, when they are not to be found through `lookup`.
  std::string tileTemplate;
  std::string textureList;
  // Draw the shaded relief of the board grid (boards the filter leaves out
  // dimmed, the anchor outlined). The heights of every board are then read.
  bool relief = false;
  // With `relief`, also draw the relief with the texturing guide and with the
  // minimap source draped over it (ProjectSurvey::guideRelief and
  // minimapRelief); their windows are then read for every board too.
  bool drapes = false;
  // Asked between boards (on the survey's thread); once it answers true the
  // survey stops and says so. A desktop front end hands in a test of its own
  // atomic flag.
  std::function<bool()> cancelled;
  // Called for every board read, in row-major order.
  std::function<void(const SurveyBoardView&)> board;
};

// Decoded heights over the pixels the run reads: each pixel of the written
// boards' windows counted once.
struct HeightSurvey {
  std::int64_t pixels = 0;
  float min = 0.0f;
  float max = 0.0f;
  double mean = 0.0;
  // Pixels whose colour is not a code of the data format (IsColourCode), and
  // the first of them in reading order, in picture coordinates from the top
  // left.
  std::int64_t offFormatPixels = 0;
  std::int32_t firstOffFormatX = -1;
  std::int32_t firstOffFormatY = -1;
  std::uint8_t firstOffFormatRgb[3] = {0, 0, 0};
};

struct ProjectSurvey {
  // The elevation image, once it could be opened.
  bool imageOpened = false;
  std::int32_t imageWidth = 0;
  std::int32_t imageHeight = 0;
  // The board grid (when the image has room for a board) and what no board
  // uses: columns at the right, rows at the bottom (at the top of an image
  // stored bottom up, which boards read from its bottom).
  BoardGrid grid;
  std::int32_t unusedColumns = 0;
  std::int32_t unusedRows = 0;
  bool unusedRowsAtTop = false;
  std::int64_t unusedPixels = 0;

  // The selection, once the image and the filter guide can be read: the board
  // map as the run makes it, its marked boards, the anchor and the size of the
  // layout file.
  bool selectionMade = false;
  BoardMap boardMap;
  std::int32_t boardCount = 0;
  BoardPosition anchor;
  std::int64_t layoutBytes = 0;

  // The decoded heights, once the format is known as well.
  bool heightsRead = false;
  HeightSurvey heights;

  // With a usable texturing guide: the entries loaded from the texture list,
  // and per board (row-major, 0 for boards not written) how many distinct
  // textures its vertices get, with the largest count and its board.
  bool texturesRead = false;
  std::int32_t textureEntries = 0;
  std::vector<std::uint8_t> boardTextures;
  std::int32_t mostTextures = 0;
  BoardPosition mostTexturesBoard;

  // What the run would stop on, in the order it meets them, with its own
  // messages; and what it would go on despite, in plain words.
  std::vector<std::string> problems;
  std::vector<std::string> warnings;
  // The detail line of each problem (the path tried and the reason), "" for
  // a problem without one; as long as `problems`.
  std::vector<std::string> problemDetails;
  // Which file is used where a name is found in more than one place.
  std::vector<std::string> notes;

  // The files the run would use, as found: the project's paths resolved
  // through the lookup, and the two data files.
  ProjectSettings resolved;
  std::string tileTemplate;
  std::string textureList;

  bool cancelled = false;
  RgbImage relief;  // with SurveyOptions::relief and the heights read
  // With the relief: the decoded height of each of its pixels in metres (the
  // mean of the height map pixels it stands for; NaN where none), row-major
  // from the top left, and how many height map pixels a relief pixel spans
  // along each side. Relief pixel (0, 0) starts at board (0, 0)'s top left
  // corner, which is height map pixel (0, unusedRows) in an image stored
  // bottom up and (0, 0) otherwise.
  std::vector<float> reliefHeights;
  std::int32_t reliefFactor = 1;
  // With SurveyOptions::drapes as well: the same relief in the colours of the
  // texturing guide (when one is given and usable) and of the minimap source
  // (the minimap image when one is given and usable, otherwise the height
  // map's own colours, which the boards' minimaps then show); empty otherwise.
  RgbImage guideRelief;
  RgbImage minimapRelief;

  // True when a run with these settings would write its layout file.
  bool WouldGenerate() const { return !cancelled && problems.empty(); }
};

// Surveys the project `settings`, finding its files through options.lookup.
// Creates no file and never shows anything: everything it finds is in the
// result. A tile_blank.dat that is the all-zero placeholder is a warning.
ProjectSurvey SurveyProject(const ProjectSettings& settings, const SurveyOptions& options = {});

}  // namespace kem
