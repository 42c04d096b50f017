#include "core/generate_terrain.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>

#include "core/board_pipeline.h"
#include "core/board_selection.h"
#include "core/board_writer.h"
#include "core/colour.h"
#include "core/file_problems.h"
#include "core/generator_messages.h"
#include "core/layout_file.h"
#include "core/open_file.h"
#include "core/ordered_workers.h"
#include "core/output_guard.h"
#include "core/replacing_file.h"
#include "core/targa_source.h"
#include "core/texture_table.h"

namespace kem {

namespace {

constexpr const char* kFilteringCaption = "Filtering boards ::";
constexpr const char* kTerraformingCaption = "Terraforming boards ::";
constexpr int kProgressSize = 99;  // per cent of the pane after the text
constexpr int kStatusPane = 0;

// Board blocks arrive 123318 bytes at a time; a large stream buffer keeps the
// number of system calls low.
constexpr std::size_t kLayoutBufferSize = std::size_t{1} << 20;

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
GenerateResult RunLoaded(TerrainJob& job, const ProjectSettings& given, Host& host,
                         const OutputFileFactory& createOutput, const GenerateOptions& options,
                         std::vector<std::uint8_t>& templateBuffer) {
  // Stopped before the job is released: its workers read the job's settings.
  std::optional<BoardPipeline> pipeline;
  auto stop = [&](const std::string& message) {
    pipeline.reset();
    ReleaseJob(message, job, templateBuffer, host);
    return GenerateResult{};
  };
  auto cancel = [&] {
    pipeline.reset();
    ReleaseJob("", job, templateBuffer, host);
    return GenerateResult{RunOutcome::kCancelled, 0, 0};
  };

  // Elevation image.
  int code = 0;
  job.elevation = OpenTargaSource(job.heightMapPath, code);
  if (!job.elevation) {
    ReportTargaOpenError(code, host, OpenProblemDetail(given.heightMapPath, options.lookup, false));
    return stop("");
  }

  // Grid. The check's own messages come before the dimension message.
  const bool elevationOk = CheckTargaSource(*job.elevation, *job.elevation, host, "height map");
  const int width = job.elevation->header.width;
  const int height = job.elevation->header.height;
  const BoardGrid grid = BoardGridOf(width, height);
  job.boardCols = grid.cols;
  job.boardRows = grid.rows;
  if (!grid.FitsImage(width, height)) {
    return stop(kDimensionsMessage);
  }
  if (!elevationOk) {
    return stop("");
  }

  // Height scale.
  if (!IsKnownDataFormat(job.dataFormat)) {
    return stop(kUnknownFormatMessage);
  }
  job.heightScale = HeightScale(job);

  // Optional sources: minimap, texturing guide, filter guide.
  auto openOptional = [&](const ImageField& field, std::unique_ptr<TargaSource>& source) {
    const std::string& path = job.*field.path;
    if (path.empty()) {
      return true;
    }
    int openCode = 0;
    source = OpenTargaSource(path, openCode);
    if (!source) {
      ReportTargaOpenError(openCode, host,
                           OpenProblemDetail(given.*field.path, options.lookup, false));
      return false;
    }
    return CheckTargaSource(*source, *job.elevation, host, field.role);
  };
  if (!openOptional(kImageFields[1], job.minimap) ||
      !openOptional(kImageFields[2], job.texturingGuide) ||
      !openOptional(kImageFields[3], job.filterGuide)) {
    return stop("");
  }

  job.textures = &MakeTextureTable(job.texturingGuidePath, host,
                                   FindDataFile(kTextureListFile, options.lookup));

  // Board map, and the block buffer that every board reuses.
  const int boards = job.boardCols * job.boardRows;
  std::vector<std::uint8_t> block;
  try {
    job.boardMap = std::make_unique<BoardMap>(static_cast<std::size_t>(boards), 0);
    block.resize(kBoardBlockSize);
  } catch (const std::bad_alloc&) {
    return stop(kNoMemoryMessage);
  }

  errno = 0;
  job.output = createOutput(job.outputPath);
  if (!job.output) {
    const int error = errno;
    host.ShowDetailedMessage(kCannotCreateMessage, OutputProblemDetail(job.outputPath, error));
    return stop("");
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

  const BoardPosition anchor = FindAnchorBoard(*job.boardMap, job.boardCols, job.boardRows);
  const int anchorCol = anchor.col;
  const int anchorRow = anchor.row;
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
  // anchor, already written. Boards are gathered ahead of the one being
  // written, as far as the pipeline has room, and written as they come back.
  pipeline.emplace(job, ThreadCount(options.threads));
  const int toWrite = std::max(job.boardCount - 1, 0);
  int gathered = 0;
  int gatherAt = 0;  // next board index (row-major) to look at for gathering
  auto gatherAhead = [&] {
    while (gathered < toWrite && pipeline->HasRoom()) {
      const int col = gatherAt % job.boardCols;
      const int row = gatherAt / job.boardCols;
      ++gatherAt;
      if (IsMarked(job, col, row)) {
        pipeline->Queue(col, row, job);
        ++gathered;
      }
    }
  };
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
      if (written < toWrite) {
        gatherAhead();
        output.Write(pipeline->Take(), kBoardBlockSize);
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
  pipeline.reset();
  ReleaseJob("", job, templateBuffer, host);
  bar.reset();
  return result;
}

}  // namespace

TemplateLoad LoadTemplate(std::vector<std::uint8_t>& buffer, const std::string& path) {
  FilePtr file(OpenFile(path, "rb"));
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

std::string TemplateLoadDetail(TemplateLoad load, const std::string& path,
                               const FileLookup& lookup) {
  switch (load) {
    case TemplateLoad::kMissing:
      return OpenProblemDetail(kTileTemplateFile, lookup, true);
    case TemplateLoad::kShort: {
      std::error_code error;
      const std::uintmax_t size = std::filesystem::file_size(FileSystemPath(path), error);
      return ShownPath(path) + " holds " + (error ? std::string("fewer") : std::to_string(size)) +
             " bytes";
    }
    case TemplateLoad::kNoMemory:
    case TemplateLoad::kLoaded:
      break;
  }
  return "";
}

bool IsPlaceholderTemplate(const std::vector<std::uint8_t>& buffer) {
  return !buffer.empty() &&
         std::all_of(buffer.begin(), buffer.end(), [](std::uint8_t byte) { return byte == 0; });
}

const char* TemplateLoadMessage(TemplateLoad load) {
  switch (load) {
    case TemplateLoad::kMissing:
      return kTemplateMissingMessage;
    case TemplateLoad::kShort:
      return kTemplateShortMessage;
    case TemplateLoad::kNoMemory:
      return kTemplateNoMemoryMessage;
    case TemplateLoad::kLoaded:
      break;
  }
  return "";
}

GenerateResult GenerateTerrain(const ProjectSettings& settings, Host& host,
                               const GenerateOptions& options) {
  return GenerateTerrain(
      settings, host,
      [](const std::string& path) {
        return std::unique_ptr<OutputFile>(ReplacingFile::Create(path, kLayoutBufferSize));
      },
      options);
}

GenerateResult GenerateTerrain(const ProjectSettings& settings, Host& host,
                               const OutputFileFactory& createOutput,
                               const GenerateOptions& options) {
  const ProjectSettings resolved = ResolveProjectPaths(settings, options.lookup);
  const std::string templatePath = FindDataFile(kTileTemplateFile, options.lookup);
  std::vector<std::string> inputs = {options.projectPath,      resolved.heightMapPath,
                                     resolved.minimapPath,     resolved.texturingGuidePath,
                                     resolved.filterGuidePath, templatePath};
  if (!resolved.texturingGuidePath.empty()) {
    inputs.push_back(FindDataFile(kTextureListFile, options.lookup));
  }
  if (const std::string input = InputAtOutput(resolved.outputPath, inputs); !input.empty()) {
    host.ShowMessage(OutputIsInputMessage(resolved.outputPath, input));
    return {};
  }
  std::vector<std::uint8_t> templateBuffer;
  const TemplateLoad load = LoadTemplate(templateBuffer, templatePath);
  if (load != TemplateLoad::kLoaded) {
    host.ShowDetailedMessage(TemplateLoadMessage(load),
                             TemplateLoadDetail(load, templatePath, options.lookup));
    return {};
  }
  // The job holds everything the run opens; it is idle again on every return.
  TerrainJob job(resolved);
  try {
    return RunLoaded(job, settings, host, createOutput, options, templateBuffer);
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

void ReportTargaOpenError(int code, Host& host, const std::string& detail) {
  switch (code) {
    case kTargaOpenNoMemory:
      host.ShowMessage(kNoMemoryMessage);
      break;
    case kTargaOpenCannotOpen:
      host.ShowDetailedMessage(kImageNotFoundMessage, detail);
      break;
    case kTargaOpenNotTarga:
      host.ShowDetailedMessage(kNotTargaMessage, detail);
      break;
    default:
      host.ShowMessage(kTargaUndeterminedMessage);
      break;
  }
}

}  // namespace kem
