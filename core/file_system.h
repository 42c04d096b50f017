// Files by path: the one place where a path becomes a file the system opens,
// creates or replaces. Paths are UTF-8 everywhere in Kem; on Windows they are
// turned into the system's wide-character paths here and nowhere else.
//
// file_system_posix.cpp and file_system_windows.cpp hold the two systems'
// versions; the build compiles one of them.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace kem {

// Opens the file at the UTF-8 `path` with an fopen mode ("rb", "r", "wb").
// Returns null when it cannot be opened. The caller closes it (see FilePtr).
std::FILE* OpenFile(const std::string& path, const char* mode);

// Creates a new, empty file at `path` and opens it for binary writing, only if
// nothing is there yet: an existing file is never reused. Returns null when it
// cannot be created, with errno EEXIST when the name is taken.
std::FILE* CreateNewFile(const std::string& path);

// Moves the file `from` over `to`, replacing a file there, and has the move
// reach the disk before it returns where the system offers that. A read-only
// file at `to` is replaced like any other and the result stays read-only.
// Returns false when the move failed; both files are then as they were.
bool MoveFileOver(const std::string& from, const std::string& to);

// The UTF-8 `path` as a std::filesystem path, for asking about a file.
std::filesystem::path FileSystemPath(const std::string& path);

}  // namespace kem
