// The operating system's side of writing an output file: what sits at a path,
// creating a private temporary file beside it, bringing data to the disk and
// moving the finished file into place.
//
// ReplacingFile speaks only to this interface, so that each system keeps its
// own calls in one file (file_system_posix.cpp, file_system_windows.cpp) and a
// test can make any step fail.
#pragma once

#include <cstdio>
#include <string>

namespace kem {

// What the final target of an output path is.
enum class PathKind {
  kMissing,  // nothing there yet: a new regular file will be made
  kRegularFile,
  kFolder,
  kOther,        // a device, a pipe or a socket: written in place, never replaced
  kUnreachable,  // a loop of links, or a path the system will not look up: refused
};

// How creating a temporary file went.
enum class CreateResult {
  kCreated,
  kNameTaken,  // a file of that name exists; another name may work
  kFailed,
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The system's own calls.
  static FileSystem& Native();

  // Follows symbolic links at `path` (a chain of them too) to the path they
  // finally name; `path` itself when it is not a link. A link to nothing
  // still gives the path it names, so writing through it creates the file.
  virtual std::string ResolveLinks(const std::string& path) = 0;

  // What is at `path`, looking through links.
  virtual PathKind KindOf(const std::string& path) = 0;

  // Creates `path` for writing only if nothing is there, readable and
  // writable by this user alone. Sets `file` when it returns kCreated.
  virtual CreateResult CreateExclusive(const std::string& path, std::FILE*& file) = 0;

  // Opens an existing device or pipe at `path` for writing. Null on failure.
  virtual std::FILE* OpenInPlace(const std::string& path) = 0;

  // Flushes `file`'s buffer and brings its data to the disk.
  virtual bool SyncFile(std::FILE* file) = 0;

  // Gives the temporary file at `path` the permissions of the regular file at
  // `replaced`, or, when there is none, those of a new file for this user.
  virtual bool SetFinalMode(const std::string& path, const std::string& replaced) = 0;

  // Moves `from` over `to` (which may exist) in one step.
  virtual bool Replace(const std::string& from, const std::string& to) = 0;

  // Brings the folder entry of `path` to the disk, so a replaced file stays
  // replaced after a power cut.
  virtual bool SyncFolderOf(const std::string& path) = 0;

  // Deletes the file at `path`, if any.
  virtual void Remove(const std::string& path) = 0;
};

// True when `a` and `b` both name one existing file, through links, other
// spellings or hard links: the same device and inode on POSIX systems, the
// same volume and file index on Windows.
bool IsSameFile(const std::string& a, const std::string& b);

// The user's own folder for Kem's data files (a tile_blank.dat, a
// textures.txt): $XDG_CONFIG_HOME/kem or ~/.config/kem on Linux,
// %APPDATA%\Kem on Windows. Empty when the system names no such place. The
// folder may not exist.
std::string UserSettingsFolder();

// Whether this user may create files in `folder`, as far as the system tells
// without writing one: permission bits on POSIX systems (a user who may write
// anywhere is told yes); on Windows a probe file, deleted at once, as only
// trying tells what the folder's access list allows.
bool FolderTakesNewFiles(const std::string& folder);

}  // namespace kem
