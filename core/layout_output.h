// The layout file being written: a temporary file beside the output path that
// replaces the output only when the run succeeds, so a failed run never leaves
// a partial layout behind nor destroys the one that was there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kem {

class LayoutOutput {
 public:
  // An output that was not committed is discarded: its temporary file is
  // removed and the file at the output path is left as it was.
  virtual ~LayoutOutput() = default;

  // Appends bytes. A failure is remembered and reported by Failed(); later
  // writes are ignored.
  virtual void Write(const std::uint8_t* data, std::size_t size) = 0;

  // True once any write has failed.
  virtual bool Failed() const = 0;

  // Flushes and closes the file and moves it over the output path. Returns
  // false (and discards the file) when anything failed.
  virtual bool Commit() = 0;
};

// Creates "<outputPath>.tmp-XXXXXX" (a fresh name) in the output's folder,
// buffered in 1 MiB. Null when the path is empty, names a folder, or the
// temporary file cannot be created.
std::unique_ptr<LayoutOutput> CreateLayoutOutput(const std::string& outputPath);

// How a run obtains its output; CreateLayoutOutput in normal use, something
// else where a test needs a writer that fails.
using LayoutOutputFactory =
    std::function<std::unique_ptr<LayoutOutput>(const std::string& outputPath)>;

}  // namespace kem
