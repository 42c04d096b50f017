// Opening a file by path: the one place where a path becomes a file the
// system reads. Paths are UTF-8 everywhere in Kem; on Windows they become the
// system's wide-character paths here (and in file_system_windows.cpp, which
// writes outputs) and nowhere else.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace kem {

// Opens the file at the UTF-8 `path` with an fopen mode ("rb", "r", "wb").
// Returns null when it cannot be opened. For reading ("r", "rb") only a
// regular file is opened (or a folder, whose reads then fail): a pipe, a FIFO
// or a device is refused without waiting for it, as data files are read from
// disk. The caller closes it (see FilePtr).
std::FILE* OpenFile(const std::string& path, const char* mode);

// Opens the file at the UTF-8 `path` for reading ("rb") like OpenFile, but
// takes a pipe or a FIFO too, waiting for its writer as a BlockingCall: an
// elevation model may be piped in. Devices are still refused.
std::FILE* OpenFileOrPipe(const std::string& path);

// The UTF-8 `path` as a std::filesystem path, for asking about a file.
std::filesystem::path FileSystemPath(const std::string& path);

// A std::filesystem path as the UTF-8 text Kem keeps paths in.
inline std::string PathText(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace kem
