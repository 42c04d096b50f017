#include "core/file_problems.h"

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/file_ptr.h"
#include "core/file_system.h"
#include "core/open_file.h"

namespace kem {

namespace {

namespace fs = std::filesystem;

std::string SystemWords(int error) {
  switch (error) {
    case ENOENT:
      return "no such file";
    case EACCES:
    case EPERM:
      return "permission denied";
    case EISDIR:
      return "is a folder";
    default:
      return std::generic_category().message(error);
  }
}

bool ReadOnlyError(int error) {
  return error == EACCES || error == EPERM || error == EROFS;
}

}  // namespace

std::string ShownPath(const std::string& path) {
  if (path.empty()) {
    return path;
  }
  std::error_code error;
  const fs::path absolute = fs::absolute(FileSystemPath(path), error);
  return error ? path : PathText(absolute.lexically_normal());
}

std::string ReadProblem(const std::string& path) {
  std::error_code error;
  const fs::file_status status = fs::status(FileSystemPath(path), error);
  if (!fs::exists(status)) {
    return "no such file";
  }
  if (fs::is_directory(status)) {
    return "is a folder";
  }
  errno = 0;
  const FilePtr file(OpenFile(path, "rb"));
  if (file) {
    return "";
  }
  return SystemWords(errno != 0 ? errno : EACCES);
}

std::string OpenProblemDetail(const std::string& path, const FileLookup& lookup,
                              bool withSettingsFolder) {
  if (path.empty()) {
    return "";
  }
  const std::vector<std::string> holding = PlacesHolding(path, lookup, withSettingsFolder);
  const std::vector<std::string> places = holding.empty()
                                              ? SearchPlaces(path, lookup, withSettingsFolder)
                                              : std::vector<std::string>{holding.front()};
  std::string detail;
  for (const std::string& place : places) {
    std::string reason = ReadProblem(place);
    if (reason.empty()) {
      reason = "opened, but could not be read";
    }
    detail += (detail.empty() ? "" : "; ") + ShownPath(place) + ": " + reason;
  }
  return detail;
}

std::string OutputProblemDetail(const std::string& path, int error) {
  if (path.empty()) {
    return "no output file is named";
  }
  std::error_code ignored;
  const fs::path output = FileSystemPath(ShownPath(path));
  if (fs::is_directory(output, ignored)) {
    return ShownPath(path) + " is a folder";
  }
  const std::string folder = PathText(output.parent_path());
  if (!fs::is_directory(output.parent_path(), ignored)) {
    return "the folder " + folder + " does not exist";
  }
  if (ReadOnlyError(error) || (error == 0 && !FolderTakesNewFiles(folder))) {
    return "the folder " + folder + " is read-only";
  }
  return error != 0 ? ShownPath(path) + ": " + SystemWords(error) : "";
}

std::string OutputProblem(const std::string& path) {
  std::error_code ignored;
  const fs::path output = FileSystemPath(ShownPath(path));
  if (path.empty() || fs::is_directory(output, ignored) ||
      !fs::is_directory(output.parent_path(), ignored) ||
      !FolderTakesNewFiles(PathText(output.parent_path()))) {
    return OutputProblemDetail(path, 0);
  }
  return "";
}

std::string AmbiguityNote(const std::string& name, const FileLookup& lookup,
                          bool withSettingsFolder) {
  const std::vector<std::string> holding = PlacesHolding(name, lookup, withSettingsFolder);
  if (holding.size() < 2) {
    return "";
  }
  std::string note = name + ": using " + ShownPath(holding.front()) + ", not ";
  for (std::size_t i = 1; i < holding.size(); ++i) {
    note += (i > 1 ? " or " : "") + ShownPath(holding[i]);
  }
  return note;
}

}  // namespace kem
