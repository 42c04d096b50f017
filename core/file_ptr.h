// FilePtr: an open C stream that closes itself.
#pragma once

#include <cstdio>
#include <memory>

namespace kem {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Owns a FILE* from fopen; null when nothing is open.
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace kem
