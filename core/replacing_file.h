// A file written beside its final path and moved over it only when complete.
//
// Layout files, height maps and project files are all saved this way, so a
// failed or interrupted write never leaves a partial file behind and never
// destroys the file that was there. The data reaches the disk before the old
// file is replaced, so a power cut leaves one or the other, whole.
//
// A symbolic link at the output path is written through: the file it finally
// names is replaced and the link stays. A device or a pipe is written in
// place, as there is nothing there to replace.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/file_system.h"
#include "core/output_file.h"

namespace kem {

class ReplacingFile final : public OutputFile {
 public:
  // Creates a fresh "<target>.tmp-XXXXXX" beside the target, exclusively,
  // where the target is the file `targetPath` names after following links
  // (its name shortened when the whole would pass 255 bytes); opens the
  // target itself when it is a device or a pipe. `bufferSize` sets the stream
  // buffer (0 keeps the default). Null when the target path is empty, names a
  // folder or a loop of links, or the file cannot be created or opened.
  static std::unique_ptr<ReplacingFile> Create(const std::string& targetPath,
                                               std::size_t bufferSize = 0,
                                               FileSystem& fileSystem = FileSystem::Native());

  // Removes the temporary file unless it was committed.
  ~ReplacingFile() override;

  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Appends bytes. A failure is remembered; later writes are ignored.
  void Write(const std::uint8_t* data, std::size_t size) override;

  // True once any write has failed.
  bool Failed() const override { return failed_; }

  // Brings the file to the disk, closes it and moves it over the target, then
  // brings the folder to the disk. The target keeps the permissions of a file
  // it replaces; a new one gets the user's usual permissions. Returns false,
  // and discards the file, when anything failed. A device or pipe is only
  // flushed and closed. Can be called once.
  bool Commit() override;

 private:
  ReplacingFile(FileSystem& fileSystem, std::FILE* file, std::string temporaryPath,
                std::string targetPath);

  bool CommitInPlace();

  FileSystem& fileSystem_;
  std::FILE* file_;
  std::string temporaryPath_;  // empty when writing a device or pipe in place
  std::string targetPath_;
  std::vector<char> buffer_;  // the stream's buffer; outlives every use by file_
  bool failed_ = false;
  bool committed_ = false;
};

}  // namespace kem
