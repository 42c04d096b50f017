// The file system calls of Linux and other POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "core/blocking_call.h"
#include "core/file_system.h"
#include "core/open_file.h"

namespace kem {

namespace {

// Links resolved before a loop of them is given up on, as the kernel does.
constexpr int kMaxLinkHops = 40;
constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kPrivateMode = 0600;

mode_t CurrentUmask() {
  // Read once; the process's umask does not change while it runs.
  static const mode_t mask = [] {
    const mode_t previous = ::umask(0);
    ::umask(previous);
    return previous;
  }();
  return mask;
}

class PosixFileSystem final : public FileSystem {
 public:
  std::string ResolveLinks(const std::string& path) override {
    namespace fs = std::filesystem;
    fs::path current = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
      std::error_code error;
      if (!fs::is_symlink(fs::symlink_status(current, error))) {
        break;
      }
      const fs::path target = fs::read_symlink(current, error);
      if (error) {
        break;
      }
      current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return current.string();
  }

  PathKind KindOf(const std::string& path) override {
    struct stat info = {};
    if (::stat(path.c_str(), &info) != 0) {
      return errno == ENOENT ? PathKind::kMissing : PathKind::kUnreachable;
    }
    if (S_ISREG(info.st_mode)) {
      return PathKind::kRegularFile;
    }
    return S_ISDIR(info.st_mode) ? PathKind::kFolder : PathKind::kOther;
  }

  CreateResult CreateExclusive(const std::string& path, std::FILE*& file) override {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kPrivateMode);
    if (fd < 0) {
      return errno == EEXIST ? CreateResult::kNameTaken : CreateResult::kFailed;
    }
    file = ::fdopen(fd, "wb");
    if (file == nullptr) {
      ::close(fd);
      ::unlink(path.c_str());
      return CreateResult::kFailed;
    }
    return CreateResult::kCreated;
  }

  std::FILE* OpenInPlace(const std::string& path) override {
    return std::fopen(path.c_str(), "wb");
  }

  bool SyncFile(std::FILE* file) override {
    return std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
  }

  bool SetFinalMode(const std::string& path, const std::string& replaced) override {
    struct stat info = {};
    const mode_t mode = ::stat(replaced.c_str(), &info) == 0 && S_ISREG(info.st_mode)
                            ? (info.st_mode & 07777)
                            : (kNewFileMode & ~CurrentUmask());
    return ::chmod(path.c_str(), mode) == 0;
  }

  bool Replace(const std::string& from, const std::string& to) override {
    return std::rename(from.c_str(), to.c_str()) == 0;
  }

  bool SyncFolderOf(const std::string& path) override {
    std::string folder = std::filesystem::path(path).parent_path().string();
    if (folder.empty()) {
      folder = ".";
    }
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
      return false;
    }
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
  }

  void Remove(const std::string& path) override { ::unlink(path.c_str()); }
};

}  // namespace

bool IsSameFile(const std::string& a, const std::string& b) {
  struct stat first = {};
  struct stat second = {};
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::string UserSettingsFolder() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/') {
    return std::string(config) + "/kem";
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    return std::string(home) + "/.config/kem";
  }
  return {};
}

bool FolderTakesNewFiles(const std::string& folder) {
  return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

FileSystem& FileSystem::Native() {
  static PosixFileSystem native;
  return native;
}

// Paths are bytes here: UTF-8 passes through unchanged.
std::FILE* OpenFile(const std::string& path, const char* mode) {
  if (mode[0] != 'r') {
    return std::fopen(path.c_str(), mode);
  }
  // Opened without waiting: a FIFO would otherwise hold the open until a
  // writer comes, deaf to Ctrl+C. Then only a regular file (or a folder,
  // whose reads fail as before) is kept.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return nullptr;
  }
  struct stat info = {};
  if (::fstat(fd, &info) != 0 || !(S_ISREG(info.st_mode) || S_ISDIR(info.st_mode))) {
    ::close(fd);
    errno = EINVAL;
    return nullptr;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  std::FILE* file =
      flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0 ? ::fdopen(fd, mode) : nullptr;
  if (file == nullptr) {
    ::close(fd);
  }
  return file;
}

std::FILE* OpenFileOrPipe(const std::string& path) {
  struct stat info = {};
  if (::stat(path.c_str(), &info) == 0 && S_ISFIFO(info.st_mode)) {
    const BlockingCall waiting;  // for a writer to come
    return std::fopen(path.c_str(), "rb");
  }
  return OpenFile(path, "rb");
}

std::filesystem::path FileSystemPath(const std::string& path) {
  return std::filesystem::path(path);
}

}  // namespace kem
