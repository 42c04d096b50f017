// Choosing the reader of an elevation file by what it holds. A file that
// opens with plain-text numbers goes straight to the XYZ reader, without
// waking GDAL (whose drivers cost time and memory to load); anything else is
// offered to GDAL first.
#include "importer/convert_elevation.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/open_file.h"
#include "core/output_guard.h"
#include "importer/import_messages.h"

namespace kem {
namespace {

// Bytes looked at to tell text from a raster.
constexpr std::size_t kSniffBytes = 4096;

// What the first bytes of a file look like.
enum class Opening {
  kXyzNumbers,  // plain text whose first token starts like a number
  kOtherText,   // text opening with something else (names, '#', "ncols")
  kBinary,      // a byte that text does not hold (a NUL, a control code)
  kNotAFile,    // not a regular file that opens: a pipe goes to the XYZ reader unread
};

// Printable ASCII, white space, and the bytes of UTF-8 (column names in any
// language).
bool IsTextByte(unsigned char byte) {
  return byte >= 0x20 || (byte >= '\t' && byte <= '\r');
}

Opening LookAtOpening(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(FileSystemPath(path), error)) {
    return Opening::kNotAFile;
  }
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenFile(path, "rb"), std::fclose);
  if (!file) {
    return Opening::kNotAFile;
  }
  unsigned char head[kSniffBytes];
  const std::size_t got = std::fread(head, 1, sizeof head, file.get());
  // A UTF-8 byte-order mark before the text is no part of it.
  const std::size_t mark =
      got >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF ? 3 : 0;
  std::size_t first = got;  // the first byte that is not white space
  for (std::size_t i = 0; i < got; ++i) {
    if (!IsTextByte(head[i])) {
      return Opening::kBinary;
    }
    if (i >= mark && first == got && head[i] != ' ' && !(head[i] >= '\t' && head[i] <= '\r')) {
      first = i;
    }
  }
  if (first == got) {
    return Opening::kXyzNumbers;  // empty or blank: the XYZ reader says so
  }
  const unsigned char c = head[first];
  const bool number = (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
  return number ? Opening::kXyzNumbers : Opening::kOtherText;
}

// An ESRI ASCII grid opens with its column count.
bool IsAsciiGrid(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenFile(path, "rb"), std::fclose);
  char head[5] = {};
  if (!file || std::fread(head, 1, sizeof head, file.get()) != sizeof head) {
    return false;
  }
  constexpr char kTag[] = "ncols";
  for (std::size_t i = 0; i < sizeof head; ++i) {
    if ((head[i] | 0x20) != kTag[i]) {
      return false;
    }
  }
  return true;
}

// Whether a tile of a set goes to GDAL, as ConvertElevation would send it.
bool IsRasterTile(const std::string& path, const ConvertOptions& options) {
  if (path.rfind("/vsi", 0) == 0) {
    return options.allowVirtual;
  }
  const Opening opening = LookAtOpening(path);
  return (opening == Opening::kOtherText || opening == Opening::kBinary) && ReadsGdalRasters() &&
         IsGdalRaster(path);
}

constexpr char kMixedTiles[] =
    "Error: the tiles mix XYZ text and rasters; convert each kind on its own.";

}  // namespace

RunOutcome ConvertElevation(const std::string& path, ImportHost& host,
                            const ConvertOptions& options, RasterReport& report) {
  return ConvertElevationSet({path}, host, options, report);
}

RunOutcome ConvertElevationSet(const std::vector<std::string>& paths, ImportHost& host,
                               const ConvertOptions& options, RasterReport& report) {
  report = RasterReport();
  if (paths.size() > 1) {
    const std::string output = OutputPathFor(paths.front(), options);
    if (const std::string input = InputAtOutput(output, paths); !input.empty()) {
      host.ShowError(kImportCaption, OutputIsInputMessage(output, input));
      return RunOutcome::kFailed;
    }
    std::size_t rasters = 0;
    for (const std::string& path : paths) {
      rasters += IsRasterTile(path, options) ? 1 : 0;
    }
    if (rasters == paths.size()) {
      return ConvertRaster(paths, host, CreateHeightMapOutput, options, report);
    }
    if (rasters != 0) {
      host.ShowError(kImportCaption, kMixedTiles);
      return RunOutcome::kFailed;
    }
    return convertdem(paths, host, CreateHeightMapOutput, options, report);
  }
  const std::string& path = paths.front();
  // GDAL's virtual paths (/vsizip/..., /vsicurl/...) are no files of their
  // own: only GDAL opens them, and only when the user allows it.
  if (path.rfind("/vsi", 0) == 0) {
    if (options.allowVirtual && ReadsGdalRasters()) {
      return ConvertRaster(path, host, CreateHeightMapOutput, options, report);
    }
    host.ShowError(kImportCaption, options.allowVirtual ? kImportNeedsGdal : kImportVirtualRefused);
    return RunOutcome::kFailed;
  }
  const std::string output = OutputPathFor(path, options);
  if (const std::string input = InputAtOutput(output, {path}); !input.empty()) {
    host.ShowError(kImportCaption, OutputIsInputMessage(output, input));
    return RunOutcome::kFailed;
  }
  const Opening opening = LookAtOpening(path);
  if (opening == Opening::kOtherText || opening == Opening::kBinary) {
    // GDAL is loaded only for a file that is not plainly XYZ text.
    if (ReadsGdalRasters()) {
      if (IsGdalRaster(path)) {
        return ConvertRaster(path, host, CreateHeightMapOutput, options, report);
      }
    } else if (opening == Opening::kBinary || IsAsciiGrid(path)) {
      host.ShowError(kImportCaption, kImportNeedsGdal);
      return RunOutcome::kFailed;
    }
  }
  return convertdem(paths, host, CreateHeightMapOutput, options, report);
}

std::vector<std::string> ElevationFilesIn(const std::string& path) {
  static constexpr const char* kExtensions[] = {".xyz",  ".txt", ".csv", ".asc", ".tif",
                                                ".tiff", ".hgt", ".img", ".dem", ".dt0",
                                                ".dt1",  ".dt2", ".bil", ".bt",  ".grd"};
  std::vector<std::string> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(FileSystemPath(path), error)) {
    std::error_code kind;
    if (!entry.is_regular_file(kind)) {
      continue;
    }
    std::string extension = entry.path().extension().string();
    for (char& c : extension) {
      c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    for (const char* known : kExtensions) {
      if (extension == known) {
        files.push_back(entry.path().string());
        break;
      }
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace kem
