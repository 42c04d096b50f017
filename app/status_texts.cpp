#include "app/status_texts.h"

#include <cstdio>
#include <filesystem>

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

std::string WrittenHeightMapText(const std::string& path, std::uint64_t bytes) {
  return "Wrote " + FileName(path) + ": " + Megabytes(bytes);
}

}  // namespace kem::app
