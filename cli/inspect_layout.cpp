// `inspect FILE.gnd`: reads a layout file back board by board, prints what it
// holds and draws the pictures asked for.
#include <algorithm>
#include <cstdint>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/inspect_command.h"
#include "cli/png_file.h"
#include "cli/report_text.h"
#include "cli/terminal.h"
#include "core/layout_file.h"
#include "core/layout_reader.h"
#include "core/output_guard.h"
#include "core/relief_image.h"
#include "core/targa_source.h"

namespace kem::cli {
namespace {

constexpr int kMaxDrawnCols = 64;  // larger grids are not drawn in the report
constexpr int kMaxDrawnRows = 32;
constexpr std::size_t kListedTextures = 10;

// The boards' places as a grid with the anchor's row at the bottom.
struct BoardGrid {
  std::int32_t cols = 1;
  std::int32_t rows = 1;
  std::int32_t minRowDelta = 0;
  std::int32_t minColDelta = 0;

  std::int32_t Col(const LayoutBoardPlace& place) const { return place.colDelta - minColDelta; }
  std::int32_t Row(const LayoutBoardPlace& place) const { return place.rowDelta - minRowDelta; }
};

BoardGrid GridOf(const std::vector<LayoutBoardPlace>& places) {
  BoardGrid grid;
  std::int32_t maxColDelta = 0;
  for (const LayoutBoardPlace& place : places) {
    grid.minRowDelta = std::min(grid.minRowDelta, place.rowDelta);
    grid.minColDelta = std::min(grid.minColDelta, place.colDelta);
    maxColDelta = std::max(maxColDelta, place.colDelta);
  }
  grid.cols = maxColDelta - grid.minColDelta + 1;
  grid.rows = 1 - grid.minRowDelta;
  return grid;
}

std::string FaultText(const std::string& path, const LayoutFault& fault) {
  return "Error: " + path + " is not a sound layout file: " + fault.message + " (at byte " +
         std::to_string(fault.offset) + ").";
}

void PrintReport(std::ostream& out, const std::string& path, const LayoutContents& contents) {
  const std::int64_t expected = LayoutFileSize(contents.boardCount);
  out << "Layout file: " << path << "\n";
  out << "Size: " << contents.fileSize << " bytes";
  if (!contents.headRead) {
    out << "\n";
  } else if (contents.fileSize == expected) {
    out << ", as a layout of " << contents.boardCount << " boards should be\n";
  } else {
    out << " (a layout of " << contents.boardCount << " boards is " << expected << ")\n";
  }
  if (contents.places.empty()) {
    out << "Structure: damaged\n";
    return;
  }
  const BoardGrid grid = GridOf(contents.places);
  out << "Boards: " << contents.boardCount << " in a grid of " << grid.cols << " columns x "
      << grid.rows << " rows; the anchor (block 0) is at column " << grid.Col({}) << ", row "
      << grid.Row({}) << "\n";
  if (grid.cols <= kMaxDrawnCols && grid.rows <= kMaxDrawnRows) {
    std::vector<std::string> lines(static_cast<std::size_t>(grid.rows),
                                   std::string(static_cast<std::size_t>(grid.cols), '.'));
    for (const LayoutBoardPlace& place : contents.places) {
      lines[static_cast<std::size_t>(grid.Row(place))][static_cast<std::size_t>(grid.Col(place))] =
          '#';
    }
    lines[static_cast<std::size_t>(grid.Row({}))][static_cast<std::size_t>(grid.Col({}))] = '@';
    for (const std::string& line : lines) {
      out << "  " << line << "\n";
    }
  }
  out << "Textures: " << contents.textures.size() << " entries\n";
  for (std::size_t i = 0; i < std::min(contents.textures.size(), kListedTextures); ++i) {
    const LayoutTexture& texture = contents.textures[i];
    out << "  slot " << texture.slot << ": " << texture.keyA << ":" << texture.keyB << "\n";
  }
  if (contents.textures.size() > kListedTextures) {
    out << "  ... and " << contents.textures.size() - kListedTextures
        << " more (--json lists them all)\n";
  }
  if (contents.blocksRead > 0) {
    out << "Heights: " << Number(contents.minHeight) << " to " << Number(contents.maxHeight)
        << " over the vertices of " << contents.blocksRead << " board blocks\n";
  }
  out << "Structure: " << (contents.fault ? "damaged" : "sound") << "\n";
}

void PrintJson(std::ostream& out, const std::string& path, const LayoutContents& contents) {
  const BoardGrid grid = GridOf(contents.places);
  out << "{\n  \"file\": " << JsonString(path) << ",\n  \"size\": " << contents.fileSize;
  // Until the head and the index have been read, nothing is known of the boards.
  if (!contents.headRead) {
    out << ",\n  \"expectedSize\": null,\n  \"boardCount\": null";
  } else {
    out << ",\n  \"expectedSize\": " << LayoutFileSize(contents.boardCount)
        << ",\n  \"boardCount\": " << contents.boardCount;
  }
  if (contents.places.empty()) {
    out << ",\n  \"grid\": null";
  } else {
    out << ",\n  \"grid\": {\"columns\": " << grid.cols << ", \"rows\": " << grid.rows
        << ", \"anchor\": {\"column\": " << grid.Col({}) << ", \"row\": " << grid.Row({}) << "}}";
  }
  out << ",\n  \"boards\": [";
  for (std::size_t p = 0; p < contents.places.size(); ++p) {
    out << (p == 0 ? "" : ", ") << "{\"column\": " << grid.Col(contents.places[p])
        << ", \"row\": " << grid.Row(contents.places[p]) << "}";
  }
  out << "],\n  \"textures\": [";
  for (std::size_t i = 0; i < contents.textures.size(); ++i) {
    const LayoutTexture& texture = contents.textures[i];
    out << (i == 0 ? "" : ", ") << "{\"slot\": " << texture.slot << ", \"keyA\": " << texture.keyA
        << ", \"keyB\": " << texture.keyB << "}";
  }
  out << "],\n  \"blocksRead\": " << contents.blocksRead << ",\n  \"heights\": ";
  if (contents.blocksRead > 0) {
    out << "{\"min\": " << Number(contents.minHeight) << ", \"max\": " << Number(contents.maxHeight)
        << "}";
  } else {
    out << "null";
  }
  out << ",\n  \"fault\": ";
  if (contents.fault) {
    out << "{\"offset\": " << contents.fault->offset
        << ", \"message\": " << JsonString(contents.fault->message) << "}";
  } else {
    out << "null";
  }
  out << "\n}\n";
}

// The pictures, drawn as the blocks stream by.
class LayoutPictures {
 public:
  LayoutPictures(bool relief, bool minimaps) : wantRelief_(relief), wantMinimaps_(minimaps) {}

  void Start(const LayoutContents& contents) {
    grid_ = GridOf(contents.places);
    if (wantRelief_) {
      relief_.emplace(static_cast<std::int64_t>(grid_.cols) * kBoardSide,
                      static_cast<std::int64_t>(grid_.rows) * kBoardSide);
      shades_.assign(static_cast<std::size_t>(grid_.cols) * grid_.rows, BoardShade::kAbsent);
      for (const LayoutBoardPlace& place : contents.places) {
        shades_[static_cast<std::size_t>(grid_.Row(place)) * grid_.cols + grid_.Col(place)] =
            BoardShade::kShown;
      }
    }
    if (wantMinimaps_) {
      mosaic_.emplace(grid_.cols, grid_.rows);
    }
  }

  // Each board covers the samples up to where the next board starts; the
  // columns and rows it shares with its neighbours are drawn once.
  void Add(const LayoutBoardView& board) {
    const std::int32_t col = grid_.Col(board.place);
    const std::int32_t row = grid_.Row(board.place);
    if (relief_) {
      relief_->Add(static_cast<std::int64_t>(col) * kBoardSide,
                   static_cast<std::int64_t>(row) * kBoardSide, kBoardSide, kBoardSide,
                   board.heights, static_cast<std::ptrdiff_t>(kVertexRunLength), 1);
    }
    if (mosaic_) {
      mosaic_->Add(col, row, board.minimap);
    }
  }

  // Writes the pictures asked for; returns the message of the first that
  // could not be written, or an empty one.
  std::string Write(const InspectOptions& options) const {
    if (relief_) {
      BoardOverlay overlay;
      overlay.boardCols = grid_.cols;
      overlay.boardRows = grid_.rows;
      overlay.shades = shades_;
      overlay.anchorCol = grid_.Col({});
      overlay.anchorRow = grid_.Row({});
      if (!WritePngFile(options.preview, relief_->Render(overlay))) {
        return "Error: the preview could not be written to " + options.preview + ".";
      }
    }
    if (mosaic_ && !WritePngFile(options.minimaps, mosaic_->Image())) {
      return "Error: the minimap mosaic could not be written to " + options.minimaps + ".";
    }
    return {};
  }

 private:
  bool wantRelief_;
  bool wantMinimaps_;
  BoardGrid grid_;
  std::optional<ReliefCanvas> relief_;
  std::optional<MinimapMosaic> mosaic_;
  std::vector<BoardShade> shades_;
};

}  // namespace

LayoutInspection InspectLayout(LayoutSource& source, const std::string& path,
                               const InspectOptions& options, std::ostream& out) {
  LayoutPictures pictures(!options.preview.empty(), !options.minimaps.empty());
  LayoutVisitor visitor;
  visitor.front = [&pictures](const LayoutContents& contents) { pictures.Start(contents); };
  visitor.board = [&pictures](const LayoutBoardView& board) { pictures.Add(board); };
  LayoutInspection inspection;
  inspection.contents = ReadLayout(source, visitor);
  if (options.json) {
    PrintJson(out, path, inspection.contents);
  } else {
    PrintReport(out, path, inspection.contents);
  }
  if (inspection.contents.fault) {
    inspection.message = FaultText(path, *inspection.contents.fault);
  } else {
    inspection.message = pictures.Write(options);
  }
  return inspection;
}

int RunInspectLayout(const std::string& path, const InspectOptions& options) {
  for (const std::string& picture : {options.preview, options.minimaps}) {
    if (const std::string input = InputAtOutput(picture, {path}); !input.empty()) {
      WriteMessageLine(OutputIsInputMessage(picture, input));
      return kExitFailed;
    }
  }
  const std::unique_ptr<LayoutSource> source = FileLayoutSource(path);
  if (!source) {
    WriteMessageLine("Error: layout file not found or failed to open: " + path);
    return kExitFailed;
  }
  std::ostringstream report;
  const LayoutInspection inspection = InspectLayout(*source, path, options, report);
  std::cout << report.str() << std::flush;
  if (!inspection.message.empty()) {
    WriteMessageLine(inspection.message);
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace kem::cli
