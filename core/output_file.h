// The file a run writes: layout files and height maps alike go through this
// seam, so a test can hand a run a writer that fails the way a full disk does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kem {

class OutputFile {
 public:
  // An output that was not committed is discarded: nothing is left at the
  // output path that was not there before, and a file that was is untouched.
  virtual ~OutputFile() = default;

  // Appends bytes. A failure is remembered and reported by Failed(); later
  // writes are ignored.
  virtual void Write(const std::uint8_t* data, std::size_t size) = 0;

  // True once any write has failed.
  virtual bool Failed() const = 0;

  // Finishes the file and puts it at the output path. Returns false (and
  // discards it) when anything failed.
  virtual bool Commit() = 0;
};

// How a run obtains its output for a path; a ReplacingFile in normal use.
// Returns null when no output can be created there.
using OutputFileFactory = std::function<std::unique_ptr<OutputFile>(const std::string& path)>;

}  // namespace kem
