// Files by path on Windows: UTF-8 paths become wide-character paths, and
// creation and replacement use the calls that are exclusive and durable there
// (the runtime ignores fopen's "x").
// windows.h first: the other system headers build on it.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "core/file_system.h"

namespace kem {

namespace {

// UTF-8 to UTF-16; empty for an empty or malformed path, which opens nothing.
std::wstring Wide(const std::string& text) {
  if (text.empty()) {
    return {};
  }
  const int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                       static_cast<int>(text.size()), nullptr, 0);
  if (size <= 0) {
    return {};
  }
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                      wide.data(), size);
  return wide;
}

}  // namespace

std::FILE* OpenFile(const std::string& path, const char* mode) {
  const std::wstring widePath = Wide(path);
  const std::wstring wideMode = Wide(mode);
  if (widePath.empty() || wideMode.empty()) {
    errno = ENOENT;
    return nullptr;
  }
  return _wfopen(widePath.c_str(), wideMode.c_str());
}

std::FILE* CreateNewFile(const std::string& path) {
  const std::wstring widePath = Wide(path);
  if (widePath.empty()) {
    errno = ENOENT;
    return nullptr;
  }
  int descriptor = -1;
  if (_wsopen_s(&descriptor, widePath.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                _SH_DENYNO, _S_IREAD | _S_IWRITE) != 0) {
    return nullptr;
  }
  std::FILE* file = _fdopen(descriptor, "wb");
  if (file == nullptr) {
    _close(descriptor);
    _wremove(widePath.c_str());
  }
  return file;
}

bool MoveFileOver(const std::string& from, const std::string& to) {
  const std::wstring wideFrom = Wide(from);
  const std::wstring wideTo = Wide(to);
  if (wideFrom.empty() || wideTo.empty()) {
    return false;
  }
  // Windows refuses to replace a read-only file; a POSIX rename does not. Lift
  // the flag for the move and give it to the new file, as POSIX keeps modes.
  const DWORD attributes = GetFileAttributesW(wideTo.c_str());
  const bool readOnly =
      attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  if (readOnly && !SetFileAttributesW(wideTo.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
    return false;
  }
  const bool moved = MoveFileExW(wideFrom.c_str(), wideTo.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  if (readOnly) {
    SetFileAttributesW(wideTo.c_str(), attributes);
  }
  return moved;
}

std::filesystem::path FileSystemPath(const std::string& path) {
  return std::filesystem::path(Wide(path));
}

}  // namespace kem
