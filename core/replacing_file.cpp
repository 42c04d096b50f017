#include "core/replacing_file.h"

#include <cerrno>
#include <chrono>
#include <exception>
#include <filesystem>
#include <new>
#include <random>
#include <system_error>

#include "core/file_system.h"

namespace kem {

namespace {

constexpr int kNameAttempts = 100;
constexpr const char* kTemporarySuffix = ".tmp-";
constexpr char kNameChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";

std::mt19937 SeededRandom() {
  try {
    std::random_device device;
    return std::mt19937(device());
  } catch (const std::exception&) {
    // No random device: the clock tells concurrent runs apart well enough.
    return std::mt19937(
        static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  }
}

std::string TemporaryName(const std::string& targetPath, std::mt19937& random) {
  std::uniform_int_distribution<std::size_t> pick(0, sizeof(kNameChars) - 2);
  std::string name = targetPath + kTemporarySuffix;
  for (int i = 0; i < 6; ++i) {
    name += kNameChars[pick(random)];
  }
  return name;
}

}  // namespace

std::unique_ptr<ReplacingFile> ReplacingFile::Create(const std::string& targetPath,
                                                     std::size_t bufferSize) {
  std::error_code error;
  if (targetPath.empty() || std::filesystem::is_directory(FileSystemPath(targetPath), error)) {
    return nullptr;
  }
  std::mt19937 random = SeededRandom();
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string temporaryPath = TemporaryName(targetPath, random);
    errno = 0;
    // Never reuse a file that is already there.
    std::FILE* file = CreateNewFile(temporaryPath);
    if (file == nullptr) {
      if (errno != EEXIST) {
        return nullptr;
      }
      continue;
    }
    std::unique_ptr<ReplacingFile> replacing;
    try {
      replacing.reset(new ReplacingFile(file, std::move(temporaryPath), targetPath));
    } catch (const std::bad_alloc&) {
      std::fclose(file);
      std::filesystem::remove(FileSystemPath(temporaryPath), error);
      return nullptr;
    }
    if (bufferSize > 0) {
      // A large buffer keeps system calls few; without it the stream's own
      // buffer still works, only slower.
      try {
        replacing->buffer_.resize(bufferSize);
        if (std::setvbuf(file, replacing->buffer_.data(), _IOFBF, bufferSize) != 0) {
          replacing->buffer_.clear();
        }
      } catch (const std::bad_alloc&) {
        replacing->buffer_.clear();
      }
    }
    return replacing;
  }
  return nullptr;
}

ReplacingFile::ReplacingFile(std::FILE* file, std::string temporaryPath, std::string targetPath)
    : file_(file), temporaryPath_(std::move(temporaryPath)), targetPath_(std::move(targetPath)) {}

ReplacingFile::~ReplacingFile() {
  if (file_ != nullptr) {
    std::fclose(file_);
  }
  if (!committed_) {
    std::error_code error;
    std::filesystem::remove(FileSystemPath(temporaryPath_), error);
  }
}

void ReplacingFile::Write(const std::uint8_t* data, std::size_t size) {
  if (failed_ || file_ == nullptr) {
    failed_ = true;
    return;
  }
  if (size > 0 && std::fwrite(data, 1, size, file_) != size) {
    failed_ = true;
  }
}

bool ReplacingFile::Commit() {
  if (file_ == nullptr || committed_) {
    return false;
  }
  bool ok = !failed_ && std::fflush(file_) == 0 && std::ferror(file_) == 0;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  if (ok) {
    std::error_code error;
    const auto existing = std::filesystem::status(FileSystemPath(targetPath_), error);
    if (!error && std::filesystem::is_regular_file(existing)) {
      std::filesystem::permissions(FileSystemPath(temporaryPath_), existing.permissions(), error);
    }
    ok = MoveFileOver(temporaryPath_, targetPath_);
  }
  if (!ok) {
    failed_ = true;
    std::error_code error;
    std::filesystem::remove(FileSystemPath(temporaryPath_), error);
    return false;
  }
  committed_ = true;
  return true;
}

}  // namespace kem
