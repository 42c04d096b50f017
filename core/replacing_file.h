// A file written beside its final path and moved over it only when complete.
//
// Layout files, height maps and project files are all saved this way, so a
// failed or interrupted write never leaves a partial file behind and never
// destroys the file that was there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/output_file.h"

namespace kem {

class ReplacingFile final : public OutputFile {
 public:
  // Creates a fresh "<targetPath>.tmp-XXXXXX" beside the target, exclusively.
  // `bufferSize` sets the stream buffer (0 keeps the default). Null when the
  // target path is empty, names a folder, or the file cannot be created.
  static std::unique_ptr<ReplacingFile> Create(const std::string& targetPath,
                                               std::size_t bufferSize = 0);

  // Removes the temporary file unless it was committed.
  ~ReplacingFile() override;

  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Appends bytes. A failure is remembered; later writes are ignored.
  void Write(const std::uint8_t* data, std::size_t size) override;

  // True once any write has failed.
  bool Failed() const override { return failed_; }

  // Flushes and closes the file and moves it over the target, which keeps the
  // permissions of a file it replaces. Returns false, and discards the file,
  // when anything failed. Can be called once.
  bool Commit() override;

 private:
  ReplacingFile(std::FILE* file, std::string temporaryPath, std::string targetPath);

  std::FILE* file_;
  std::string temporaryPath_;
  std::string targetPath_;
  std::vector<char> buffer_;  // the stream's buffer; outlives every use by file_
  bool failed_ = false;
  bool committed_ = false;
};

}  // namespace kem
