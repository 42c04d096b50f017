#include "core/replacing_file.h"

#include <chrono>
#include <exception>
#include <new>
#include <optional>
#include <random>
#include <string>

#include "core/blocking_call.h"

namespace kem {

namespace {

constexpr int kNameAttempts = 100;
constexpr const char* kTemporarySuffix = ".tmp-";
constexpr char kNameChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kRandomChars = 6;
constexpr std::size_t kMaxNameBytes = 255;

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

// The temporary file's name: the target's with the suffix and six random
// characters, its own name shortened (at a character's start) where the
// whole would pass the file systems' 255-byte limit on a name.
std::string TemporaryName(const std::string& targetPath, std::mt19937& random) {
  std::uniform_int_distribution<std::size_t> pick(0, sizeof(kNameChars) - 2);
  // Either separator: Windows takes both, and a POSIX name holding a
  // backslash is only shortened less.
  const std::size_t slash = targetPath.find_last_of("/\\");
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t room =
      kMaxNameBytes - std::char_traits<char>::length(kTemporarySuffix) - kRandomChars;
  std::size_t end = targetPath.size();
  if (end - nameStart > room) {
    end = nameStart + room;
    while (end > nameStart && (static_cast<unsigned char>(targetPath[end]) & 0xC0) == 0x80) {
      --end;
    }
  }
  std::string name = targetPath.substr(0, end) + kTemporarySuffix;
  for (std::size_t i = 0; i < kRandomChars; ++i) {
    name += kNameChars[pick(random)];
  }
  return name;
}

}  // namespace

std::unique_ptr<ReplacingFile> ReplacingFile::Create(const std::string& targetPath,
                                                     std::size_t bufferSize,
                                                     FileSystem& fileSystem) {
  if (targetPath.empty()) {
    return nullptr;
  }
  std::string finalPath = fileSystem.ResolveLinks(targetPath);
  std::FILE* file = nullptr;
  std::string temporaryPath;
  switch (fileSystem.KindOf(finalPath)) {
    case PathKind::kFolder:
    case PathKind::kUnreachable:
      return nullptr;
    case PathKind::kOther: {
      // A FIFO's open waits for a reader to come.
      const BlockingCall waiting;
      file = fileSystem.OpenInPlace(finalPath);
      break;
    }
    case PathKind::kMissing:
    case PathKind::kRegularFile: {
      std::mt19937 random = SeededRandom();
      for (int attempt = 0; attempt < kNameAttempts && file == nullptr; ++attempt) {
        temporaryPath = TemporaryName(finalPath, random);
        const CreateResult created = fileSystem.CreateExclusive(temporaryPath, file);
        if (created == CreateResult::kFailed) {
          return nullptr;
        }
      }
      break;
    }
  }
  if (file == nullptr) {
    return nullptr;
  }
  std::unique_ptr<ReplacingFile> replacing;
  try {
    replacing.reset(
        new ReplacingFile(fileSystem, file, std::move(temporaryPath), std::move(finalPath)));
  } catch (const std::bad_alloc&) {
    std::fclose(file);
    if (!temporaryPath.empty()) {
      fileSystem.Remove(temporaryPath);
    }
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

ReplacingFile::ReplacingFile(FileSystem& fileSystem, std::FILE* file, std::string temporaryPath,
                             std::string targetPath)
    : fileSystem_(fileSystem),
      file_(file),
      temporaryPath_(std::move(temporaryPath)),
      targetPath_(std::move(targetPath)) {}

ReplacingFile::~ReplacingFile() {
  if (file_ != nullptr) {
    std::fclose(file_);
  }
  if (!committed_ && !temporaryPath_.empty()) {
    fileSystem_.Remove(temporaryPath_);
  }
}

void ReplacingFile::Write(const std::uint8_t* data, std::size_t size) {
  if (failed_ || file_ == nullptr) {
    failed_ = true;
    return;
  }
  // A pipe written in place blocks while its reader takes nothing.
  std::optional<BlockingCall> waiting;
  if (temporaryPath_.empty()) {
    waiting.emplace();
  }
  if (size > 0 && std::fwrite(data, 1, size, file_) != size) {
    failed_ = true;
  }
}

bool ReplacingFile::CommitInPlace() {
  const BlockingCall waiting;
  bool ok = !failed_ && std::fflush(file_) == 0 && std::ferror(file_) == 0;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  failed_ = !ok;
  committed_ = ok;
  return ok;
}

bool ReplacingFile::Commit() {
  if (file_ == nullptr || committed_) {
    return false;
  }
  if (temporaryPath_.empty()) {
    return CommitInPlace();
  }
  bool ok = !failed_ && fileSystem_.SyncFile(file_) && std::ferror(file_) == 0;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  ok = ok && fileSystem_.SetFinalMode(temporaryPath_, targetPath_) &&
       fileSystem_.Replace(temporaryPath_, targetPath_);
  if (!ok) {
    failed_ = true;
    fileSystem_.Remove(temporaryPath_);
    return false;
  }
  committed_ = true;
  // The new file is in place whatever this says: a folder that cannot be
  // brought to the disk (some network and virtual file systems refuse) is no
  // reason to report the write failed.
  fileSystem_.SyncFolderOf(targetPath_);
  return true;
}

}  // namespace kem
