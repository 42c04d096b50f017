// The file system calls of Windows. UTF-8 paths become wide-character paths
// here; creation is exclusive (the runtime ignores fopen's "x") and the
// finished file replaces the old one with a write-through move.
// windows.h first: the other system headers build on it.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/file_system.h"
#include "core/open_file.h"

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

class WindowsFileSystem final : public FileSystem {
 public:
  // Links on Windows need privileges few users have; outputs are written
  // where their paths say.
  std::string ResolveLinks(const std::string& path) override { return path; }

  PathKind KindOf(const std::string& path) override {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      return PathKind::kMissing;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::kFolder
                                                        : PathKind::kRegularFile;
  }

  CreateResult CreateExclusive(const std::string& path, std::FILE*& file) override {
    const std::wstring widePath = Wide(path);
    int descriptor = -1;
    if (widePath.empty() ||
        _wsopen_s(&descriptor, widePath.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                  _SH_DENYNO, _S_IREAD | _S_IWRITE) != 0) {
      return errno == EEXIST ? CreateResult::kNameTaken : CreateResult::kFailed;
    }
    file = _fdopen(descriptor, "wb");
    if (file == nullptr) {
      _close(descriptor);
      _wremove(widePath.c_str());
      return CreateResult::kFailed;
    }
    return CreateResult::kCreated;
  }

  std::FILE* OpenInPlace(const std::string& path) override { return OpenFile(path, "wb"); }

  bool SyncFile(std::FILE* file) override {
    return std::fflush(file) == 0 && _commit(_fileno(file)) == 0;
  }

  // Windows files have one mode bit, read-only: the new file takes the old
  // one's, and a new file is writable.
  bool SetFinalMode(const std::string&, const std::string&) override { return true; }

  bool Replace(const std::string& from, const std::string& to) override {
    const std::wstring wideFrom = Wide(from);
    const std::wstring wideTo = Wide(to);
    if (wideFrom.empty() || wideTo.empty()) {
      return false;
    }
    // Windows refuses to replace a read-only file, where a POSIX rename does
    // not: lift the flag for the move and give it to the new file, as the
    // POSIX side keeps the old file's mode.
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

  // MOVEFILE_WRITE_THROUGH has brought the folder entry to the disk.
  bool SyncFolderOf(const std::string&) override { return true; }

  void Remove(const std::string& path) override {
    const std::wstring widePath = Wide(path);
    if (!widePath.empty()) {
      _wremove(widePath.c_str());
    }
  }
};

}  // namespace

bool FolderTakesNewFiles(const std::string& folder) {
  const std::wstring wideFolder = Wide(folder);
  wchar_t probe[MAX_PATH + 1] = {};
  if (wideFolder.empty() || GetTempFileNameW(wideFolder.c_str(), L"kem", 0, probe) == 0) {
    return false;
  }
  DeleteFileW(probe);
  return true;
}

FileSystem& FileSystem::Native() {
  static WindowsFileSystem native;
  return native;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
  const std::wstring widePath = Wide(path);
  const std::wstring wideMode = Wide(mode);
  if (widePath.empty() || wideMode.empty()) {
    errno = ENOENT;
    return nullptr;
  }
  std::FILE* file = _wfopen(widePath.c_str(), wideMode.c_str());
  // Data is read from files on disk only: a pipe or a device (CON, NUL) may
  // never end.
  if (file != nullptr && mode[0] == 'r' &&
      GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)))) != FILE_TYPE_DISK) {
    std::fclose(file);
    errno = EINVAL;
    return nullptr;
  }
  return file;
}

std::FILE* OpenFileOrPipe(const std::string& path) {
  const std::wstring widePath = Wide(path);
  if (widePath.empty()) {
    errno = ENOENT;
    return nullptr;
  }
  std::FILE* file = _wfopen(widePath.c_str(), L"rb");
  if (file == nullptr) {
    return nullptr;
  }
  const DWORD type = GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))));
  if (type != FILE_TYPE_DISK && type != FILE_TYPE_PIPE) {
    std::fclose(file);
    errno = EINVAL;
    return nullptr;
  }
  return file;
}

std::filesystem::path FileSystemPath(const std::string& path) {
  return std::filesystem::path(Wide(path));
}

namespace {

// The volume and index that tell a file apart from every other; false when
// `path` names nothing that can be opened.
bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  const std::wstring widePath = Wide(path);
  if (widePath.empty()) {
    return false;
  }
  // No access asked for, every sharing allowed: only the file's identity is
  // read. Folders open only with backup semantics.
  const HANDLE handle =
      CreateFileW(widePath.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return false;
  }
  const bool known = GetFileInformationByHandle(handle, &info) != 0;
  CloseHandle(handle);
  return known;
}

}  // namespace

bool IsSameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION first = {};
  BY_HANDLE_FILE_INFORMATION second = {};
  return FileIdentity(a, first) && FileIdentity(b, second) &&
         first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

// %APPDATA%\Kem, in UTF-8; empty when the variable is not set.
std::string UserSettingsFolder() {
  const wchar_t* appData = _wgetenv(L"APPDATA");
  if (appData == nullptr || *appData == L'\0') {
    return {};
  }
  const std::u8string folder = (std::filesystem::path(appData) / L"Kem").u8string();
  return std::string(folder.begin(), folder.end());
}

}  // namespace kem
