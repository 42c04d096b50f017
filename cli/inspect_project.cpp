// `inspect [PROJECT]`: the survey of a project, printed as a short report or
// as JSON, with the relief preview drawn when asked.
#include <cstdint>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/inspect_command.h"
#include "cli/png_file.h"
#include "cli/project_io.h"
#include "cli/report_text.h"
#include "cli/terminal.h"
#include "core/colour.h"
#include "core/file_lookup.h"
#include "core/host.h"
#include "core/output_guard.h"
#include "core/project_rules.h"
#include "core/project_survey.h"
#include "importer/route_area.h"

namespace kem::cli {
namespace {

constexpr int kMaxDrawnCols = 64;  // larger grids are not drawn in the report
constexpr int kMaxDrawnRows = 32;

bool IsMarked(const ProjectSurvey& survey, std::int32_t col, std::int32_t row) {
  return survey.boardMap[static_cast<std::size_t>(row) * survey.grid.cols + col] == kBoardMarked;
}

// The board map a line a row: '#' a board the run writes, '.' one the filter
// leaves out, '@' the anchor.
std::vector<std::string> MapLines(const ProjectSurvey& survey) {
  std::vector<std::string> lines;
  for (std::int32_t row = 0; row < survey.grid.rows; ++row) {
    std::string line;
    for (std::int32_t col = 0; col < survey.grid.cols; ++col) {
      const bool anchor = col == survey.anchor.col && row == survey.anchor.row;
      line += anchor ? '@' : (IsMarked(survey, col, row) ? '#' : '.');
    }
    lines.push_back(line);
  }
  return lines;
}

// Where the height map lies, when its sidecar says.
std::optional<RouteArea> AreaOf(const ProjectSurvey& survey) {
  RouteArea area;
  if (!survey.imageOpened ||
      !ReadRouteArea(survey.resolved.heightMapPath, survey.imageWidth, survey.imageHeight,
                     survey.selectionMade ? survey.anchor.col : -1,
                     survey.selectionMade ? survey.anchor.row : -1, area)) {
    return std::nullopt;
  }
  return area;
}

const char* FormatLabel(DataFormat format) {
  return IsKnownDataFormat(format) ? kDataFormatNames[static_cast<std::size_t>(format)].label
                                   : "unknown format";
}

void PrintReport(std::ostream& out, const std::string& project, const ProjectSettings& settings,
                 const ProjectSurvey& survey, const std::optional<RouteArea>& area) {
  out << "Project: " << project << "\n";
  // The files as the run would find them: beside the project first.
  out << "Height map: " << survey.resolved.heightMapPath;
  if (survey.imageOpened) {
    out << ", " << survey.imageWidth << " x " << survey.imageHeight << " pixels";
  }
  out << "\n";
  if (area) {
    for (const std::string& line : RouteAreaLines(*area)) {
      out << line << "\n";
    }
  }
  if (survey.grid.cols > 0) {
    out << "Board grid: " << survey.grid.cols << " columns x " << survey.grid.rows << " rows";
    if (survey.unusedPixels > 0) {
      out << "; " << survey.unusedPixels << " pixels unused (" << survey.unusedColumns
          << " columns at the right, " << survey.unusedRows << " rows at the "
          << (survey.unusedRowsAtTop ? "top" : "bottom") << ")";
    } else {
      out << ", every pixel used";
    }
    out << "\n";
  }
  if (survey.selectionMade) {
    out << "Boards: " << survey.boardCount << " of " << survey.boardMap.size()
        << (settings.filterGuidePath.empty() ? "" : " selected by the filter guide")
        << "; the anchor is at column " << survey.anchor.col << ", row " << survey.anchor.row
        << "\n";
    if (survey.grid.cols <= kMaxDrawnCols && survey.grid.rows <= kMaxDrawnRows) {
      for (const std::string& line : MapLines(survey)) {
        out << "  " << line << "\n";
      }
    }
    out << "Layout file: " << survey.resolved.outputPath << ", " << survey.layoutBytes
        << " bytes\n";
  }
  if (survey.heightsRead) {
    const HeightSurvey& heights = survey.heights;
    out << "Heights (" << FormatLabel(settings.dataFormat) << "): " << Number(heights.min) << " to "
        << Number(heights.max) << " m, mean " << Number(static_cast<float>(heights.mean))
        << " m over " << heights.pixels << " pixels; " << heights.offFormatPixels
        << " not colours of the format\n";
  }
  if (survey.texturesRead) {
    out << "Textures: " << survey.textureEntries << " in the texture list; up to "
        << survey.mostTextures << " on one board";
    if (survey.mostTextures > 0) {
      out << " (column " << survey.mostTexturesBoard.col << ", row " << survey.mostTexturesBoard.row
          << ")";
    }
    out << "\n";
  }
  for (const std::string& warning : survey.warnings) {
    out << "Warning: " << warning << "\n";
  }
  for (const std::string& note : survey.notes) {
    out << "Note: " << note << "\n";
  }
  if (survey.cancelled) {
    out << "Generation: not known, the survey was cancelled\n";
  } else if (survey.WouldGenerate()) {
    out << "Generation: would write the layout file\n";
  } else {
    out << "Generation: would stop; " << survey.problems.size()
        << (survey.problems.size() == 1 ? " problem" : " problems") << " on standard error\n";
  }
}

std::string JsonBoard(const BoardPosition& board) {
  return "{\"column\": " + std::to_string(board.col) + ", \"row\": " + std::to_string(board.row) +
         "}";
}

void PrintJsonList(std::ostream& out, const std::vector<std::string>& texts) {
  out << "[";
  for (std::size_t i = 0; i < texts.size(); ++i) {
    out << (i == 0 ? "" : ", ") << JsonString(texts[i]);
  }
  out << "]";
}

void PrintJson(std::ostream& out, const std::optional<std::string>& project,
               const ProjectSettings& settings, const ProjectSurvey& survey,
               const std::optional<RouteArea>& area) {
  out << "{\n  \"project\": " << (project ? JsonString(*project) : "null");
  out << ",\n  \"heightMap\": {\"path\": " << JsonString(settings.heightMapPath);
  if (survey.imageOpened) {
    out << ", \"width\": " << survey.imageWidth << ", \"height\": " << survey.imageHeight;
  }
  out << "},\n  \"area\": " << (area ? RouteAreaJson(*area) : "null");
  out << ",\n  \"format\": " << JsonString(FormatLabel(settings.dataFormat));
  out << ",\n  \"grid\": ";
  if (survey.grid.cols > 0) {
    out << "{\"columns\": " << survey.grid.cols << ", \"rows\": " << survey.grid.rows
        << ", \"unusedColumns\": " << survey.unusedColumns
        << ", \"unusedRows\": " << survey.unusedRows << ", \"unusedRowsAt\": \""
        << (survey.unusedRowsAtTop ? "top" : "bottom")
        << "\", \"unusedPixels\": " << survey.unusedPixels << "}";
  } else {
    out << "null";
  }
  out << ",\n  \"selection\": ";
  if (survey.selectionMade) {
    out << "{\"boardCount\": " << survey.boardCount << ", \"anchor\": " << JsonBoard(survey.anchor)
        << ", \"layoutBytes\": " << survey.layoutBytes << ", \"map\": ";
    PrintJsonList(out, MapLines(survey));
    out << "}";
  } else {
    out << "null";
  }
  out << ",\n  \"heights\": ";
  if (survey.heightsRead) {
    const HeightSurvey& heights = survey.heights;
    out << "{\"min\": " << Number(heights.min) << ", \"max\": " << Number(heights.max)
        << ", \"mean\": " << Number(static_cast<float>(heights.mean))
        << ", \"pixels\": " << heights.pixels
        << ", \"offFormatPixels\": " << heights.offFormatPixels << ", \"firstOffFormat\": ";
    if (heights.offFormatPixels > 0) {
      out << "{\"x\": " << heights.firstOffFormatX << ", \"y\": " << heights.firstOffFormatY
          << ", \"red\": " << int{heights.firstOffFormatRgb[0]}
          << ", \"green\": " << int{heights.firstOffFormatRgb[1]}
          << ", \"blue\": " << int{heights.firstOffFormatRgb[2]} << "}";
    } else {
      out << "null";
    }
    out << "}";
  } else {
    out << "null";
  }
  out << ",\n  \"textures\": ";
  if (survey.texturesRead) {
    out << "{\"entries\": " << survey.textureEntries
        << ", \"mostPerBoard\": " << survey.mostTextures
        << ", \"mostAt\": " << JsonBoard(survey.mostTexturesBoard) << ", \"perBoard\": [";
    for (std::int32_t row = 0; row < survey.grid.rows; ++row) {
      out << (row == 0 ? "[" : ", [");
      for (std::int32_t col = 0; col < survey.grid.cols; ++col) {
        out << (col == 0 ? "" : ", ")
            << int{survey.boardTextures[static_cast<std::size_t>(row) * survey.grid.cols + col]};
      }
      out << "]";
    }
    out << "]}";
  } else {
    out << "null";
  }
  out << ",\n  \"problems\": ";
  PrintJsonList(out, survey.problems);
  out << ",\n  \"problemDetails\": ";
  PrintJsonList(out, survey.problemDetails);
  out << ",\n  \"warnings\": ";
  PrintJsonList(out, survey.warnings);
  out << ",\n  \"notes\": ";
  PrintJsonList(out, survey.notes);
  out << ",\n  \"cancelled\": " << (survey.cancelled ? "true" : "false");
  out << ",\n  \"wouldGenerate\": " << (survey.WouldGenerate() ? "true" : "false") << "\n}\n";
}

}  // namespace

int RunInspectProject(const std::optional<std::string>& projectPath,
                      const InspectOptions& options) {
  ProjectSettings settings;
  if (projectPath && !LoadProject(*projectPath, settings)) {
    return kExitFailed;
  }
  ApplyJobOptions(options.job, settings);
  SurveyOptions surveyOptions;
  surveyOptions.lookup = LookupForProject(projectPath.value_or(""));
  // The images as the survey finds them, beside the project first.
  const ProjectSettings found = ResolveProjectPaths(settings, surveyOptions.lookup);
  if (const std::string input = InputAtOutput(
          options.preview, {projectPath.value_or(""), found.heightMapPath, found.minimapPath,
                            found.texturingGuidePath, found.filterGuidePath});
      !input.empty()) {
    WriteMessageLine(OutputIsInputMessage(options.preview, input));
    return kExitFailed;
  }

  surveyOptions.relief = !options.preview.empty();
  InterruptCatcher interrupts(SecondInterrupt::kEndsProcess);
  surveyOptions.cancelled = [] { return Interrupted(); };
  ProjectSurvey survey = SurveyProject(settings, surveyOptions);

  const std::optional<RouteArea> area = AreaOf(survey);
  std::ostringstream report;
  if (options.json) {
    PrintJson(report, projectPath, settings, survey, area);
  } else {
    PrintReport(report, projectPath.value_or("(a new project)"), settings, survey, area);
  }
  std::cout << report.str() << std::flush;
  if (survey.cancelled) {
    return InterruptedExitStatus();
  }
  for (std::size_t i = 0; i < survey.problems.size(); ++i) {
    WriteMessageLine(Host::MessageWithDetail(survey.problems[i], survey.problemDetails[i]));
  }
  bool pictureWritten = true;
  if (!options.preview.empty()) {
    if (survey.relief.width < 1) {
      WriteMessageLine("Error: no preview: the heights of the map could not be read.");
      pictureWritten = false;
    } else if (!WritePngFile(options.preview, survey.relief)) {
      WriteMessageLine("Error: the preview could not be written to " + options.preview + ".");
      pictureWritten = false;
    }
  }
  return survey.WouldGenerate() && pictureWritten ? kExitOk : kExitFailed;
}

}  // namespace kem::cli
