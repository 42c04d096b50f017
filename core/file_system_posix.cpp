// Files by path on POSIX systems, where paths are bytes and UTF-8 passes
// through unchanged.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <system_error>

#include "core/file_system.h"

namespace kem {

std::FILE* OpenFile(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

std::FILE* CreateNewFile(const std::string& path) {
  const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (descriptor < 0) {
    return nullptr;
  }
  std::FILE* file = fdopen(descriptor, "wb");
  if (file == nullptr) {
    close(descriptor);
    unlink(path.c_str());
  }
  return file;
}

bool MoveFileOver(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

std::filesystem::path FileSystemPath(const std::string& path) {
  return std::filesystem::path(path);
}

}  // namespace kem
