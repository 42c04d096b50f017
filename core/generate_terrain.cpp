#include "core/generate_terrain.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>

#include "core/board_selection.h"
#include "core/board_writer.h"
#include "core/colour.h"
#include "core/layout_file.h"
#include "core/replacing_file.h"
#include "core/targa_source.h"
#include "core/texture_table.h"

namespace kem {

namespace {

constexpr const char* kTemplateMissingMessage =
    "Error: tile template file tile_blank.dat not found or failed to open.";
constexpr const char* kTemplateNoMemoryMessage =
    "Error: memory allocation failed while reading template file tile_blank.dat.";
constexpr const char* kTemplateShortMessage =
    "Error: tile template file tile_blank.dat is shorter than 780 bytes.";
constexpr const char* kDimensionsMessage =
    "Error: image dimensions unsuitable for terrain generation.";
constexpr const char* kUnknownFormatMessage = "Error: unknown height data format.";
constexpr const char* kNoMemoryMessage = "Error: memory allocation failed.";
constexpr const char* kCannotCreateMessage = "Error: layout file could not be created.";
constexpr const char* kWriteFailedMessage = "Error: failed to write layout file.";
constexpr const char* kTooManyBoardsMessage = "Error: too many boards for one layout file.";

constexpr const char* kFilteringCaption = "Filtering boards ::";
constexpr const char* kTerraformingCaption = "Terraforming boards ::";
constexpr int kProgressSize = 99;  // per cent of the pane after the text
constexpr int kStatusPane = 0;

// Board blocks arrive 123318 bytes at a time; a large stream buffer keeps the
// number of system calls low.
constexpr std::size_t kLayoutBufferSize = std::size_t{1} << 20;

enum class TemplateLoad { kLoaded, kMissing, kShort, kNoMemory };

// Reads the first 780 bytes of tile_blank.dat at `path`; nothing more of it
// is used.
TemplateLoad LoadTemplate(const std::string& path, std::vector<std::uint8_t>& buffer) {
  FilePtr file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    return TemplateLoad::kMissing;
  }
  try {
    buffer.assign(kTemplateBlockSize, 0);
  } catch (const std::bad_alloc&) {
    return TemplateLoad::kNoMemory;
  }
  const std::size_t read = std::fread(buffer.data(), 1, buffer.size(), file.get());
  if (read == buffer.size()) {
    return TemplateLoad::kLoaded;
  }
  // A folder of that name opens but cannot be read.
  const bool unreadable = std::ferror(file.get()) != 0;
  buffer.clear();
  buffer.shrink_to_fit();
  return unreadable ? TemplateLoad::kMissing : TemplateLoad::kShort;
}

bool IsKnownFormat(DataFormat format) {
  return format >= kSpectrumColours && format <= k24BitHeightCoding;
}

bool IsMarked(const TerrainJob& job, int col, int row) {
  return (*job.boardMap)[static_cast<std::size_t>(row) * static_cast<std::size_t>(job.boardCols) +
                         static_cast<std::size_t>(col)] == kBoardMarked;
}

// Lets the host's events run and tells whether the user has cancelled since.
bool PumpAndTestCancel(Host& host) {
  host.PumpMessages();
  return host.IsCancelled();
}

// The run once the template is loaded, from the elevation image to the
// committed layout. Every exit goes through ReleaseJob.
GenerateResult RunLoaded(TerrainJob& job, Host& host, const OutputFileFactory& createOutput,
                         const FileLookup& lookup, std::vector<std::uint8_t>& templateBuffer) {
  auto stop = [&](const std::string& message) {
    ReleaseJob(message, job, templateBuffer, host);
    return GenerateResult{};
  };
  auto cancel = [&] {
    ReleaseJob("", job, templateBuffer, host);
    return GenerateResult{RunOutcome::kCancelled, 0, 0};
  };

  // Elevation image.
  int code = 0;
  job.elevation = OpenTargaSource(job.heightMapPath, code);
  if (!job.elevation) {
    ReportTargaOpenError(code, host);
    return stop("");
  }

  // Grid. The check's own messages come before the dimension message.
  const bool elevationOk = CheckTargaSource(*job.elevation, *job.elevation, host);
  const int width = job.elevation->header.width;
  const int height = job.elevation->header.height;
  job.boardCols = (width - 4) / kBoardSide;
  job.boardRows = (height - 4) / kBoardSide;
  if (job.boardCols < 1 || job.boardRows < 1 || job.boardCols * kBoardSide + 4 > width ||
      job.boardRows * kBoardSide + 4 > height) {
    return stop(kDimensionsMessage);
  }
  if (!elevationOk) {
    return stop("");
  }

  // Height scale.
  if (!IsKnownFormat(job.dataFormat)) {
    return stop(kUnknownFormatMessage);
  }
  job.heightScale = static_cast<float>((static_cast<double>(job.maxHeight) - job.baseHeight) *
                                       static_cast<double>(HeightFactor(job.dataFormat)));

  // Optional sources: minimap, texturing guide, filter guide.
  auto openOptional = [&](const std::string& path, std::unique_ptr<TargaSource>& source) {
    if (path.empty()) {
      return true;
    }
    int openCode = 0;
    source = OpenTargaSource(path, openCode);
    if (!source) {
      ReportTargaOpenError(openCode, host);
      return false;
    }
    return CheckTargaSource(*source, *job.elevation, host);
  };
  if (!openOptional(job.minimapPath, job.minimap) ||
      !openOptional(job.texturingGuidePath, job.texturingGuide) ||
      !openOptional(job.filterGuidePath, job.filterGuide)) {
    return stop("");
  }

  job.textures =
      &MakeTextureTable(job.texturingGuidePath, host, FindDataFile(kTextureListFile, lookup));

  // Board map, and the block buffer that every board reuses.
  const int boards = job.boardCols * job.boardRows;
  std::vector<std::uint8_t> block;
  try {
    job.boardMap = std::make_unique<BoardMap>(static_cast<std::size_t>(boards), 0);
    block.resize(kBoardBlockSize);
  } catch (const std::bad_alloc&) {
    return stop(kNoMemoryMessage);
  }

  job.output = createOutput(job.outputPath);
  if (!job.output) {
    return stop(kCannotCreateMessage);
  }

  // Selection.
  if (!job.filterGuidePath.empty()) {
    auto bar = host.CreateProgressBar(kFilteringCaption, kProgressSize, boards, false, kStatusPane);
    for (int row = 0; row < job.boardRows; ++row) {
      for (int col = 0; col < job.boardCols; ++col) {
        bar->StepIt();
        if (PumpAndTestCancel(host)) {
          return cancel();
        }
        FilterBoard(col, row, job);
      }
    }
    job.boardCount += CountMarkedBoards(job);
  } else {
    std::fill(job.boardMap->begin(), job.boardMap->end(), kBoardMarked);
    job.boardCount = boards;
  }
  if (!LayoutFits(job.boardCount)) {
    return stop(kTooManyBoardsMessage);
  }

  // Anchor: the last marked board in row-major order, else board (0, 0).
  int anchorCol = 0;
  int anchorRow = 0;
  bool found = false;
  for (int row = job.boardRows - 1; row >= 0 && !found; --row) {
    for (int col = job.boardCols - 1; col >= 0 && !found; --col) {
      if (IsMarked(job, col, row)) {
        anchorCol = col;
        anchorRow = row;
        found = true;
      }
    }
  }
  job.anchorColOffset = anchorCol - job.boardCols;
  job.anchorRowOffset = anchorRow - job.boardRows;

  // Everything in front of the board blocks.
  OutputFile& output = *job.output;
  WriteLayoutHead(output, job.boardCount);
  WriteBoardIndex(output, *job.boardMap, job.boardCols, job.boardRows, job.boardCount, anchorCol,
                  anchorRow);
  WriteTemplateBlock(output, templateBuffer.data());
  WriteTextureSection(output, job.textures);
  if (output.Failed()) {
    return stop(kWriteFailedMessage);
  }

  // The anchor's block comes first, even when no board is marked.
  WriteBoard(job.boardCols + job.anchorColOffset, job.boardRows + job.anchorRowOffset, job, block);
  if (output.Failed()) {
    return stop(kWriteFailedMessage);
  }

  // Every other marked board in row-major order; the last marked one is the
  // anchor, already written.
  auto bar =
      host.CreateProgressBar(kTerraformingCaption, kProgressSize, boards, false, kStatusPane);
  int written = 0;
  for (int row = 0; row < job.boardRows; ++row) {
    for (int col = 0; col < job.boardCols; ++col) {
      bar->StepIt();
      if (PumpAndTestCancel(host)) {
        return cancel();
      }
      if (!IsMarked(job, col, row)) {
        continue;
      }
      if (written < job.boardCount - 1) {
        WriteBoard(col, row, job, block);
        if (output.Failed()) {
          return stop(kWriteFailedMessage);
        }
      }
      ++written;
    }
  }

  if (!output.Commit()) {
    return stop(kWriteFailedMessage);
  }
  const GenerateResult result{RunOutcome::kWritten, job.boardCount,
                              static_cast<std::uint64_t>(LayoutFileSize(job.boardCount))};
  ReleaseJob("", job, templateBuffer, host);
  bar.reset();
  return result;
}

// The project with its image and output paths as found through `lookup`.
ProjectSettings ResolvePaths(const ProjectSettings& settings, const FileLookup& lookup) {
  ProjectSettings resolved = settings;
  for (std::string ProjectSettings::*path :
       {&ProjectSettings::heightMapPath, &ProjectSettings::minimapPath,
        &ProjectSettings::texturingGuidePath, &ProjectSettings::filterGuidePath}) {
    resolved.*path = FindProjectFile(settings.*path, lookup);
  }
  resolved.outputPath = FindOutputPlace(settings.outputPath, lookup);
  return resolved;
}

}  // namespace

GenerateResult GenerateTerrain(const ProjectSettings& settings, Host& host,
                               const FileLookup& lookup) {
  return GenerateTerrain(
      settings, host,
      [](const std::string& path) {
        return std::unique_ptr<OutputFile>(ReplacingFile::Create(path, kLayoutBufferSize));
      },
      lookup);
}

GenerateResult GenerateTerrain(const ProjectSettings& settings, Host& host,
                               const OutputFileFactory& createOutput, const FileLookup& lookup) {
  std::vector<std::uint8_t> templateBuffer;
  switch (LoadTemplate(FindDataFile(kTileTemplateFile, lookup), templateBuffer)) {
    case TemplateLoad::kLoaded:
      break;
    case TemplateLoad::kMissing:
      host.ShowMessage(kTemplateMissingMessage);
      return {};
    case TemplateLoad::kShort:
      host.ShowMessage(kTemplateShortMessage);
      return {};
    case TemplateLoad::kNoMemory:
      host.ShowMessage(kTemplateNoMemoryMessage);
      return {};
  }
  // The job holds everything the run opens; it is idle again on every return.
  TerrainJob job(ResolvePaths(settings, lookup));
  try {
    return RunLoaded(job, host, createOutput, lookup, templateBuffer);
  } catch (const std::bad_alloc&) {
    ReleaseJob(kNoMemoryMessage, job, templateBuffer, host);
    return {};
  } catch (...) {
    ReleaseJob("", job, templateBuffer, host);
    throw;
  }
}

void ReleaseJob(const std::string& message, TerrainJob& job,
                std::vector<std::uint8_t>& templateBuffer, Host& host) {
  if (!message.empty()) {
    host.ShowMessage(message);
  }
  job.output.reset();
  job.boardMap.reset();
  job.textures = nullptr;
  job.filterGuide = ReleaseTargaSource(std::move(job.filterGuide));
  job.texturingGuide = ReleaseTargaSource(std::move(job.texturingGuide));
  job.minimap = ReleaseTargaSource(std::move(job.minimap));
  job.elevation = ReleaseTargaSource(std::move(job.elevation));
  templateBuffer.clear();
  templateBuffer.shrink_to_fit();
  job.boardCount = 0;
}

void ReportTargaOpenError(int code, Host& host) {
  switch (code) {
    case kTargaOpenNoMemory:
      host.ShowMessage("Error: memory allocation failed.");
      break;
    case kTargaOpenCannotOpen:
      host.ShowMessage("Error: image not found or failed to open.");
      break;
    case kTargaOpenNotTarga:
      host.ShowMessage("Error: file is not a targa image.");
      break;
    default:
      host.ShowMessage("Undetermined error while reading Targa file.");
      break;
  }
}

}  // namespace kem
