// The layout file being written: a temporary file beside the output path that
// replaces the output only when the run succeeds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace kem {

class LayoutOutput {
 public:
  // An output that was not committed is discarded: its temporary file is
  // removed and the file at the output path is left as it was.
  virtual ~LayoutOutput() = default;

  // Appends bytes. A failure is remembered and reported by Failed().
  virtual void Write(const std::uint8_t* data, std::size_t size) = 0;

  // True once any write has failed.
  virtual bool Failed() const = 0;

  // Flushes and closes the file and moves it over the output path. Returns
  // false (and discards the file) when anything failed.
  virtual bool Commit() = 0;
};

// Creates the temporary file for `outputPath`. Null when it cannot be created.
std::unique_ptr<LayoutOutput> CreateLayoutOutput(const std::string& outputPath);

}  // namespace kem
