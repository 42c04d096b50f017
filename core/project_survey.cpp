// The survey of a project: the generator's own checks, selection and height
// decoding, run against a host that only collects what they would show.
#include "core/project_survey.h"

#include <algorithm>
#include <bitset>
#include <charconv>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>

#include "core/board_heights.h"
#include "core/colour.h"
#include "core/file_problems.h"
#include "core/generator_messages.h"
#include "core/layout_file.h"
#include "core/open_file.h"
#include "core/project_rules.h"
#include "core/targa_source.h"

namespace kem {
namespace {

constexpr int kOverlap = kWindowSide - kBoardSide;  // pixels a window shares with the next

// The window's top-left pixel: windows keep their rows bottom up.
const std::uint8_t* TopLeftPixel(const TargaSource& source) {
  return source.window.data() + static_cast<std::size_t>(GridIndex(0, 0)) * kWindowPixelBytes;
}

class NoProgress final : public ProgressBar {
 public:
  int StepIt() override { return 0; }
};

// Keeps what the generator's checks would show, in order: messages are the
// problems a run stops on, information boxes are what it goes on despite.
class CollectingHost final : public Host {
 public:
  explicit CollectingHost(ProjectSurvey& survey) : survey_(survey) {}

  void ShowMessage(const std::string& text) override { ShowDetailedMessage(text, ""); }
  void ShowDetailedMessage(const std::string& text, const std::string& detail) override {
    survey_.problems.push_back(text);
    survey_.problemDetails.push_back(detail);
  }
  void ShowInformation(const std::string& /*caption*/, const std::string& text) override {
    survey_.warnings.push_back(text);
  }
  std::unique_ptr<ProgressBar> CreateProgressBar(const std::string&, int, int, bool, int) override {
    return std::make_unique<NoProgress>();
  }
  bool PumpMessages() override { return true; }

 private:
  ProjectSurvey& survey_;
};

std::string Number(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string Metres(float value) {
  return Number(static_cast<double>(value)) + " m";
}

// Opens an optional source and checks it as the run does; against the
// elevation image when that opened, otherwise against itself (only its own
// faults can then be told). False when the run would stop on it.
bool OpenOptional(const std::string& path, const std::string& detail,
                  std::unique_ptr<TargaSource>& source, const TargaSource* elevation,
                  const char* role, Host& host) {
  int code = 0;
  source = OpenTargaSource(path, code);
  if (!source) {
    ReportTargaOpenError(code, host, detail);
    return false;
  }
  return CheckTargaSource(*source, elevation != nullptr ? *elevation : *source, host, role);
}

void AddRangeWarnings(const ProjectSettings& settings, std::vector<std::string>& warnings) {
  if (std::isnan(settings.baseHeight) || std::isnan(settings.maxHeight)) {
    warnings.push_back(
        "The base or the maximum height is not a number, so no height decodes to "
        "a number.");
  } else if (IsFlatTerrain(settings)) {
    warnings.push_back("Flat terrain: the base and the maximum height are both " +
                       Metres(settings.baseHeight) + ", so every vertex comes out at " +
                       Metres(settings.baseHeight) + ".");
  } else if (settings.baseHeight > settings.maxHeight) {
    warnings.push_back("Inverted height range: the base height (" + Metres(settings.baseHeight) +
                       ") is above the maximum height (" + Metres(settings.maxHeight) +
                       "), so the highest colour codes give the lowest ground.");
  }
}

// The survey of one project, step by step in the run's order.
class Survey {
 public:
  Survey(const ProjectSettings& settings, const SurveyOptions& options)
      : options_(options),
        given_(settings),
        job_(ResolveProjectPaths(settings, options.lookup)),
        host_(result_) {
    result_.resolved = job_;
    result_.tileTemplate = options.tileTemplate.empty()
                               ? FindDataFile(kTileTemplateFile, options.lookup)
                               : options.tileTemplate;
    result_.textureList = options.textureList.empty()
                              ? FindDataFile(kTextureListFile, options.lookup)
                              : options.textureList;
  }

  ProjectSurvey Run() {
    CheckTemplate();
    OpenElevation();
    CheckFormat();
    OpenGuides();
    LoadTextures();
    if (const std::string problem = OutputProblem(job_.outputPath); !problem.empty()) {
      host_.ShowDetailedMessage(kCannotCreateMessage, problem);
    }
    NoteAmbiguousNames();
    AddRangeWarnings(job_, result_.warnings);
    AddUnusedPixelsWarning();
    if (elevationUsable_ && filterUsable_) {
      SelectBoards();
    }
    if (result_.selectionMade && !result_.cancelled && formatKnown_) {
      ReadBoards();
    }
    return std::move(result_);
  }

 private:
  bool Cancelled() {
    if (options_.cancelled && options_.cancelled()) {
      result_.cancelled = true;
    }
    return result_.cancelled;
  }

  void CheckTemplate() {
    std::vector<std::uint8_t> buffer;
    const TemplateLoad load = LoadTemplate(buffer, result_.tileTemplate);
    if (load != TemplateLoad::kLoaded) {
      host_.ShowDetailedMessage(TemplateLoadMessage(load),
                                TemplateLoadDetail(load, result_.tileTemplate, options_.lookup));
    } else if (IsPlaceholderTemplate(buffer)) {
      result_.warnings.push_back(kPlaceholderTemplateMessage);
    }
  }

  // A name held in more than one of the places searched: say which is used.
  void NoteAmbiguousNames() {
    for (const ImageField& field : kImageFields) {
      if (std::string note = AmbiguityNote(given_.*field.path, options_.lookup, false);
          !note.empty()) {
        result_.notes.push_back(std::move(note));
      }
    }
    if (options_.tileTemplate.empty()) {
      if (std::string note = AmbiguityNote(kTileTemplateFile, options_.lookup, true);
          !note.empty()) {
        result_.notes.push_back(std::move(note));
      }
    }
    if (options_.textureList.empty() && !job_.texturingGuidePath.empty()) {
      if (std::string note = AmbiguityNote(kTextureListFile, options_.lookup, true);
          !note.empty()) {
        result_.notes.push_back(std::move(note));
      }
    }
  }

  std::string OpenDetail(std::string ProjectSettings::*path) const {
    return OpenProblemDetail(given_.*path, options_.lookup, false);
  }

  void OpenElevation() {
    int code = 0;
    job_.elevation = OpenTargaSource(job_.heightMapPath, code);
    if (!job_.elevation) {
      ReportTargaOpenError(code, host_, OpenDetail(&ProjectSettings::heightMapPath));
      return;
    }
    const TargaHeader& header = job_.elevation->header;
    result_.imageOpened = true;
    result_.imageWidth = header.width;
    result_.imageHeight = header.height;
    const bool passed = CheckTargaSource(*job_.elevation, *job_.elevation, host_, "height map");
    const BoardGrid grid = BoardGridOf(header.width, header.height);
    if (!grid.FitsImage(header.width, header.height)) {
      host_.ShowMessage(kDimensionsMessage);
      return;
    }
    result_.grid = grid;
    job_.boardCols = grid.cols;
    job_.boardRows = grid.rows;
    const std::int32_t usedWidth = grid.cols * kBoardSide + kOverlap;
    const std::int32_t usedHeight = grid.rows * kBoardSide + kOverlap;
    result_.unusedColumns = header.width - usedWidth;
    result_.unusedRows = header.height - usedHeight;
    result_.unusedRowsAtTop = (header.descriptor & kDescriptorTopDown) == 0;
    result_.unusedPixels = std::int64_t{header.width} * header.height -
                           std::int64_t{usedWidth} * std::int64_t{usedHeight};
    elevationUsable_ = passed;
  }

  void CheckFormat() {
    formatKnown_ = IsKnownDataFormat(job_.dataFormat);
    if (!formatKnown_) {
      host_.ShowMessage(kUnknownFormatMessage);
      return;
    }
    job_.heightScale = HeightScale(job_);
  }

  void OpenGuides() {
    const TargaSource* elevation = job_.elevation.get();
    if (!job_.minimapPath.empty()) {
      minimapUsable_ = OpenOptional(job_.minimapPath, OpenDetail(&ProjectSettings::minimapPath),
                                    job_.minimap, elevation, "minimap", host_);
    }
    if (!job_.texturingGuidePath.empty()) {
      guideUsable_ =
          OpenOptional(job_.texturingGuidePath, OpenDetail(&ProjectSettings::texturingGuidePath),
                       job_.texturingGuide, elevation, "texturing guide", host_);
    }
    if (!job_.filterGuidePath.empty()) {
      filterUsable_ =
          OpenOptional(job_.filterGuidePath, OpenDetail(&ProjectSettings::filterGuidePath),
                       job_.filterGuide, elevation, "filter guide", host_);
    }
  }

  void LoadTextures() {
    if (job_.texturingGuidePath.empty()) {
      return;
    }
    textures_ = std::make_unique<TextureTable>();
    LoadTextureTable(*textures_, job_.texturingGuidePath, host_, result_.textureList);
    job_.textures = textures_.get();
    while (result_.textureEntries < kTextureTableCapacity &&
           textures_->entries[static_cast<std::size_t>(result_.textureEntries)].keyA != 0) {
      ++result_.textureEntries;
    }
  }

  void AddUnusedPixelsWarning() {
    if (result_.unusedPixels == 0) {
      return;
    }
    result_.warnings.push_back(
        std::to_string(result_.unusedPixels) +
        " pixels of the height map are not used by any "
        "board: " +
        std::to_string(result_.unusedColumns) + " columns at the right and " +
        std::to_string(result_.unusedRows) + " rows at the " +
        (result_.unusedRowsAtTop ? "top" : "bottom") + ". Boards use " +
        std::to_string(result_.grid.cols * kBoardSide + kOverlap) + " x " +
        std::to_string(result_.grid.rows * kBoardSide + kOverlap) + " of its " +
        std::to_string(result_.imageWidth) + " x " + std::to_string(result_.imageHeight) +
        " pixels (72 per board and 4 more).");
  }

  // The run's selection: the filter pass over every board in row-major order,
  // or every board marked.
  void SelectBoards() {
    const std::size_t boards =
        static_cast<std::size_t>(job_.boardCols) * static_cast<std::size_t>(job_.boardRows);
    job_.boardMap = std::make_unique<BoardMap>(boards, 0);
    if (!job_.filterGuidePath.empty()) {
      for (std::int32_t row = 0; row < job_.boardRows; ++row) {
        for (std::int32_t col = 0; col < job_.boardCols; ++col) {
          if (Cancelled()) {
            return;
          }
          FilterBoard(col, row, job_);
        }
      }
      job_.boardCount = CountMarkedBoards(job_);
    } else {
      std::fill(job_.boardMap->begin(), job_.boardMap->end(), kBoardMarked);
      job_.boardCount = static_cast<std::int32_t>(boards);
    }
    result_.selectionMade = true;
    result_.boardMap = *job_.boardMap;
    result_.boardCount = job_.boardCount;
    result_.anchor = FindAnchorBoard(*job_.boardMap, job_.boardCols, job_.boardRows);
    result_.layoutBytes = LayoutFileSize(job_.boardCount);
    if (!LayoutFits(job_.boardCount)) {
      host_.ShowMessage(kTooManyBoardsMessage);
    }
    if (job_.boardCount == 0) {
      result_.warnings.push_back(
          "The filter guide marks no board (no pure cyan pixel): the layout file will index no "
          "board and hold only the block of board (0, 0).");
    }
  }

  // Boards whose block the run writes: the marked ones, or board (0, 0) when
  // none is marked.
  bool Written(std::int32_t col, std::int32_t row) const {
    if (col < 0 || row < 0 || col >= job_.boardCols || row >= job_.boardRows) {
      return false;
    }
    if (job_.boardCount == 0) {
      return col == 0 && row == 0;
    }
    return (*job_.boardMap)[static_cast<std::size_t>(row) * job_.boardCols + col] == kBoardMarked;
  }

  void ReadBoards() {
    const std::int64_t gridWidth = std::int64_t{job_.boardCols} * kBoardSide + kOverlap;
    const std::int64_t gridHeight = std::int64_t{job_.boardRows} * kBoardSide + kOverlap;
    std::optional<ReliefCanvas> canvas;
    if (options_.relief) {
      canvas.emplace(gridWidth, gridHeight);
    }
    const bool surveyTextures = job_.texturingGuide && guideUsable_;
    // Without a minimap image the boards' minimaps show the height map itself.
    std::optional<ColourCanvas> guideColours;
    std::optional<ColourCanvas> minimapColours;
    TargaSource* minimapSource = nullptr;
    if (canvas && options_.drapes) {
      if (surveyTextures) {
        guideColours.emplace(gridWidth, gridHeight);
      }
      if (job_.minimapPath.empty()) {
        minimapSource = job_.elevation.get();
      } else if (job_.minimap && minimapUsable_) {
        minimapSource = job_.minimap.get();
      }
      if (minimapSource != nullptr) {
        minimapColours.emplace(gridWidth, gridHeight);
      }
    }
    if (surveyTextures) {
      result_.boardTextures.assign(static_cast<std::size_t>(job_.boardCols) * job_.boardRows, 0);
    }
    // Picture row of window row 0 of board row 0: an image stored bottom up
    // leaves its unused rows at the top.
    const std::int32_t topOffset = result_.unusedRowsAtTop ? result_.unusedRows : 0;
    result_.heights.min = std::numeric_limits<float>::infinity();
    result_.heights.max = -std::numeric_limits<float>::infinity();
    double sum = 0.0;
    std::vector<std::uint8_t> slots(surveyTextures ? kWindowPixels : 0);

    for (std::int32_t row = 0; row < job_.boardRows; ++row) {
      for (std::int32_t col = 0; col < job_.boardCols; ++col) {
        if (Cancelled()) {
          return;
        }
        const bool written = Written(col, row);
        if (!written && !canvas && !options_.board) {
          continue;
        }
        TargaSource& elevation = *job_.elevation;
        ReadBoardWindow(col, row, job_.boardCols, job_.boardRows, elevation);
        DecodeHeights(job_, elevation.window.data(), elevation.heights.data());
        if (written) {
          AddHeights(col, row, topOffset, sum);
        }
        // Each board adds its own 72 x 72 pixels; the last column and row
        // add the whole window, so every pixel of the grid comes once.
        const std::int64_t left = std::int64_t{col} * kBoardSide;
        const std::int64_t top = std::int64_t{row} * kBoardSide;
        const int columns = col + 1 == job_.boardCols ? kWindowSide : kBoardSide;
        const int rows = row + 1 == job_.boardRows ? kWindowSide : kBoardSide;
        if (canvas) {
          canvas->Add(left, top, columns, rows, elevation.heights.data() + GridIndex(0, 0), 1,
                      -kWindowSide);
        }
        const bool slotsRead = written && surveyTextures;
        if (slotsRead || guideColours) {
          ReadBoardWindow(col, row, job_.boardCols, job_.boardRows, *job_.texturingGuide);
        }
        if (slotsRead) {
          CountTextures(col, row, slots.data());
        }
        if (guideColours) {
          guideColours->Add(left, top, columns, rows, TopLeftPixel(*job_.texturingGuide), 1,
                            -kWindowSide);
        }
        if (minimapColours) {
          if (minimapSource != &elevation) {
            ReadBoardWindow(col, row, job_.boardCols, job_.boardRows, *minimapSource);
          }
          minimapColours->Add(left, top, columns, rows, TopLeftPixel(*minimapSource), 1,
                              -kWindowSide);
        }
        if (options_.board) {
          options_.board(
              {col, row, written, elevation.heights.data(), slotsRead ? slots.data() : nullptr});
        }
      }
    }
    HeightSurvey& heights = result_.heights;
    heights.mean = heights.pixels > 0 ? sum / static_cast<double>(heights.pixels) : 0.0;
    if (heights.pixels == 0) {
      heights.min = heights.max = 0.0f;
    }
    result_.heightsRead = true;
    result_.texturesRead = surveyTextures;
    AddOffFormatWarning();
    if (canvas) {
      BoardOverlay overlay;
      overlay.boardCols = job_.boardCols;
      overlay.boardRows = job_.boardRows;
      overlay.shades.resize(result_.boardMap.size());
      for (std::size_t i = 0; i < overlay.shades.size(); ++i) {
        overlay.shades[i] =
            result_.boardMap[i] == kBoardMarked ? BoardShade::kShown : BoardShade::kDimmed;
      }
      overlay.anchorCol = result_.anchor.col;
      overlay.anchorRow = result_.anchor.row;
      result_.relief = canvas->Render(overlay);
      result_.reliefHeights = canvas->Heights();
      result_.reliefFactor = static_cast<std::int32_t>(canvas->Factor());
      if (guideColours) {
        const RgbImage colours = guideColours->Image();
        result_.guideRelief = canvas->Render(overlay, &colours);
      }
      if (minimapColours) {
        const RgbImage colours = minimapColours->Image();
        result_.minimapRelief = canvas->Render(overlay, &colours);
      }
    }
  }

  // Adds the heights of a written board's window to the statistics, each
  // pixel once: a pixel it shares with a written board read earlier (left,
  // above, above left or above right) was counted there.
  void AddHeights(std::int32_t col, std::int32_t row, std::int32_t topOffset, double& sum) {
    const bool left = Written(col - 1, row);
    const bool above = Written(col, row - 1);
    const bool aboveLeft = Written(col - 1, row - 1);
    const bool aboveRight = Written(col + 1, row - 1);
    const TargaSource& elevation = *job_.elevation;
    HeightSurvey& heights = result_.heights;
    for (int y = 0; y < kWindowSide; ++y) {
      const bool topStrip = y < kOverlap;
      if (topStrip && above) {
        continue;
      }
      const int first = (left || (topStrip && aboveLeft)) ? kOverlap : 0;
      const int end = (topStrip && aboveRight) ? kBoardSide : kWindowSide;
      const int index = GridIndex(first, y);
      const int count = end - first;
      const float* values = elevation.heights.data() + index;
      float low = heights.min;
      float high = heights.max;
      // Four sums side by side, so the additions need not wait for each other.
      double sums[4] = {0.0, 0.0, 0.0, 0.0};
      for (int i = 0; i < count; ++i) {
        low = std::min(low, values[i]);
        high = std::max(high, values[i]);
        sums[i % 4] += static_cast<double>(values[i]);
      }
      heights.min = low;
      heights.max = high;
      sum += (sums[0] + sums[1]) + (sums[2] + sums[3]);
      heights.pixels += count;
      const std::uint8_t* pixels =
          elevation.window.data() + static_cast<std::size_t>(index) * kWindowPixelBytes;
      const int codes = CountColourCodes(job_.dataFormat, pixels, count);
      if (codes < count && heights.offFormatPixels == 0) {
        int x = 0;
        while (IsColourCode(job_.dataFormat, pixels + x * kWindowPixelBytes)) {
          ++x;
        }
        const std::uint8_t* pixel = pixels + x * kWindowPixelBytes;
        heights.firstOffFormatX = col * kBoardSide + first + x;
        heights.firstOffFormatY = topOffset + row * kBoardSide + y;
        heights.firstOffFormatRgb[0] = pixel[2];
        heights.firstOffFormatRgb[1] = pixel[1];
        heights.firstOffFormatRgb[2] = pixel[0];
      }
      heights.offFormatPixels += count - codes;
    }
  }

  // The texture slot of every vertex of a written board whose guide window
  // has been read, as the board writer matches it, and the number of
  // distinct textures among them.
  void CountTextures(std::int32_t col, std::int32_t row, std::uint8_t* slots) {
    const TargaSource& guide = *job_.texturingGuide;
    std::bitset<kMatchedTextures + 1> used;
    // Guides are painted in patches: a pixel like the one before has its slot.
    const std::uint8_t* previous = nullptr;
    std::uint8_t slot = 0;
    for (int i = 0; i < kWindowPixels; ++i) {
      const std::uint8_t* pixel = guide.window.data() + static_cast<std::size_t>(i) * 3;
      if (previous == nullptr || !std::equal(pixel, pixel + 3, previous)) {
        const HsvColour hsv = RgbToHsv(pixel[2], pixel[1], pixel[0]);
        slot = static_cast<std::uint8_t>(
            MatchTexture(*job_.textures, hsv.hue, hsv.saturation, hsv.value));
        previous = pixel;
      }
      slots[i] = slot;
      used.set(slot);
    }
    used.reset(0);
    const auto count = static_cast<std::int32_t>(used.count());
    result_.boardTextures[static_cast<std::size_t>(row) * job_.boardCols + col] =
        static_cast<std::uint8_t>(count);
    if (count > result_.mostTextures) {
      result_.mostTextures = count;
      result_.mostTexturesBoard = {col, row};
    }
  }

  void AddOffFormatWarning() {
    const HeightSurvey& heights = result_.heights;
    if (heights.offFormatPixels == 0) {
      return;
    }
    const auto& name = kDataFormatNames[static_cast<std::size_t>(job_.dataFormat)];
    result_.warnings.push_back(
        std::to_string(heights.offFormatPixels) + " of the " + std::to_string(heights.pixels) +
        " pixels read are not colours of the \"" + name.label + "\" scale; the first is at (" +
        std::to_string(heights.firstOffFormatX) + ", " + std::to_string(heights.firstOffFormatY) +
        "), red " + std::to_string(heights.firstOffFormatRgb[0]) + ", green " +
        std::to_string(heights.firstOffFormatRgb[1]) + ", blue " +
        std::to_string(heights.firstOffFormatRgb[2]) + ". Is the data format the right one?");
  }

  const SurveyOptions& options_;
  const ProjectSettings& given_;
  ProjectSurvey result_;
  TerrainJob job_;
  CollectingHost host_;
  std::unique_ptr<TextureTable> textures_;
  bool elevationUsable_ = false;
  bool formatKnown_ = false;
  bool guideUsable_ = false;
  bool minimapUsable_ = false;
  bool filterUsable_ = true;
};

}  // namespace

ProjectSurvey SurveyProject(const ProjectSettings& settings, const SurveyOptions& options) {
  return Survey(settings, options).Run();
}

}  // namespace kem
